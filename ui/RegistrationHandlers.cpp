// The registration commands' handlers: each hands what the window shows (the path field,
// the selected line) to its action, with the window's registration interface.
#include "ui/RegLib.h"

#include "inventory/Catalogue.h"
#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/RegistrationWindow.h"

void TfGeneral::cmdRegistrarClick() {
    TRegistrationWindow ui(*this);
    RegisterLibrary(WindowsPlatform(), ui, ControlText(IDC_TPATH));
}

void TfGeneral::cmdReRegistrarClick() {
    TRegistrationWindow ui(*this);
    ReRegisterSelected(WindowsPlatform(), ui, Libraries, SelectedLine());
}

void TfGeneral::Registrartodaslaslibreras1Click() {
    // The loop pumps messages after every library: for its whole length (the result box
    // included) the controls a download disables are disabled, a close waits for it to
    // end, and afterwards each control is as it was.
    struct TBusy {
        TfGeneral& Form;
        bool Enabled[5] = {};
        const int Ids[5] = {IDC_LLIBRERIAS, IDC_BTNEXTRA, IDC_CMDREREGISTRAR, IDC_CMDREGISTRAR,
                            IDC_CMDDESCARGAR};
        explicit TBusy(TfGeneral& form) : Form(form) {
            Form.FRegisteringAll = true;
            for (int i = 0; i < 5; ++i) {
                Enabled[i] = IsWindowEnabled(Form.Control(Ids[i])) != FALSE;
                EnableWindow(Form.Control(Ids[i]), FALSE);
            }
        }
        ~TBusy() {
            for (int i = 0; i < 5; ++i)
                EnableWindow(Form.Control(Ids[i]), Enabled[i] ? TRUE : FALSE);
            Form.FRegisteringAll = false;
            if (Form.FCloseAfterRegistering) PostMessageA(Form.FHandle, WM_CLOSE, 0, 0);
            Form.FCloseAfterRegistering = false;
        }
    } busy(*this);
    TRegistrationWindow ui(*this);
    RegisterAllLibraries(WindowsPlatform(), ui, Libraries);
}

void TfGeneral::Exploraryregistrarotralibrera1Click() {
    TRegistrationWindow ui(*this);
    BrowseAndRegister(WindowsPlatform(), ui);
}
