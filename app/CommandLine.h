// What the program was asked to do by its command line, read before any window exists.
#pragma once

#include <string>
#include <vector>

enum class TRunMode {
    Window, // no switches: the window, as a user starts it
    Help,   // /?: the usage text, exit 0
    Status, // /estado [FILE]
    Repair, // /reparar [/s] [/origen FOLDER] [/registro FILE]
    BadUse, // anything else: the usage text, exit 2
};

struct TCommandLine {
    TRunMode Mode = TRunMode::Window;
    std::string File;    // /estado's FILE; empty: the parent console, else beside the program
    bool Silent = false; // /reparar /s
    std::string Log;     // /reparar /registro FILE; empty: no log
    std::string Origin;  // /reparar /origen FOLDER; empty: the library server
};

// The request in `args` (the arguments after the program name). Switches start with "/" or
// "-" and are matched without regard to case; a file name is the argument that follows its
// switch and does not itself start like a switch.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text, lines ending in CR LF (Windows-1252).
extern const char* const USAGE_TEXT;
