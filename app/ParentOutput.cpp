// The parent's console or standard output, joined once for the whole run.
#include "app/ParentOutput.h"

#include "app/TextEncoding.h"
#include "platform/Handles.h"
#include "ui/MessageBoxes.h"

#include <windows.h>

namespace {

class TParentOutput {
public:
    static TParentOutput& Get() {
        static TParentOutput output;
        return output;
    }
    bool Exists() const { return FOut != INVALID_HANDLE_VALUE; }
    bool Write(const std::string& text) {
        return Exists() && WriteAll(FOut, Recode(text, FCodePage));
    }

private:
    TParentOutput() {
        const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
        HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
        if (given != nullptr && given != INVALID_HANDLE_VALUE &&
            GetFileType(given) != FILE_TYPE_UNKNOWN) {
            FOut = given;
        } else if (attached) {
            FScreen.reset(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
            FOut = FScreen.get();
        }
        FCodePage = attached ? GetConsoleOutputCP() : GetOEMCP();
    }
    HANDLE FOut = INVALID_HANDLE_VALUE;
    UINT FCodePage = CP_ACP;
    TFileHandle FScreen;
};

} // namespace

bool ParentOutputExists() {
    return TParentOutput::Get().Exists();
}

bool WriteToParent(const std::string& text) {
    return TParentOutput::Get().Write(text);
}

int ShowUsage(int exitCode) {
    if (!WriteToParent(std::string("\r\n") + USAGE_TEXT)) ShowPlainMessage(USAGE_TEXT);
    return exitCode;
}

void TellWhyNothingWasDone(const TCommandLine& request, const std::string& text) {
    const bool toOutput =
        request.Mode != TRunMode::Window && WriteToParent(std::string("\r\n") + text + "\r\n");
    if (!toOutput && !request.Silent) ShowPlainMessage(text);
}
