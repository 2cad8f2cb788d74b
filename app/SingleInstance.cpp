// The one-instance mutex, in the Global\ namespace so that it holds across sessions.
#include "app/SingleInstance.h"

#include "app/ParentOutput.h"

namespace {

constexpr const char* MUTEX_NAME = "Global\\Kestrova.UnaInstancia";
constexpr const char* ALREADY_RUNNING_TEXT =
    "Kestrova ya está en marcha en esta máquina: espere a que termine.";

} // namespace

TSingleInstance::TSingleInstance() {
    FMutex = CreateMutexA(nullptr, FALSE, MUTEX_NAME);
    // A mutex another user's (or an elevated) Kestrova made may exist yet refuse us access.
    FFirst = FMutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

TSingleInstance::~TSingleInstance() {
    if (FMutex) CloseHandle(FMutex);
}

int TSingleInstance::ReportWhyNot(const TCommandLine& request) const {
    TellWhyNothingWasDone(request, ALREADY_RUNNING_TEXT);
    return EXIT_ALREADY_RUNNING;
}
