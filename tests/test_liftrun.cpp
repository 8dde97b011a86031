// Liftrun as a black box against real targets (verbs in any case, too few
// arguments, unknown verbs, failure boxes with the joined message, exit code 0)
// and its argument handling in-process, with a seeded fuzz loop.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "actions_support.h"
#include "check.h"
#include "harness.h"
#include "liftrun/liftrun.h"

namespace {

// Starts Liftrun with the arguments; when a box comes it is read and closed.
// Returns Liftrun's exit code, -1 when it did not end.
long RunLiftrunProgram(const char *arguments, MessageBoxReading *reading, DWORD boxTimeoutMs) {
    Program liftrun;
    ZeroMemory(reading, sizeof *reading);
    if (!StartProgram("Liftrun.exe", arguments, &liftrun)) return -1;
    DWORD pid = liftrun.pid();
    bool boxed = false;
    WaitFor([&] { return (boxed = MessageBoxPresent(pid)) || !liftrun.running(); }, boxTimeoutMs);
    if (boxed && WaitForMessageBox(pid, 2000, reading)) AnswerMessageBox(reading->box, IDOK);
    long code = WaitExitCode(liftrun, 15000);
    liftrun.stop();
    return code;
}

// Liftrun's own argument reading, written out independently for the fuzz loop.
LONG ReferenceId(const char *text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    while (*text == '0') ++text;
    int digits = 0;
    long long value = 0;
    for (; text[digits] >= '0' && text[digits] <= '9'; ++digits)
        if (digits < 12) value = value * 10 + (text[digits] - '0');
    if (digits > 11) value = 99999999999LL;
    if (negative) value = -value;
    if (value > 2147483647LL) return 2147483647L;
    if (value < -2147483648LL) return -2147483647L - 1;
    return (LONG)value;
}

LiftrunVerb ReferenceVerb(const char *text) {
    const char *verbs[] = {"-close", "-quit", "-killth", "-killps"};
    for (int v = 0; v < 4; ++v) {
        size_t i = 0;
        for (; verbs[v][i] && text[i]; ++i) {
            char c = text[i] >= 'A' && text[i] <= 'Z' ? (char)(text[i] + 32) : text[i];
            if (c != verbs[v][i]) break;
        }
        if (!verbs[v][i] && !text[i]) return (LiftrunVerb)(v + 1);
    }
    return VerbNone;
}

unsigned FuzzRandom(unsigned long long *state) {
    *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
    return (unsigned)(*state >> 33);
}

void FuzzWord(unsigned long long *state, char *out, int capacity) {
    static const char *verbs[] = {"-close", "-quit", "-killth", "-killps"};
    unsigned kind = FuzzRandom(state) % 4;
    int length = 0;
    if (kind == 0) {
        // A verb with its letters in random case, sometimes one letter changed.
        const char *verb = verbs[FuzzRandom(state) % 4];
        for (; verb[length] && length < capacity - 1; ++length) {
            char c = verb[length];
            if (c >= 'a' && c <= 'z' && FuzzRandom(state) % 2) c = (char)(c - 32);
            out[length] = c;
        }
        if (FuzzRandom(state) % 4 == 0) out[FuzzRandom(state) % length] = (char)('a' + FuzzRandom(state) % 26);
    } else {
        static const char numeric[] = " \t+-0123456789";
        int wanted = (int)(FuzzRandom(state) % 30);
        for (; length < wanted && length < capacity - 1; ++length) {
            unsigned pick = FuzzRandom(state) % 10;
            out[length] = kind == 1 || pick < 7 ? numeric[FuzzRandom(state) % (sizeof numeric - 1)]
                                                : (char)(1 + FuzzRandom(state) % 255);
        }
    }
    out[length] = 0;
}

}  // namespace

