// The four ways of registering a library through its own DllRegisterServer: the library
// in the path field, a forced registration of the selected entry, every located catalogue
// library, and any library the user browses for. The window supplies the host; the
// decisions and texts live here so native tests can follow every path.
#pragma once

#include "inventory/Catalogue.h"

#include <optional>
#include <string>

// Row 0 unregisters, row 1 registers; every command passes 1.
extern const char* const ServerEntryNames[2];
inline constexpr int REGISTER_ENTRY = 1;

// The browse dialog's filter, in the readable "description|patterns|..." form.
inline constexpr const char* LIBRARY_FILTER =
    "Liberías (*.ocx;*.dll)|*.ocx;*.dll|Todos los archivos (*.*)|*.*";

// `pipeSeparated` as the file-open dialog wants it: every "|" a NUL, and the whole list
// ended by two NULs.
std::string DialogFilter(const std::string& pipeSeparated);

// What registration asks of the window and of Windows.
class TRegistrationHost {
public:
    virtual ~TRegistrationHost() = default;
    // True when ServerEntryNames[index] of the library at `path` was called and returned 0.
    // A library that faults inside the entry raises TLibraryFault (ServerEntry.h).
    virtual bool CallServerEntry(const std::string& path, int index) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    virtual void PumpMessages() = 0;
    // The plain message box.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void RefreshList() = 0;
    // The text of the path field tPath.
    virtual std::string PathFieldText() = 0;
    // The selected list line, or nullopt with no selection.
    virtual std::optional<std::size_t> SelectedLine() = 0;
    // The file-open dialog for a DLL or OCX; nullopt when cancelled.
    virtual std::optional<std::string> BrowseForLibrary() = 0;
};

// cmdRegistrarClick: registers the library named in the path field.
void RegisterPathFieldLibrary(TRegistrationHost& host);
// cmdReRegistrarClick: registers the selected catalogue entry again.
void ReRegisterSelected(TRegistrationHost& host, const TLibraryEntry* entries);
// Registrartodaslaslibreras1Click: every entry whose located file exists, then a report.
void RegisterAllLibraries(TRegistrationHost& host, const TLibraryEntry* entries);
// Exploraryregistrarotralibrera1Click: a library the user picks; refreshes also on cancel.
void BrowseAndRegister(TRegistrationHost& host);
