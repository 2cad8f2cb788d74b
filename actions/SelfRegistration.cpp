// The registration commands: which library each loads, what it tells the user and when
// the list is rebuilt.
#include "actions/SelfRegistration.h"

const char* const ServerEntryNames[2] = {"DllUnregisterServer", "DllRegisterServer"};

namespace {
// Line feed then carriage return: the order every multi-line message of the program uses.
constexpr const char* LINE_BREAK = "\n\r";
} // namespace

void RegisterPathFieldLibrary(TRegistrationHost& host) {
    const std::string path = host.PathFieldText();
    if (host.CallServerEntry(path, REGISTER_ENTRY)) {
        host.PumpMessages();
        host.ShowMessage("Librería " + path + " ha sido registrada con exito.");
        host.RefreshList();
    } else {
        host.ShowMessage("No es posible registrar la librería " + path + ".");
    }
}

void ReRegisterSelected(TRegistrationHost& host, const TLibraryEntry* entries) {
    const std::optional<std::size_t> line = host.SelectedLine();
    if (!line || *line >= LIBRARY_COUNT) return;
    const TLibraryEntry& entry = entries[*line];
    if (!entry.NeedsRegistration()) {
        host.ShowMessage("Esta librería no requiere registrarse.");
        return;
    }
    if (entry.Path.empty()) {
        host.ShowMessage("Primero necesitas descargar la librería!");
        return;
    }
    const std::string path = entry.Path.str();
    const bool registered = host.CallServerEntry(path, REGISTER_ENTRY);
    host.PumpMessages();
    if (registered) {
        host.ShowMessage("Librería Registrada!");
        host.RefreshList();
    } else {
        host.ShowMessage("No es posible registrar la librería " + path + ".");
    }
}

void RegisterAllLibraries(TRegistrationHost& host, const TLibraryEntry* entries) {
    std::string report;
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        // The loop reads the Paths of the last scan, so it copies each before calling into
        // a library: nothing below may rescan, but the copy keeps the text stable anyway.
        const std::string path = entries[i].Path.str();
        if (!path.empty() && host.FileExists(path) && host.CallServerEntry(path, REGISTER_ENTRY))
            report += LINE_BREAK + path + " registrada.";
        host.PumpMessages();
    }
    host.ShowMessage(std::string("Resultado:") + LINE_BREAK + report);
    host.RefreshList();
}

void BrowseAndRegister(TRegistrationHost& host) {
    const std::optional<std::string> file = host.BrowseForLibrary();
    if (file && host.FileExists(*file)) {
        if (host.CallServerEntry(*file, REGISTER_ENTRY)) {
            host.PumpMessages();
            host.ShowMessage("Librería " + *file + " registrada!");
        } else {
            host.ShowMessage("No es posible registrar la librería " + *file + "!");
        }
    }
    host.RefreshList();
}

std::string DialogFilter(const std::string& pipeSeparated) {
    std::string filter = pipeSeparated;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');
    filter.push_back('\0'); // c_str() adds one more; two are ours, whatever the text ends in
    return filter;
}
