// The two runtime launchers that the launch sequence tries in turn.
#pragma once

// Starts the application on a JDK 1.1 runtime. Returns after main has returned; otherwise
// appends the reason to the launch log and throws the integer 1.
void RunWithJniRuntime(int argc, char** argv);

// Starts the application on the COM-activated Java VM. Never throws; failures go to the log.
int RunWithComRuntime(int argc, char** argv);
