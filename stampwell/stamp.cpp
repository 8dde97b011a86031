// Manifest stamping (placeholder).
#include <windows.h>
