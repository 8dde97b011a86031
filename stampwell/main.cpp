// Program entry of Stampwell: a windowless set-up step that answers only through its exit code.
#include <windows.h>

#include "shell/system_library.h"
#include "stampwell/stamp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearch();
    return RunStampwell();
}
