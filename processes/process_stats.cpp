// Process snapshot and statistics (placeholder until the process list work lands).
#include "processes/process_stats.h"

int FillProcessList(HWND) { return 0; }
void QueryProcessStats(DWORD, DWORD *, DWORD *) {}
void AddProcessRow(HWND, DWORD, const char *, DWORD, DWORD) {}
void FormatCpuTime(DWORD, char *out) { out[0] = 0; }
void FormatWorkingSet(DWORD, char *out) { out[0] = 0; }
void FormatProcessId(DWORD, char *out) { out[0] = 0; }
