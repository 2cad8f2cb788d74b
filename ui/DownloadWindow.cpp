// Each step of the download action, done to the real controls of TfGeneral.
#include "ui/DownloadWindow.h"

#include "ui/ControlIds.h"

#include <commctrl.h>

void TDownloadWindow::DisableForAction() {
    for (int id : COMMAND_CONTROLS)
        EnableWindow(FForm.Control(id), FALSE);
}

void TDownloadWindow::ShowTransferDisplay() {
    // The bar's maximum stays as the last transfer left it until the first notification.
    SendMessageA(FForm.Control(IDC_PB1), PBM_SETPOS, 0, 0);
    ShowWindow(FForm.Control(IDC_PB1), SW_SHOW);
    ShowWindow(FForm.Control(IDC_CMDDETENER), SW_SHOW);
    FForm.SetLabelCaption(IDC_LDOWNLOADING, "Descargando...");
    ShowWindow(FForm.Control(IDC_LDOWNLOADING), SW_SHOW);
    UpdateWindow(FForm.Control(IDC_LDOWNLOADING));
    RedrawWindow(FForm.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
}

void TDownloadWindow::SetPathField(const std::string& text) {
    SetWindowTextA(FForm.Control(IDC_TPATH), text.c_str());
}

void TDownloadWindow::HideTransferDisplay() {
    for (int id : {IDC_LDOWNLOADING, IDC_PB1, IDC_CMDDETENER})
        ShowWindow(FForm.Control(id), SW_HIDE);
}

void TDownloadWindow::EnableAfterAction() {
    if (FHoldControls) return;
    EnableWindow(FForm.Control(IDC_BTNEXTRA), TRUE);
    EnableWindow(FForm.Control(IDC_LLIBRERIAS), TRUE);
}

void TDownloadWindow::SetProgressBar(int maximum, int position) {
    HWND bar = FForm.Control(IDC_PB1);
    SendMessageA(bar, PBM_SETRANGE32, 0, maximum);
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TDownloadWindow::ShowDownloadingText(const std::string& caption) {
    FForm.SetLabelCaption(IDC_LDOWNLOADING, caption);
    ShowWindow(FForm.Control(IDC_LDOWNLOADING), SW_SHOW);
}

void TDownloadWindow::RepaintAndPump() {
    RedrawWindow(FForm.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
}
