// The five actions and their failure report, run inside this process against
// the action target program: effects, the localised box with Retry and shield,
// OK only on older systems, the Liftrun retry, and the Liftrun command line.
#include <stdio.h>
#include <string.h>

#include "actions/actions.h"
#include "actions_support.h"
#include "check.h"
#include "harness.h"
#include "liftrun/liftrun.h"
#include "shell/application.h"
#include "shell/winutil.h"

namespace {

struct ReportJob {
    UINT messageId;
    const char *verb;
    LONG id;
    CreationTime creation;
};

void RunReportJob(void *context) {
    ReportJob *job = static_cast<ReportJob *>(context);
    ReportActionFailure(job->messageId, job->verb, job->id, job->creation);
}

TargetWindow TargetOf(HWND frame, DWORD threadId, DWORD processId) {
    TargetWindow target;
    ZeroMemory(&target, sizeof target);
    target.pointedWindow = frame;
    target.frameWindow = frame;
    target.threadId = threadId;
    target.processId = processId;
    return target;
}

// Runs the job on Zorvane's user-interface thread; when a box comes it is read
// and answered with the button. Returns whether a box came within the time.
bool RunAndAnswer(void (*job)(void *), void *context, int answer, MessageBoxReading *reading,
                  DWORD boxTimeoutMs = 10000) {
    UiThread ui;
    if (!StartUiThread(job, context, &ui)) return false;
    bool shown = WaitForMessageBox(GetCurrentProcessId(), boxTimeoutMs, reading);
    if (shown) {
        // The shield step runs 100 ms after the box appears.
        if (reading->retry) WaitFor([] { return ShieldMessagesSeen() > 0; }, 15000);
        AnswerMessageBox(reading->box, answer);
    }
    ui.finish(10000);
    return shown;
}

struct LocalisedMessage {
    LONG locale;
    UINT id;
    const char *utf8;
};

const LocalisedMessage Messages[] = {
    {1036, 202, "Impossible de fermer normalement cette fenêtre."},
    {1036, 203, "Impossible de quitter normalement cette fenêtre."},
    {1036, 204, "Impossible de tuer ce processus leger.\nVous n'avez pas les droits nécessaires."},
    {1036, 205, "Impossible de tuer ce processus.\nVous n'avez pas les droits nécessaires."},
    {1033, 202, "Unable to close selected Window."},
    {1033, 203, "Unable to quit selected Window."},
    {1033, 204, "Unable to kill selected Window thread."},
    {1033, 205, "Unable to kill selected Window process."},
    {1031, 202, "Es war nicht möglich das ausgewählte Fenster zu schließen!"},
    {1031, 203, "Es war nicht möglich den Thread des ausgewählten Fensters zu beenden!"},
    {1031, 204, "Es war nicht möglich den Thread des ausgewählten Fensters auszulöschen!"},
    {1031, 205, "Es war nicht möglich den Prozess des ausgewählten Fensters auszulöschen!"},
};

}  // namespace

TEST_CASE(values_outside_the_actions_do_nothing) {
    CHECK(PrepareInProcessZorvane(1033, 6));
    ActionTarget target;
    CHECK(StartActionTarget("Action effect", 100, 100, 300, 200, "", &target));
    bool results = true, boxed = false;
    const LONG actions[] = {999, 1005, -1};
    for (LONG action : actions) {
        ActionJob job = {action, TargetOf(target.frame, target.mainThread, target.program.pid()), false};
        MessageBoxReading reading;
        boxed = RunAndAnswer(RunActionJob, &job, IDCANCEL, &reading, 200) || boxed;
        results = results && job.result;
    }
    long code = WaitExitCode(target.program, 300);
    bool untouched = IsWindowVisible(target.frame) && IsWindowVisible(target.worker);
    target.stop();
    CHECK(results);
    CHECK(!boxed);
    CHECK_EQ(-1, code);
    CHECK(untouched);
}

TEST_CASE(failure_messages_in_each_language) {
    for (const LocalisedMessage &m : Messages) {
        CHECK(PrepareInProcessZorvane(m.locale, 6));
        char expected[512], loaded[100];
        Utf8ToAnsi(m.utf8, expected, sizeof expected);
        LoadLocalString(m.id, loaded, sizeof loaded);
        CHECK_STR(expected, loaded);
    }
}

