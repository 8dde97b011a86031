// Zorvane.exe's resources, read from the built file: the string table, menus,
// accelerators, dialogs and icons of the three languages, the version resource,
// one resource language, and no manifest before set-up. Expected texts are
// written as Windows-1252 bytes, the code page the ANSI calls give them in.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "check.h"
#include "harness.h"
#include "resource_ids.h"
#include "site.h"
#include "version.h"

namespace {

const int kBases[3] = {LANGUAGE_BASE_FRENCH, LANGUAGE_BASE_ENGLISH, LANGUAGE_BASE_GERMAN};

// Zorvane.exe beside the test, loaded once as a data file for the whole run.
HMODULE ZorvaneModule() {
    static HMODULE module = nullptr;
    if (!module) {
        char path[MAX_PATH];
        BinPath("Zorvane.exe", path, MAX_PATH);
        module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    return module;
}

// ---------------------------------------------------------------- strings

struct StringText {
    int id;
    const char *text;
};

const StringText kStrings[] = {
    {200, "Zorvane"},
    {201, "ZORVANE"},
    {202, "Impossible de fermer normalement cette fen\xeatre."},
    {203, "Impossible de quitter normalement cette fen\xeatre."},
    {204, "Impossible de tuer ce processus leger.\nVous n'avez pas les droits n\xe9" "cessaires."},
    {205, "Impossible de tuer ce processus.\nVous n'avez pas les droits n\xe9" "cessaires."},
    {206, "Programmes"},
    {207, "PID"},
    {208, "Votre version de Zorvane est \xe0 jour."},
    {209, "Impossible de v\xe9rifier si votre version de Zorvane est \xe0 jour."},
    {215, "Temps CPU"},
    {216, "Espace de travail"},
    {217, "Zorvane est maintenant lanc\xe9."},
    {230, "(aucune)"},
    {231, "Tout afficher"},
    {240, "Terminer %s arr\xeate Windows aussit\xf4t : le travail non enregistr\xe9 de tout programme sera perdu."},
    {241, "Terminer ce processus l\xe9ger de %s arr\xeate Windows : tout travail non enregistr\xe9 est perdu."},
    {242, "%s fait fonctionner le bureau et la barre des t\xe2" "ches : le terminer les fait dispara\xeetre."},
    {243, "Ce processus l\xe9ger de %s fait fonctionner le bureau et la barre des t\xe2" "ches."},
    {244, "%s ne r\xe9pond pas. Son travail non enregistr\xe9 sera perdu s'il est termin\xe9."},
    {245, "%s (Ne r\xe9pond pas)"},
    {246, "Le terminer quand m\xeame ?"},
    {247, "Le red\xe9marrer ? Il sera termin\xe9 puis relanc\xe9."},
    {248, "Le terminer ?"},
    {320, "Le raccourci %s est d\xe9j\xe0 pris. Choisissez-en un autre dans les Pr\xe9" "f\xe9rences."},
    {321, "Le raccourci %s est d\xe9j\xe0 pris par un autre programme ou par Windows. Choisissez-en un autre."},
    {322, "Zorvane est d\xe9j\xe0 lanc\xe9."},
    {323, "aucun raccourci"},
    {324, "%s ne peut pas servir de raccourci : ajoutez Ctrl, Alt ou Win."},
    {325, "Les deux raccourcis doivent \xeatre diff\xe9rents."},
    {326, "Win,Ctrl,Alt,Maj"},
    {340, "Le lancement de Zorvane au d\xe9marrage n'a pas pu \xeatre r\xe9gl\xe9."},
    {10202, "Unable to close selected Window."},
    {10203, "Unable to quit selected Window."},
    {10204, "Unable to kill selected Window thread."},
    {10205, "Unable to kill selected Window process."},
    {10206, "Process"},
    {10207, "PID"},
    {10208, "Zorvane is up to date."},
    {10209, "Unable to check for new version of Zorvane."},
    {10215, "CPU Time"},
    {10216, "Working Set"},
    {10217, "Zorvane is started."},
    {10230, "(none)"},
    {10231, "Show all"},
    {10240, "Ending %s stops Windows at once: unsaved work in every program will be lost."},
    {10241, "Ending this thread of %s stops Windows at once: unsaved work in every program will be lost."},
    {10242, "%s runs the desktop and the taskbar: ending it leaves the screen without them."},
    {10243, "This thread of %s runs the desktop and the taskbar: ending it may take them away."},
    {10244, "%s is not responding. Its unsaved work will be lost if it is ended."},
    {10245, "%s (Not responding)"},
    {10246, "End it anyway?"},
    {10247, "Restart it? It will be ended and started again."},
    {10248, "End it?"},
    {10320, "The hot key %s is taken by another program or by Windows. Choose another in Preferences."},
    {10321, "The hot key %s is taken by another program or by Windows. Choose another one."},
    {10322, "Zorvane is already running."},
    {10323, "no hot key"},
    {10324, "%s cannot be a hot key: add Ctrl, Alt or Win."},
    {10325, "The two hot keys must differ."},
    {10326, "Win,Ctrl,Alt,Shift"},
    {10340, "Launching Zorvane at startup could not be set."},
    {20202, "Es war nicht m\xf6glich das ausgew\xe4hlte Fenster zu schlie\xdf" "en!"},
    {20203, "Es war nicht m\xf6glich den Thread des ausgew\xe4hlten Fensters zu beenden!"},
    {20204, "Es war nicht m\xf6glich den Thread des ausgew\xe4hlten Fensters auszul\xf6schen!"},
    {20205, "Es war nicht m\xf6glich den Prozess des ausgew\xe4hlten Fensters auszul\xf6schen!"},
    {20206, "Prozess"},
    {20207, "PID"},
    {20208, "Zorvane ist aktuell."},
    {20209, "Nicht imstande, auf neuer Version von Zorvane zu \xfc" "berpr\xfc" "fen"},
    {20215, "CPU-Zeit"},
    {20216, "Arbeitsraum"},
    {20217, "Zorvane wird begonnen."},
    {20230, "(keine)"},
    {20231, "Alle anzeigen"},
    {20240, "Wird %s beendet, h\xe4lt Windows sofort an: ungespeicherte Arbeit aller Programme geht verloren."},
    {20241, "Endet dieser Thread von %s, h\xe4lt Windows sofort an: ungespeicherte Arbeit aller Programme ist weg."},
    {20242, "%s stellt Desktop und Taskleiste bereit: wird es beendet, verschwinden beide vom Bildschirm."},
    {20243, "Dieser Thread von %s stellt Desktop und Taskleiste bereit: sein Ende kann beide entfernen."},
    {20244, "%s reagiert nicht. Wird es beendet, geht seine ungespeicherte Arbeit verloren."},
    {20245, "%s (Reagiert nicht)"},
    {20246, "Trotzdem beenden?"},
    {20247, "Neu starten? Es wird beendet und wieder gestartet."},
    {20248, "Beenden?"},
    // The process list's status and path columns, the tree kill and suspension.
    {260, "\xc9tat"},
    {261, "Chemin"},
    {262, "Suspendu"},
    {263, "Ne r\xe9pond pas"},
    {264, "Tuer %s et tous les programmes lanc\xe9s sous lui (%d programmes en tout) ?"},
    {265, "Impossible de tuer toute l'arborescence.\nVous n'avez pas les droits n\xe9" "cessaires."},
    {266, "%s est le shell de Windows : le suspendre figerait le bureau et la barre des t\xe2" "ches."},
    {267, "%s dessine toutes les fen\xeatres : le suspendre figerait l'\xe9" "cran."},
    {268, "%s est un programme de Windows lui-m\xeame : le suspendre figerait le syst\xe8me."},
    {269, "Zorvane ne peut pas se suspendre lui-m\xeame : plus rien ne pourrait le reprendre."},
    {270, "Impossible de suspendre %s."},
    {271, "Impossible de reprendre %s."},
    {272, "Tout reprendre"},
    {10260, "Status"},
    {10261, "Path"},
    {10262, "Suspended"},
    {10263, "Not responding"},
    {10264, "Kill %s and every process started under it (%d processes in all)?"},
    {10265, "Unable to kill every process of the selected tree."},
    {10266, "%s is the Windows shell: suspending it would freeze the desktop and the taskbar."},
    {10267, "%s draws every window on the screen: suspending it would freeze the display."},
    {10268, "%s is a process of Windows itself: suspending it would freeze the system."},
    {10269, "Zorvane cannot suspend itself: nothing would be left to resume it."},
    {10270, "Unable to suspend %s."},
    {10271, "Unable to resume %s."},
    {10272, "Resume all"},
    {20260, "Status"},
    {20261, "Pfad"},
    {20262, "Angehalten"},
    {20263, "Reagiert nicht"},
    {20264, "%s und alle darunter gestarteten Prozesse ausl\xf6schen (insgesamt %d Prozesse)?"},
    {20265, "Nicht alle Prozesse des Prozessbaums konnten ausgel\xf6scht werden."},
    {20266, "%s ist die Windows-Shell: Anhalten w\xfcrde Desktop und Taskleiste einfrieren."},
    {20267, "%s zeichnet alle Fenster: Anhalten w\xfcrde den Bildschirm einfrieren."},
    {20268, "%s ist ein Prozess von Windows selbst: Anhalten w\xfcrde das System einfrieren."},
    {20269, "Zorvane kann sich nicht selbst anhalten: nichts k\xf6nnte es fortsetzen."},
    {20270, "%s konnte nicht angehalten werden."},
    {20271, "%s konnte nicht fortgesetzt werden."},
    {20272, "Alle fortsetzen"},
    {20320, "Das Tastenk\xfcrzel %s ist anderweitig belegt. W\xe4hlen Sie ein anderes in den Einstellungen."},
    {20321, "Das Tastenk\xfcrzel %s ist anderweitig belegt. W\xe4hlen Sie ein anderes."},
    {20322, "Zorvane l\xe4uft bereits."},
    {20323, "kein Tastenk\xfcrzel"},
    {20324, "%s kann kein Tastenk\xfcrzel sein: f\xfcgen Sie Strg, Alt oder Win hinzu."},
    {20325, "Die beiden Tastenk\xfcrzel m\xfcssen verschieden sein."},
    {20326, "Win,Strg,Alt,Umschalt"},
    {20340, "Der Start von Zorvane bei der Anmeldung konnte nicht eingestellt werden."},
};
const int kStringCount = sizeof kStrings / sizeof kStrings[0];

bool IsExpectedString(int id) {
    for (const StringText &s : kStrings)
        if (s.id == id) return true;
    return false;
}

// Collects the names of every string block (block n holds ids 16(n-1) to 16n-1).
BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    int *names = reinterpret_cast<int *>(param);
    if (IS_INTRESOURCE(name) && names[0] < 63) names[++names[0]] = (int)(ULONG_PTR)name;
    return TRUE;
}

// ---------------------------------------------------------------- menus

// One menu entry: id 0 with a null text is a separator, id -1 a submenu.
struct MenuEntry {
    int id;
    const char *text;
    bool grayed;
};

struct MenuText {
    int id;
    const char *popups[3];
    MenuEntry file[11];
    MenuEntry process[11];
    MenuEntry help[1];
};

const MenuText kMenus[3] = {
    {200,
     {"&Fichier", "&Programmes", "&Aide"},
     {{201, "\xc0 propos de Zorvane", false}, {208, "V\xe9rifier les mises \xe0 jour", false}, {0, nullptr, false},
      {218, "Aide", false}, {204, "Zor&vane", false}, {203, "&Pr\xe9" "f\xe9rences", false},
      {207, "&Liste des programmes", false}, {-1, "Fen\xeatres cach\xe9" "es", false},
      {-1, "Programmes suspendus", false},
      {0, nullptr, false}, {202, "&Quitter", false}},
     {{201, "Programmes s\xe9l\xe9" "ctionn\xe9s :", true}, {0, nullptr, false}, {210, "Montrer", false},
      {211, "Fermer", false}, {212, "Quitter", false}, {213, "Tuer", false}, {214, "Cacher", false},
      {0, nullptr, false}, {220, "Tuer l'arborescence", false}, {221, "Suspendre", false},
      {222, "Reprendre", false}},
     {{201, "\xc0 propos de Zorvane", false}}},
    {10200,
     {"&File", "&Programmes", "&Help"},
     {{201, "About Zorvane", false}, {208, "Check for update", false}, {0, nullptr, false},
      {218, "Help", false}, {204, "Zor&vane", false}, {203, "&Preferences", false},
      {207, "Process &list", false}, {-1, "Hidden windows", false},
      {-1, "Suspended programs", false},
      {0, nullptr, false}, {202, "&Quit", false}},
     {{201, "Selected process:", true}, {0, nullptr, false}, {210, "Show", false},
      {211, "Close", false}, {212, "Quit", false}, {213, "Kill", false}, {214, "Hide", false},
      {0, nullptr, false}, {220, "Kill tree", false}, {221, "Suspend", false}, {222, "Resume", false}},
     {{201, "About Zorvane", false}}},
    {20200,
     {"Datei", "&Programmes", "&Hilfe"},
     {{201, "\xdc" "ber Zorvane", false}, {208, "Updates \xfc" "berpr\xfc" "fen", false}, {0, nullptr, false},
      {218, "Hilfe", false}, {204, "Zor&vane", false}, {203, "Einstellungen", false},
      {207, "Prozess&liste", false}, {-1, "Versteckte Fenster", false},
      {-1, "Angehaltene Programme", false},
      {0, nullptr, false}, {202, "Beenden", false}},
     {{201, "Ausgew\xe4hlte prozess :", true}, {0, nullptr, false}, {210, "Zeigen", false},
      {211, "Schlie\xdf" "en", false}, {212, "Beenden", false}, {213, "Ausl\xf6schen", false},
      {214, "Verstecken", false}, {0, nullptr, false}, {220, "Prozessbaum ausl\xf6schen", false},
      {221, "Anhalten", false}, {222, "Fortsetzen", false}},
     {{201, "\xdc" "ber Zorvane", false}}},
};

// Checks one popup's entries in order; returns false after reporting the first difference.
bool CheckPopup(HMENU popup, const MenuEntry *entries, int count, const char *where) {
    char text[512];
    if (GetMenuItemCount(popup) != count) {
        snprintf(text, sizeof text, "%s: %d items, expected %d", where, GetMenuItemCount(popup), count);
        return CheckFailed(__FILE__, __LINE__, text);
    }
    for (int i = 0; i < count; ++i) {
        char itemText[100] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = itemText;
        info.cch = sizeof itemText;
        if (!GetMenuItemInfoA(popup, i, TRUE, &info)) {
            snprintf(text, sizeof text, "%s: item %d unreadable", where, i);
            return CheckFailed(__FILE__, __LINE__, text);
        }
        const MenuEntry &e = entries[i];
        bool separator = (info.fType & MFT_SEPARATOR) != 0;
        bool grayed = (info.fState & MFS_GRAYED) != 0;
        bool idSame = e.id == -1 ? info.hSubMenu != nullptr : (int)info.wID == e.id && !info.hSubMenu;
        bool same = e.text ? (!separator && idSame && strcmp(itemText, e.text) == 0 && grayed == e.grayed)
                           : separator;
        if (!same) {
            snprintf(text, sizeof text, "%s: item %d is %s%u \"%s\"%s, expected %d \"%s\"%s", where, i,
                     separator ? "separator " : "", info.wID, itemText, grayed ? " greyed" : "", e.id,
                     e.text ? e.text : "(separator)", e.grayed ? " greyed" : "");
            return CheckFailed(__FILE__, __LINE__, text);
        }
    }
    return true;
}

// ---------------------------------------------------------------- dialogs

#define LABEL (WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT)
#define LINK (WS_CHILD | WS_VISIBLE | SS_LEFT)
#define ICON (WS_CHILD | WS_VISIBLE | SS_ICON)
#define DEFAULT_BUTTON (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON)
#define BUTTON (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON)
#define RADIO (WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON)
#define GROUP_BOX (WS_CHILD | WS_VISIBLE | BS_GROUPBOX)
#define CHECK_BOX (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX)
#define HOTKEY (WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP)
#define MODAL_BOX (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT)

// A control of a template; its text comes from the language's text list.
struct ControlLayout {
    int id;
    const char *className;
    DWORD style;
    short x, y, cx, cy;
};

struct DialogLayout {
    DWORD style, exStyle;
    short x, y, cx, cy;
    WORD pointSize;
    const char *font;
    const ControlLayout *controls;
    int count;
};

const ControlLayout kAboutControls[] = {
    {2, "Static", ICON, 14, 9, 21, 20},          {-1, "Static", LABEL | SS_NOPREFIX, 49, 10, 119, 8},
    {-1, "Static", LABEL, 49, 20, 130, 8},       {1, "Button", DEFAULT_BUTTON, 183, 6, 42, 15},
    {1005, "Static", LINK, 98, 39, 127, 8},       {-1, "Static", LABEL, 51, 39, 44, 8},
};
const ControlLayout kAboutControlsGerman[] = {
    {2, "Static", ICON, 14, 9, 21, 20},          {-1, "Static", LABEL | SS_NOPREFIX, 49, 10, 119, 8},
    {-1, "Static", LABEL, 49, 20, 130, 8},       {-1, "Static", LABEL, 49, 30, 130, 8},
    {1, "Button", DEFAULT_BUTTON, 183, 6, 42, 15}, {1005, "Static", LINK, 98, 45, 127, 8},
    {-1, "Static", LABEL, 51, 45, 44, 8},
};
const ControlLayout kPreferencesControls[] = {
    {1, "Button", DEFAULT_BUTTON, 7, 120, 50, 14},  {2, "Button", BUTTON, 96, 120, 50, 14},
    {1004, "Button", RADIO | WS_GROUP, 23, 19, 98, 10}, {1000, "Button", RADIO, 23, 35, 98, 10},
    {1001, "Button", RADIO, 23, 51, 93, 10},        {1002, "Button", RADIO, 23, 67, 90, 10},
    {1003, "Button", RADIO, 23, 83, 72, 10},        {-1, "Button", GROUP_BOX, 7, 7, 139, 91},
    {1006, "Button", CHECK_BOX, 7, 104, 144, 10},
    {-1, "Button", GROUP_BOX, 160, 7, 140, 91},     {-1, "Static", LABEL, 167, 19, 130, 8},
    {1030, "msctls_hotkey32", HOTKEY, 167, 30, 90, 12}, {1031, "Button", CHECK_BOX, 262, 31, 32, 10},
    {-1, "Static", LABEL, 167, 55, 130, 8},          {1032, "msctls_hotkey32", HOTKEY, 167, 66, 90, 12},
    {1033, "Button", CHECK_BOX, 262, 67, 32, 10},
};
const DWORD kListViewStyle = 0x50810011;  // child, visible, border, tab stop, report, sorted
#define FILTER_EDIT (WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL)
// The filter and the whole-process buttons, after the list's own controls.
#define PROCESS_ADDED_CONTROLS                                                                                  \
    {-1, "Static", LABEL, 6, 8, 28, 8}, {1017, "Edit", FILTER_EDIT, 36, 6, 243, 12},                          \
        {1014, "Button", BUTTON, 289, 177, 98, 15}, {1015, "Button", BUTTON, 289, 196, 98, 15},               \
        {1016, "Button", BUTTON, 289, 215, 98, 15}
const ControlLayout kProcessControls[] = {
    {1007, "SysListView32", kListViewStyle, 6, 22, 273, 232},
    {-1, "Button", GROUP_BOX, 289, 40, 98, 131}, {1008, "Button", BUTTON, 308, 57, 50, 15},
    {1009, "Button", BUTTON, 308, 80, 50, 15},   {1010, "Button", BUTTON, 308, 103, 50, 15},
    {1011, "Button", BUTTON, 308, 126, 50, 15},  {1013, "Button", BUTTON, 308, 149, 50, 15},
    {1012, "Button", BUTTON, 6, 259, 50, 14},    {-1, "Static", LABEL, 291, 6, 105, 31},
    {2, "Button", BUTTON, 346, 259, 50, 14},     PROCESS_ADDED_CONTROLS,
};
const ControlLayout kProcessControlsFrench[] = {
    {1007, "SysListView32", kListViewStyle, 6, 22, 273, 232},
    {-1, "Button", GROUP_BOX, 289, 40, 98, 131}, {1008, "Button", BUTTON, 308, 57, 50, 15},
    {1009, "Button", BUTTON, 308, 80, 50, 15},   {1010, "Button", BUTTON, 308, 103, 50, 15},
    {1011, "Button", BUTTON, 308, 126, 50, 15},  {1013, "Button", BUTTON, 308, 149, 50, 15},
    {1012, "Button", BUTTON, 6, 259, 50, 14},    {-1, "Static", LABEL, 292, 6, 105, 31},
    {2, "Button", BUTTON, 347, 259, 50, 14},     PROCESS_ADDED_CONTROLS,
};
const ControlLayout kUpdateControls[] = {
    {-1, "Static", ICON, 14, 9, 21, 20},         {-1, "Static", LABEL, 49, 10, 190, 8},
    {1005, "Static", LINK, 49, 24, 190, 8},      {1, "Button", DEFAULT_BUTTON, 104, 40, 42, 15},
};

#define LAYOUT(controls) controls, (int)(sizeof controls / sizeof controls[0])
const DialogLayout kAbout = {MODAL_BOX, 0, 300, 200, 230, 65, 8, "MS Sans Serif", LAYOUT(kAboutControls)};
const DialogLayout kAboutGerman = {MODAL_BOX, 0, 300, 200, 230, 65, 8, "MS Sans Serif",
                                   LAYOUT(kAboutControlsGerman)};
const DialogLayout kPreferences = {MODAL_BOX, 0, 300, 200, 307, 139, 8, "MS Shell Dlg",
                                   LAYOUT(kPreferencesControls)};
const DWORD kProcessStyle = 0x80CA00C8;  // pop-up, caption, system menu, minimize box, modal frame, font, fixed sys
const DialogLayout kProcess = {kProcessStyle, WS_EX_APPWINDOW, 0, 0, 403, 279, 8, "MS Shell Dlg",
                               LAYOUT(kProcessControls)};
const DialogLayout kProcessFrench = {kProcessStyle, WS_EX_APPWINDOW, 0, 0, 403, 279, 8, "MS Shell Dlg",
                                     LAYOUT(kProcessControlsFrench)};
const DialogLayout kUpdate = {MODAL_BOX, 0, 300, 200, 250, 62, 8, "MS Sans Serif", LAYOUT(kUpdateControls)};

// One dialog of one language: its title and the texts of its controls in order
// (null for the icons, whose text is the icon resource 200).
struct DialogText {
    int id;
    const DialogLayout *layout;
    const char *title;
    const char *texts[16];
};

const DialogText kDialogs[] = {
    {200, &kAbout, "A Propos",
     {nullptr, ZORVANE_VERSION_LABEL, "Logiciel gratuit pour Windows", "OK", ZORVANE_SITE, "Informations :"}},
    {10200, &kAbout, "About",
     {nullptr, ZORVANE_VERSION_LABEL, "Freeware for Windows", "OK", ZORVANE_SITE, "Informations:"}},
    {20200, &kAboutGerman, "\xdc" "ber",
     {nullptr, ZORVANE_VERSION_LABEL, "Kostenlose Software f\xfcr Windows", "Zeigen, klicken, weg.", "OK",
      ZORVANE_SITE, "Website:"}},
    {201, &kPreferences, "Pr\xe9" "f\xe9rences",
     {"OK", "Annuler", "Cacher la fen\xeatre", "Fermer la fen\xeatre", "Quitter le processus l\xe9ger",
      "Tuer le processus l\xe9ger", "Tuer le processus", "Lorsque je s\xe9lectionne une fen\xeatre :",
      "Lancer Zorvane au d\xe9marrage du syst\xe8me", "Raccourcis clavier", "Lancer une s\xe9lection :", "", "Win",
      "Agir sur la fen\xeatre active :", "", "Win"}},
    {10201, &kPreferences, "Preferences",
     {"OK", "Cancel", "Hide window", "Close window", "Exit thread", "Kill thread", "Kill process",
      "When a window is selected:", "Launch Zorvane at startup", "Hot keys", "Start a capture:", "", "Win",
      "Act on the foreground window:", "", "Win"}},
    {20201, &kPreferences, "Einstellungen",
     {"OK", "Abbrechen", "Fenster ausblenden", "Fenster schlie\xdf" "en", "Thread beenden", "Thread ausl\xf6schen",
      "Prozess ausl\xf6schen", "Beim ausw\xe4hlen eines fensters:", "Start Zorvane auf Windows-anmeldung",
      "Tastenk\xfcrzel", "Auswahl starten:", "", "Win", "Auf das aktive Fenster anwenden:", "", "Win"}},
    {206, &kProcessFrench, "Programmes",
     {"List1", "Programmes s\xe9l\xe9" "ctionn\xe9s :", "Montrer", "Fermer", "Quitter", "Tuer", "Cacher", "Rafraichir",
      "S\xe9lectionnez un ou plusieurs programmes dans la liste ci-contre.", "Fermer", "Filtre :", "",
      "Tuer l'arborescence", "Suspendre", "Reprendre"}},
    {10206, &kProcess, "Process",
     {"List1", "Selected process:", "Show", "Close", "Quit", "Kill", "Hide", "Refresh",
      "Select one or more process from the list.", "Close", "Filter:", "", "Kill tree", "Suspend", "Resume"}},
    {20206, &kProcess, "Prozessen",
     {"List1", "Ausgew\xe4hlte prozess :", "Zeigen", "Schlie\xdf" "en", "Beenden", "Ausl\xf6schen", "Verstecken",
      "Aktualisieren", "W\xe4hlen sie ein oder mehrere prozessen.", "Schlie\xdf" "en", "Filter:", "",
      "Prozessbaum ausl\xf6schen", "Anhalten", "Fortsetzen"}},
    {208, &kUpdate, "Mise \xe0 jour",
     {nullptr, "Une nouvelle version de Zorvane est disponible :", ZORVANE_DOWNLOAD_PAGE, "OK"}},
    {10208, &kUpdate, "Update", {nullptr, "A new Zorvane version is available:", ZORVANE_DOWNLOAD_PAGE, "OK"}},
    {20208, &kUpdate, "Update",
     {nullptr, "Eine neue version der software verf\xfcgbar ist:", ZORVANE_DOWNLOAD_PAGE, "OK"}},
};

// Reads a classic (non-extended) dialog template word by word.
struct TemplateReader {
    const BYTE *start;
    const BYTE *at;
    WORD word() {
        WORD w;
        memcpy(&w, at, 2);
        at += 2;
        return w;
    }
    DWORD dword() {
        DWORD d;
        memcpy(&d, at, 4);
        at += 4;
        return d;
    }
    short number() { return (short)word(); }
    void alignDword() {
        while ((at - start) % 4) ++at;
    }
    // A string, or an ordinal (returned in *ordinal, the text left empty); the
    // text is converted to Windows-1252.
    void text(char *out, int capacity, int *ordinal) {
        *ordinal = -1;
        out[0] = 0;
        WORD first;
        memcpy(&first, at, 2);
        if (first == 0xFFFF) {
            at += 2;
            *ordinal = word();
            return;
        }
        WCHAR wide[512];
        int n = 0;
        for (WORD w = word(); w && n < 511; w = word()) wide[n++] = w;
        wide[n] = 0;
        WideCharToMultiByte(1252, 0, wide, -1, out, capacity, nullptr, nullptr);
    }
};

// The control's class as a name: the ordinals of the standard classes mapped to theirs.
void ClassName(const char *name, int ordinal, char *out, int capacity) {
    const char *known = ordinal == 0x80 ? "Button" : ordinal == 0x82 ? "Static" : nullptr;
    snprintf(out, capacity, "%s", known ? known : ordinal >= 0 ? "?" : name);
}

// Compares one template with its expected layout and texts; reports the first difference.
bool CheckTemplate(HMODULE module, const DialogText &d) {
    char what[600];
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(d.id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const BYTE *data = loaded ? static_cast<const BYTE *>(LockResource(loaded)) : nullptr;
    if (!data) {
        snprintf(what, sizeof what, "dialog %d missing", d.id);
        return CheckFailed(__FILE__, __LINE__, what);
    }
    TemplateReader r = {data, data};
    const DialogLayout &l = *d.layout;
    DWORD style = r.dword(), exStyle = r.dword();
    int count = r.word();
    short x = r.number(), y = r.number(), cx = r.number(), cy = r.number();
    char menu[100], cls[100], title[300], font[100];
    int menuOrdinal, classOrdinal, titleOrdinal, fontOrdinal;
    r.text(menu, sizeof menu, &menuOrdinal);
    r.text(cls, sizeof cls, &classOrdinal);
    r.text(title, sizeof title, &titleOrdinal);
    WORD points = (style & DS_SETFONT) ? r.word() : 0;
    font[0] = 0;
    if (style & DS_SETFONT) r.text(font, sizeof font, &fontOrdinal);
    if (style != l.style || exStyle != l.exStyle || count != l.count || x != l.x || y != l.y || cx != l.cx ||
        cy != l.cy || menu[0] || cls[0] || strcmp(title, d.title) != 0 || points != l.pointSize ||
        strcmp(font, l.font) != 0) {
        snprintf(what, sizeof what,
                 "dialog %d: style %#lx ex %#lx, %d controls, (%d,%d %dx%d), menu \"%s\" class \"%s\", "
                 "title \"%s\", font %d \"%s\"; expected %#lx %#lx %d (%d,%d %dx%d) \"%s\" %d \"%s\"",
                 d.id, (unsigned long)style, (unsigned long)exStyle, count, x, y, cx, cy, menu, cls, title,
                 points, font, (unsigned long)l.style, (unsigned long)l.exStyle, l.count, l.x, l.y, l.cx, l.cy,
                 d.title, l.pointSize, l.font);
        return CheckFailed(__FILE__, __LINE__, what);
    }
    for (int i = 0; i < count; ++i) {
        r.alignDword();
        const ControlLayout &c = l.controls[i];
        DWORD cStyle = r.dword(), cEx = r.dword();
        short cxPos = r.number(), cyPos = r.number(), cWidth = r.number(), cHeight = r.number();
        int id = (short)r.word();
        char className[100], text[300], expectedText[300];
        int ordinal, textOrdinal;
        r.text(className, sizeof className, &ordinal);
        char mapped[100];
        ClassName(className, ordinal, mapped, sizeof mapped);
        r.text(text, sizeof text, &textOrdinal);
        r.at += r.word();  // creation data
        if (textOrdinal >= 0) snprintf(text, sizeof text, "#%d", textOrdinal);
        snprintf(expectedText, sizeof expectedText, "%s", d.texts[i] ? d.texts[i] : "#200");
        if (cStyle != c.style || cEx != 0 || cxPos != c.x || cyPos != c.y || cWidth != c.cx ||
            cHeight != c.cy || id != c.id || _stricmp(mapped, c.className) != 0 ||
            strcmp(text, expectedText) != 0) {
            snprintf(what, sizeof what,
                     "dialog %d control %d: id %d %s style %#lx ex %#lx (%d,%d %dx%d) \"%s\"; "
                     "expected id %d %s style %#lx (%d,%d %dx%d) \"%s\"",
                     d.id, i, id, mapped, (unsigned long)cStyle, (unsigned long)cEx, cxPos, cyPos, cWidth,
                     cHeight, text, c.id, c.className, (unsigned long)c.style, c.x, c.y, c.cx, c.cy,
                     expectedText);
            return CheckFailed(__FILE__, __LINE__, what);
        }
    }
    return true;
}

INT_PTR CALLBACK SilentDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Creates the dialog hidden and reads back its title and each control's
// class, id and text through the ANSI calls; reports the first difference.
bool CheckCreatedDialog(HMODULE module, const DialogText &d) {
    char what[600];
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(d.id), nullptr, SilentDialog, 0);
    if (!dialog) {
        snprintf(what, sizeof what, "dialog %d not created (error %lu)", d.id, GetLastError());
        return CheckFailed(__FILE__, __LINE__, what);
    }
    bool ok = true;
    char text[300];
    GetWindowTextA(dialog, text, sizeof text);
    if (IsWindowVisible(dialog) || strcmp(text, d.title) != 0) {
        snprintf(what, sizeof what, "dialog %d: title \"%s\", expected \"%s\"", d.id, text, d.title);
        ok = CheckFailed(__FILE__, __LINE__, what);
    }
    HWND child = GetWindow(dialog, GW_CHILD);
    for (int i = 0; ok && i < d.layout->count; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const ControlLayout &c = d.layout->controls[i];
        char className[100] = "";
        text[0] = 0;
        if (child) {
            GetClassNameA(child, className, sizeof className);
            GetWindowTextA(child, text, sizeof text);
        }
        // An icon control shows the program icon; the others their text.
        bool textRight = d.texts[i] ? strcmp(text, d.texts[i]) == 0
                                    : child && SendMessageA(child, STM_GETICON, 0, 0) != 0;
        // Template ids are 16-bit: the unnumbered controls read back as 65535.
        if (!child || (WORD)GetDlgCtrlID(child) != (WORD)c.id || _stricmp(className, c.className) != 0 || !textRight) {
            snprintf(what, sizeof what, "dialog %d control %d: id %d %s \"%s\", expected id %d %s \"%s\"", d.id,
                     i, child ? GetDlgCtrlID(child) : 0, className, text, c.id, c.className,
                     d.texts[i] ? d.texts[i] : "(icon)");
            ok = CheckFailed(__FILE__, __LINE__, what);
        }
        if (ok && c.id > 0) {
            // GetDlgItemTextA finds the same control by its id.
            char byId[300] = "";
            GetDlgItemTextA(dialog, c.id, byId, sizeof byId);
            if (d.texts[i] && strcmp(byId, d.texts[i]) != 0) {
                snprintf(what, sizeof what, "dialog %d item %d: \"%s\"", d.id, c.id, byId);
                ok = CheckFailed(__FILE__, __LINE__, what);
            }
        }
    }
    if (ok && child) {
        snprintf(what, sizeof what, "dialog %d has more controls than %d", d.id, d.layout->count);
        ok = CheckFailed(__FILE__, __LINE__, what);
    }
    DestroyWindow(dialog);
    return ok;
}

// ---------------------------------------------------------------- icons

// The sizes and bit counts listed in an icon group, as (size << 8 | bits) codes.
int IconGroupImages(HMODULE module, int id, int *codes, int capacity) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const BYTE *data = loaded ? static_cast<const BYTE *>(LockResource(loaded)) : nullptr;
    if (!data) return -1;
    WORD count;
    memcpy(&count, data + 4, 2);
    int n = 0;
    for (int i = 0; i < count && n < capacity; ++i) {
        const BYTE *entry = data + 6 + 14 * i;  // width, height, colours, reserved, planes, bits, bytes, id
        WORD bits;
        memcpy(&bits, entry + 6, 2);
        int size = entry[0] ? entry[0] : 256;
        codes[n++] = size << 8 | bits;
    }
    return n;
}

