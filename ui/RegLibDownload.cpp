// The main window's download handlers: the download and stop buttons, the progress
// callback created with the window, and closing the window during a transfer, which stops
// the transfer as the stop button does and closes once the action has cleaned up.
#include "actions/BindStatusCallback.h"
#include "actions/DownloadAction.h"
#include "actions/DownloadFile.h"
#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/DownloadWindow.h"
#include "ui/RegLib.h"

#include <memory>

namespace {
// Lives as long as BindCallback, which points its notifications at it.
std::unique_ptr<TDownloadWindow> Download;
} // namespace

void TfGeneral::CreateBindCallback() {
    Download = std::make_unique<TDownloadWindow>(*this);
    ::CreateBindCallback(Download.get());
}

void TfGeneral::cmdDescargarClick() {
    const std::optional<std::size_t> line = SelectedLine();
    if (!line || !Download || Download->Running()) return;
    Download->SetRunning(true);
    try {
        RunDownload(WindowsPlatform(), *Download, Libraries[*line], ForceHere(), LIBRARY_BASE_URL);
    } catch (...) {
        Download->SetRunning(false);
        throw;
    }
    Download->SetRunning(false);
    if (Download->CloseRequested()) PostMessageA(FHandle, WM_CLOSE, 0, 0);
}

void TfGeneral::cmdDetenerClick() {
    if (BindCallback != nullptr) BindCallback->CancelDownload();
    ShowWindow(Control(IDC_CMDDETENER), SW_HIDE);
}

bool TfGeneral::FormCloseQuery() {
    if (!Download || !Download->Running()) return true;
    Download->RequestClose();
    cmdDetenerClick();
    return false;
}
