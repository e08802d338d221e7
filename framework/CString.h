// Growable narrow text, the framework's string type.
#pragma once

class CString {
public:
    CString();
    CString(const char* text);
    CString(const CString& other);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(const char* text);

    // Append operations. Each grows the text; running out of memory throws std::bad_alloc.
    const CString& operator+=(const char* text);
    const CString& operator+=(const CString& other);
    const CString& operator+=(char ch);

    int GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    operator const char*() const { return m_data; }

    // Direct access for DDX_Text: room for at least minLength characters and a terminator.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    void Append(const char* text, int length);
    void Reserve(int capacity);

    char* m_data;
    int m_length;
    int m_capacity;
};

CString operator+(const CString& left, const char* right);
CString operator+(const char* left, const CString& right);
CString operator+(const CString& left, const CString& right);