// Draws the icon at its size on white and counts the pixels of the target's
// red, white and dark inks.
void CountIconInks(HICON icon, int size, int *red, int *dark, int *white) {
    *red = *dark = *white = 0;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            if (r > 150 && g < 80 && b < 80) ++*red;
            else if (r < 80 && g < 80 && b < 80) ++*dark;
            else if (r > 230 && g > 230 && b > 230) ++*white;
        }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

// ---------------------------------------------------------------- whole file

struct ResourceCensus {
    int languages[8];
    int languageCount;
    int manifests;
    int resources;
};

BOOL CALLBACK CountLanguage(HMODULE, LPCSTR type, LPCSTR, WORD language, LONG_PTR param) {
    ResourceCensus *census = reinterpret_cast<ResourceCensus *>(param);
    ++census->resources;
    if (type == MAKEINTRESOURCEA(24)) ++census->manifests;
    for (int i = 0; i < census->languageCount; ++i)
        if (census->languages[i] == language) return TRUE;
    if (census->languageCount < 8) census->languages[census->languageCount++] = language;
    return TRUE;
}

BOOL CALLBACK CountName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param) {
    EnumResourceLanguagesA(module, type, name, CountLanguage, param);
    return TRUE;
}

BOOL CALLBACK CountType(HMODULE module, LPSTR type, LONG_PTR param) {
    EnumResourceNamesA(module, type, CountName, param);
    return TRUE;
}

}  // namespace

