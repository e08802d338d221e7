// The process's static objects, in one place so that their order is fixed: the application
// object is constructed first and the launch log after it; at exit the log is destroyed first.
#include "LaunchLog.h"
#include "LoaderApp.h"

CLoaderApp theApp;
CLaunchLog LaunchLog;
