// Test helper without any window: "<file> <ready marker> <seconds>". Opens the
// file shared for reading only, so that no other program can write, rename or
// delete it, creates the ready marker, and holds the file for the given time.
#include <windows.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 4) return 8;
    HANDLE file = CreateFileA(__argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    HANDLE marker = CreateFileA(__argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 3;
    CloseHandle(marker);
    Sleep(static_cast<DWORD>(atoi(__argv[3])) * 1000);
    CloseHandle(file);
    return 0;
}
