// The About box and the update-available dialog: the link drawn blue with one
// underlined font at a time, the hand cursor over it, the link opened on a
// button release over it, and the open-dialog guard of the real program.
#include <string.h>

#include "check.h"
#include "dialog_support.h"
#include "harness.h"
#include "shell/application.h"
#include "shell/dialogs.h"
#include "site.h"

using namespace dlg;

namespace {

// What a font looks like once selected into a context.
struct FontLook {
    char face[32];
    LONG height;
    LONG weight;
    bool underlined;
};

FontLook LookOf(HFONT font) {
    FontLook look;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    GetTextFaceA(dc, sizeof look.face, look.face);
    look.height = metrics.tmHeight;
    look.weight = metrics.tmWeight;
    look.underlined = metrics.tmUnderlined != 0;
    SelectObject(dc, old);
    DeleteDC(dc);
    return look;
}

POINT Centre(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return centre;
}

// A point of the dialog's client area with no control under it (bottom left).
POINT EmptyPoint(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    POINT point = {4, client.bottom - 4};
    ClientToScreen(dialog, &point);
    return point;
}

LPARAM ClientPoint(HWND dialog, POINT screen) {
    ScreenToClient(dialog, &screen);
    return MAKELPARAM(screen.x, screen.y);
}

bool WaitNoLinkTargets() {
    return WaitFor([] { return RunningLinkTargets() == 0; }, 15000);
}

}  // namespace

