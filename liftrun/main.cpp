// Program entry of Liftrun (placeholder until the elevated program lands).
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
