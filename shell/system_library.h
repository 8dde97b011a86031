// Libraries from the system folder only: the first step of every program, and
// every library that Zorvane, Liftrun and Stampwell load while they run.
#ifndef ZORVANE_SYSTEM_LIBRARY_H
#define ZORVANE_SYSTEM_LIBRARY_H

#include <windows.h>

// The first step of a program: later loads by name, and the imports of the
// libraries they bring, are searched for in the system folder only, never in
// the program's folder, the current folder or PATH.
void RestrictLibrarySearch();

// Loads a library of the system folder by its file name ("wininet.dll"); null
// when it is not there. Release it with FreeLibrary.
HMODULE LoadSystemLibrary(const char *name);

// An entry point of a system library the program links to, looked up by name;
// the library handle is released again (the module stays loaded). Null when
// missing.
FARPROC LinkedEntryPoint(const char *library, const char *name);

// An entry point taken as the function type it has.
template <typename Function> Function EntryPointAs(FARPROC entry) {
    return reinterpret_cast<Function>(reinterpret_cast<void *>(entry));
}

// Binds one entry point of a loaded library (or of none) by name; false when missing.
template <typename Function> bool BindEntryPoint(HMODULE library, const char *name, Function *entry) {
    *entry = library ? EntryPointAs<Function>(GetProcAddress(library, name)) : nullptr;
    return *entry != nullptr;
}

#endif
