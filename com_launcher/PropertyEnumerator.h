// The system properties handed to the VM: an IEnumJAVAPROPERTY over name=value definitions.
#pragma once

#include <windows.h>

#include "JavaVm.h"

// One definition; the list runs from the newest to the oldest.
struct PropertyNode {
    wchar_t* key;
    wchar_t* value;
    PropertyNode* next;
};

class PropertyEnumerator final : public IEnumJAVAPROPERTY {
public:
    // Starts with one reference, the creator's.
    PropertyEnumerator();
    PropertyEnumerator(const PropertyEnumerator&) = delete;
    PropertyEnumerator& operator=(const PropertyEnumerator&) = delete;

    // Adds "name=value" (its first '=' is overwritten by a terminator) as the newest definition
    // and moves the cursor to it. Returns 1 when added, 0 for an empty text or without memory.
    int Add(char* definition);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, JAVAPROPERTY* properties, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumJAVAPROPERTY** clone) override;

private:
    // Only Release frees the object, when the last reference goes.
    ~PropertyEnumerator();

    // The VM may take and drop references from its own threads.
    volatile LONG referenceCount;
    PropertyNode* head;
    PropertyNode* cursor;
};
