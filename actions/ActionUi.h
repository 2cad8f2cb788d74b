// What every action asks of the main window: the plain message box and the question, a
// chance to repaint, and the list rebuilt from a new scan. Each action's own interface adds what it
// alone needs.
#pragma once

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
};