TEST_CASE(every_string_in_three_languages) {
    HMODULE module = ZorvaneModule();
    CHECK(module != nullptr);
    // The expected bytes are Windows-1252: the ANSI code page of these languages.
    CHECK_EQ(1252, GetACP());
    for (const StringText &s : kStrings) {
        char text[100];  // the program's buffer size: every string must fit
        int length = LoadStringA(module, s.id, text, sizeof text);
        if (length != (int)strlen(s.text) || strcmp(text, s.text) != 0) {
            char what[400];
            snprintf(what, sizeof what, "string %d is \"%s\" (%d), expected \"%s\"", s.id, text, length, s.text);
            CheckFailed(__FILE__, __LINE__, what);
            return;
        }
    }
    // No other string exists: 200 and 201 once, nothing at 10200/10201/20200/20201.
    int blocks[64] = {0};
    EnumResourceNamesA(module, MAKEINTRESOURCEA(6) /* RT_STRING */, CollectName, (LONG_PTR)blocks);
    CHECK(blocks[0] > 0);
    int present = 0;
    for (int b = 1; b <= blocks[0]; ++b) {
        for (int id = (blocks[b] - 1) * 16; id < blocks[b] * 16; ++id) {
            char text[100];
            if (LoadStringA(module, id, text, sizeof text) <= 0) continue;
            ++present;
            if (!IsExpectedString(id)) {
                char what[200];
                snprintf(what, sizeof what, "unexpected string %d \"%s\"", id, text);
                CheckFailed(__FILE__, __LINE__, what);
                return;
            }
        }
    }
    CHECK_EQ(kStringCount, present);
}

