// The registration commands' handlers: each hands what the window shows (the path field,
// the selected line) to its action, with the window's registration interface. While a
// library's registration runs in the helper the window keeps answering, says what runs, and
// offers "Detener"; closing the window stops the call and closes once the command ended.
#include "ui/RegLib.h"

#include "inventory/Catalogue.h"
#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/RegistrationWindow.h"

#include <iterator>

template <typename TCommand> void TfGeneral::RunRegistrationCommand(TCommand&& command) {
    struct TRunning {
        TfGeneral& Form;
        ~TRunning() {
            if (Form.FCloseAfterRegistering) PostMessageA(Form.FHandle, WM_CLOSE, 0, 0);
            Form.FCloseAfterRegistering = false;
        }
    } running{*this};
    // A stop belongs to the command it was pressed in.
    FStopRegistration = false;
    TRegistrationWindow ui(*this);
    command(ui);
}

void TfGeneral::RegistrationStarted(const std::string& path) {
    FRegistering = true;
    FStopRegistration = false;
    TBeforeRegistration& before = FBeforeRegistration;
    for (std::size_t i = 0; i < std::size(COMMAND_CONTROLS); ++i) {
        before.Enabled[i] = IsWindowEnabled(Control(COMMAND_CONTROLS[i])) != FALSE;
        EnableWindow(Control(COMMAND_CONTROLS[i]), FALSE);
    }
    HWND label = Control(IDC_LDOWNLOADING), stop = Control(IDC_CMDDETENER);
    before.LabelShown = IsWindowVisible(label) != FALSE;
    before.StopShown = IsWindowVisible(stop) != FALSE;
    before.Caption = ControlText(IDC_LDOWNLOADING);
    const std::size_t slash = path.find_last_of("\\/");
    SetLabelCaption(IDC_LDOWNLOADING,
                    "Registrando " + (slash == std::string::npos ? path : path.substr(slash + 1)) +
                        "...");
    ShowWindow(label, SW_SHOW);
    EnableWindow(stop, TRUE);
    ShowWindow(stop, SW_SHOW);
    RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TfGeneral::RegistrationEnded() {
    const TBeforeRegistration& before = FBeforeRegistration;
    for (std::size_t i = 0; i < std::size(COMMAND_CONTROLS); ++i)
        EnableWindow(Control(COMMAND_CONTROLS[i]), before.Enabled[i] ? TRUE : FALSE);
    SetLabelCaption(IDC_LDOWNLOADING, before.Caption);
    ShowWindow(Control(IDC_LDOWNLOADING), before.LabelShown ? SW_SHOW : SW_HIDE);
    ShowWindow(Control(IDC_CMDDETENER), before.StopShown ? SW_SHOW : SW_HIDE);
    FRegistering = false;
}

void TfGeneral::ShowWorkingLine(std::size_t index) {
    HWND list = Control(IDC_LLIBRERIAS);
    SendMessageA(list, LB_SETCURSEL, index, 0);
    SetWindowTextA(Control(IDC_TPATH), Libraries[index].Path.c_str());
    UpdateWindow(list);
}

void TfGeneral::cmdRegistrarClick() {
    RunRegistrationCommand([this](TRegistrationWindow& ui) {
        RegisterLibrary(WindowsPlatform(), ui, ControlText(IDC_TPATH));
    });
}

void TfGeneral::cmdReRegistrarClick() {
    RunRegistrationCommand([this](TRegistrationWindow& ui) {
        ReRegisterSelected(WindowsPlatform(), ui, Libraries, SelectedLine());
    });
}

void TfGeneral::Registrartodaslaslibreras1Click() {
    // The loop pumps messages after every library: for its whole length (the result box
    // included) the command controls are disabled, a close stops it, and afterwards each
    // control is as it was.
    struct TBusy {
        TfGeneral& Form;
        bool Enabled[5] = {};
        explicit TBusy(TfGeneral& form) : Form(form) {
            Form.FRegisteringAll = true;
            for (std::size_t i = 0; i < std::size(COMMAND_CONTROLS); ++i) {
                Enabled[i] = IsWindowEnabled(Form.Control(COMMAND_CONTROLS[i])) != FALSE;
                EnableWindow(Form.Control(COMMAND_CONTROLS[i]), FALSE);
            }
        }
        ~TBusy() {
            for (std::size_t i = 0; i < std::size(COMMAND_CONTROLS); ++i)
                EnableWindow(Form.Control(COMMAND_CONTROLS[i]), Enabled[i] ? TRUE : FALSE);
            Form.FRegisteringAll = false;
        }
    };
    RunRegistrationCommand([this](TRegistrationWindow& ui) {
        const TBusy busy(*this);
        RegisterAllLibraries(WindowsPlatform(), ui, Libraries);
    });
}

void TfGeneral::Exploraryregistrarotralibrera1Click() {
    RunRegistrationCommand(
        [](TRegistrationWindow& ui) { BrowseAndRegister(WindowsPlatform(), ui); });
}
