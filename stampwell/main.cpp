// Program entry of Stampwell (placeholder until the stamping tool lands).
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
