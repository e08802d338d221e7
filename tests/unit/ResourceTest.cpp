// The executable's resources as the loader and the shell find them: English (United States).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "Cases.h"

namespace {

const BYTE* Find(LPCSTR type, const std::string& id, DWORD* size)
{
    HRSRC found = FindResourceExA(nullptr, type, MAKEINTRESOURCEA(std::stoi(id)), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    *size = found != nullptr ? SizeofResource(nullptr, found) : 0;
    return found != nullptr ? static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))) : nullptr;
}

unsigned Word(const BYTE* at) { return at[0] | at[1] << 8; }
unsigned Long(const BYTE* at) { return Word(at) | Word(at + 2) << 16; }

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0, unsigned e = 0)
{
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c, d, e);
    return text;
}

// The template's bytes, 16 to a line.
std::string RunDialog(const std::string& id)
{
    DWORD size = 0;
    const BYTE* bytes = Find(RT_DIALOG, id, &size);
    std::string out;
    for (DWORD at = 0; at < size; at += 16) {
        std::string line;
        for (DWORD i = at; i < size && i < at + 16; ++i)
            line += Format(i == at ? "%02x" : " %02x", bytes[i]);
        out += Line(line);
    }
    return out;
}

std::string RunBitmap(const std::string& id)
{
    DWORD size = 0;
    const BYTE* info = Find(RT_BITMAP, id, &size);
    return Line(Format("%u bytes, header %u, %ux%u, %u plane, ", size, Long(info), Long(info + 4), Long(info + 8),
                       Word(info + 12)) +
                Format("%u bits, compression %u, %u colours used", Word(info + 14), Long(info + 16), Long(info + 32)));
}

std::string RunIcons(const std::string& id)
{
    DWORD size = 0;
    const BYTE* group = Find(RT_GROUP_ICON, id, &size);
    std::string out = Line(Format("type %u, %u images", Word(group + 2), Word(group + 4)));
    for (unsigned i = 0; i < Word(group + 4); ++i) {
        const BYTE* entry = group + 6 + 14 * i;
        DWORD imageSize = 0;
        Find(RT_ICON, std::to_string(Word(entry + 12)), &imageSize);
        out += Line(Format("%ux%u, %u colours, %u bits, ", entry[0], entry[1], entry[2], Word(entry + 6)) +
                    Format("%u bytes, image of %u bytes", Long(entry + 8), imageSize));
    }
    return out;
}

// Input: the names of the string values, read in the translation that the block declares.
std::string RunVersion(const std::string& names)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string info(GetFileVersionInfoSizeA(path, nullptr), 0);
    GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), &info[0]);
    VS_FIXEDFILEINFO* fixed = nullptr;
    WORD* translation = nullptr;
    UINT length = 0;
    VerQueryValueA(&info[0], "\\", reinterpret_cast<void**>(&fixed), &length);
    VerQueryValueA(&info[0], "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length);
    std::string out = Line(Format("file %u.%u.%u.%u, ", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                  HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)) +
                           Format("product %u.%u.%u.%u, ", HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                                  HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS)) +
                           Format("mask %x, flags %x, os %x, type %u, subtype %u", fixed->dwFileFlagsMask, fixed->dwFileFlags,
                                  fixed->dwFileOS, fixed->dwFileType, fixed->dwFileSubtype));
    out += Line(Format("translation %04x %u", translation[0], translation[1]));
    for (size_t at = 0; at < names.size();) {
        size_t end = names.find(' ', at);
        std::string name = names.substr(at, end - at), query = Format("\\StringFileInfo\\%04x", translation[0]);
        char* value = nullptr;
        bool found = VerQueryValueA(&info[0], (query + Format("%04X\\", translation[1]) + name).c_str(),
                                    reinterpret_cast<void**>(&value), &length);
        out += Line(name + " " + (found ? Quote(value) : "absent"));
        at = end == std::string::npos ? end : end + 1;
    }
    return out;
}

// Input: the highest id; every id up to it that has a text gives a line.
std::string RunStrings(const std::string& last)
{
    std::string out;
    for (int id = 0; id <= std::stoi(last); ++id) {
        char text[4096];
        if (LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text) > 0)
            out += Line(std::to_string(id) + " " + Quote(text));
    }
    return out;
}

}  // namespace

TEST(Resources, CaseFile)
{
    std::string cases = ReadCaseFile("resources.txt");
    EXPECT_EQ(cases, Replay(cases, {{"dialog", RunDialog}, {"bitmap", RunBitmap}, {"icons", RunIcons},
                                    {"version", RunVersion}, {"strings", RunStrings}}));
}
