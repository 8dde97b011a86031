// Program entry of Zorvane.
#include <windows.h>

#include "shell/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
    return RunZorvane(instance, GetCommandLineA(), showState);
}
