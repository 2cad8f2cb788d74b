// The checks that make an output file the file its name says, made on the open handle so
// that nothing can be swapped between the check and the writing: its own kind and links, and
// where it lies.
#include "app/OutputFile.h"

#include "app/ElevatedRules.h"
#include "app/ParentOutput.h"
#include "app/Unattended.h"
#include "platform/FinalPath.h"
#include "platform/HeldFile.h"
#include "platform/WinPlatform.h"

namespace {

// Elevated: the file at `path` if it is there, else a new one, with the right to remove it
// again should it prove to lie elsewhere. `created` says which.
TFileHandle OpenElevated(const std::string& path, DWORD access, bool& created) {
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    TFileHandle file(
        CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr));
    created = false;
    if (file || GetLastError() != ERROR_FILE_NOT_FOUND) return file;
    file.reset(CreateFileA(path.c_str(), access | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           flags, nullptr));
    created = static_cast<bool>(file);
    return file;
}

} // namespace

TOutputOpening OpenOutputFile(const std::string& path, TOutputMode mode, TFileHandle& file) {
    const bool elevated = WindowsPlatform().Elevated();
    const DWORD access =
        (mode == TOutputMode::Append ? FILE_APPEND_DATA : GENERIC_WRITE) | FILE_READ_ATTRIBUTES;
    // Opened, never created afresh over what is there (which would cut the file a link
    // leads to before any check); a standard user's run follows links as it always did.
    bool created = false;
    if (elevated)
        file = OpenElevated(path, access, created);
    else
        file.reset(CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return TOutputOpening::Failed;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        file.reset();
        return TOutputOpening::Failed;
    }
    // Only the handle tells where a folder on the way that is a link led the name.
    const bool atPath = !elevated || LiesAt(file.get(), CheckedPathOf(path));
    if (RefusesToWrite(elevated, (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                       info.nNumberOfLinks, atPath)) {
        // A file this run made wherever the link led is not left there.
        if (created) RemoveWhenClosed(file.get());
        file.reset();
        return TOutputOpening::Refused;
    }
    if (mode == TOutputMode::Replace && !SetEndOfFile(file.get())) {
        file.reset();
        return TOutputOpening::Failed;
    }
    return TOutputOpening::Opened;
}

int RefuseOutputFile(TOutputOpening opening, const std::string& path, const TCommandLine& request) {
    if (opening != TOutputOpening::Refused) return ShowUsage(EXIT_BAD_USE);
    TellWhyNothingWasDone(request,
                          "Kestrova se ejecuta como administrador y no escribe en " + path +
                              ": es un enlace (un punto de reanálisis o un archivo con más de "
                              "un vínculo), o lo es una carpeta de su ruta, y puede llevar a "
                              "otro archivo. No se ha hecho nada.");
    return EXIT_BAD_USE;
}