TEST_CASE(main_menu_in_three_languages) {
    HMODULE module = ZorvaneModule();
    CHECK(module != nullptr);
    for (const MenuText &m : kMenus) {
        HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(m.id));
        CHECK(menu != nullptr);
        bool ok = GetMenuItemCount(menu) == 3;
        char where[64];
        for (int p = 0; ok && p < 3; ++p) {
            char text[100] = "";
            GetMenuStringA(menu, p, text, sizeof text, MF_BYPOSITION);
            HMENU popup = GetSubMenu(menu, p);
            snprintf(where, sizeof where, "menu %d popup %d", m.id, p);
            ok = popup && strcmp(text, m.popups[p]) == 0;
            if (!ok) {
                char what[200];
                snprintf(what, sizeof what, "%s is \"%s\", expected \"%s\"", where, text, m.popups[p]);
                CheckFailed(__FILE__, __LINE__, what);
                break;
            }
            const MenuEntry *entries = p == 0 ? m.file : p == 1 ? m.process : m.help;
            int count = p == 0 ? 11 : p == 1 ? 11 : 1;
            ok = CheckPopup(popup, entries, count, where);
        }
        int items = GetMenuItemCount(menu);
        DestroyMenu(menu);
        if (!ok) {
            if (items != 3) CHECK_EQ(3, items);
            return;
        }
    }
}

