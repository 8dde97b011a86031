// The display resolution override behind display_support.h.
#include "display_support.h"

namespace {

const char DesktopKey[] = "Control Panel\\Desktop";
const char LogPixelsValue[] = "LogPixels";

bool WriteLogPixels(DWORD dpi) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, DesktopKey, LogPixelsValue, REG_DWORD, &dpi, sizeof dpi) ==
           ERROR_SUCCESS;
}

}  // namespace

LogPixelsOverride::LogPixelsOverride(DWORD dpi) : previous(0), hadPrevious(false), ok_(false) {
    DWORD size = sizeof previous;
    hadPrevious = RegGetValueA(HKEY_CURRENT_USER, DesktopKey, LogPixelsValue, RRF_RT_REG_DWORD, nullptr,
                               &previous, &size) == ERROR_SUCCESS;
    ok_ = WriteLogPixels(dpi);
}

LogPixelsOverride::~LogPixelsOverride() {
    if (hadPrevious)
        WriteLogPixels(previous);
    else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, DesktopKey, LogPixelsValue);
}