// Each verb first with an identity the target does not have (another creation
// time after the id: nothing is touched, no box), then with its own, then, on a
// fresh target, with the id alone as before.
TEST_CASE(verbs_in_any_case_act_on_real_targets) {
    struct Case {
        const char *verb;
        int on;  // 0 frame handle, 1 worker thread id, 2 process id
        long targetCode;
    } cases[] = {
        // Each verb once, in another letter case each time.
        {"-close", 0, TargetFrameClosed},
        {"-QUIT", 1, TargetWorkerQuit},
        {"-KillTh", 1, TargetWorkerKilled},
        {"-kILLps", 2, 0},
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (const Case &c : cases) {
            ActionTarget target;
            CHECK(StartActionTarget("Liftrun target", 120, 120, 300, 200, "", &target));
            LONG id = c.on == 0 ? HandleToLong(target.frame)
                      : c.on == 1 ? (LONG)target.workerThread
                                  : (LONG)target.program.pid();
            HANDLE worker = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, target.workerThread);
            CreationTime creation = c.on == 1 ? ThreadCreationTime(worker)
                                              : CurrentProcessCreationTime(target.program.pid(), nullptr);
            CloseHandle(worker);
            CHECK(creation != 0);
            char arguments[200];
            MessageBoxReading reading;
            if (pass == 0) {
                snprintf(arguments, sizeof arguments, "%s %ld:%llu Unable to do it.", c.verb, (long)id, creation + 1);
                CHECK_EQ(0, RunLiftrunProgram(arguments, &reading, 15000));
                CHECK(!reading.box);
                CHECK(target.program.running() && IsWindow(target.frame) && IsWindow(target.worker));
                snprintf(arguments, sizeof arguments, "%s %ld:%llu Unable to do it.", c.verb, (long)id, creation);
            } else {
                snprintf(arguments, sizeof arguments, "%s %ld Unable to do it.", c.verb, (long)id);
            }
            long code = RunLiftrunProgram(arguments, &reading, 15000);
            long targetCode = WaitExitCode(target.program, 10000);
            target.stop();
            CHECK(!reading.box);
            CHECK_EQ(0, code);
            CHECK_EQ(c.targetCode, targetCode);
        }
    }
}

TEST_CASE(too_few_arguments_or_unknown_verb_do_nothing) {
    ActionTarget target;
    CHECK(StartActionTarget("Liftrun idle", 120, 120, 300, 200, "", &target));
    char frame[40], pid[40];
    snprintf(frame, sizeof frame, "%ld", (long)HandleToLong(target.frame));
    snprintf(pid, sizeof pid, "%lu", target.program.pid());
    char lines[6][200];
    snprintf(lines[0], 200, "%s", "");
    snprintf(lines[1], 200, "-close");
    snprintf(lines[2], 200, "-close %s", frame);  // verb and id, no message
    snprintf(lines[3], 200, "-killps %s", pid);
    snprintf(lines[4], 200, "-open %s Unable to open.", frame);
    snprintf(lines[5], 200, "killps %s Unable to kill.", pid);
    long codes[6];
    bool boxes = false;
    for (int i = 0; i < 6; ++i) {
        MessageBoxReading reading;
        codes[i] = RunLiftrunProgram(lines[i], &reading, 15000);
        boxes = boxes || reading.box;
    }
    bool alive = target.program.running() && IsWindow(target.frame) && IsWindow(target.worker);
    target.stop();
    for (long code : codes) CHECK_EQ(0, code);
    CHECK(!boxes);
    CHECK(alive);
}

TEST_CASE(failures_show_the_joined_message) {
    struct Case {
        const char *arguments;
        const char *utf8Text;
    } cases[] = {
        {"-close abc Unable to close selected Window.", "Unable to close selected Window. "},
        {"-CLOSE 65535 Not a broadcast", "Not a broadcast "},
        {"-quit -2147483648 a  b   \"quoted words\" c", "a b quoted words c "},
        {"-killth 99999999999999999999999 too long", "too long "},
        {"-killps -1 Impossible de tuer ce processus.\nVous n'avez pas les droits nécessaires.",
         "Impossible de tuer ce processus.\nVous n'avez pas les droits nécessaires. "},
    };
    for (const Case &c : cases) {
        char arguments[300], expected[300];
        Utf8ToAnsi(c.arguments, arguments, sizeof arguments);
        Utf8ToAnsi(c.utf8Text, expected, sizeof expected);
        MessageBoxReading reading;
        long code = RunLiftrunProgram(arguments, &reading, 15000);
        CHECK(reading.box != nullptr);
        CHECK_STR(expected, reading.text);
        CHECK_STR("Zorvane", reading.caption);
        CHECK(reading.ok && !reading.retry && !reading.cancel);
        CHECK_EQ(0, code);
    }
}

