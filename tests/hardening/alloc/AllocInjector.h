// Allocation failure injection for the test build of the loader. While armed, every
// allocation of the program is counted: operator new and new[] in all their forms (the
// framework's CString and the COM side), and malloc, calloc and realloc (the JNI side, and the
// runtime library's own parts), reached through the linker's --wrap. The allocation whose
// number the environment names fails, and with the onward mode every later one as well:
//   VELKOR_ALLOC_FAIL_AT    N, counted from 1 after arming; absent or 0: nothing fails
//   VELKOR_ALLOC_FAIL_MODE  "once" (default) or "onward"
#pragma once

// Restarts the count and reads the environment. Allocations before this are not counted.
void ArmAllocationFailures();
// Stops counting; later allocations all succeed.
void DisarmAllocationFailures();

// Allocations counted while armed, the number of the first one that was made to fail (0 when
// none was) and how many were made to fail.
long CountedAllocations();
long FirstInjectedFailure();
long InjectedFailures();
// The code address that made allocation number (from 1), or null when not recorded.
void* AllocationCaller(long number);
