// The test runner behind check.h.
#include "check.h"

#include <windows.h>

#include "harness.h"

namespace {

struct Registered {
    const char *name;
    TestFunction function;
};

Registered registered[256];
int registeredCount = 0;
bool currentFailed = false;

}  // namespace

TestRegistration::TestRegistration(const char *name, TestFunction function) {
    if (registeredCount < 256) registered[registeredCount++] = {name, function};
}

bool CheckFailed(const char *file, int line, const char *text) {
    currentFailed = true;
    printf("    %s:%d: check failed: %s\n", file, line, text);
    fflush(stdout);
    return false;
}

int RunAllTests(int argc, char **argv) {
    int passed = 0, failed = 0;
    const char *filter = argc > 1 ? argv[1] : nullptr;
    for (int i = 0; i < registeredCount; ++i) {
        if (filter && !strstr(registered[i].name, filter)) continue;
        currentFailed = false;
        printf("%s ...\n", registered[i].name);
        fflush(stdout);
        DWORD start = GetTickCount();
        {
            // Ends what a failed check left running before the next case.
            CaseScope scope;
            registered[i].function();
        }
        printf("%s: %s (%lu ms)\n", registered[i].name, currentFailed ? "FAILED" : "ok",
               (unsigned long)(GetTickCount() - start));
        fflush(stdout);
        if (currentFailed) ++failed; else ++passed;
    }
    printf("%d passed, %d failed\n", passed, failed);
    fflush(stdout);
    return failed == 0 && passed > 0 ? 0 : 1;
}
