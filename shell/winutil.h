// Small helpers over repeated Windows boilerplate, shared by the whole program.
#ifndef ZORVANE_WINUTIL_H
#define ZORVANE_WINUTIL_H

#include <windows.h>

#include "shell/system_library.h"

// Loads string baseId + LanguageBase; returns its length (0 when missing).
int LoadLocalString(UINT baseId, char *buffer, int capacity);

// Shows string baseId + LanguageBase in an MB_OK box owned by the main window,
// captioned with the product name.
int ShowLocalMessage(UINT baseId);

// Opens an address or file with the shell's "open" verb, SW_SHOW.
void OpenWithShell(HWND owner, const char *target);

// Reads a control's text into the buffer (empty when the control is missing).
int ReadControlText(HWND dialog, int controlId, char *buffer, int capacity);

// The directory of this program's executable, with a trailing backslash.
bool ProgramDirectory(char *out, int capacity);

// The full path of this program's executable; false when it does not fit.
bool ProgramPath(char *out, int capacity);

// Formats with msvcrt's printf (whole numbers and texts only; MinGW's own
// printf would bring its floating-point formatting into the program). The text
// is always terminated; returns its length, or -1 when it was cut to fit.
int FormatText(char *out, int capacity, const char *format, ...) __attribute__((format(ms_printf, 3, 4)));

// Reads the next blank-separated word of a command line into out, quotes removed
// (blanks inside quotes belong to the word); returns the position after it, or
// null when only blanks are left.
const char *ReadCommandLineWord(const char *line, char *out, int capacity);

// The system's own verdict that the window's program stopped reading its
// messages ("IsHungAppWindow", bound by name); asks the program nothing.
bool SystemCountsHung(HWND window);

// True when the window's program has stopped reading its messages: the
// system's own verdict where it has one, else a WM_NULL left unanswered for
// timeoutMs. Never waits longer than that on the other program.
bool WindowNotResponding(HWND window, UINT timeoutMs);

// Shows or hides another program's window without waiting on its thread
// (ShowWindow would, forever when that program does not respond): the change is
// asked for asynchronously, then its visibility watched for at most timeoutMs.
// True when the window was seen to take the state asked for.
bool ShowWindowBounded(HWND window, int command, UINT timeoutMs);

// The common controls library is not linked: it is taken by name from the
// system folder, or in the version the manifest asks for, which the activation
// context supplies, and registers the classes (ICC_ flags) that a dialog
// template holds before that dialog is made. It stays loaded.
bool RegisterCommonControls(DWORD classes);

// How long Zorvane watches for another program's window to show or hide.
const UINT ShowWindowWait = 500;

#endif
