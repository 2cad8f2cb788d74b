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

// A process's exit code as people look it up: an NTSTATUS (a failed stack cookie ends a
// process with 0xC0000409) in hexadecimal, an exit code a program chose in decimal.
std::string ExitCodeText(uint32_t code) {
    return code > 0xFFFF ? "0x" + Hex8(code) : std::to_string(code);
}

using TOutcome = TPlatform::TEntryCall::TOutcome;

} // namespace

TLibraryFault::TLibraryFault(uint32_t code, const std::string& path)
    : std::runtime_error(FaultText(code, path)), FCode(code) {}

bool Registered(const TPlatform::TEntryCall& call) {
    return call.Outcome == TOutcome::Returned && call.Result == 0;
}

bool CallServerEntry(TPlatform& platform, const std::string& path, int index,
                     const TEntryWait& wait) {
    if (index < 0 || index > 1) return false;
    const TPlatform::TEntryCall call =
        platform.CallLibraryEntry(path, ServerEntryNames[index], wait);
    if (call.Outcome == TOutcome::Faulted) throw TLibraryFault(call.FaultCode, path);
    return Registered(call);
}

std::optional<std::string> EndedCallText(const TPlatform::TEntryCall& call, const std::string& path,
                                         uint32_t limitSeconds) {
    switch (call.Outcome) {
    case TOutcome::Ended:
        return "El registro de la librería " + path +
               " ha terminado el proceso que lo ejecutaba (código " + ExitCodeText(call.ExitCode) +
               ").";
    case TOutcome::TimedOut:
        return "La librería " + path + " no ha terminado su registro en " +
               std::to_string(limitSeconds) + " segundos; se ha detenido.";
    case TOutcome::Stopped:
        return "Se ha detenido el registro de la librería " + path + ".";
    default:
        return std::nullopt;
    }
}

TPlatform::TEntryCall CallRegistration(TPlatform& platform, TActionUi& ui,
                                       const std::string& path) {
    TEntryWait wait;
    wait.LimitSeconds = ui.RegistrationLimit();
    wait.PumpsMessages = ui.PumpsWindowMessages();
    wait.Waiting = [&ui] {
        if (ui.PumpsWindowMessages()) ui.PumpMessages();
        return ui.StopRequested();
    };
    ui.RegistrationStarted(path);
    const TPlatform::TEntryCall call =
        platform.CallLibraryEntry(path, ServerEntryNames[REGISTER_ENTRY], wait);
    ui.RegistrationEnded();
    if (call.Outcome == TOutcome::Faulted) throw TLibraryFault(call.FaultCode, path);
    return call;
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

TLoadDecision DecideLoad(TPlatform& platform, TActionUi& ui, const std::string& path) {
    // Asked only while elevated: the check reads the access list of every folder up the path.
    const bool elevated = platform.Elevated();
    return ::DecideLoad(elevated, elevated && platform.OthersCanWrite(path), ui.AsksUser());
}

} // namespace

bool MayLoad(TPlatform& platform, TActionUi& ui, const std::string& path) {
    switch (DecideLoad(platform, ui, path)) {
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

namespace {

// What a command says of a call that did not register its library: the sentence of a call
// that ended, else the command's own `failure`.
std::string FailureText(const TPlatform::TEntryCall& call, TActionUi& ui, const std::string& path,
                        const std::string& failure) {
    return EndedCallText(call, path, ui.RegistrationLimit()).value_or(failure);
}

} // namespace

bool RegisterLibrary(TPlatform& platform, TActionUi& ui, const std::string& path) {
    if (!MayLoad(platform, ui, path)) return false;
    const TPlatform::TEntryCall call = CallRegistration(platform, ui, path);
    if (Registered(call)) {
        ui.PumpMessages();
        ui.ShowMessage("Librería " + path + " ha sido registrada con exito.");
        ui.RefreshList();
        return true;
    }
    ui.ShowMessage(
        FailureText(call, ui, path, "No es posible registrar la librería " + path + "."));
    return false;
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
    if (!MayLoad(platform, ui, path)) return;
    const TPlatform::TEntryCall call = CallRegistration(platform, ui, path);
    ui.PumpMessages();
    if (Registered(call)) {
        ui.ShowMessage("Librería Registrada!");
        ui.RefreshList();
    } else {
        ui.ShowMessage(
            FailureText(call, ui, path, "No es posible registrar la librería " + path + "."));
    }
}

void RegisterAllLibraries(TPlatform& platform, TActionUi& ui, const TLibraryEntry* entries) {
    // The loop reads the Paths of the last scan, so it copies each before calling into a
    // library: nothing below may rescan, but the copy keeps the text stable anyway. A library
    // with neither class nor type library has nothing to register: loading it would only run
    // its start-up code.
    std::string paths[LIBRARY_COUNT];
    bool othersMayChange[LIBRARY_COUNT] = {};
    std::string listed;
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        const std::string path = entries[i].Path.str();
        if (!entries[i].NeedsRegistration() || path.empty() || !platform.FileExists(path)) continue;
        paths[i] = path;
        othersMayChange[i] = DecideLoad(platform, ui, path) != TLoadDecision::Load;
        if (othersMayChange[i]) listed += MESSAGE_BREAK + path;
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
        const bool mayLoad = !path.empty() && (!othersMayChange[i] || agreed);
        bool stopped = false;
        if (mayLoad) {
            ui.ShowLine(i);
            const TPlatform::TEntryCall call = CallRegistration(platform, ui, path);
            // A plain failure is left out without a word; a call that had to be ended is not.
            if (Registered(call))
                report += MESSAGE_BREAK + path + " registrada.";
            else if (auto ended = EndedCallText(call, path, ui.RegistrationLimit()))
                report += MESSAGE_BREAK + *ended;
            stopped = call.Outcome == TOutcome::Stopped;
        }
        ui.PumpMessages();
        if (stopped) break;
    }
    ui.ShowMessage(std::string("Resultado:") + MESSAGE_BREAK + report);
    ui.RefreshList();
}

void BrowseAndRegister(TPlatform& platform, TRegistrationUi& ui) {
    const std::optional<std::string> file = ui.BrowseForLibrary();
    if (file && platform.FileExists(*file) && MayLoad(platform, ui, *file)) {
        const TPlatform::TEntryCall call = CallRegistration(platform, ui, *file);
        if (Registered(call)) {
            ui.PumpMessages();
            ui.ShowMessage("Librería " + *file + " registrada!");
        } else {
            ui.ShowMessage(
                FailureText(call, ui, *file, "No es posible registrar la librería " + *file + "!"));
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
