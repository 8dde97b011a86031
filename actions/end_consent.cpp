// The question Zorvane asks before an end that costs more than the program.
#include "actions/end_guard.h"

bool ConsentToEnding(HWND owner, EndingRisk risk, const char *programName) {
    (void)owner;
    (void)programName;
    // Until the user can be asked, what is not ordinary is refused.
    return risk == EndingOrdinary;
}
