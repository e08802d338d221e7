// What the stand-ins were given: each call they receive appends one line to the file named by
// VELKOR_TRANSCRIPT. Behaviour is chosen through environment variables read at each call.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

#include "../../bench/MainEntered.h"

inline std::string StandInEnv(const char* name)
{
    // Through the wide call: Wine's ANSI one cuts a double-byte value short.
    wchar_t wide[2048] = L"", wideName[64] = L"";
    char value[4096] = "";
    MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 64);
    if (GetEnvironmentVariableW(wideName, wide, 2048) < 2048)
        WideCharToMultiByte(CP_ACP, 0, wide, -1, value, sizeof value, nullptr, nullptr);
    return value;
}

// Whether the space-separated word list in VELKOR_STANDIN holds word.
inline bool StandInAsked(const std::string& word)
{
    return (" " + StandInEnv("VELKOR_STANDIN") + " ").find(" " + word + " ") != std::string::npos;
}

// The number after "word=" in VELKOR_STANDIN, or otherwise.
inline long StandInNumber(const char* word, long otherwise, int base)
{
    std::string all = " " + StandInEnv("VELKOR_STANDIN");
    size_t at = all.find(" " + std::string(word) + "=");
    return at == std::string::npos ? otherwise : std::strtoul(all.c_str() + at + std::string(word).size() + 2, nullptr, base);
}

inline void Transcribe(const std::string& line)
{
    std::string path = StandInEnv("VELKOR_TRANSCRIPT"), text = line + "\n";
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}
