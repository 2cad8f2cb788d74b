// What the program was asked to do by its command line, read before any window exists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// /espera's range and its value when it is not given.
inline constexpr uint32_t MIN_WAIT_SECONDS = 1;
inline constexpr uint32_t MAX_WAIT_SECONDS = 3600;
inline constexpr uint32_t DEFAULT_WAIT_SECONDS = 60;

enum class TRunMode {
    Window, // no switches: the window, as a user starts it
    Help,   // /?: the usage text, exit 0
    Status, // /estado [FILE]
    Repair, // /reparar [/s] [/origen FOLDER] [/registro FILE] [/espera SECONDS]
    BadUse, // anything else: the usage text, exit 2
};

struct TCommandLine {
    TRunMode Mode = TRunMode::Window;
    std::string File;    // /estado's FILE; empty: the parent console, else beside the program
    bool Silent = false; // /reparar /s
    std::string Log;     // /reparar /registro FILE; empty: no log
    std::string Origin;  // /reparar /origen FOLDER; empty: the library server
    // /reparar /espera SECONDS: the most one library's registration may take.
    uint32_t WaitSeconds = DEFAULT_WAIT_SECONDS;
};

// The request in `args` (the arguments after the program name). Switches start with "/" or
// "-" and are matched without regard to case; a file name is the argument that follows its
// switch and does not itself start like a switch; /espera's number is plain decimal digits.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text, lines ending in CR LF (Windows-1252).
extern const char* const USAGE_TEXT;
