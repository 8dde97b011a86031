// Guardrails on every end of a process or thread: the system's own processes
// (Wine's services.exe in the system folder) are asked about first and left
// running on No, from a capture's action and from the list; a look-alike of
// the same name elsewhere is ended unasked; Liftrun checks again; the shell is
// restarted. And a program that stops reading its messages: Close offers to end
// it while Zorvane keeps answering, and one that asks to save is never offered.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

#include "actions/actions.h"
#include "actions/end_guard.h"
#include "actions_support.h"
#include "check.h"
#include "harness.h"
#include "liftrun/liftrun.h"
#include "process_list_support.h"
#include "selection_support.h"
#include "shell/application.h"

namespace {

const DWORD Timeout = 20000;

// The process of the system's own services.exe (by its full path), or 0.
DWORD SystemServicesId() {
    char expected[MAX_PATH];
    GetSystemDirectoryA(expected, sizeof expected);
    lstrcatA(expected, "\\services.exe");
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, "services.exe") != 0) continue;
        char path[MAX_PATH];
        ProcessImagePath(entry.th32ProcessID, path, sizeof path);
        if (lstrcmpiA(path, expected) == 0) found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

// One thread of the process, or 0.
DWORD ThreadOf(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more && !found; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId) found = entry.th32ThreadID;
    CloseHandle(snapshot);
    return found;
}

EndingRisk RiskOf(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    EndingRisk risk = ProcessEndingRisk(process, processId);
    if (process) CloseHandle(process);
    return risk;
}

// Carries the action out on Zorvane's user-interface thread, with Zorvane's
// own ending check; a box that comes before the action is done (within the
// time) is read and answered. Returns whether a box came.
bool ActAndAnswer(ActionJob *job, int answer, MessageBoxReading *reading, DWORD boxTimeoutMs) {
    if (!PrepareInProcessZorvane(1033, 10)) return false;
    SetEndingCheck(AskBeforeEnding);
    UiThread ui;
    if (!StartUiThread(RunActionJob, job, &ui)) return false;
    DWORD self = GetCurrentProcessId();
    WaitFor([&] { return ui.done || MessageBoxPresent(self); }, boxTimeoutMs);
    bool shown = !ui.done && WaitForMessageBox(self, Timeout, reading);
    if (shown) AnswerMessageBox(reading->box, answer);
    ui.finish(Timeout);
    SetEndingCheck(nullptr);
    return shown;
}

ActionJob JobOn(LONG action, DWORD threadId, DWORD processId) {
    ActionJob job;
    ZeroMemory(&job, sizeof job);
    job.action = action;
    job.target.threadId = threadId;
    job.target.processId = processId;
    return job;
}

}  // namespace

TEST_CASE(the_system_s_own_processes_are_asked_about_and_no_leaves_them_running) {
    DWORD services = SystemServicesId();
    CHECK(services != 0);
    CHECK_EQ(EndingStopsWindows, RiskOf(services));
    CHECK_EQ(EndingStopsWindows, RiskOf(4));  // the System process, which has no image

    ActionJob kill = JobOn(KillProcess, 0, services);
    MessageBoxReading reading;
    CHECK(ActAndAnswer(&kill, IDNO, &reading, Timeout));
    CHECK(strstr(reading.text, "Ending services.exe stops Windows at once") != nullptr);
    CHECK(!kill.result);

    DWORD thread = ThreadOf(services);
    CHECK(thread != 0);
    ActionJob killThread = JobOn(KillThread, thread, services);
    CHECK(ActAndAnswer(&killThread, IDNO, &reading, Timeout));
    CHECK(strstr(reading.text, "Ending this thread of services.exe stops Windows") != nullptr);
    CHECK(!ProcessGone(services) && CurrentThreadCreationTime(App().OpenThreadEntry, thread, nullptr) != 0);
    // No failure box follows a No.
    CHECK(!MessageBoxPresent(GetCurrentProcessId()));
}

