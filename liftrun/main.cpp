// Program entry of Liftrun: repeats one failed action of Zorvane with the rights
// it was started with; no window of its own, exit code always 0.
#include <stdlib.h>

#include "liftrun/liftrun.h"
#include "shell/system_library.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearch();
    return RunLiftrun(__argc, __argv);
}
