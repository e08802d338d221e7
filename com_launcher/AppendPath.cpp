// Path lists: ';'-separated texts in which every element ends with ';'.
#include "ComJavaRunner.h"

#include <climits>

namespace {

// Whether text does not end with ';'. The last character is found with CharPrevA, so the trail
// byte of a double-byte character is never taken for ';'. An empty text needs one.
bool NeedsSeparator(const char* text, int length)
{
    if (length == 0)
        return true;
    return *CharPrevA(text, text + length) != ';';
}

// A length for AllocText; one that does not fit makes it report running out of memory.
int TextLength(long long length)
{
    return length < INT_MAX ? static_cast<int>(length) : -1;
}

} // namespace

int ComJavaRunner::AppendPath(char** list, const char* element)
{
    int elementLength = lstrlenA(element);
    bool elementSeparator = NeedsSeparator(element, elementLength);

    if (*list == nullptr) {
        char* result = AllocText(TextLength(static_cast<long long>(elementLength) + (elementSeparator ? 1 : 0)));
        if (result == nullptr)
            return 0;
        lstrcpyA(result, element);
        if (elementSeparator)
            lstrcatA(result, ";");
        *list = result;
        return 1;
    }

    int listLength = lstrlenA(*list);
    char* copy = AllocText(listLength);
    if (copy == nullptr)
        return 0;
    lstrcpyA(copy, *list);
    delete[] *list;
    *list = nullptr;

    bool listSeparator = NeedsSeparator(copy, listLength);
    long long total = static_cast<long long>(listLength) + (listSeparator ? 1 : 0) + elementLength +
                      (elementSeparator ? 1 : 0);
    char* result = AllocText(TextLength(total));
    if (result != nullptr) {
        lstrcpyA(result, copy);
        if (listSeparator)
            lstrcatA(result, ";");
        lstrcatA(result, element);
        if (elementSeparator)
            lstrcatA(result, ";");
        *list = result;
    }
    delete[] copy;
    return result != nullptr ? 1 : 0;
}
