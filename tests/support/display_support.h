// The display resolution (DPI) that Wine gives the programs a test starts.
#ifndef ZV_DISPLAY_SUPPORT_H
#define ZV_DISPLAY_SUPPORT_H

#include <windows.h>

// While it lives, programs started afterwards see the display at the DPI
// (Wine reads HKCU\Control Panel\Desktop "LogPixels" once per process); the
// previous value, or its absence, is put back at the end of the scope.
class LogPixelsOverride {
public:
    explicit LogPixelsOverride(DWORD dpi);
    ~LogPixelsOverride();
    bool ok() const { return ok_; }

private:
    DWORD previous;
    bool hadPrevious;
    bool ok_;
};

#endif
