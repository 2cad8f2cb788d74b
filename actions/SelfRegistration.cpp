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

TLoadDecision DecideLoad(bool elevated, bool othersCanWrite, bool asksUser) {
    if (!elevated || !othersCanWrite) return TLoadDecision::Load;
    return asksUser ? TLoadDecision::Ask : TLoadDecision::Skip;
}

std::string WritableLocationQuestion(const std::string& path) {
    return "La librería " + path +
           " está en una carpeta que otros usuarios pueden modificar. ¿Registrarla con "
           "permisos de administrador?";
}

std::string WritableLocationSkipped(const std::string& path) {
    return "La librería " + path +
           " está en una carpeta que otros usuarios pueden modificar; no se ha registrado.";
}

namespace {

// A library checked for its load and, while elevated, held from the check until the load is
// over: the file loaded is the file checked, whatever its name or a folder on its path is
// made to point at meanwhile.
struct TLoadCheck {
    std::unique_ptr<TPlatform::THeldFile> Hold; // ours, when the caller holds none
    bool OthersMayChange = false;
};

TLoadCheck CheckForLoad(TPlatform& platform, const std::string& path, TPlatform::THeldFile* held) {
    TLoadCheck check;
    // Only while elevated: the check reads every folder up the path.
    if (!platform.Elevated()) return check;
    if (held == nullptr) {
        check.Hold = platform.HoldForLoading(path);
        held = check.Hold.get();
    }
    // A file that cannot be held so (someone is writing it) cannot be vouched for either.
    check.OthersMayChange = held == nullptr || held->OthersMayChange();
    return check;
}

// DecideLoad for the checked library, asking or saying so on `ui`: true when it may be loaded.
bool MayLoad(TPlatform& platform, TActionUi& ui, const std::string& path, const TLoadCheck& check) {
    switch (DecideLoad(platform.Elevated(), check.OthersMayChange, ui.AsksUser())) {
    case TLoadDecision::Load:
        return true;
    case TLoadDecision::Ask:
        return ui.Confirm(WritableLocationQuestion(path));
    case TLoadDecision::Skip:
        ui.ShowMessage(WritableLocationSkipped(path));
        return false;
    }
    return false;
}

// The library at `path` checked, held and registered: nullopt when it may not be loaded, else
// whether CallServerEntry succeeded. The hold ends with the call, before anything is shown.
std::optional<bool> RegisterChecked(TPlatform& platform, TActionUi& ui, const std::string& path,
                                    TPlatform::THeldFile* held = nullptr) {
    const TLoadCheck check = CheckForLoad(platform, path, held);
    if (!MayLoad(platform, ui, path, check)) return std::nullopt;
    return CallServerEntry(platform, path, REGISTER_ENTRY);
}

} // namespace

bool RegisterLibrary(TPlatform& platform, TActionUi& ui, const std::string& path,
                     TPlatform::THeldFile* held) {
    const std::optional<bool> registered = RegisterChecked(platform, ui, path, held);
    if (!registered) return false;
    if (*registered) {
        ui.PumpMessages();
        ui.ShowMessage("Librería " + path + " ha sido registrada con exito.");
        ui.RefreshList();
    } else {
        ui.ShowMessage("No es posible registrar la librería " + path + ".");
    }
    return *registered;
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
    const std::optional<bool> registered = RegisterChecked(platform, ui, path);
    if (!registered) return;
    ui.PumpMessages();
    if (*registered) {
        ui.ShowMessage("Librería Registrada!");
        ui.RefreshList();
    } else {
        ui.ShowMessage("No es posible registrar la librería " + path + ".");
    }
}

void RegisterAllLibraries(TPlatform& platform, TActionUi& ui, const TLibraryEntry* entries) {
    // The loop reads the Paths of the last scan, so it copies each before calling into a
    // library: nothing below may rescan, but the copy keeps the text stable anyway. A library
    // with neither class nor type library has nothing to register: loading it would only run
    // its start-up code.
    std::string paths[LIBRARY_COUNT];
    bool asked[LIBRARY_COUNT] = {};
    std::string listed;
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        const std::string path = entries[i].Path.str();
        if (!entries[i].NeedsRegistration() || path.empty() || !platform.FileExists(path)) continue;
        paths[i] = path;
        // Checked here to ask once; each is checked, and held, again right before its own load.
        asked[i] = CheckForLoad(platform, path, nullptr).OthersMayChange;
        if (asked[i]) listed += MESSAGE_BREAK + path;
    }
    // One question for all the libraries others may change; No leaves them all out.
    const bool agreed =
        !listed.empty() && ui.AsksUser() &&
        ui.Confirm("Las librerías siguientes están en carpetas que otros usuarios pueden "
                   "modificar:" +
                   listed + MESSAGE_BREAK + "¿Registrarlas con permisos de administrador?");
    std::string report;
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        const std::string& path = paths[i];
        if (!path.empty()) {
            const TLoadCheck check = CheckForLoad(platform, path, nullptr);
            // The answer covers only what the question listed: a library others may change
            // by now that they could not before is left out.
            const bool mayLoad = !check.OthersMayChange || (agreed && asked[i]);
            if (mayLoad && CallServerEntry(platform, path, REGISTER_ENTRY))
                report += MESSAGE_BREAK + path + " registrada.";
        }
        ui.PumpMessages();
    }
    ui.ShowMessage(std::string("Resultado:") + MESSAGE_BREAK + report);
    ui.RefreshList();
}

void BrowseAndRegister(TPlatform& platform, TRegistrationUi& ui) {
    const std::optional<std::string> file = ui.BrowseForLibrary();
    const std::optional<bool> registered =
        file && platform.FileExists(*file) ? RegisterChecked(platform, ui, *file) : std::nullopt;
    if (registered && *registered) {
        ui.PumpMessages();
        ui.ShowMessage("Librería " + *file + " registrada!");
    } else if (registered) {
        ui.ShowMessage("No es posible registrar la librería " + *file + "!");
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
