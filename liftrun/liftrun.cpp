// Liftrun's argument handling and its four actions.
#include "liftrun/liftrun.h"
#include "liftrun/liftrun_tree.h"

#include <stdlib.h>
#include <string.h>

#include "actions/end_guard.h"
#include "shell/system_library.h"

LiftrunOpenThreadFunction OpenThreadEntry = LiftrunOpenThreadFallback;

HANDLE WINAPI LiftrunOpenThreadFallback(DWORD, BOOL, DWORD) { return nullptr; }

void BindLiftrunOpenThread() {
    FARPROC found = LinkedEntryPoint("Kernel32.dll", "OpenThread");
    OpenThreadEntry = found ? EntryPointAs<LiftrunOpenThreadFunction>(found) : LiftrunOpenThreadFallback;
}

LiftrunVerb ParseLiftrunVerb(const char *argument) {
    if (!argument) return VerbNone;
    if (lstrcmpiA(argument, "-close") == 0) return VerbClose;
    if (lstrcmpiA(argument, "-quit") == 0) return VerbQuit;
    if (lstrcmpiA(argument, "-killth") == 0) return VerbKillThread;
    if (lstrcmpiA(argument, "-killps") == 0) return VerbKillProcess;
    return VerbNone;
}

namespace {

// The C locale's white space, tested by value so that bytes above 127 are safe.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

LONG ParseLiftrunId(const char *argument) {
    if (!argument) return 0;
    const char *p = argument;
    while (IsBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // The magnitude stops growing once past the range, however many digits follow.
    const long long limit = 2147483648LL;
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= limit) magnitude = magnitude * 10 + (*p - '0');
    }
    if (negative) return magnitude >= limit ? (LONG)(-limit) : (LONG)(-magnitude);
    return magnitude >= limit ? (LONG)(limit - 1) : (LONG)magnitude;
}

size_t LiftrunMessageSize(int argc, char **argv, int first) {
    size_t size = 1;
    for (int i = first; i < argc; ++i) {
        size_t length = strlen(argv[i]);
        if (length >= (size_t)-1 - size - 1) return 0;
        size += length + 1;
    }
    return size;
}

void JoinLiftrunMessage(int argc, char **argv, int first, char *out) {
    char *end = out;
    for (int i = first; i < argc; ++i) {
        size_t length = strlen(argv[i]);
        memcpy(end, argv[i], length);
        end += length;
        *end++ = ' ';
    }
    *end = 0;
}

TargetOutcome CarryOutLiftrunAction(LiftrunVerb verb, LONG id, CreationTime creation) {
    switch (verb) {
    case VerbClose: return PostCloseIdentified(static_cast<HWND>(LongToHandle(id)), creation, nullptr);
    case VerbQuit: return PostQuitIdentified(OpenThreadEntry, (DWORD)id, creation, nullptr);
    case VerbKillThread: return TerminateThreadIdentified(OpenThreadEntry, (DWORD)id, creation, nullptr);
    case VerbKillProcess: return TerminateProcessIdentified((DWORD)id, creation, nullptr);
    default: return TargetDone;
    }
}

namespace {

// Whether Zorvane's command line carries the user's consent to end what
// Windows or the shell needs.
bool userAgreed = false;

// Checked again with the rights of the elevation: what is not ordinary is
// ended only with the user's consent, given in Zorvane before the prompt.
bool EndOnlyWithConsent(HANDLE held, bool isThread, DWORD processId, bool ended) {
    if (ended || userAgreed) return true;
    EndingRisk risk = isThread ? ThreadEndingRisk(held, processId) : ProcessEndingRisk(held, processId);
    return risk == EndingOrdinary;
}

}  // namespace

bool LiftrunConsentGiven(const char *argument) {
    if (!argument) return false;
    while (IsBlank(*argument)) ++argument;
    return *argument == '+';
}

int RunLiftrun(int argc, char **argv) {
    BindLiftrunOpenThread();
    SetEndingCheck(EndOnlyWithConsent);
    if (argc <= 3) return 0;
    size_t size = LiftrunMessageSize(argc, argv, 3);
    char *message = size ? static_cast<char *>(malloc(size)) : nullptr;
    if (!message) return 0;
    JoinLiftrunMessage(argc, argv, 3, message);
    LONG id = ParseLiftrunId(argv[2]);
    CreationTime creation = ParseIdentitySuffix(argv[2]);
    LiftrunVerb verb = ParseLiftrunVerb(argv[1]);
    userAgreed = LiftrunConsentGiven(argv[2]);
    TargetOutcome outcome = verb != VerbNone ? CarryOutLiftrunAction(verb, id, creation) : TargetDone;
    // A target left alive for want of consent is reported as not ended.
    bool failed = outcome == TargetFailed || outcome == TargetDeclined;
    if (IsKillTreeVerb(argv[1])) failed = !EndListedProcesses(argv[2]);
    if (failed) MessageBoxA(nullptr, message, "Zorvane", MB_OK);
    free(message);
    return 0;
}