TEST_CASE(kill_thread_without_open_thread_fails) {
    ActionTarget target;
    CHECK(StartActionTarget("Liftrun no OpenThread", 120, 120, 300, 200, "", &target));
    OpenThreadEntry = LiftrunOpenThreadFallback;
    bool killed = CarryOutLiftrunAction(VerbKillThread, (LONG)target.workerThread) == TargetDone;
    bool alive = WaitExitCode(target.program, 300) == -1;
    BindLiftrunOpenThread();
    bool bound = OpenThreadEntry != LiftrunOpenThreadFallback;
    target.stop();
    CHECK(!killed);
    CHECK(alive);
    CHECK(bound);
}

TEST_CASE(id_and_verb_reading) {
    struct IdCase {
        const char *text;
        LONG id;
    } ids[] = {
        {"42", 42},        {"  \t42", 42},  {"+7", 7},         {"-0", 0},
        {"12abc", 12},     {"abc", 0},      {"", 0},           {"\n-13x", -13},
        {"- 5", 0},        {"0x10", 0},     {"2147483647", 2147483647L},
        {"2147483648", 2147483647L},        {"-2147483648", -2147483647L - 1},
        {"-2147483649", -2147483647L - 1},  {"000000000000000000000000123", 123},
        {"99999999999999999999999999999999999999", 2147483647L},
    };
    for (const IdCase &c : ids) CHECK_EQ(c.id, ParseLiftrunId(c.text));
    CHECK_EQ(VerbClose, ParseLiftrunVerb("-ClOsE"));
    CHECK_EQ(VerbQuit, ParseLiftrunVerb("-QUIT"));
    CHECK_EQ(VerbKillThread, ParseLiftrunVerb("-KILLTH"));
    CHECK_EQ(VerbKillProcess, ParseLiftrunVerb("-killPS"));
    CHECK_EQ(VerbNone, ParseLiftrunVerb("-kill"));
    CHECK_EQ(VerbNone, ParseLiftrunVerb("close"));
    CHECK_EQ(VerbNone, ParseLiftrunVerb("-close "));
}

TEST_CASE(argument_handling_fuzz) {
    unsigned long long state = 20240611;
    char words[8][32];
    char *argv[8];
    char joined[8 * 33 + 1];
    for (int round = 0; round < 20000; ++round) {
        int argc = (int)(FuzzRandom(&state) % 8);
        char reference[8 * 33 + 1] = "";
        for (int i = 0; i < argc; ++i) {
            FuzzWord(&state, words[i], sizeof words[i]);
            argv[i] = words[i];
        }
        int first = (int)(FuzzRandom(&state) % 5);
        for (int i = first; i < argc; ++i) {
            strcat(reference, argv[i]);
            strcat(reference, " ");
        }
        size_t size = LiftrunMessageSize(argc, argv, first);
        CHECK_EQ(strlen(reference) + 1, size);
        // The join writes exactly the size it announced: the guard bytes stay.
        memset(joined, 0x5A, sizeof joined);
        JoinLiftrunMessage(argc, argv, first, joined);
        CHECK_STR(reference, joined);
        for (size_t i = size; i < sizeof joined; ++i) CHECK_EQ(0x5A, (unsigned char)joined[i]);
        for (int i = 0; i < argc; ++i) {
            CHECK_EQ(ReferenceId(argv[i]), ParseLiftrunId(argv[i]));
            CHECK_EQ(ReferenceVerb(argv[i]), ParseLiftrunVerb(argv[i]));
        }
        // With three arguments or fewer a run does nothing and ends with 0.
        if (argc <= 3) CHECK_EQ(0, RunLiftrun(argc, argv));
    }
}
