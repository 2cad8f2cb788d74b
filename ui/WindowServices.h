// The services every action asks of the main window, done once for all of them: the plain
// message box and the question, the message pump, the list rebuilt from a new scan, and the
// window while a library's registration runs in the helper (answering all along, with
// "Detener", and no time limit: a person is there to stop it or to answer its box).
#pragma once

#include "ui/MessageBoxes.h"
#include "ui/MessageLoop.h"
#include "ui/RegLib.h"

#include <string>

// `TUi` is an action's window interface (TRegistrationUi, TDownloadUi...).
template <typename TUi> class TWindowServices : public TUi {
public:
    explicit TWindowServices(TfGeneral& form) : FForm(form) {}

    void ShowMessage(const std::string& text) override { ShowPlainMessage(text); }
    void PumpMessages() override { ::PumpMessages(); }
    void RefreshList() override { FForm.RefreshList(); }
    bool Confirm(const std::string& text) override { return AskConfirmation(text); }

    bool StopRequested() override { return FForm.RegistrationStopRequested(); }
    bool PumpsWindowMessages() override { return true; }
    void RegistrationStarted(const std::string& path) override { FForm.RegistrationStarted(path); }
    void RegistrationEnded() override { FForm.RegistrationEnded(); }
    void ShowLine(std::size_t line) override { FForm.ShowWorkingLine(line); }

protected:
    TfGeneral& FForm;
};
