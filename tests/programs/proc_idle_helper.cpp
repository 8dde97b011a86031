// Test helper without any window: "<parent pid>". Waits until the test process
// that started it ends (five minutes at most), then ends with code 3.
#include <windows.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, strtoul(commandLine, nullptr, 10));
    if (!parent) return 2;
    WaitForSingleObject(parent, 300000);
    return 3;
}