TEST_CASE(failures_show_localised_box_with_retry_and_shield) {
    HWND goneWindow = DestroyedWindow();
    DWORD goneThread = EndedThreadId();
    DWORD goneProcess = EndedProcessId();
    CHECK(goneProcess != 0);
    // Each failure once, in turn in each language.
    for (int i = 0; i < 4; ++i) {
        const LocalisedMessage &m = Messages[(i * 5) % 12];
        CHECK(PrepareInProcessZorvane(m.locale, 6));
        LONG action = (LONG)(m.id - 202 + Close);
        ActionJob job = {action, TargetOf(goneWindow, goneThread, goneProcess), true};
        ResetShieldMessagesSeen();
        MessageBoxReading reading;
        bool boxed = RunAndAnswer(RunActionJob, &job, IDCANCEL, &reading);
        char expected[512];
        Utf8ToAnsi(m.utf8, expected, sizeof expected);
        CHECK(boxed);
        CHECK_STR(expected, reading.text);
        CHECK_STR("Zorvane", reading.caption);
        CHECK(reading.retry && reading.cancel && !reading.ok);
        CHECK_EQ(1, ShieldMessagesSeen());
        CHECK(!job.result);
    }
}

TEST_CASE(older_system_gives_ok_only_and_no_shield) {
    CHECK(PrepareInProcessZorvane(1033, 5));
    CHECK(!CanElevate());
    ActionJob job = {Quit, TargetOf(nullptr, EndedThreadId(), 0), true};
    ResetShieldMessagesSeen();
    MessageBoxReading reading;
    bool boxed = RunAndAnswer(RunActionJob, &job, IDOK, &reading);
    CHECK(boxed);
    CHECK_STR("Unable to quit selected Window.", reading.text);
    CHECK(reading.ok && !reading.retry && !reading.cancel);
    CHECK_EQ(0, ShieldMessagesSeen());
    CHECK(!job.result);
    // Platform other than NT: no elevation either.
    App().OsVersion.platformId = VER_PLATFORM_WIN32_WINDOWS;
    App().OsVersion.major = 6;
    CHECK(!CanElevate());
}

TEST_CASE(hide_never_shows_box) {
    CHECK(PrepareInProcessZorvane(1036, 6));
    ActionJob job = {Hide, TargetOf(DestroyedWindow(), 0, 0), false};
    MessageBoxReading reading;
    CHECK(!RunAndAnswer(RunActionJob, &job, IDCANCEL, &reading, 500));
    CHECK(job.result);
}

TEST_CASE(missing_open_thread_fails_kill_thread) {
    CHECK(PrepareInProcessZorvane(1033, 6));
    App().OpenThreadEntry = OpenThreadFallback;
    ActionTarget target;
    CHECK(StartActionTarget("No OpenThread", 100, 100, 300, 200, "", &target));
    ActionJob job = {KillThread, TargetOf(target.worker, target.workerThread, target.program.pid()), true};
    MessageBoxReading reading;
    bool boxed = RunAndAnswer(RunActionJob, &job, IDCANCEL, &reading);
    bool alive = WaitExitCode(target.program, 300) == -1 && IsWindow(target.worker);
    target.stop();
    App().OpenThreadEntry = BindOpenThread();
    CHECK(boxed);
    CHECK_STR("Unable to kill selected Window thread.", reading.text);
    CHECK(reading.retry);
    CHECK(!job.result);
    CHECK(alive);
}

TEST_CASE(retry_starts_liftrun_which_closes_the_window) {
    CHECK(PrepareInProcessZorvane(1033, 6));
    ActionTarget target;
    CHECK(StartActionTarget("Retry close", 100, 100, 300, 200, "", &target));
    ReportJob job = {202, "-close", HandleToLong(target.frame), 0};
    MessageBoxReading reading;
    bool boxed = RunAndAnswer(RunReportJob, &job, IDRETRY, &reading);
    long code = WaitExitCode(target.program, 15000);
    target.stop();
    CHECK(boxed);
    CHECK_EQ(TargetFrameClosed, code);
}

TEST_CASE(retry_hands_liftrun_the_message_shown) {
    CHECK(PrepareInProcessZorvane(1036, 6));
    ActionTarget target;
    CHECK(StartActionTarget("Retry protected", 100, 100, 300, 200, "protect", &target));
    ReportJob job = {205, "-killps", (LONG)target.program.pid(), 0};
    MessageBoxReading zorvaneBox, liftrunBox;
    bool boxed = RunAndAnswer(RunReportJob, &job, IDRETRY, &zorvaneBox);
    // Liftrun cannot open the protected process either and shows the same text.
    bool liftrunBoxed = WaitForMessageBox(0, 15000, &liftrunBox) && liftrunBox.processId != GetCurrentProcessId();
    char image[MAX_PATH], expectedImage[MAX_PATH];
    ProcessImagePath(liftrunBox.processId, image, sizeof image);
    BinPath("Liftrun.exe", expectedImage, sizeof expectedImage);
    HANDLE liftrun = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, liftrunBox.processId);
    if (liftrunBoxed) AnswerMessageBox(liftrunBox.box, IDOK);
    DWORD liftrunCode = 99;
    bool liftrunEnded = liftrun && WaitForSingleObject(liftrun, 15000) == WAIT_OBJECT_0 &&
                        GetExitCodeProcess(liftrun, &liftrunCode);
    if (liftrun) CloseHandle(liftrun);
    bool targetAlive = target.program.running();
    target.stop();
    char expected[512];
    Utf8ToAnsi("Impossible de tuer ce processus.\nVous n'avez pas les droits nécessaires. ", expected,
               sizeof expected);
    CHECK(boxed);
    CHECK(liftrunBoxed);
    CHECK_EQ(0, lstrcmpiA(expectedImage, image));
    CHECK_STR(expected, liftrunBox.text);
    CHECK_STR("Zorvane", liftrunBox.caption);
    CHECK(liftrunBox.ok && !liftrunBox.retry);
    CHECK(liftrunEnded);
    CHECK_EQ(0, liftrunCode);
    CHECK(targetAlive);
}

