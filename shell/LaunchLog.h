// The launch log: every step of a launch appends its progress and errors here.
#pragma once

#include "CString.h"

// One process-wide text. It only grows; the failure dialog shows it.
extern CString LaunchLog;
