#include "LaunchLog.h"

CString LaunchLog;
