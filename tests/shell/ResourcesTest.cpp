// The executable's resources, read back from the linked resource object: the message
// catalogue, the version information, the dialog template, the picture and the icon.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource.h"

namespace {

std::string LoadText(UINT id)
{
    char buffer[600];
    int length = LoadStringA(nullptr, id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::vector<BYTE> Resource(LPCSTR type, UINT id, WORD language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))
{
    HRSRC found = FindResourceExA(nullptr, type, MAKEINTRESOURCEA(id), language);
    if (found == nullptr)
        return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    return std::vector<BYTE>(data, data + SizeofResource(nullptr, found));
}

// Sequential reader of a dialog template.
struct TemplateReader {
    const std::vector<BYTE>& bytes;
    size_t at = 0;
    WORD Word() { WORD v; std::memcpy(&v, &bytes.at(at), 2); at += 2; return v; }
    DWORD Dword() { DWORD v; std::memcpy(&v, &bytes.at(at), 4); at += 4; return v; }
    std::wstring Text()  // a zero-terminated UTF-16 text, or "#n" for an ordinal
    {
        if (Word() == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        at -= 2;
        std::wstring text;
        for (WORD ch; (ch = Word()) != 0;)
            text += static_cast<wchar_t>(ch);
        return text;
    }
    void AlignToDword() { at = (at + 3) & ~size_t(3); }
};

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* key)
{
    void* value = nullptr;
    UINT length = 0;
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904E4\\") + key;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0)
        return L"(missing)";
    return std::wstring(static_cast<const wchar_t*>(value));
}

}  // namespace

TEST(Resources, StringTableHoldsTheCatalogue)
{
    const std::pair<UINT, const char*> expected[] = {
        {1, "Out of memory"},
        {2, "SCODE 0x%lx: Error message unavailable."},
        {3, "\r\nERROR: "},
        {4, "Could not initialize Ole"},
        {5, "Could not locate Java Virtual Machine"},
        {6, "Could not obtain Java class loader"},
        {7, "No path given for %s switch"},
        {8, "Invalid command line switch: %s"},
        {9, "Invalid parameter assignment: %s"},
        {10, "No class file given"},
        {13, "Unknown error!"},
        {14, "Could not execute %s"},
        {15, "\r\nPress any key to continue..."},
        {16, "Member not found.\r\n"},
        {17, "\t%s must have a method of the following form to be run using Velkor:\r\n\t\tpublic static void "
             "main(String args[])\r\n\tIf %s is an applet, you must run it using a browser."},
        {18, "Couldn't create thread."},
        {19, "The current version of the Java VM does not support custom system properties."},
        {1001, "\nUsage: Velkor [options] <classname> [arguments]\r\n"},
        {1002, "Options:\r\n"},
        {1003, "    /?                 displays usage text\r\n"},
        {1004, "    /cp <classpath>    set class path\r\n"},
        {1005, "    /cp:p <path>       prepend path to class path\r\n"},
        {1006, "    /cp:a <path>       append path to class path\r\n"},
        {1007, "    /p                 pauses before terminating if an error occurs\r\n"},
        {1008, "    /v                 verify all classes\r\n"},
        {1009, "    /d:<name>=<value>  define system property\r\n"},
        {1010, "Classname:\r\n"},
        {1011, "    .CLASS file to be executed.\r\n"},
        {1012, "Arguments:\r\n"},
        {1013, "    command-line arguments to be passed on to the class file\r\n"},
        {1014, "~"},
        {1020, "Tarnwick Java Runtime Loader Version %1u.%02u.%04u\r\n"},
    };
    for (const auto& [id, text] : expected)
        EXPECT_EQ(LoadText(id), text) << "string " << id;
    for (UINT id : {0u, 11u, 12u, 20u, 1000u, 1015u, 1019u, 1022u})
        EXPECT_EQ(LoadText(id), "") << "string " << id << " should not exist";
    std::string notice = LoadText(1021);
    ASSERT_GE(notice.size(), 3u);
    EXPECT_EQ(notice.substr(notice.size() - 2), "\r\n");
    EXPECT_EQ(notice.find_first_of("\r\n"), notice.size() - 2) << "the notice is one line";
}

TEST(Resources, VersionInformation)
{
    char path[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    std::vector<BYTE> info(GetFileVersionInfoSizeA(path, nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x0004004Fu);  // 4.79
    EXPECT_EQ(fixed->dwFileVersionLS, 0x000004B2u);  // 0.1202
    EXPECT_EQ(fixed->dwProductVersionMS, 0x0004004Fu);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x000004B2u);

    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(*translation, 0x04E40409u);  // language 0x0409, code page 1252

    // Values as stored (UTF-16): the two registered signs are U+00AE, 0xAE in code page 1252.
    EXPECT_EQ(VersionString(info, L"FileDescription"), L"Tarnwick\u00AE Java Runtime Loader Version");
    EXPECT_EQ(VersionString(info, L"FileVersion"), L"4.70.1202");
    EXPECT_EQ(VersionString(info, L"InternalName"), L"Velkor");
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"Velkor.EXE");
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Velkor\u00AE  1.0");
    EXPECT_EQ(VersionString(info, L"ProductVersion"), L"1.00");
    EXPECT_NE(VersionString(info, L"CompanyName"), L"(missing)");
    EXPECT_NE(VersionString(info, L"LegalCopyright"), L"(missing)");
}

TEST(Resources, FailureDialogTemplate)
{
    std::vector<BYTE> bytes = Resource(MAKEINTRESOURCEA(5) /* RT_DIALOG */, IDD_LAUNCH_FAILED);
    ASSERT_FALSE(bytes.empty());
    TemplateReader t{bytes};
    EXPECT_EQ(t.Dword(), 0x80C800C0u) << "style; an extended template would start with 0xFFFF0001";
    EXPECT_EQ(t.Dword(), 0u);
    EXPECT_EQ(t.Word(), 3);
    EXPECT_EQ(t.Word(), 0);
    EXPECT_EQ(t.Word(), 0);
    EXPECT_EQ(t.Word(), 287);
    EXPECT_EQ(t.Word(), 226);
    EXPECT_EQ(t.Text(), L"") << "menu";
    EXPECT_EQ(t.Text(), L"") << "class";
    EXPECT_EQ(t.Text(), L"Could Not Start Velkor");
    EXPECT_EQ(t.Word(), 8);
    EXPECT_EQ(t.Text(), L"MS Sans Serif");

    struct Control {
        DWORD style;
        short x, y, cx, cy;
        WORD id;
        const wchar_t* windowClass;  // ordinal of the predefined class
        const wchar_t* text;
    } expected[] = {
        {0x50010001, 118, 205, 50, 14, 1, L"#128", L"OK"},
        {0x50810804, 7, 45, 274, 154, 1000, L"#129", L""},
        {0x5000000E, 96, 5, 94, 34, 0xFFFF, L"#130", L"#1"},
    };
    for (const Control& c : expected) {
        SCOPED_TRACE(c.id);
        t.AlignToDword();
        EXPECT_EQ(t.Dword(), c.style);
        EXPECT_EQ(t.Dword(), 0u) << "extended style";
        EXPECT_EQ(static_cast<short>(t.Word()), c.x);
        EXPECT_EQ(static_cast<short>(t.Word()), c.y);
        EXPECT_EQ(static_cast<short>(t.Word()), c.cx);
        EXPECT_EQ(static_cast<short>(t.Word()), c.cy);
        EXPECT_EQ(t.Word(), c.id);
        EXPECT_EQ(t.Text(), c.windowClass);
        EXPECT_EQ(t.Text(), c.text);
        EXPECT_EQ(t.Word(), 0) << "creation data";
    }
    EXPECT_EQ(t.at, bytes.size());
}

TEST(Resources, PictureAndIcon)
{
    std::vector<BYTE> bitmap = Resource(MAKEINTRESOURCEA(2) /* RT_BITMAP */, IDB_HEADER);
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, bitmap.data(), sizeof header);
    EXPECT_EQ(header.biSize, sizeof header);
    EXPECT_EQ(header.biWidth, 141);
    EXPECT_EQ(header.biHeight, 55);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 4);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    const size_t rowBytes = (141 * 4 + 31) / 32 * 4;
    EXPECT_GE(bitmap.size(), sizeof header + 16 * sizeof(RGBQUAD) + rowBytes * 55);

    std::vector<BYTE> group = Resource(MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, IDI_LOADER);
    ASSERT_EQ(group.size(), 6u + 2 * 14);  // header and two 14-byte entries
    EXPECT_EQ(group[2] | group[3] << 8, 1) << "icon type";
    EXPECT_EQ(group[4] | group[5] << 8, 2) << "image count";
    const int sizes[] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        const BYTE* entry = &group[6 + 14 * i];
        EXPECT_EQ(entry[0], sizes[i]);
        EXPECT_EQ(entry[1], sizes[i]);
        EXPECT_EQ(entry[2], 16) << "colours";
        WORD imageId = static_cast<WORD>(entry[12] | entry[13] << 8);
        std::vector<BYTE> image = Resource(MAKEINTRESOURCEA(3) /* RT_ICON */, imageId);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biWidth, sizes[i]);
        EXPECT_EQ(header.biHeight, 2 * sizes[i]) << "image and mask";
        EXPECT_EQ(header.biBitCount, 4);
    }
}
