#include <cstdlib>
#include <cstring>

#include "AllocOrThrow.h"
#include "LoaderOptions.h"

PropertyList JniPropertyList = {0, nullptr, 0};

namespace {

void MoveEntries(int32_t slots)
{
    char** grown = static_cast<char**>(AllocOrThrow(sizeof(char*) * static_cast<size_t>(slots)));
    if (JniPropertyList.count > 0)
        std::memcpy(grown, JniPropertyList.entries, sizeof(char*) * static_cast<size_t>(JniPropertyList.count));
    std::free(JniPropertyList.entries);
    JniPropertyList.entries = grown;
}

}  // namespace

void AddProperty(char* property)
{
    PropertyList& list = JniPropertyList;
    if (list.count >= list.capacity) {
        int32_t slots = list.entries == nullptr ? 4 : list.capacity * 2;
        MoveEntries(slots);
        list.capacity = slots;
    }
    list.entries[list.count++] = property;
}

void TerminatePropertyList()
{
    PropertyList& list = JniPropertyList;
    if (list.entries == nullptr)
        return;
    if (list.count == list.capacity)
        MoveEntries(list.count + 1);
    list.entries[list.count] = nullptr;
}
