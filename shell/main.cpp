// Program entry of Zorvane.
#include <windows.h>

#include "shell/application.h"
#include "shell/system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
    RestrictLibrarySearch();
    return RunZorvane(instance, GetCommandLineA(), showState);
}
