// The launch log for programs that link the launch sequence without Main.cpp (the executable
// defines it there, after its application object). Linked through velkor_launch_log only.
#include "LaunchLog.h"

CLaunchLog LaunchLog;