TEST_CASE(one_accelerator_table_for_all_languages) {
    HMODULE module = ZorvaneModule();
    CHECK(module != nullptr);
    HACCEL table = LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDA_MAIN));
    CHECK(table != nullptr);
    ACCEL entries[16];
    int count = CopyAcceleratorTableA(table, entries, 16);
    DestroyAcceleratorTable(table);
    const ACCEL expected[] = {
        {FALT | FNOINVERT, '/', 201},
        {FALT | FNOINVERT, '?', 201},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'Q', 202},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'X', 204},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'P', 203},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'L', 207},
    };
    CHECK_EQ(6, count);
    for (int i = 0; i < count; ++i) {
        CHECK_EQ(expected[i].fVirt, entries[i].fVirt & 0x7F);
        CHECK_EQ(expected[i].key, entries[i].key);
        CHECK_EQ(expected[i].cmd, entries[i].cmd);
    }
    for (int base : kBases) {
        if (base == 0) continue;
        CHECK(FindResourceA(module, MAKEINTRESOURCEA(IDA_MAIN + base), MAKEINTRESOURCEA(9)) == nullptr);
    }
}

TEST_CASE(dialog_templates_in_three_languages) {
    HMODULE module = ZorvaneModule();
    CHECK(module != nullptr);
    for (const DialogText &d : kDialogs) CHECK(CheckTemplate(module, d));
}

