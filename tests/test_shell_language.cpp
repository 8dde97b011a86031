// The stored "Langage" choosing Zorvane's language: the first-start balloon and
// the help page of the running program, and the class menu that start-up gives
// the main window (start-up run in-process over Zorvane.exe's resources).
#include "check.h"
#include "harness.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell_support.h"
#include "site.h"

namespace {

struct Language {
    bool running;  // also checked on the running program (the others in-process only)
    bool preset;
    DWORD locale;
    const char *balloon;
    const char *helpPage;
    const char *filePopup;
    const char *quitItem;
    const char *showItem;
    const char *helpPopup;
};

const char French[] = "Zorvane est maintenant lancé.";

const Language Languages[] = {
    {true, false, 0, French, "aide.html", "&Fichier", "&Quitter", "Montrer", "&Aide"},
    {false, true, 1036, French, "aide.html", "&Fichier", "&Quitter", "Montrer", "&Aide"},
    {true, true, 1033, "Zorvane is started.", "help.html", "&File", "&Quit", "Show", "&Help"},
    {true, true, 1031, "Zorvane wird begonnen.", "help.html", "Datei", "Beenden", "Zeigen", "&Hilfe"},
    {true, true, 2057, French, "aide.html", "&Fichier", "&Quitter", "Montrer", "&Aide"},  // British
    {false, true, 3079, French, "aide.html", "&Fichier", "&Quitter", "Montrer", "&Aide"},  // Austrian
};

void Describe(const Language &language) {
    if (language.preset) printf("Langage %lu\n", (unsigned long)language.locale);
    else printf("Langage absent\n");
}

bool MenuText(HMENU menu, UINT item, UINT flags, char *out, int capacity) {
    out[0] = 0;
    return GetMenuStringA(menu, item, out, capacity, flags) > 0;
}

// Zorvane's start-up in this process, with Zorvane.exe's resources.
struct InProcessStart {
    HMODULE resources;
    bool started;
    InProcessStart() : started(false) {
        char path[MAX_PATH];
        BinPath("Zorvane.exe", path, sizeof path);
        resources = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (resources) started = Initialise(resources, 0);
    }
    ~InProcessStart() {
        Application &app = App();
        if (app.mainWindow) DestroyWindow(app.mainWindow);
        app.mainWindow = nullptr;
        Release();
        char className[100];
        if (resources && LoadStringA(resources, 201, className, sizeof className))
            UnregisterClassA(className, resources);
        if (resources) FreeLibrary(resources);
        // The main window's end posted WM_QUIT to this thread: take it away.
        MSG message;
        PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
};

}  // namespace

TEST_CASE(running_program_greets_and_opens_help_in_its_language) {
    FakeTray tray;
    CHECK(tray.active());
    UrlOpenRecorder browser;
    CHECK(browser.ok());
    for (const Language &language : Languages) {
        if (!language.running) continue;
        Describe(language);
        ResetZorvaneRegistry();
        if (language.preset) SetPreferenceDword("Langage", language.locale);
        browser.clear();
        tray.clear();
        Program zorvane;
        HWND window;
        CHECK(StartZorvaneReady("", &zorvane, &window, &tray));
        const TrayCall *balloon = tray.last(NIM_MODIFY, window);
        CHECK(balloon != nullptr);
        CHECK_STR(language.balloon, balloon->info);

        PostMessageA(window, WM_COMMAND, 218, 0);
        char opened[512];
        CHECK(browser.waitOpened(opened, sizeof opened, 20000));
        char expected[512];
        snprintf(expected, sizeof expected, "%s/%s", ZORVANE_SITE, language.helpPage);
        CHECK_STR(expected, opened);
        DWORD code = 99;
        CHECK(CloseAndWait(zorvane, window, &code));
        CHECK_EQ(0, code);
    }
}

TEST_CASE(start_up_gives_main_window_the_menu_of_its_language) {
    FakeTray tray;  // keeps the in-process icon and balloon away from the shell
    for (const Language &language : Languages) {
        Describe(language);
        ResetZorvaneRegistry();
        if (language.preset) SetPreferenceDword("Langage", language.locale);
        InProcessStart start;
        CHECK(start.started);
        Application &app = App();
        HMENU menu = GetMenu(app.mainWindow);
        CHECK(menu != nullptr);
        CHECK_EQ(3, GetMenuItemCount(menu));
        char text[100];
        CHECK(MenuText(menu, 0, MF_BYPOSITION, text, sizeof text));
        CHECK_STR(language.filePopup, text);
        CHECK(MenuText(menu, 2, MF_BYPOSITION, text, sizeof text));
        CHECK_STR(language.helpPopup, text);

        CHECK(app.TrayMenu == GetSubMenu(menu, 0));
        CHECK(app.ProcessMenu == GetSubMenu(menu, 1));
        CHECK_EQ(204, GetMenuDefaultItem(app.TrayMenu, FALSE, 0));
        CHECK(MenuText(app.TrayMenu, 202, MF_BYCOMMAND, text, sizeof text));
        CHECK_STR(language.quitItem, text);
        CHECK(MenuText(app.ProcessMenu, 210, MF_BYCOMMAND, text, sizeof text));
        CHECK_STR(language.showItem, text);

        CHECK_EQ(0, app.OneShotMode);
        CHECK_EQ(1000, app.ActionMethod);
        CHECK(ThreadOpeningAvailable());
        CHECK_EQ(VER_PLATFORM_WIN32_NT, app.OsVersion.platformId);
        CHECK_STR("Zorvane", app.productName);
        CHECK_STR("Zorvane", app.companyKey);
        CHECK_STR("Zorvane", app.applicationKey);
    }
    ResetZorvaneRegistry();
    ApplyLanguage(1036);
}

TEST_CASE(help_address_lies_at_the_site_root) {
    char address[300];
    ProductSiteAddress("aide.html", address, sizeof address);
    CHECK_STR(ZORVANE_SITE "/aide.html", address);
    CHECK(strncmp(address, "https://", 8) == 0);  // pages nobody on the way can change
    // The configured site (the build's ZORVANE_SITE, whatever it is set to) has
    // a host and no trailing slash, so that every page joins it with one "/".
    const size_t siteLength = strlen(ZORVANE_SITE);
    CHECK(siteLength > 8 && ZORVANE_SITE[siteLength - 1] != '/');
    CHECK(strchr(ZORVANE_SITE + 8, '/') == nullptr);
    CHECK_STR(ZORVANE_SITE "/telechargement.html", ZORVANE_DOWNLOAD_PAGE);
    CHECK_STR(ZORVANE_SITE "/ZorvanePAD.xml", ZORVANE_UPDATE_URL);
}
