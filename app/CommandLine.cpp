// The switches' grammar, kept apart from Windows so that the order, case and missing-file
// rules are all in one small place.
#include "app/CommandLine.h"

#include <cctype>
#include <optional>

namespace {

bool IsSwitch(const std::string& arg) {
    return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-');
}

// The switch's name in lower case without its "/" or "-".
std::string SwitchName(const std::string& arg) {
    std::string name;
    for (std::size_t i = 1; i < arg.size(); ++i)
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(arg[i])));
    return name;
}

TCommandLine OnlyMode(TRunMode mode) {
    TCommandLine request;
    request.Mode = mode;
    return request;
}

TCommandLine Bad() {
    return OnlyMode(TRunMode::BadUse);
}

// A count of seconds in /espera's range, written in plain decimal digits; nullopt otherwise.
std::optional<uint32_t> Seconds(const std::string& text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value < MIN_WAIT_SECONDS || value > MAX_WAIT_SECONDS) return std::nullopt;
    return value;
}

} // namespace

const char* const USAGE_TEXT =
    "Uso: Kestrova.exe [/estado [ARCHIVO] | /?]\r\n"
    "     Kestrova.exe /reparar [/s] [/origen CARPETA] [/registro ARCHIVO]\r\n"
    "                           [/espera SEGUNDOS]\r\n"
    "  (sin opciones)     abre la ventana\r\n"
    "  /estado [ARCHIVO]  escribe el estado de cada librería, separado por tabuladores,\r\n"
    "                     en ARCHIVO, o en la consola, o en Kestrova-estado.txt\r\n"
    "  /reparar           descarga, actualiza y registra lo que haga falta\r\n"
    "    /s               sin ventana ni mensajes\r\n"
    "    /origen CARPETA  toma las librerías y sus firmas (.sig) de CARPETA (una ruta o\r\n"
    "                     \\\\servidor\\recurso\\carpeta) en vez del servidor de librerías\r\n"
    "    /registro ARCHIVO  añade a ARCHIVO una línea por paso\r\n"
    "    /espera SEGUNDOS   lo más que puede tardar el registro de cada librería, de 1\r\n"
    "                     a 3600 (60 si no se indica)\r\n"
    "  /?                 muestra este texto\r\n"
    "Códigos de salida: 0 todo OK, 1 alguna librería necesita una acción (/estado),\r\n"
    "2 uso incorrecto (también /origen sin la clave del editor), 3 alguna librería\r\n"
    "sigue necesitando una acción (/reparar),\r\n"
    "4 detenido por el usuario, 5 Kestrova ya está en marcha,\r\n"
    "6 no se puede comprobar si Kestrova ya está en marcha (otro ocupa su marca).\r\n";

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) return {};
    if (args.size() == 1 && IsSwitch(args[0]) && SwitchName(args[0]) == "?")
        return OnlyMode(TRunMode::Help);
    // An empty argument ("") names no file: taken for a name, /registro "" would run with no
    // log at all and /estado "" would write to the console, each reported as done.
    for (const std::string& arg : args)
        if (arg.empty()) return Bad();
    TCommandLine request;
    bool modeSeen = false, silentSeen = false, logSeen = false, originSeen = false,
         waitSeen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!IsSwitch(args[i])) return Bad();
        const std::string name = SwitchName(args[i]);
        const bool fileFollows = i + 1 < args.size() && !IsSwitch(args[i + 1]);
        if (name == "estado" || name == "reparar") {
            if (modeSeen) return Bad();
            modeSeen = true;
            request.Mode = name == "estado" ? TRunMode::Status : TRunMode::Repair;
            if (request.Mode == TRunMode::Status && fileFollows) request.File = args[++i];
        } else if (name == "s") {
            if (silentSeen) return Bad();
            silentSeen = request.Silent = true;
        } else if (name == "registro") {
            if (logSeen || !fileFollows) return Bad();
            logSeen = true;
            request.Log = args[++i];
        } else if (name == "origen") {
            if (originSeen || !fileFollows) return Bad();
            originSeen = true;
            request.Origin = args[++i];
        } else if (name == "espera") {
            // The number may not start like a switch either: "/espera -5" is bad use.
            const std::optional<uint32_t> seconds =
                fileFollows ? Seconds(args[i + 1]) : std::nullopt;
            if (waitSeen || !seconds) return Bad();
            waitSeen = true;
            request.WaitSeconds = *seconds;
            ++i;
        } else {
            return Bad();
        }
    }
    // /s, /registro, /origen and /espera belong to the repair only.
    if (!modeSeen ||
        (request.Mode != TRunMode::Repair && (silentSeen || logSeen || originSeen || waitSeen)))
        return Bad();
    return request;
}
