#include "PropertyEnumerator.h"
#include "ComLibraries.h"

#include <cstring>
#include <cwchar>
#include <new>

namespace {

// A new UTF-16 copy of an ANSI text, or null.
wchar_t* WidenText(const char* text)
{
    int count = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, nullptr, 0);
    if (count <= 0)
        return nullptr;
    wchar_t* wide = new (std::nothrow) wchar_t[static_cast<size_t>(count)];
    if (wide == nullptr)
        return nullptr;
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, wide, count) <= 0)
        wide[0] = 0;
    return wide;
}

// A task-memory copy of a UTF-16 text, owned by the receiver; null when task memory ran out.
LPOLESTR TaskMemoryCopy(const wchar_t* text)
{
    size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    LPOLESTR copy = static_cast<LPOLESTR>(Com.CoTaskMemAlloc(bytes));
    if (copy != nullptr)
        std::memcpy(copy, text, bytes);
    return copy;
}

} // namespace

PropertyEnumerator::PropertyEnumerator() : referenceCount(1), head(nullptr), cursor(nullptr) {}

PropertyEnumerator::~PropertyEnumerator()
{
    while (head != nullptr) {
        PropertyNode* node = head;
        head = node->next;
        delete[] node->key;
        delete[] node->value;
        delete node;
    }
}

int PropertyEnumerator::Add(char* definition)
{
    if (definition[0] == 0)
        return 0;
    const char* value = "";
    char* equals = std::strchr(definition, '=');
    if (equals != nullptr) {
        *equals = 0;
        value = equals + 1;
    }

    PropertyNode* node = new (std::nothrow) PropertyNode;
    if (node == nullptr)
        return 0;
    node->key = WidenText(definition);
    if (node->key == nullptr) {
        delete node;
        return 0;
    }
    node->value = WidenText(value);
    if (node->value == nullptr) {
        delete[] node->key;
        delete node;
        return 0;
    }
    node->next = head;
    head = node;
    cursor = node;
    return 1;
}

HRESULT STDMETHODCALLTYPE PropertyEnumerator::QueryInterface(REFIID iid, void** object)
{
    if (IsEqualIID(iid, IID_IEnumJAVAPROPERTY) || IsEqualIID(iid, IID_IUnknown)) {
        *object = static_cast<IEnumJAVAPROPERTY*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE PropertyEnumerator::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&referenceCount));
}

ULONG STDMETHODCALLTYPE PropertyEnumerator::Release()
{
    LONG count = InterlockedDecrement(&referenceCount);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE PropertyEnumerator::Next(ULONG count, JAVAPROPERTY* properties, ULONG* fetched)
{
    ULONG filled = 0;
    HRESULT result = S_OK;
    while (filled < count) {
        if (cursor == nullptr) {
            result = S_FALSE;
            break;
        }
        JAVAPROPERTY& record = properties[filled];
        record.pszValue = TaskMemoryCopy(cursor->value);
        if (record.pszValue == nullptr) {
            result = E_OUTOFMEMORY;
            break;
        }
        record.pszKey = TaskMemoryCopy(cursor->key);
        if (record.pszKey == nullptr) {
            Com.CoTaskMemFree(record.pszValue);
            record.pszValue = nullptr;
            result = E_OUTOFMEMORY;
            break;
        }
        cursor = cursor->next;
        ++filled;
    }
    if (fetched != nullptr)
        *fetched = filled;
    return result;
}

HRESULT STDMETHODCALLTYPE PropertyEnumerator::Skip(ULONG count)
{
    for (ULONG i = 0; i < count; ++i) {
        if (cursor == nullptr)
            return S_FALSE;
        cursor = cursor->next;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyEnumerator::Reset()
{
    cursor = head;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyEnumerator::Clone(IEnumJAVAPROPERTY**)
{
    return E_NOTIMPL;
}
