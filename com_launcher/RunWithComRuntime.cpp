// INTERIM: stands in for the COM launcher until it is built; it returns at once.
#include "Launchers.h"

int RunWithComRuntime(int, char**) { return 0; }
