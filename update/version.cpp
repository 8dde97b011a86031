// Version texts: the program's own file version and the comparison of two
// dotted version texts.
#include "update/update.h"

#include <stdlib.h>
#include <string.h>

#include "shell/winutil.h"

namespace {

enum { VersionParts = 4 };

typedef DWORD(WINAPI *InfoSizeFunction)(LPCSTR path, LPDWORD handle);
typedef BOOL(WINAPI *InfoFunction)(LPCSTR path, DWORD handle, DWORD size, LPVOID block);
typedef BOOL(WINAPI *QueryFunction)(LPCVOID block, LPCSTR subBlock, LPVOID *value, PUINT size);

// The version library is not linked: it is bound from the system folder for the
// one read and released after it.
struct VersionLibrary {
    HMODULE module;
    InfoSizeFunction infoSize;
    InfoFunction info;
    QueryFunction query;
};

bool BindVersionLibrary(VersionLibrary *library) {
    library->module = LoadSystemLibrary("version.dll");
    bool bound = BindEntryPoint(library->module, "GetFileVersionInfoSizeA", &library->infoSize) &&
                 BindEntryPoint(library->module, "GetFileVersionInfoA", &library->info) &&
                 BindEntryPoint(library->module, "VerQueryValueA", &library->query);
    if (!bound && library->module) FreeLibrary(library->module);
    return bound;
}

// A part of decimal digits whose value fits a signed 32-bit number.
bool ParsePart(const char *text, LONG *value) {
    long long number = 0;
    for (const char *c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        number = number * 10 + (*c - '0');
        if (number > 0x7FFFFFFFLL) return false;
    }
    *value = static_cast<LONG>(number);
    return true;
}

// Splits the text at "." in place into parts, most significant first; missing
// trailing parts stay 0. False for no part at all, a fifth part or a bad part.
bool SplitVersionText(char *text, LONG parts[VersionParts]) {
    int count = 0;
    char *cursor = text;
    for (;;) {
        while (*cursor == '.') ++cursor;
        if (!*cursor) break;
        char *part = cursor;
        while (*cursor && *cursor != '.') ++cursor;
        if (*cursor) *cursor++ = 0;
        if (count == VersionParts || !ParsePart(part, &parts[count])) return false;
        ++count;
    }
    return count > 0;
}

// Appends the piece when it fits into the remaining capacity.
void AppendPiece(char *out, int capacity, const char *piece) {
    size_t used = strlen(out);
    if (used + strlen(piece) < static_cast<size_t>(capacity)) strcpy(out + used, piece);
}

}  // namespace

int CompareVersionTexts(char *published, char *own) {
    LONG publishedParts[VersionParts] = {0, 0, 0, 0};
    LONG ownParts[VersionParts] = {0, 0, 0, 0};
    if (!SplitVersionText(published, publishedParts)) return -21;
    if (!SplitVersionText(own, ownParts)) return -22;
    for (int i = 0; i < VersionParts; ++i) {
        if (publishedParts[i] > ownParts[i]) return 1;
        if (publishedParts[i] < ownParts[i]) return -1;
    }
    return 0;
}

bool ReadOwnVersion(const char *path, char *out, int capacity) {
    if (capacity <= 0) return false;
    out[0] = 0;
    VersionLibrary library;
    if (!BindVersionLibrary(&library)) return false;
    DWORD size = library.infoSize(path, nullptr);
    void *block = size ? malloc(size) : nullptr;
    bool ok = false;
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT fixedSize = 0;
    if (block && library.info(path, 0, size, block) &&
        library.query(block, "\\", reinterpret_cast<void **>(&fixed), &fixedSize) && fixed &&
        fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
        const WORD fields[VersionParts] = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                           HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
        for (int i = 0; i < VersionParts; ++i) {
            char piece[8];
            FormatText(piece, sizeof piece, i ? ".%u" : "%u", static_cast<unsigned>(fields[i]));
            AppendPiece(out, capacity, piece);
        }
        ok = true;
    }
    free(block);
    FreeLibrary(library.module);
    return ok;
}