TEST_CASE(about_link_font_is_one_underlined_font_at_a_time) {
    ResetZorvaneRegistry();
    InProcessDialog about;
    CHECK(about.open(10200, AboutDialogProc));
    CHECK(App().ActiveDialog == about.dialog);
    CHECK(WaitFor([] { return App().LinkFont != nullptr; }, 15000));

    HFONT font = App().LinkFont;
    LOGFONTA described;
    CHECK(GetObjectA(font, sizeof described, &described) == sizeof described);
    CHECK(described.lfUnderline);
    CHECK(reinterpret_cast<HFONT>(SendMessageA(about.link(), WM_GETFONT, 0, 0)) == font);
    // The same face and size as the dialog's text, only underlined.
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(about.dialog, WM_GETFONT, 0, 0));
    FontLook linkLook = LookOf(font), dialogLook = LookOf(dialogFont);
    CHECK_STR(dialogLook.face, linkLook.face);
    CHECK_EQ(dialogLook.height, linkLook.height);
    CHECK_EQ(dialogLook.weight, linkLook.weight);
    CHECK(linkLook.underlined && !dialogLook.underlined);
    RECT linkRect;
    GetWindowRect(about.link(), &linkRect);
    CHECK(ScreenRectHasColour(linkRect, RGB(0, 0, 255)));

    // Each repaint makes a new font and deletes the one before it.
    for (int i = 0; i < 5; ++i) {
        HFONT before = App().LinkFont;
        RedrawWindow(about.link(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        CHECK(App().LinkFont != nullptr);
        CHECK(App().LinkFont != before);
        CHECK_EQ(0, GetObjectType(before));
    }
    HFONT last = App().LinkFont;
    about.close();
    CHECK(App().LinkFont == nullptr);
    CHECK_EQ(0, GetObjectType(last));
    CHECK(App().ActiveDialog == nullptr);
}

TEST_CASE(about_cursor_is_the_hand_over_the_link_only) {
    ResetZorvaneRegistry();
    InProcessDialog about;
    CHECK(about.open(10200, AboutDialogProc));
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    POINT link = Centre(about.link());
    MovePointer(link.x, link.y);
    CHECK(WaitFor([&] { return GetCursor() == hand; }, 15000));
    POINT empty = EmptyPoint(about.dialog);
    MovePointer(empty.x, empty.y);
    CHECK(WaitFor([&] { return GetCursor() == arrow; }, 15000));
    MovePointer(link.x, link.y);
    CHECK(WaitFor([&] { return GetCursor() == hand; }, 15000));
}

TEST_CASE(about_release_opens_the_link_text_only_over_the_link) {
    ResetZorvaneRegistry();
    CHECK(WaitNoLinkTargets());
    ResetLinkTargetMarker();
    InProcessDialog about;
    CHECK(about.open(10200, AboutDialogProc));
    char target[MAX_PATH];
    LinkTargetPath(target, sizeof target);
    SetDlgItemTextA(about.dialog, 1005, target);

    // The shell call is made inside the handling: once it returns, a started
    // program is either still running or has left its marker.
    SendMessageA(about.dialog, WM_LBUTTONUP, 0, ClientPoint(about.dialog, EmptyPoint(about.dialog)));
    CHECK_EQ(0, RunningLinkTargets());
    CHECK_EQ(0, LinkTargetRuns());
    RECT rect;
    GetWindowRect(about.link(), &rect);
    POINT justOutside = {rect.right, rect.top};  // the rectangle's right edge is outside it
    SendMessageA(about.dialog, WM_LBUTTONUP, 0, ClientPoint(about.dialog, justOutside));
    CHECK_EQ(0, RunningLinkTargets());
    CHECK_EQ(0, LinkTargetRuns());

    POINT corner = {rect.left, rect.top};
    SendMessageA(about.dialog, WM_LBUTTONUP, 0, ClientPoint(about.dialog, corner));
    CHECK(WaitFor([] { return LinkTargetRuns() == 1; }, 15000));
    CHECK(WaitNoLinkTargets());
}

TEST_CASE(update_dialogs_link_to_the_download_page) {
    ResetZorvaneRegistry();
    const int templates[] = {208, 10208, 20208};
    for (int id : templates) {
        InProcessDialog update;
        CHECK(update.open(id, AboutDialogProc));
        CHECK(App().ActiveDialog == update.dialog);
        char link[512];
        GetDlgItemTextA(update.dialog, 1005, link, sizeof link);
        CHECK_STR(ZORVANE_DOWNLOAD_PAGE, link);
        CHECK(WaitFor([] { return App().LinkFont != nullptr; }, 15000));
        update.close();
        CHECK(App().LinkFont == nullptr);
        CHECK(App().ActiveDialog == nullptr);
    }
}

TEST_CASE(about_in_program_opens_link_and_guards_other_dialogs) {
    ResetZorvaneRegistry();
    SetPreferenceDword("Langage", 1033);
    CHECK(WaitNoLinkTargets());
    ResetLinkTargetMarker();
    Program zorvane;
    HWND window;
    CHECK(StartZorvane("", &zorvane, &window));
    DWORD pid = zorvane.pid();
    PostMessageA(window, WM_COMMAND, 201, 0);
    HWND about = WaitForProcessDialog(pid, "About");
    CHECK(about);
    char site[512];
    GetDlgItemTextA(about, 1005, site, sizeof site);
    CHECK_STR(ZORVANE_SITE, site);

    // Preferences, the process list and the About command bring the About box forward.
    ShowWindow(about, SW_MINIMIZE);
    CHECK(WaitFor([&] { return IsIconic(about) != FALSE; }, 15000));
    CHECK(SendCommand(window, 203));
    CHECK(!IsIconic(about));
    CHECK(SendCommand(window, 207));
    CHECK(SendCommand(window, 201));
    CHECK_EQ(1, CountProcessDialogs(pid));

    char target[MAX_PATH];
    LinkTargetPath(target, sizeof target);
    SetDlgItemTextA(about, 1005, target);
    SetForegroundWindow(about);
    POINT empty = EmptyPoint(about);
    POINT link = Centre(GetDlgItem(about, 1005));
    CHECK(PointAt(empty.x, empty.y, about));
    Click();  // released outside the link: nothing opens
    MouseButton(true, true);
    CHECK(PointAt(link.x, link.y, GetDlgItem(about, 1005)));
    MouseButton(true, false);  // pressed outside, released over the link: opens
    CHECK(WaitFor([] { return LinkTargetRuns() >= 1; }, 15000));
    CHECK(WaitNoLinkTargets());
    CHECK_EQ(1, LinkTargetRuns());
    Click();
    CHECK(WaitFor([] { return LinkTargetRuns() == 2; }, 15000));

    ClickControl(about, IDOK);
    CHECK(WaitWindowGone(about));
    CHECK(zorvane.running());  // tray mode goes on
    CHECK(WaitNoLinkTargets());
}
