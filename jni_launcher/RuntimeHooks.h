// What a runtime of a later generation calls, given as options, instead of printing to its
// standard output, exiting or aborting by itself.
#pragma once

#include "InitArgs.h"

// The runtime's text goes into the launch log as printed, each line feed as CR LF; the stream,
// which belongs to the runtime's own C runtime, is not touched. A text is cut at 1 KB, and what
// the hook appends in all at 64 KB, so a running VM's chatter cannot fill the memory. Returns
// the length of the text printed.
jint JNICALL RuntimeVfprintf(FILE* stream, const char* format, va_list args);

// While the VM is being created, the runtime gives up with these: the launch log gets a line
// end if it lacks one and "Could not create Sun Java VM", the failure dialog shows it, and once
// it is closed the process ends with code, as the C runtime's exit ends it (3 for abort, as
// abort ends it). The COM VM is not tried: the runtime has said that the process is to end.
// Once the VM exists they are the C runtime's exit and abort.
void JNICALL RuntimeExit(jint code);
void JNICALL RuntimeAbort();

// True while JNI_CreateJavaVM runs.
extern volatile bool RuntimeCreatingVm;
