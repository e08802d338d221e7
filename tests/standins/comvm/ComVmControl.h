// The test stand-in for the COM Java VM: how a test steers it and reads what it was given.
//
// Behaviour: a space-separated list of words, from the environment variable VELKOR_COMVM
// (read when the DLL is loaded) or from ComVmConfigure:
//   noexecute2          QueryInterface refuses IJavaExecute2
//   setpropsfail        SetSystemProperties reads the properties, then answers E_FAIL
//   createfail          the class factory's CreateInstance answers E_OUTOFMEMORY
//   keepprops           SetSystemProperties keeps a reference to the enumerator; it is read
//                       again and released by ComVmReleaseProperties
//   execute=H[,H...]    the HRESULTs (hexadecimal) of the successive Execute calls; the last
//                       one repeats; without this word every call answers S_OK
//   errorinfo=text      every Execute hands back an IErrorInfo with the description (from
//                       VELKOR_COMVM_DESCRIPTION, or ComVmConfigure's second argument)
//   errorinfo=empty     ... with an empty description
//   errorinfo=fail      ... whose GetDescription fails
//   slow=MS             every Execute sleeps MS milliseconds first
//
// Record: one line per event, UTF-8, each ending in "\n", kept in memory (ComVmRecord) and
// appended to the file named by VELKOR_COMVM_RECORD, if set:
//   CreateInstance
//   QueryInterface IJavaExecute2 [refused]
//   SetSystemProperties
//   Property KEY=VALUE                 every record read through Next
//   Execute size=N flags=N class=C classpath=P args=none|N[ [A]...] reserved=N thread=main|other
//   ErrorInfo released
//   Released thread=main|other executor=none|ended|running
// "main" is the thread that called CreateInstance; "executor" is the thread of the last
// Execute call at the moment the VM's last reference was released.
#pragma once

// Exports besides DllGetClassObject and DllCanUnloadNow, for tests that load the DLL
// themselves (LoadLibrary, then GetProcAddress for ComVmConfigure, ComVmReset, ComVmRecord,
// ComVmFactoryReferences, ComVmObjectsAlive, ComVmExecuting and ComVmReleaseProperties).
extern "C" {
typedef void(__cdecl* ComVmConfigureFn)(const char* behaviour, const wchar_t* description);
typedef void(__cdecl* ComVmResetFn)();
// The record so far; the text stays valid until the next call into the stand-in.
typedef const char*(__cdecl* ComVmRecordFn)();
// References held on the class factory, VM objects alive, Execute calls in progress.
typedef long(__cdecl* ComVmCounterFn)();
// Reads a kept enumerator once more from the start ("Property" lines) and releases it.
// Returns the count that Release reported, or -1 when none was kept.
typedef long(__cdecl* ComVmReleasePropertiesFn)();
}
