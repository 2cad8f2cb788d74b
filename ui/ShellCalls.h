// The calls of the window that live in heavy system DLLs, shell32 (open the web site, the
// folder picker), the desktop's shell and comdlg32 (the file-open dialog), reached when first
// used instead of through the import table: loading them at every start costs start-up time
// and memory for commands most runs never use. All run with OLE initialized on the calling
// thread.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <optional>
#include <string>

// ShellExecuteA(owner, "open", target, nullptr, nullptr, SW_SHOWNORMAL); the result is not
// looked at. Does nothing when shell32 cannot be loaded.
void ShellOpen(HWND owner, const char* target);

// Opens `target` through the desktop's own shell (IShellDispatch2::ShellExecute on the desktop
// window's folder view, found with IShellWindows::FindWindowSW), so what it starts runs as the
// signed-in user, not with this process's rights. False when there is no desktop shell to ask
// (none runs, or it is not Explorer) or it refused.
bool OpenAsDesktopUser(const char* target);

// GetOpenFileNameA; false when the user cancelled or comdlg32 cannot be loaded.
bool ShowOpenFileDialog(OPENFILENAMEA* dialog);

// SHBrowseForFolderA over file-system folders (shares included), titled `title`: the folder
// chosen, or nullopt when the user cancelled or shell32 cannot be loaded.
std::optional<std::string> BrowseForFolder(HWND owner, const char* title);
