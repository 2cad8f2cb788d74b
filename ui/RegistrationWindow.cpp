// The file-open dialog for a DLL or OCX, owned by the main window and opened in the current
// directory.
#include "ui/RegistrationWindow.h"

#include "platform/WinPlatform.h"
#include "ui/ShellCalls.h"

#include <vector>

std::optional<std::string> TRegistrationWindow::BrowseForLibrary() {
    const std::string filter = DialogFilter(LIBRARY_FILTER);
    const std::string initial = WindowsPlatform().CurrentDirectory();
    std::vector<char> file(32768, '\0');
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = FForm.Handle();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initial.c_str();
    // Only "must exist": the working directory the dialog leaves behind is kept on purpose.
    dialog.Flags = OFN_FILEMUSTEXIST;
    if (!ShowOpenFileDialog(&dialog)) return std::nullopt;
    return std::string(file.data());
}
