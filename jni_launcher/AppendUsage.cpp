#include "LaunchLog.h"
#include "LoaderOptions.h"

void AppendUsage()
{
    LaunchLog +=
        "Velkor Java(tm) Runtime Loader\r\n"
        "Usage: Velkor [-options] classname [arguments]\r\n"
        "Options:\r\n"
        "    -?, -help         print out this message\r\n"
        "    -v, -verbose      turn on verbose mode\r\n"
        "    -verbosegc        print a message when garbage collection occurs\r\n"
        "    -noasyncgc        disable asynchronous garbage collection\r\n"
        "    -noclassgc        disable class garbage collection\r\n"
        "    -ss<number>       set the maximum native stack size for any thread\r\n"
        "    -oss<number>      set the maximum Java stack size for any thread\r\n"
        "    -ms<number>       set the initial Java heap size\r\n"
        "    -mx<number>       set the maximum Java heap size\r\n"
        "    -D<name>=<value>  set a system property\r\n"
        "    -classpath <path> set class path to <path>\r\n"
        "    -cp <path>        prepend <path> to base class path\r\n"
        "    -verify           verify all classes when loaded\r\n"
        "    -verifyremote     verify classes loaded from the network (default)\r\n"
        "    -noverify         do not verify any classes\r\n"
        "    -nojit            disable JIT compiler\r\n";
}
