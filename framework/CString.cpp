#include "CString.h"

#include <cstring>
#include <new>

namespace {
char g_emptyText[1] = {0};
}

CString::CString() : m_data(g_emptyText), m_length(0), m_capacity(0) {}

CString::CString(const char* text) : CString() { *this += text; }

CString::CString(const CString& other) : CString() { Append(other.m_data, other.m_length); }

CString::~CString()
{
    if (m_capacity != 0)
        delete[] m_data;
}

CString& CString::operator=(const CString& other)
{
    if (this != &other) {
        m_length = 0;
        if (m_capacity != 0)
            m_data[0] = 0;
        Append(other.m_data, other.m_length);
    }
    return *this;
}

CString& CString::operator=(const char* text)
{
    CString copy(text);
    return *this = copy;
}

const CString& CString::operator+=(const char* text)
{
    if (text != nullptr)
        Append(text, static_cast<int>(std::strlen(text)));
    return *this;
}

const CString& CString::operator+=(const CString& other)
{
    if (this == &other) {
        CString copy(other);
        Append(copy.m_data, copy.m_length);
    } else {
        Append(other.m_data, other.m_length);
    }
    return *this;
}

const CString& CString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

char* CString::GetBuffer(int minLength)
{
    if (minLength < m_length)
        minLength = m_length;
    Reserve(minLength);
    return m_data;
}

void CString::ReleaseBuffer(int newLength)
{
    if (m_capacity == 0)
        return;
    if (newLength < 0 || newLength > m_capacity)
        newLength = static_cast<int>(strnlen(m_data, static_cast<size_t>(m_capacity)));
    m_length = newLength;
    m_data[m_length] = 0;
}

void CString::Reserve(int capacity)
{
    if (capacity <= m_capacity && m_capacity != 0)
        return;
    int grown = m_capacity < 64 ? 64 : m_capacity;
    while (grown < capacity) {
        if (grown > (0x7FFFFFFF - 1) / 2)
            throw std::bad_alloc();
        grown *= 2;
    }
    char* data = new char[static_cast<size_t>(grown) + 1];
    std::memcpy(data, m_data, static_cast<size_t>(m_length) + 1);
    if (m_capacity != 0)
        delete[] m_data;
    m_data = data;
    m_capacity = grown;
}

void CString::Append(const char* text, int length)
{
    if (length <= 0)
        return;
    if (m_capacity != 0 && text >= m_data && text <= m_data + m_length) {
        // Appending a piece of this very text: growing would free the source.
        CString piece;
        piece.Append(text, length);
        Append(piece.m_data, piece.m_length);
        return;
    }
    if (length > 0x7FFFFFFF - 1 - m_length)
        throw std::bad_alloc();
    Reserve(m_length + length);
    std::memmove(m_data + m_length, text, static_cast<size_t>(length));
    m_length += length;
    m_data[m_length] = 0;
}

CString operator+(const CString& left, const char* right)
{
    CString result(left);
    result += right;
    return result;
}

CString operator+(const char* left, const CString& right)
{
    CString result(left);
    result += right;
    return result;
}

CString operator+(const CString& left, const CString& right)
{
    CString result(left);
    result += right;
    return result;
}