// The box names the process by its id and creation time: when the process
// ends while the box is open and its id is given out, Retry starts nothing.
TEST_CASE(retry_leaves_a_process_given_the_failed_ones_id_alone) {
    CHECK(PrepareInProcessZorvane(1033, 6));
    ActionTarget target;
    CHECK(StartActionTarget("Retry replaced", 100, 100, 300, 200, "protect", &target));
    DWORD id = target.program.pid();
    ActionJob job = {KillProcess, TargetOf(target.frame, target.mainThread, id), true};
    UiThread ui;
    CHECK(StartUiThread(RunActionJob, &job, &ui));
    MessageBoxReading reading;
    bool boxed = WaitForMessageBox(GetCurrentProcessId(), 10000, &reading);
    PostMessageA(target.frame, WM_CLOSE, 0, 0);  // the program ends by itself
    bool ended = WaitExitCode(target.program, 10000) == TargetFrameClosed;
    target.stop();
    Program bystander;
    bool placed = StartBystanderOnId(id, &bystander);
    if (boxed) AnswerMessageBox(reading.box, IDRETRY);
    ui.finish(10000);
    CHECK(boxed && ended && placed);
    CHECK(!WaitFor([] { return CountProcesses("Liftrun.exe") > 0; }, 3000));
    CHECK(bystander.running());
    CHECK(!job.result);
}

TEST_CASE(liftrun_is_found_beside_zorvane) {
    char path[MAX_PATH], expected[MAX_PATH];
    CHECK(LiftrunProgramPath(path, sizeof path));
    BinPath("Liftrun.exe", expected, sizeof expected);
    CHECK_STR(expected, path);
    char tooSmall[8];
    CHECK(!LiftrunProgramPath(tooSmall, sizeof tooSmall));
}

TEST_CASE(command_line_carries_ids_and_creation_times_unchanged) {
    char line[200];
    CHECK(FormatLiftrunCommandLine("-close", 460, 0, "Unable to close selected Window.", line, sizeof line));
    CHECK_STR("-close 460 Unable to close selected Window.", line);
    CHECK(!FormatLiftrunCommandLine("-close", 460, 0, "Unable to close selected Window.", line, 20));
    CHECK(FormatLiftrunCommandLine("-killps", 460, 18446744073709551615ull, "m", line, sizeof line));
    CHECK_STR("-killps 460:18446744073709551615 m", line);
    HWND own = CreateWindowExA(0, "STATIC", "id", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const LONG ids[] = {0, 1, -1, 460, 2147483647L, -2147483647L - 1, HandleToLong(own), -123456789};
    for (int n = 0; n < 16; ++n) {
        LONG id = ids[n % 8];
        CreationTime creation = n < 8 ? 0 : 133456789012345678ull + n;
        CHECK(FormatLiftrunCommandLine("-killps", id, creation, "a  b", line, sizeof line));
        // Split by the program-argument rules, as Liftrun's start-up does.
        WCHAR wide[200];
        MultiByteToWideChar(CP_ACP, 0, line, -1, wide, 200);
        WCHAR full[220] = L"Liftrun.exe ";
        lstrcatW(full, wide);
        int count = 0;
        LPWSTR *arguments = CommandLineToArgvW(full, &count);
        CHECK(arguments && count == 5);
        char idText[40];
        WideCharToMultiByte(CP_ACP, 0, arguments[2], -1, idText, sizeof idText, nullptr, nullptr);
        LocalFree(arguments);
        // A reader of the id alone still reads the same id.
        CHECK_EQ(id, ParseLiftrunId(idText));
        CHECK(creation == ParseIdentitySuffix(idText));
    }
    CHECK(LongToHandle(HandleToLong(own)) == own);
    DestroyWindow(own);
}
