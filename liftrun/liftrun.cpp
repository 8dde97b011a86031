// Liftrun's argument handling and actions (placeholder).
#include <windows.h>
