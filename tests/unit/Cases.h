// Case files: each case is a line "kind input" followed by its output lines, each indented by
// two spaces. A test replays the file (every case run again, its output put in place of the
// stored one) and compares the whole text with the file.
#pragma once

#include <map>
#include <string>

using CaseRunner = std::string (*)(const std::string& input);

// A file beside the tests, whole and unchanged; "{N}" stands for N 'x' characters.
std::string ReadCaseFile(const char* name);
std::string Replay(const std::string& cases, const std::map<std::string, CaseRunner>& runners);
// The text quoted, with CR, LF, tab and bytes outside printable ASCII written as \r \n \t \xNN.
std::string Quote(const char* text);
// One output line of a case.
inline std::string Line(const std::string& text) { return "  " + text + "\n"; }
