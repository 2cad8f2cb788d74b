// The checks that make an output file the file its name says, made on the open handle so
// that nothing can be swapped between the check and the writing.
#include "app/OutputFile.h"

#include "app/ElevatedRules.h"
#include "app/ParentOutput.h"
#include "app/Unattended.h"
#include "platform/WinPlatform.h"

TOutputOpening OpenOutputFile(const std::string& path, TOutputMode mode, TFileHandle& file) {
    const bool elevated = WindowsPlatform().Elevated();
    const DWORD access =
        (mode == TOutputMode::Append ? FILE_APPEND_DATA : GENERIC_WRITE) | FILE_READ_ATTRIBUTES;
    // Opened, never created afresh over what is there (which would cut the file a link
    // leads to before any check); a standard user's run follows links as it always did.
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (elevated ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    file.reset(
        CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, flags, nullptr));
    if (!file) return TOutputOpening::Failed;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        file.reset();
        return TOutputOpening::Failed;
    }
    if (RefusesToWrite(elevated, (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                       info.nNumberOfLinks)) {
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
                              "un vínculo) que puede llevar a otro archivo. No se ha hecho nada.");
    return EXIT_BAD_USE;
}
