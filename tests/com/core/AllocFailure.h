// Test support: allocation-failure injection (the global operator new is replaced) and the log.
#pragma once

#include <string>

// The nth operator new from now fails (throwing forms throw, nothrow forms return null); 0
// disarms. Allocations() counts since the last call; LiveAllocations() counts undeleted blocks.
void FailAllocationAt(long nth);
long Allocations();
long LiveAllocations();

// Empties the launch log, keeping room so that the code under test appends without allocating.
void ClearLaunchLog();
std::string LogText();
std::string OemText(std::string ansi);
