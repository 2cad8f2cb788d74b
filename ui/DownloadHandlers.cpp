// The download's handlers: the download button runs the action with the window's download
// interface, the stop button stops the action, and closing the window during the action
// stops it as the stop button does and closes once the action has cleaned up (during a
// registration command, once its running call was stopped and the command ended).
#include "ui/RegLib.h"

#include "actions/BindStatusCallback.h"
#include "actions/DownloadFile.h"
#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/DownloadWindow.h"

void TfGeneral::cmdDescargarClick() {
    const std::optional<std::size_t> line = SelectedLine();
    if (!line || FDownload) return;
    TDownloadWindow ui(*this);
    // Known to the close request while the action runs, however it ends.
    FDownload = &ui;
    struct TRunning {
        TDownloadWindow*& Slot;
        ~TRunning() { Slot = nullptr; }
    } running{FDownload};
    TLibraryServer server(WindowsPlatform(), LIBRARY_BASE_URL);
    RunDownload(WindowsPlatform(), ui, Libraries[*line], ForceHere(), server, PublisherKey());
    if (ui.CloseRequested()) PostMessageA(FHandle, WM_CLOSE, 0, 0);
}

void TfGeneral::cmdDetenerClick() {
    // Heard by the action at its next step as well as by the running transfer: a stop
    // between two transfers has no transfer to abort.
    if (FDownload) FDownload->RequestStop();
    // A library's registration running in the helper: the helper is ended.
    if (FRegistering) FStopRegistration = true;
    if (BindCallback != nullptr) BindCallback->CancelDownload();
    ShowWindow(Control(IDC_CMDDETENER), SW_HIDE);
}

bool TfGeneral::FormCloseQuery() {
    if (FRegisteringAll || (FRegistering && !FDownload)) {
        FCloseAfterRegistering = true;
        return false;
    }
    if (!FDownload) return true;
    FDownload->RequestClose();
    cmdDetenerClick();
    return false;
}
