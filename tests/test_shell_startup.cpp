// Tray-mode start of Zorvane: the settings key, the start count, the tray icon
// and the first-start balloon, seen through a stand-in for the shell's tray;
// the declaration of DPI awareness.
#include "check.h"
#include "harness.h"
#include "shell/display_scale.h"
#include "shell_support.h"

namespace {

const char FrenchBalloon[] = "Zorvane est maintenant lancé.";

// One tray start with "Startup" preset (or absent); fills what was seen.
struct StartOutcome {
    bool started;
    bool ended;
    DWORD exitCode;
    bool startupPresent;
    DWORD startup;
    int adds;
    int balloons;
    TrayCall balloon;
};

StartOutcome StartWithCount(FakeTray &tray, bool preset, DWORD startup) {
    StartOutcome outcome;
    ZeroMemory(&outcome, sizeof outcome);
    ResetZorvaneRegistry();
    if (preset) SetPreferenceDword("Startup", startup);
    tray.clear();
    Program zorvane;
    HWND window;
    outcome.started = StartZorvaneReady("", &zorvane, &window, &tray);
    if (!outcome.started) return outcome;
    outcome.startupPresent = GetPreferenceDword("Startup", &outcome.startup);
    outcome.adds = tray.countOf(NIM_ADD, window);
    outcome.balloons = tray.countOf(NIM_MODIFY, window);
    if (const TrayCall *balloon = tray.last(NIM_MODIFY, window)) outcome.balloon = *balloon;
    outcome.ended = CloseAndWait(zorvane, window, &outcome.exitCode);
    return outcome;
}

}  // namespace

TEST_CASE(first_start_makes_settings_key_adds_icon_and_greets) {
    ResetZorvaneRegistry();
    FakeTray tray;
    CHECK(tray.active());
    Program zorvane;
    HWND window;
    CHECK(StartZorvaneReady("", &zorvane, &window, &tray));

    CHECK(PreferenceKeyExists());
    DWORD startup = 0;
    CHECK(GetPreferenceDword("Startup", &startup));
    CHECK_EQ(1, startup);

    // The first add is the start's own, later ones are refreshes.
    CHECK(tray.countOf(NIM_ADD, window) >= 1);
    const TrayCall *add = tray.first(NIM_ADD, window);
    CHECK_EQ(1, add->id);
    CHECK_EQ(NIF_MESSAGE | NIF_ICON | NIF_TIP, add->flags);
    CHECK_EQ(WM_USER, add->callbackMessage);
    CHECK_STR("Zorvane", add->tip);
    CHECK_EQ(GetSystemMetrics(SM_CXSMICON), add->iconWidth);  // the small image, not a shrunk large one

    CHECK_EQ(1, tray.countOf(NIM_MODIFY, window));
    const TrayCall *balloon = tray.last(NIM_MODIFY, window);
    CHECK_EQ(1, balloon->id);
    CHECK_EQ(NIF_INFO, balloon->flags);
    CHECK_STR(FrenchBalloon, balloon->info);
    CHECK_STR("Zorvane", balloon->infoTitle);
    CHECK_EQ(NIIF_INFO, balloon->infoFlags);
    CHECK_EQ(10000, balloon->timeout);

    // The hot key is taken while it runs and given back when it ends.
    CHECK(!HotKeyIsFree());
    DWORD code = 99;
    CHECK(CloseAndWait(zorvane, window, &code));
    CHECK_EQ(0, code);
    CHECK_EQ(1, tray.countOf(NIM_DELETE, window));
    CHECK_EQ(1, tray.last(NIM_DELETE, window)->id);
    CHECK(HotKeyIsFree());
}

TEST_CASE(start_count_goes_up_and_balloon_shows_only_below_two) {
    FakeTray tray;
    CHECK(tray.active());
    struct Row {
        bool preset;
        DWORD before;
        DWORD after;
        int balloons;
    };
    const Row rows[] = {
        {false, 0, 1, 1},                    // absent
        {true, 0, 1, 1},                     // zero
        {true, 1, 2, 1},                     // second start
        {true, 2, 3, 0},                     // third start
        {true, 0x7FFFFFFF, 0x80000000, 0},   // counts on past the sign bit
        {true, 0x80000000, 0x80000001, 0},   // top bit set
        {true, 0xFFFFFFFF, 0, 0},            // wraps round
    };
    for (const Row &row : rows) {
        StartOutcome outcome = StartWithCount(tray, row.preset, row.before);
        printf("Startup %s0x%lx: stored 0x%lx, %d balloon(s)\n", row.preset ? "" : "absent, ",
               (unsigned long)row.before, (unsigned long)outcome.startup, outcome.balloons);
        CHECK(outcome.started);
        CHECK(outcome.ended);
        CHECK_EQ(0, outcome.exitCode);
        CHECK(outcome.startupPresent);
        CHECK_EQ(row.after, outcome.startup);
        CHECK(outcome.adds >= 1);
        CHECK_EQ(row.balloons, outcome.balloons);
        if (row.balloons) CHECK_STR(FrenchBalloon, outcome.balloon.info);
    }
}

TEST_CASE(older_systems_count_from_nt5_and_never_before) {
    FakeTray tray;
    CHECK(tray.active());
    struct Row {
        const char *version;
        bool counted;
    };
#ifdef _WIN64
    const Row rows[] = {{"winxp64", true}, {"win2k", true}, {"nt40", false}, {"win98", false}};
#else
    const Row rows[] = {{"winxp", true}, {"win2k", true}, {"nt40", false}, {"win98", false}};
#endif
    for (const Row &row : rows) {
        WineVersionOverride version("Zorvane.exe", row.version);
        CHECK(version.ok());
        StartOutcome outcome = StartWithCount(tray, true, 1);
        printf("%s: Startup 0x%lx, %d balloon(s)\n", row.version, (unsigned long)outcome.startup,
               outcome.balloons);
        CHECK(outcome.started);
        CHECK(outcome.ended);
        CHECK(outcome.adds >= 1);
        CHECK_EQ(row.counted ? 2 : 1, outcome.startup);
        CHECK_EQ(row.counted ? 1 : 0, outcome.balloons);
    }
}

// One of the three declarations, looked up by name, goes through (Wine refuses
// the per-monitor ones and takes the plain one).
TEST_CASE(dpi_awareness_is_declared_by_name) { CHECK(DeclareDpiAwareness()); }
