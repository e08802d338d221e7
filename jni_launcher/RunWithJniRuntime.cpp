// INTERIM: stands in for the JNI launcher until it is built; it always signals failure.
#include "Launchers.h"

void RunWithJniRuntime(int, char**) { throw 1; }
