// The process's static objects: the application object, then the launch log (LaunchLog.cpp).
#include "LoaderApp.h"

CLoaderApp theApp;
