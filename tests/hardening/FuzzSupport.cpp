#include "FuzzSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "GuardedHeap.h"

extern "C" void __stack_chk_fail();

namespace {

constexpr uint64_t kDefaultSeed = 0x56454c4b4f52ULL;

const char* g_parser = nullptr;
uint64_t g_seed = 0;
size_t g_index = 0;

uint64_t SplitMix(uint64_t* x)
{
    uint64_t z = (*x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

uint64_t NameHash(const char* name)
{
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (; *name != 0; ++name)
        hash = (hash ^ static_cast<unsigned char>(*name)) * 0x100000001b3ULL;
    return hash;
}

uint64_t Setting(const char* name, uint64_t fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != 0 ? std::strtoull(text, nullptr, 0) : fallback;
}

// Names the input that was running when the process is about to end. No allocation here: the
// heap may be what failed.
void ReportRunningInput()
{
    if (g_parser == nullptr)
        return;
    char line[400];
    wsprintfA(line,
              "fault while fuzzing %s, input #%lu: replay it alone with VELKOR_FUZZ_SEED=0x%08lx%08lx "
              "VELKOR_FUZZ_FIRST=%lu VELKOR_FUZZ_COUNT=1\n",
              g_parser, static_cast<unsigned long>(g_index), static_cast<unsigned long>(g_seed >> 32),
              static_cast<unsigned long>(g_seed & 0xffffffffu), static_cast<unsigned long>(g_index));
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
}

// Whether the trap came from the stack protector's failure routine, which ends in a trap
// instruction without a word of its own: its return address lies just above the trap's frame.
bool TrappedByStackProtector(const CONTEXT* context)
{
#if defined(_WIN64)
    const ULONG_PTR* stack = reinterpret_cast<const ULONG_PTR*>(context->Rsp);
#else
    const ULONG_PTR* stack = reinterpret_cast<const ULONG_PTR*>(context->Esp);
#endif
    ULONG_PTR failure = reinterpret_cast<ULONG_PTR>(&__stack_chk_fail);
    for (int i = 0; i < 32; ++i) {
        if (stack[i] - failure < 32)
            return true;
    }
    return false;
}

// Ends the process with the exception's code after one line, instead of a debugger's dump.
LONG WINAPI UnhandledFault(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    char line[160];
    if (record->ExceptionCode == EXCEPTION_ILLEGAL_INSTRUCTION && TrappedByStackProtector(exception->ContextRecord))
        wsprintfA(line, "\nstack smashing detected: a stack canary was overwritten\n");
    else
        wsprintfA(line, "\nunhandled exception 0x%08lx at %p\n", record->ExceptionCode, record->ExceptionAddress);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    ReportRunningInput();
    return EXCEPTION_EXECUTE_HANDLER;
}

void AbortSignal(int)
{
    ReportRunningInput();
}

const bool g_reporterInstalled = [] {
    SetHeapFaultReporter(ReportRunningInput);
    SetUnhandledExceptionFilter(UnhandledFault);
    std::signal(SIGABRT, AbortSignal);
    return true;
}();

}  // namespace

const std::string kHighBytes = "\x80\x81\x9f\xa0\xc4\xe4\xe9\xfc\xff";

Random::Random(uint64_t seed)
{
    for (uint64_t& word : state)
        word = SplitMix(&seed);
}

uint64_t Random::Next()
{
    // xoshiro256**
    uint64_t result = ((state[1] * 5) << 7 | (state[1] * 5) >> 57) * 9;
    uint64_t t = state[1] << 17;
    state[2] ^= state[0];
    state[3] ^= state[1];
    state[1] ^= state[2];
    state[0] ^= state[3];
    state[2] ^= t;
    state[3] = state[3] << 45 | state[3] >> 19;
    return result;
}

size_t Random::Below(size_t bound)
{
    return bound == 0 ? 0 : static_cast<size_t>(Next() % bound);
}

size_t Random::Between(size_t low, size_t high)
{
    return low + Below(high - low + 1);
}

bool Random::Percent(unsigned chance)
{
    return Below(100) < chance;
}

char Random::From(const std::string& alphabet)
{
    return alphabet[Below(alphabet.size())];
}

std::string Random::Text(const std::string& alphabet, size_t minLength, size_t maxLength)
{
    std::string text(Between(minLength, maxLength), ' ');
    for (char& c : text)
        c = From(alphabet);
    return text;
}

std::string Random::Mutate(std::string text, const std::string& alphabet)
{
    for (size_t edits = Between(1, 3); edits > 0; --edits) {
        size_t at = Below(text.size() + 1);
        switch (Below(5)) {
        case 0:
            text.insert(at, 1, From(alphabet));
            break;
        case 1:
            if (at < text.size())
                text.erase(at, 1);
            break;
        case 2:
            if (at < text.size())
                text[at] = From(alphabet);
            break;
        case 3:
            text.insert(at, text.substr(Below(text.size() + 1), Below(8)));
            break;
        default:
            text.resize(at);
            break;
        }
    }
    return text;
}

void Fuzz(const char* parser, size_t defaultCount, const std::function<void(Random&)>& input)
{
    uint64_t seed = Setting("VELKOR_FUZZ_SEED", kDefaultSeed);
    size_t count = static_cast<size_t>(Setting("VELKOR_FUZZ_COUNT", defaultCount));
    size_t first = static_cast<size_t>(Setting("VELKOR_FUZZ_FIRST", 0));
    g_parser = parser;
    g_seed = seed;
    size_t ran = 0;
    for (size_t index = first; index < first + count; ++index) {
        g_index = index;
        Random random(seed ^ NameHash(parser) ^ (index * 0x9e3779b97f4a7c15ULL));
        input(random);
        ++ran;
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << parser << ": input #" << index << " failed; replay it alone with VELKOR_FUZZ_SEED=0x"
                          << std::hex << seed << std::dec << " VELKOR_FUZZ_FIRST=" << index << " VELKOR_FUZZ_COUNT=1";
            break;
        }
    }
    g_parser = nullptr;
    std::printf("[fuzz] %-26s %7lu inputs, code pages %u/%u (seed 0x%llx)\n", parser, static_cast<unsigned long>(ran),
                GetACP(), GetOEMCP(), static_cast<unsigned long long>(seed));
    std::fflush(stdout);
}

std::string Show(const std::string& text)
{
    std::string shown = "\"";
    for (size_t i = 0; i < text.size() && i < 400; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            shown += escape;
        }
    }
    shown += "\"";
    if (text.size() > 400)
        shown += "... (" + std::to_string(text.size()) + " bytes)";
    return shown;
}

char* GuardedText(const std::string& text)
{
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

GuardedVector::GuardedVector(const std::vector<std::string>& texts)
    : count(static_cast<int>(texts.size())), array(new char*[texts.size() + 1])
{
    for (size_t i = 0; i < texts.size(); ++i) {
        elements.push_back(GuardedText(texts[i]));
        sizes.push_back(texts[i].size() + 1);
        array[i] = elements.back();
    }
    array[texts.size()] = nullptr;
}

GuardedVector::~GuardedVector()
{
    for (char* element : elements)
        delete[] element;
    delete[] array;
}

bool GuardedVector::Holds(int i, const std::string& text) const
{
    size_t index = static_cast<size_t>(i);
    return array[index] == elements[index] && text.size() + 1 == sizes[index] &&
           std::memcmp(elements[index], text.c_str(), sizes[index]) == 0;
}
