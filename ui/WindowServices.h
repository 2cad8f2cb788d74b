// The services every action asks of the main window, done once for all of them: the plain
// message box and the question, the message pump, and the list rebuilt from a new scan.
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

protected:
    TfGeneral& FForm;
};
