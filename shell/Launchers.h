// The two runtime launchers that the launch sequence tries in turn.
#pragma once

// Starts the application on a JDK 1.1 runtime. Returns after main has returned; otherwise
// appends the reason to the launch log and throws the integer 1.
void RunWithJniRuntime(int argc, char** argv);

// Starts the application on the COM-activated Java VM. Never throws; failures go to the log.
// Returns the worker's exit code when the worker ended in time, else 0 (0 too when the VM could
// not be activated). *classHandedOver tells whether the VM was asked to run the class; it is also
// set when the worker had not ended in time: the worker may be inside the VM still, and the
// launch log is still its to write.
int RunWithComRuntime(int argc, char** argv, bool* classHandedOver);
