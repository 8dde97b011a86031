// Writes the common-controls application manifest into an executable's resources.
#include "stampwell/stamp.h"

#include <stdio.h>
#include <string.h>

// The architecture of this build's Zorvane: the system refuses common controls
// of another one, and the program then does not start.
#ifdef _WIN64
#define STAMP_ARCHITECTURE "amd64"
#else
#define STAMP_ARCHITECTURE "x86"
#endif

const char kManifestTemplate[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
    "<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"" STAMP_ARCHITECTURE "\" name=\"%s\" type=\"win32\" />"
    "<description>%s</description>"
    "<dependency><dependentAssembly>"
    "<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
    "publicKeyToken=\"6595b64144ccf1df\" language=\"*\" processorArchitecture=\"" STAMP_ARCHITECTURE "\"/>"
    "</dependentAssembly></dependency>"
    // UTF-8 as the process code page (Windows 10 1903 and later; older systems
    // ignore it): names, titles and paths in every script reach the narrow calls.
    "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings>"
    "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage>"
    "</windowsSettings></application>"
    "</assembly>";

int FormatManifest(char *buffer, int capacity, const char *name, const char *description) {
    if (!buffer || capacity <= 0 || !name || !description) return -1;
    // msvcrt's _snprintf is bounded by the buffer and, unlike wsprintfA, has no
    // 1024-character ceiling that would silently cut a long manifest short. It
    // gives -1 for a text longer than the count and leaves out the terminator of
    // one that just fills it, so one place is kept for that.
    int length = _snprintf(buffer, capacity - 1, kManifestTemplate, name, description);
    buffer[capacity - 1] = 0;
    return length;
}

namespace {

// The last error of a failed call; never 0, so that a failure is never taken for success.
DWORD FailureCode() {
    DWORD code = GetLastError();
    return code ? code : ERROR_GEN_FAILURE;
}

// True when the loaded image already holds resource 24 / 1 / 1033 with exactly
// these bytes: writing it again would change nothing but the file, and would
// break a signature the file carries.
bool SameManifestPresent(HMODULE module, const char *text, int length) {
    HRSRC resource = FindResourceExA(module, MAKEINTRESOURCEA(kManifestResourceType),
                                     MAKEINTRESOURCEA(kManifestResourceId), kManifestLanguage);
    if (!resource || SizeofResource(module, resource) != static_cast<DWORD>(length)) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes && memcmp(bytes, text, length) == 0;
}

// Writes the formatted manifest into target unless it is already there.
DWORD WriteManifestText(const char *target, const char *text, int length) {
    if (length < 0) return ERROR_INVALID_DATA;

    // Mapped as an image's resources, never run: this makes sure the target is
    // an image the system accepts, and no code of it or of its imports is loaded.
    // The full path in UTF-16: the folder may be named in a script that the
    // narrow code page cannot write, and a path read back with "?" would name
    // no file at all.
    WCHAR name[MAX_PATH], path[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, target, -1, name, MAX_PATH)) return FailureCode();
    DWORD pathLength = GetFullPathNameW(name, MAX_PATH, path, nullptr);
    if (pathLength == 0) return FailureCode();
    if (pathLength >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
    HMODULE module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return FailureCode();
    bool present = SameManifestPresent(module, text, length);
    FreeLibrary(module);
    if (present) return 0;

    HANDLE update = BeginUpdateResourceW(path, FALSE);
    if (!update) return FailureCode();
    // The data carry no terminating zero; an existing 24/1/1033 resource is replaced.
    if (!UpdateResourceA(update, MAKEINTRESOURCEA(kManifestResourceType),
                         MAKEINTRESOURCEA(kManifestResourceId), kManifestLanguage,
                         const_cast<char *>(text), static_cast<DWORD>(length))) {
        DWORD code = FailureCode();
        EndUpdateResourceA(update, TRUE);  // discard: the file stays as it was
        return code;
    }
    if (!EndUpdateResourceA(update, FALSE)) return FailureCode();
    return 0;
}

}  // namespace

DWORD StampManifest(const char *target, const char *name, const char *description) {
    if (!target || !name || !description) return ERROR_INVALID_PARAMETER;

    size_t capacity = strlen(kManifestTemplate) + strlen(name) + strlen(description) + 1;
    if (capacity > 0x7FFFFFFF) return ERROR_INVALID_PARAMETER;
    char *text = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, capacity));
    if (!text) return ERROR_NOT_ENOUGH_MEMORY;
    int length = FormatManifest(text, static_cast<int>(capacity), name, description);
    DWORD code = WriteManifestText(target, text, length);
    HeapFree(GetProcessHeap(), 0, text);
    return code;
}
