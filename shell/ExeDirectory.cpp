#include "ExeDirectory.h"

const char* ExeDirectory = nullptr;
