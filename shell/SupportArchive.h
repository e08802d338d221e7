// Finds swingall.jar beside the executable or in a Java runtime's lib directory.
#pragma once

// Returns the archive's full path in a static buffer that the next call overwrites, or null.
// Every probe that fails appends "Did not find swingall.jar in <path>" to the launch log.
const char* FindSupportArchive(const char* javaHome, const char* exeDirectory);
