// Writes the common-controls application manifest into an executable's resources.
#include "stampwell/stamp.h"

#include <stdio.h>
#include <string.h>

const char kManifestTemplate[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
    "<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"x86\" name=\"%s\" type=\"win32\" />"
    "<description>%s</description>"
    "<dependency><dependentAssembly>"
    "<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
    "publicKeyToken=\"6595b64144ccf1df\" language=\"*\" processorArchitecture=\"x86\"/>"
    "</dependentAssembly></dependency>"
    "</assembly>";

namespace {

// The last error of a failed call; never 0, so that a failure is never taken for success.
DWORD FailureCode() {
    DWORD code = GetLastError();
    return code ? code : ERROR_GEN_FAILURE;
}

}  // namespace

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

DWORD StampManifest(const char *target, const char *name, const char *description) {
    if (!target || !name || !description) return ERROR_INVALID_PARAMETER;

    // Loading it first makes sure the target is an image the system accepts.
    HMODULE module = LoadLibraryA(target);
    if (!module) return FailureCode();
    FreeLibrary(module);

    HANDLE update = BeginUpdateResourceA(target, FALSE);
    if (!update) return FailureCode();

    size_t capacity = strlen(kManifestTemplate) + strlen(name) + strlen(description) + 1;
    if (capacity > 0x7FFFFFFF) {
        EndUpdateResourceA(update, TRUE);
        return ERROR_INVALID_PARAMETER;
    }
    char *text = static_cast<char *>(HeapAlloc(GetProcessHeap(), 0, capacity));
    if (!text) {
        EndUpdateResourceA(update, TRUE);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    int length = FormatManifest(text, static_cast<int>(capacity), name, description);
    if (length < 0) {
        HeapFree(GetProcessHeap(), 0, text);
        EndUpdateResourceA(update, TRUE);
        return ERROR_INVALID_DATA;
    }

    // The data carry no terminating zero; an existing 24/1/1033 resource is replaced.
    if (!UpdateResourceA(update, MAKEINTRESOURCEA(kManifestResourceType),
                         MAKEINTRESOURCEA(kManifestResourceId), kManifestLanguage, text,
                         static_cast<DWORD>(length))) {
        DWORD code = FailureCode();
        HeapFree(GetProcessHeap(), 0, text);
        EndUpdateResourceA(update, TRUE);  // discard: the file stays as it was
        return code;
    }
    HeapFree(GetProcessHeap(), 0, text);
    if (!EndUpdateResourceA(update, FALSE)) return FailureCode();
    return 0;
}