TEST_CASE(a_look_alike_outside_the_system_folder_is_ended_without_a_question) {
    char path[MAX_PATH];
    CHECK(CopyProgramAs("action_target.exe", "guard", "csrss.exe", path, sizeof path));
    ActionTarget target;
    CHECK(StartActionTarget("Zv look-alike", 100, 100, 300, 150, "", &target, path));
    CHECK_EQ(EndingOrdinary, RiskOf(target.program.pid()));

    MessageBoxReading reading;
    ActionJob killThread = JobOn(KillThread, target.workerThread, target.program.pid());
    CHECK(!ActAndAnswer(&killThread, IDNO, &reading, Timeout));
    CHECK(killThread.result);
    CHECK_EQ(TargetWorkerKilled, WaitExitCode(target.program, Timeout));

    ActionTarget again;
    CHECK(StartActionTarget("Zv look-alike", 100, 100, 300, 150, "alone", &again, path));
    ActionJob kill = JobOn(KillProcess, 0, again.program.pid());
    CHECK(!ActAndAnswer(&kill, IDNO, &reading, Timeout));
    CHECK(kill.result);
    CHECK_EQ(0, WaitExitCode(again.program, Timeout));
}

TEST_CASE(liftrun_ends_what_windows_needs_only_with_the_user_s_consent) {
    // The consent is the id's plus sign, which an older reader takes as a sign.
    char line[200];
    CHECK(FormatLiftrunCommandLine("-killps", 1234, 5678, "Unable", line, sizeof line, true));
    CHECK_STR("-killps +1234:5678 Unable", line);
    CHECK(FormatLiftrunCommandLine("-killps", 1234, 0, "Unable", line, sizeof line, false));
    CHECK_STR("-killps 1234 Unable", line);
    CHECK(LiftrunConsentGiven(" +1234:5678") && !LiftrunConsentGiven("1234:5678"));
    CHECK_EQ(1234, ParseLiftrunId("+1234:5678"));
    CHECK_EQ(5678, (long long)ParseIdentitySuffix("+1234:5678"));

    DWORD services = SystemServicesId();
    CHECK(services != 0);
    char arguments[200];
    snprintf(arguments, sizeof arguments, "-killps %lu Unable to kill selected Window process.", services);
    Program liftrun;
    CHECK(StartProgram("Liftrun.exe", arguments, &liftrun));
    MessageBoxReading reading;
    CHECK(WaitForMessageBox(liftrun.pid(), Timeout, &reading));
    CHECK(strstr(reading.text, "Unable to kill selected Window process.") != nullptr);
    AnswerMessageBox(reading.box, IDOK);
    CHECK(liftrun.waitExit(Timeout));
    CHECK(!ProcessGone(services));

    // A look-alike is ordinary: ended with or without the mark.
    char path[MAX_PATH];
    CHECK(CopyProgramAs("action_target.exe", "guard", "csrss.exe", path, sizeof path));
    ActionTarget target;
    CHECK(StartActionTarget("Zv look-alike", 100, 100, 300, 150, "alone", &target, path));
    snprintf(arguments, sizeof arguments, "-killps %lu Unable", target.program.pid());
    Program again;
    CHECK(StartProgram("Liftrun.exe", arguments, &again));
    CHECK_EQ(0, WaitExitCode(target.program, Timeout));
    CHECK(again.waitExit(Timeout) && !MessageBoxPresent(again.pid()));
}

TEST_CASE(the_shell_is_asked_about_and_started_again) {
    Program shell;
    CHECK(StartProgram("shell_stand_in.exe", "", &shell));
    CHECK(WaitFor([&] {
        DWORD owner = 0;
        GetWindowThreadProcessId(GetShellWindow(), &owner);
        return owner == shell.pid();
    }, Timeout));
    CHECK_EQ(EndingShell, RiskOf(shell.pid()));

    ActionJob declined = JobOn(KillProcess, 0, shell.pid());
    MessageBoxReading reading;
    CHECK(ActAndAnswer(&declined, IDNO, &reading, Timeout));
    CHECK(strstr(reading.text, "shell_stand_in.exe runs the desktop and the taskbar") != nullptr);
    CHECK(shell.running());

    ActionJob restart = JobOn(KillProcess, 0, shell.pid());
    CHECK(ActAndAnswer(&restart, IDYES, &reading, Timeout));
    CHECK(shell.waitExit(Timeout));
    // Its successor, started from the same image, holds the shell window again.
    DWORD successor = 0;
    CHECK(WaitFor([&] {
        GetWindowThreadProcessId(GetShellWindow(), &successor);
        return successor && successor != shell.pid();
    }, Timeout));
    HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, successor);
    char path[MAX_PATH], image[MAX_PATH];
    ProcessImagePath(successor, image, sizeof image);
    BinPath("shell_stand_in.exe", path, sizeof path);
    if (process) TerminateProcess(process, 0);
    if (process) CloseHandle(process);
    CHECK(lstrcmpiA(path, image) == 0);
}

