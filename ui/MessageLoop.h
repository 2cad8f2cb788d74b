// The program's message loop, PumpMessages for long steps, and the one boundary every
// event handler is entered through: whatever escapes a handler ends that handler only and
// is shown in the error box, and the loop goes on with the next message.
#pragma once

#include <exception>

// Handles every message already waiting for this program and returns as soon as none is
// left, without waiting for new ones.
void PumpMessages();

// The message loop until the window is closed; returns the program's exit code.
int RunMessageLoop();

// Shows what escaped a handler in the error box ("Kestrova", error icon, the full-stop
// rule applied to `what`).
void ReportHandlerFailure(const char* what) noexcept;

// Runs one event handler inside the boundary.
template <typename THandler> void RunHandler(THandler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        ReportHandlerFailure(e.what());
    } catch (...) {
        ReportHandlerFailure("Error inesperado");
    }
}
