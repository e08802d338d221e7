// Java strings for the arguments of main.
#pragma once

#include "InitArgs.h"

// A new String[] holding the narrow strings in order, their bytes handed over unconverted;
// null when the runtime fails any step.
jobjectArray BuildStringArray(JNIEnv* env, char** strings, int count);