TEST_CASE(dialogs_show_their_texts_through_ansi_calls) {
    HMODULE module = ZorvaneModule();
    CHECK(module != nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS};
    CHECK(InitCommonControlsEx(&controls));
    for (const DialogText &d : kDialogs) CHECK(CheckCreatedDialog(module, d));
}

TEST_CASE(icons_hold_48_32_and_16_pixel_targets) {
    HMODULE module = ZorvaneModule();
    CHECK(module != nullptr);
    const int ids[] = {IDI_ZORVANE, IDI_ZORVANE_SMALL, IDI_ZORVANE_SPARE};
    const int sizes[] = {48, 32, 16};
    for (int id : ids) {
        int codes[16];
        int count = IconGroupImages(module, id, codes, 16);
        CHECK(count > 0);
        for (int size : sizes) {
            bool listed = false;
            for (int i = 0; i < count; ++i) listed = listed || codes[i] == (size << 8 | 32);
            CHECK(listed);
            HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            CHECK(icon != nullptr);
            ICONINFO info = {};
            BITMAP bitmap = {};
            bool read = GetIconInfo(icon, &info) && GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
            int red, dark, white;
            CountIconInks(icon, size, &red, &dark, &white);
            DestroyIcon(icon);
            CHECK(read);
            CHECK_EQ(size, bitmap.bmWidth);
            CHECK_EQ(size, bitmap.bmHeight);
            // A drawn target: red centre or rings, dark crosshair, and background left around it.
            CHECK(red > 0);
            CHECK(dark >= size);
            CHECK(white > 0);
        }
    }
}

