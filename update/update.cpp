// Update check (placeholder until the update work lands).
#include "update/update.h"

UpdateClient::UpdateClient() : internet(nullptr) {}
UpdateClient::~UpdateClient() {}
UpdateCheckResult CheckForUpdate(UpdateClient *, const char *) { return NotConnected; }
bool ReadOwnVersion(const char *, char *out, int) { out[0] = 0; return false; }
int CompareVersionTexts(char *, char *) { return -21; }
void RunUpdateCheck() {}
