// What std::terminate calls: an exception that nothing catches, or one thrown where none may
// leave. The C++ runtime's own handler of this name prints the exception's type on standard
// error (and links the whole symbol demangler for it), then aborts with exit code 3. Defined
// here, in the executable itself, it takes the runtime's place: the process ends at once with
// exit code 3, printing nothing.
#include <windows.h>

#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    TerminateProcess(GetCurrentProcess(), 3);
}

}  // namespace __gnu_cxx
