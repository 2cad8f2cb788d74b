// What every action asks of the main window: the plain message box and the question, a
// chance to repaint, and the list rebuilt from a new scan. Each action's own interface adds what it
// alone needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Line break of every multi-line message: line feed, then carriage return.
inline constexpr const char* MESSAGE_BREAK = "\n\r";

class TActionUi {
public:
    virtual ~TActionUi() = default;
    // The plain message box ("Kestrova", one OK button).
    virtual void ShowMessage(const std::string& text) = 0;
    // Handles the messages already waiting, so the window repaints and hears its buttons.
    virtual void PumpMessages() = 0;
    // Empties the list and fills it from a new scan.
    virtual void RefreshList() = 0;
    // The confirmation box ("Warning", Yes/No): true only for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    // False for a run with no one to ask (the repair answers its own questions): a question
    // only the user may answer is then not asked, and the step it guards is skipped.
    virtual bool AsksUser() { return true; }

    // True once the user asked the running action to stop: the stop button, closing the
    // window, or whatever stops the repair that runs it.
    virtual bool StopRequested() { return false; }
    // The most one library's registration entry may take, in seconds; 0 where a person is
    // there to stop it (and to answer a box the library shows).
    virtual uint32_t RegistrationLimit() { return 0; }
    // Whether PumpMessages handles the window's messages, so a wait wakes up for them.
    virtual bool PumpsWindowMessages() { return false; }
    // While a library's registration entry runs: "Registrando NAME...", the commands
    // disabled and the stop button shown, the window answering all along.
    virtual void RegistrationStarted(const std::string& /*path*/) {}
    virtual void RegistrationEnded() {}
    // The catalogue line a command works on now, for a window to show.
    virtual void ShowLine(std::size_t /*line*/) {}
};
