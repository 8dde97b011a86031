// Stands in for the web browser in the shell tests: stores the address it was
// asked to open under HKCU\Software\ZorvaneShellTest, value "Opened", and ends.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "shell_support.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 1;
    const char *address = __argv[1];
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, ZV_RECORDER_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 2;
    LONG status = RegSetValueExA(key, ZV_RECORDER_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE *>(address),
                                 (DWORD)strlen(address) + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 0 : 3;
}
