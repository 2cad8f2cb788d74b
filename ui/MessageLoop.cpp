// The loop, the pump and the handler boundary. Both loops give the main window the first
// look at each message, for its keyboard rules.
#include "ui/MessageLoop.h"

#include "ui/ErrorText.h"
#include "ui/MessageBoxes.h"
#include "ui/RegLib.h"

#include <windows.h>

namespace {

void Dispatch(MSG& message) {
    if (fGeneral && fGeneral->PreTranslate(message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

} // namespace

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit request for the message loop that owns it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
    return static_cast<int>(message.wParam);
}

void ReportHandlerFailure(const char* what) noexcept {
    try {
        ShowErrorMessage(ErrorBoxText(what));
    } catch (...) {
        // The error box itself failed (no memory for its text): nothing more can be shown.
    }
}
