#include "JoinText.h"
#include "RuntimeDiscovery.h"

char* DefaultRuntimeLib(const char* javaHome)
{
    return JoinText({javaHome, "\\bin\\javai.dll"});
}

char* DefaultClassPath(const char* javaHome)
{
    return JoinText({javaHome, "\\lib\\rt.jar;", javaHome, "\\lib\\i18n.jar;", javaHome, "\\lib\\classes.zip;",
                     javaHome, "\\classes;"});
}
