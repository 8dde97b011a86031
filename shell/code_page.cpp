// Text in the process's ANSI code page: whole characters, wide forms, names
// compared as letters and paths read exactly.
#include "shell/code_page.h"

namespace {

bool Utf8CodePage() { return GetACP() == CP_UTF8; }

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

const char *NextCharacter(const char *text) {
    if (!*text) return text;
    if (!Utf8CodePage()) return CharNextA(text);
    // The lead byte and its continuation bytes; a stray byte counts alone.
    const char *next = text + 1;
    while (*next && IsContinuation(*next)) ++next;
    return next;
}

bool CopyWholeCharacters(char *out, const char *text, int capacity) {
    if (capacity <= 0) return false;
    const char *end = text;
    for (;;) {
        const char *next = NextCharacter(end);
        if (next == end || next - text > capacity - 1) break;
        end = next;
    }
    int length = static_cast<int>(end - text);
    CopyMemory(out, text, length);
    out[length] = 0;
    return *end == 0;
}

int ToWideText(const char *text, WCHAR *out, int capacity) {
    if (capacity <= 0) return 0;
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, out, capacity);
    if (length <= 0) {
        out[0] = 0;
        return 0;
    }
    return length - 1;
}

bool FromWideText(const WCHAR *text, char *out, int capacity, bool exact) {
    if (capacity <= 0) return false;
    // UTF-8 has every character; the other code pages say when they lacked one.
    BOOL lossy = FALSE;
    BOOL *missing = exact && !Utf8CodePage() ? &lossy : nullptr;
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, out, capacity, nullptr, missing);
    if (length <= 0) {
        out[0] = 0;
        return false;
    }
    return !lossy;
}

int CompareNamesFolded(const char *first, const char *second) {
    WCHAR a[TEXT_BYTES(MAX_PATH)], b[TEXT_BYTES(MAX_PATH)];
    ToWideText(first, a, TEXT_BYTES(MAX_PATH));
    ToWideText(second, b, TEXT_BYTES(MAX_PATH));
    return lstrcmpiW(a, b);
}

bool ModulePathText(HMODULE module, char *out, int capacity) {
    if (capacity <= 0) return false;
    out[0] = 0;
    // Read in UTF-16 and converted here: the narrow call may hand back a path
    // cut to the buffer without saying so.
    WCHAR wide[TEXT_BYTES(MAX_PATH)];
    DWORD length = GetModuleFileNameW(module, wide, TEXT_BYTES(MAX_PATH));
    if (length == 0 || length >= TEXT_BYTES(MAX_PATH)) return false;
    wide[length] = 0;
    return FromWideText(wide, out, capacity, true);
}
