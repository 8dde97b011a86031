// Version texts: the program's own file version and the comparison of two
// dotted version texts.
#include "update/update.h"

#include <stdlib.h>
#include <string.h>

#include "shell/winutil.h"

namespace {

enum { VersionParts = 4 };

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
    DWORD size = GetFileVersionInfoSizeA(path, nullptr);
    if (size == 0) return false;
    void *block = malloc(size);
    if (!block) return false;
    bool ok = false;
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT fixedSize = 0;
    if (GetFileVersionInfoA(path, 0, size, block) &&
        VerQueryValueA(block, "\\", reinterpret_cast<void **>(&fixed), &fixedSize) && fixed &&
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
    return ok;
}
