// Seeded, reproducible input generation for the fuzz tests, and the loop that runs them.
// VELKOR_FUZZ_SEED, VELKOR_FUZZ_COUNT and VELKOR_FUZZ_FIRST choose the seed, the number of
// inputs per parser and the number of the first input; input N of a parser depends only on the
// seed, the parser's name and N, so one input can be replayed alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Random {
public:
    explicit Random(uint64_t seed);
    uint64_t Next();
    size_t Below(size_t bound);  // 0 .. bound - 1; 0 when bound is 0
    size_t Between(size_t low, size_t high);  // low .. high, both included
    bool Percent(unsigned chance);
    char From(const std::string& alphabet);
    std::string Text(const std::string& alphabet, size_t minLength, size_t maxLength);
    // One to three random edits: insert, delete, replace, duplicate a piece, cut the end.
    std::string Mutate(std::string text, const std::string& alphabet);
    template <class T>
    const T& Pick(const std::vector<T>& choices)
    {
        return choices[Below(choices.size())];
    }

private:
    uint64_t state[4];
};

// Characters outside ASCII, as the ANSI code page gives them to the loader.
extern const std::string kHighBytes;

// Runs input() once per generated input and prints how many ran and how long they took. Stops
// after the first input that leaves a failure and says how to replay it. Inputs that fault are
// named by the heap's fault reporter before the process ends.
void Fuzz(const char* parser, size_t defaultCount, const std::function<void(Random&)>& input);

// A text for a failure message: quoted, escaped, shortened.
std::string Show(const std::string& text);

// A copy of text in a new[] block that ends flush against a guard page, terminator last.
char* GuardedText(const std::string& text);

// A writable argument vector in guarded blocks; the array's null entry is its last element.
class GuardedVector {
public:
    explicit GuardedVector(const std::vector<std::string>& elements);
    ~GuardedVector();
    GuardedVector(const GuardedVector&) = delete;
    GuardedVector& operator=(const GuardedVector&) = delete;

    char** Array() const { return array; }
    int Count() const { return count; }
    // Whether element i still holds text, byte for byte within its original block.
    bool Holds(int i, const std::string& text) const;

private:
    int count;
    std::vector<size_t> sizes;
    char** array;
    std::vector<char*> elements;
};
