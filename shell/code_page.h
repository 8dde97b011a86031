// Text in the process's ANSI code page, which is UTF-8 where the program's
// manifest asks for it (Windows 10 1903 and later): whole characters, the wide
// form that GDI draws, names compared as letters, and paths read exactly.
#ifndef ZORVANE_CODE_PAGE_H
#define ZORVANE_CODE_PAGE_H

#include <windows.h>

// Bytes that hold a text of n UTF-16 units in the code page, terminator
// included: 3 for each unit under UTF-8 (a pair of units takes 4).
#define TEXT_BYTES(n) (3 * (n))

// The character after the one at text (text itself at the terminator). Under
// UTF-8 it steps a whole sequence, which CharNextA does not.
const char *NextCharacter(const char *text);

// Copies text into out, cut to fit on a character boundary; false when cut.
bool CopyWholeCharacters(char *out, const char *text, int capacity);

// The text in UTF-16, always terminated (empty when it cannot be converted);
// returns its length in units.
int ToWideText(const char *text, WCHAR *out, int capacity);

// UTF-16 text in the code page. False when it does not fit, or, with exact,
// when a character has no equivalent there and would read as "?".
bool FromWideText(const WCHAR *text, char *out, int capacity, bool exact);

// Compares two names with case folded in every script, as the user reads them.
int CompareNamesFolded(const char *first, const char *second);

// The full path of a module of this process (null: the program); false when it
// does not fit or would not name the file exactly.
bool ModulePathText(HMODULE module, char *out, int capacity);

#endif