TEST_CASE(kill_from_the_list_asks_about_services_and_no_leaves_it_running) {
    DWORD services = SystemServicesId();
    CHECK(services != 0);
    ResetZorvaneRegistry();
    SetPreferenceDword("Langage", 1033);
    Program zorvane;
    HWND main = nullptr;
    CHECK(StartZorvane("-l", &zorvane, &main));
    HWND dialog = WaitForProcessDialog(zorvane.pid(), nullptr, Timeout, 1007);
    RemoteListView list;
    CHECK(dialog && list.open(GetDlgItem(dialog, 1007)));
    int row = list.rowOfProcess(services);
    CHECK(row >= 0);
    list.selectNone();
    CHECK(list.select(row, true));
    ClickControl(GetDlgItem(dialog, 1011));  // Kill
    MessageBoxReading reading;
    CHECK(WaitForMessageBox(zorvane.pid(), Timeout, &reading));
    CHECK(strstr(reading.text, "Ending services.exe stops Windows at once") != nullptr);
    AnswerMessageBox(reading.box, IDNO);
    // The row stays, deselected, without a failure box; services.exe runs on.
    CHECK(WaitFor([&] { int now = list.rowOfProcess(services); return now >= 0 && !list.selected(now); }, Timeout));
    CHECK(!MessageBoxPresent(zorvane.pid()));
    CHECK(!ProcessGone(services));
}

namespace {

// A Zorvane whose Close was applied by a capture to the target's frame.
bool CloseByCapture(ZorvaneSession &session, HWND frame) {
    if (!session.captureOver(frame, ActionColour(Close))) return false;
    Click();
    return WaitCaptureHeld(session.main, false, Timeout);
}

// The tray menu opens within a second or two (not after the program's wait).
bool TrayMenuAnswers(ZorvaneSession &session) {
    PostMessageA(session.main, WM_USER, 1, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    bool shown = WaitFor([&] { return (menu = FindVisibleMenu(session.program.pid())) != nullptr; }, 2000);
    PressKey(VK_ESCAPE);
    return shown && WaitFor([&] { return !FindVisibleMenu(session.program.pid()); }, Timeout);
}

}  // namespace

TEST_CASE(close_offers_to_end_a_program_that_does_not_respond) {
    ActionTarget hung;
    CHECK(StartActionTarget("Zv hung", 200, 200, 400, 300, "hang", &hung));
    ZorvaneSession session;
    CHECK(session.start("", Close));
    CHECK(TrayMenuAnswers(session));

    CHECK(CloseByCapture(session, hung.frame));
    MessageBoxReading reading;
    CHECK(WaitForMessageBox(session.program.pid(), Timeout, &reading));
    CHECK(strstr(reading.text, "action_target.exe is not responding.") != nullptr);
    AnswerMessageBox(reading.box, IDNO);
    CHECK(WaitWindowGone(reading.box));
    CHECK(TrayMenuAnswers(session));
    CHECK(hung.program.running());

    CHECK(CloseByCapture(session, hung.frame));
    CHECK(WaitForMessageBox(session.program.pid(), Timeout, &reading));
    AnswerMessageBox(reading.box, IDYES);
    CHECK_EQ(0, WaitExitCode(hung.program, Timeout));
}

TEST_CASE(a_program_asking_to_save_is_never_offered_to_be_ended) {
    ActionTarget asking;
    CHECK(StartActionTarget("Zv asking", 200, 200, 400, 300, "ask", &asking));
    ZorvaneSession session;
    CHECK(session.start("", Close));
    CHECK(CloseByCapture(session, asking.frame));
    HWND question = nullptr;
    CHECK(WaitFor([&] { return (question = FindProcessDialog(asking.program.pid(), "Zv asking")) != nullptr; },
                  Timeout));
    // Past the five seconds a closing program is given, Zorvane has still asked nothing.
    CHECK(!WaitFor([&] { return MessageBoxPresent(session.program.pid()); }, 8000));
    CHECK(asking.program.running() && !session.program.waitExit(0));
    AnswerMessageBox(question, IDNO);
    CHECK_EQ(TargetFrameClosed, WaitExitCode(asking.program, Timeout));
}
