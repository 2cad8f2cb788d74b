// The registration commands: which library each loads, what it tells the user and when
// the list is rebuilt.
#include "actions/SelfRegistration.h"

const char* const ServerEntryNames[2] = {"DllUnregisterServer", "DllRegisterServer"};

namespace {

// Eight upper-case hex digits, as Windows writes exception codes (written by hand: the C
// library's formatted printing would bring some 18 KB into the program for this one use).
std::string Hex8(uint32_t value) {
    std::string hex(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        hex[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[value & 0xF];
    return hex;
}

std::string FaultText(uint32_t code, const std::string& path) {
    return "Error inesperado (excepción 0x" + Hex8(code) + ") al registrar la librería " + path;
}

} // namespace

TLibraryFault::TLibraryFault(uint32_t code, const std::string& path)
    : std::runtime_error(FaultText(code, path)), FCode(code) {}

bool CallServerEntry(TPlatform& platform, const std::string& path, int index) {
    if (index < 0 || index > 1) return false;
    const TPlatform::TEntryCall call = platform.CallLibraryEntry(path, ServerEntryNames[index]);
    using TOutcome = TPlatform::TEntryCall::TOutcome;
    if (call.Outcome == TOutcome::Faulted) throw TLibraryFault(call.FaultCode, path);
    return call.Outcome == TOutcome::Returned && call.Result == 0;
}

void RegisterLibrary(TPlatform& platform, TActionUi& ui, const std::string& path) {
    if (CallServerEntry(platform, path, REGISTER_ENTRY)) {
        ui.PumpMessages();
        ui.ShowMessage("Librería " + path + " ha sido registrada con exito.");
        ui.RefreshList();
    } else {
        ui.ShowMessage("No es posible registrar la librería " + path + ".");
    }
}

void ReRegisterSelected(TPlatform& platform, TActionUi& ui, const TLibraryEntry* entries,
                        std::optional<std::size_t> line) {
    if (!line || *line >= LIBRARY_COUNT) return;
    const TLibraryEntry& entry = entries[*line];
    if (!entry.NeedsRegistration()) {
        ui.ShowMessage("Esta librería no requiere registrarse.");
        return;
    }
    if (entry.Path.empty()) {
        ui.ShowMessage("Primero necesitas descargar la librería!");
        return;
    }
    const std::string path = entry.Path.str();
    const bool registered = CallServerEntry(platform, path, REGISTER_ENTRY);
    ui.PumpMessages();
    if (registered) {
        ui.ShowMessage("Librería Registrada!");
        ui.RefreshList();
    } else {
        ui.ShowMessage("No es posible registrar la librería " + path + ".");
    }
}

void RegisterAllLibraries(TPlatform& platform, TActionUi& ui, const TLibraryEntry* entries) {
    std::string report;
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        // The loop reads the Paths of the last scan, so it copies each before calling into
        // a library: nothing below may rescan, but the copy keeps the text stable anyway.
        const std::string path = entries[i].Path.str();
        if (!path.empty() && platform.FileExists(path) &&
            CallServerEntry(platform, path, REGISTER_ENTRY))
            report += MESSAGE_BREAK + path + " registrada.";
        ui.PumpMessages();
    }
    ui.ShowMessage(std::string("Resultado:") + MESSAGE_BREAK + report);
    ui.RefreshList();
}

void BrowseAndRegister(TPlatform& platform, TRegistrationUi& ui) {
    const std::optional<std::string> file = ui.BrowseForLibrary();
    if (file && platform.FileExists(*file)) {
        if (CallServerEntry(platform, *file, REGISTER_ENTRY)) {
            ui.PumpMessages();
            ui.ShowMessage("Librería " + *file + " registrada!");
        } else {
            ui.ShowMessage("No es posible registrar la librería " + *file + "!");
        }
    }
    ui.RefreshList();
}

std::string DialogFilter(const std::string& pipeSeparated) {
    std::string filter = pipeSeparated;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');
    filter.push_back('\0'); // c_str() adds one more; two are ours, whatever the text ends in
    return filter;
}
