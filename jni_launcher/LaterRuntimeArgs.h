// The JNI 1.2 arguments for a runtime of a later generation (Java 1.3 to 8), which refuses the
// 1.1 record and writes the version that it takes into the record's version field instead.
#pragma once

#include "InitArgs.h"

// The arguments for JNI_CreateJavaVM: the given version, unrecognised options refused, and the
// options, in this order:
// - "-Djava.class.path=" and the entries of classPath, without empty ones (an empty entry would
//   be the current directory);
// - "-D" and each entry of the property list, except those of java.home: a later runtime takes
//   its home from its library's folder, and another one changes where it looks for its files;
// - the vfprintf, exit and abort hooks.
// Everything is allocated with AllocOrThrow and left to the process's end.
JavaVMInitArgs LaterRuntimeArgs(jint version, const char* classPath);