TEST_CASE(version_resource_carries_the_project_version) {
    char path[MAX_PATH];
    BinPath("Zorvane.exe", path, MAX_PATH);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    CHECK(size > 0);
    static BYTE block[8192];
    CHECK(size <= sizeof block);
    CHECK(GetFileVersionInfoA(path, 0, size, block));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    CHECK(VerQueryValueA(block, "\\", reinterpret_cast<void **>(&fixed), &length));
    CHECK(fixed != nullptr && length >= sizeof *fixed);
    CHECK_EQ(0xFEEF04BD, fixed->dwSignature);
    const WORD version[] = {ZORVANE_VERSION_BINARY};
    CHECK_EQ(MAKELONG(version[1], version[0]), fixed->dwFileVersionMS);
    CHECK_EQ(MAKELONG(version[3], version[2]), fixed->dwFileVersionLS);
    CHECK_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    CHECK_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    CHECK_EQ(VFT_APP, fixed->dwFileType);
    WORD *translation = nullptr;
    CHECK(VerQueryValueA(block, "\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation), &length));
    CHECK(length >= 4);
    CHECK_EQ(0x0409, translation[0]);
    CHECK_EQ(1252, translation[1]);
    const char *values[][2] = {{"FileVersion", ZORVANE_VERSION_TEXT},
                               {"ProductVersion", ZORVANE_VERSION_TEXT},
                               {"ProductName", "Zorvane"},
                               {"CompanyName", "Gravelin"},
                               {"LegalCopyright", "Copyright (C) Gravelin"},
                               {"InternalName", "Zorvane"},
                               {"OriginalFilename", "Zorvane.exe"}};
    for (auto &v : values) {
        char query[100];
        snprintf(query, sizeof query, "\\StringFileInfo\\040904E4\\%s", v[0]);
        char *text = nullptr;
        CHECK(VerQueryValueA(block, query, reinterpret_cast<void **>(&text), &length));
        CHECK(text != nullptr);
        CHECK_STR(v[1], text);
    }
}

TEST_CASE(one_resource_language_and_no_manifest) {
    HMODULE module = ZorvaneModule();
    CHECK(module != nullptr);
    ResourceCensus census = {};
    EnumResourceTypesA(module, CountType, (LONG_PTR)&census);
    CHECK(census.resources > 0);
    CHECK_EQ(1, census.languageCount);
    CHECK_EQ(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), census.languages[0]);
    // The manifest is Stampwell's to write at set-up; the build adds none.
    CHECK_EQ(0, census.manifests);
    CHECK(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) == nullptr);
}
