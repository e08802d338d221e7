#include <gtest/gtest.h>

#include "AllocFailure.h"
#include "PropertyEnumerator.h"

namespace {

PropertyEnumerator* MakeEnumerator(std::initializer_list<const char*> definitions)
{
    auto* enumerator = new PropertyEnumerator;
    for (std::string text : definitions)
        enumerator->Add(&text[0]);
    return enumerator;
}

// Fetches up to count records and returns "key=value;" for each, freeing the texts.
std::wstring Fetch(PropertyEnumerator* e, ULONG count, HRESULT expected, ULONG expectedFetched)
{
    JAVAPROPERTY records[8];
    ULONG fetched = 99;
    EXPECT_EQ(e->Next(count, records, &fetched), expected);
    EXPECT_EQ(fetched, expectedFetched);
    std::wstring text;
    for (ULONG i = 0; i < fetched; ++i) {
        text += std::wstring(records[i].pszKey) + L"=" + records[i].pszValue + L";";
        CoTaskMemFree(records[i].pszKey);
        CoTaskMemFree(records[i].pszValue);
    }
    return text;
}

// Fails the nth task allocation after arming and counts the spied blocks still alive.
struct FailingSpy : IMallocSpy {
    long failAt = 0, count = 0, live = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override { return *object = this, S_OK; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return ++count == failAt ? 0 : size; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override { return live += block != nullptr, block; }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL spied) override { return live -= block && spied, block; }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** request, BOOL) override { return *request = block, size; }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return block; }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

struct Churning {
    PropertyEnumerator* enumerator;
    HANDLE start;
};

DWORD WINAPI Churn(LPVOID parameter)
{
    auto* churning = static_cast<Churning*>(parameter);
    WaitForSingleObject(churning->start, INFINITE);
    for (int i = 0; i < 1000000; ++i)
        churning->enumerator->AddRef(), churning->enumerator->Release();
    return 0;
}

} // namespace

TEST(PropertyEnumerator, OrderAndResultsAcrossAddsAndPartialReads)
{
    long before = LiveAllocations();
    PropertyEnumerator* e = MakeEnumerator({});
    EXPECT_EQ(Fetch(e, 2, S_FALSE, 0), L"");
    char a[] = "a=1", empty[] = "";
    EXPECT_EQ(e->Add(a), 1);
    EXPECT_STREQ(a, "a");
    EXPECT_EQ(e->Add(empty), 0);
    std::string b = "b=2", c = "c=3";
    e->Add(&b[0]);
    EXPECT_EQ(Fetch(e, 0, S_OK, 0), L"");
    EXPECT_EQ(Fetch(e, 2, S_OK, 2), L"b=2;a=1;");
    EXPECT_EQ(Fetch(e, 1, S_FALSE, 0), L"");
    e->Reset();
    EXPECT_EQ(Fetch(e, 3, S_FALSE, 2), L"b=2;a=1;");
    e->Reset();
    JAVAPROPERTY record;
    EXPECT_EQ(e->Next(1, &record, nullptr), S_OK);
    CoTaskMemFree(record.pszKey), CoTaskMemFree(record.pszValue);
    e->Add(&c[0]);  // the cursor moves to the newest definition
    EXPECT_EQ(Fetch(e, 3, S_OK, 3), L"c=3;b=2;a=1;");

    e->Reset();
    EXPECT_EQ(e->Skip(0), S_OK);
    EXPECT_EQ(e->Skip(2), S_OK);
    EXPECT_EQ(e->Skip(1), S_OK);
    EXPECT_EQ(e->Skip(1), S_FALSE);
    e->Reset();
    EXPECT_EQ(e->Skip(4), S_FALSE);
    EXPECT_EQ(Fetch(e, 1, S_FALSE, 0), L"");

    void* object = &record;
    EXPECT_EQ(e->QueryInterface(IID_IJavaExecute, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(e->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, static_cast<IEnumJAVAPROPERTY*>(e));
    EXPECT_EQ(e->QueryInterface(IID_IEnumJAVAPROPERTY, &object), S_OK);
    IEnumJAVAPROPERTY* clone = e;
    EXPECT_EQ(e->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(clone, e);
    EXPECT_EQ(e->Release(), 2u);
    EXPECT_EQ(e->Release(), 1u);
    EXPECT_EQ(e->Release(), 0u);
    EXPECT_EQ(LiveAllocations(), before);
}

TEST(PropertyEnumerator, DefinitionFormsDuplicatesAndReferencesFromManyThreads)
{
    long before = LiveAllocations();
    PropertyEnumerator* e = MakeEnumerator({"name", "=v", "k=v=w", "k=x", "k=x"});
    EXPECT_EQ(Fetch(e, 6, S_FALSE, 5), L"k=x;k=x;k=v=w;=v;name=;");

    Churning churning = {e, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE threads[4];
    for (HANDLE& thread : threads)
        thread = CreateThread(nullptr, 0, Churn, &churning, 0, nullptr);
    SetEvent(churning.start);
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (HANDLE handle : threads)
        CloseHandle(handle);
    CloseHandle(churning.start);
    EXPECT_EQ(e->AddRef(), 2u);
    EXPECT_EQ(e->Release(), 1u);
    EXPECT_EQ(e->Release(), 0u);
    EXPECT_EQ(LiveAllocations(), before);
}

TEST(PropertyEnumerator, TaskMemoryExhaustionKeepsCursorAndFilledRecords)
{
    FailingSpy spy;
    ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
    PropertyEnumerator* e = MakeEnumerator({"a=1", "b=2", "c=3"});
    JAVAPROPERTY records[3];
    ULONG fetched = 99;
    spy.count = 0, spy.failAt = 4;  // the key of the second record
    EXPECT_EQ(e->Next(3, records, &fetched), E_OUTOFMEMORY);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(spy.live, 2);  // the first record's texts, now the caller's; nothing of the second
    EXPECT_STREQ(records[0].pszKey, L"c");
    CoTaskMemFree(records[0].pszKey), CoTaskMemFree(records[0].pszValue);
    spy.failAt = 0;
    EXPECT_EQ(Fetch(e, 3, S_FALSE, 2), L"b=2;a=1;");

    e->Reset();
    spy.count = 0, spy.failAt = 1;  // the value of the first record
    EXPECT_EQ(e->Next(2, records, &fetched), E_OUTOFMEMORY);
    EXPECT_EQ(fetched, 0u);
    spy.failAt = 0;
    EXPECT_EQ(Fetch(e, 1, S_OK, 1), L"c=3;");
    EXPECT_EQ(spy.live, 0);
    e->Release();
    EXPECT_EQ(CoRevokeMallocSpy(), S_OK);
}
