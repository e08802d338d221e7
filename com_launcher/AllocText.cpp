#include "ComJavaRunner.h"

#include <climits>
#include <new>

#include "Messages.h"
#include "resource.h"

char* ComJavaRunner::AllocText(int length)
{
    char* text = nullptr;
    if (length >= 0 && length < INT_MAX)
        text = new (std::nothrow) char[static_cast<size_t>(length) + 1];
    if (text == nullptr)
        ReportMessage(this, IDS_OUT_OF_MEMORY);
    return text;
}
