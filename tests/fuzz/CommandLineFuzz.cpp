// The switches are the one input an elevated run takes from whoever starts it, and they name
// the files it writes: any arguments either make a request the grammar allows or bad use.
// The input is the arguments after the program name, each ended by a NUL (no argument
// Windows hands over holds one).
#include "app/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

bool LooksLikeASwitch(const std::string& arg) {
    return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-');
}

// Whether `value` is one of the arguments and not itself a switch: a file name or a folder
// is only ever an argument given for one.
bool GivenAsAName(const std::string& value, const std::vector<std::string>& args) {
    if (LooksLikeASwitch(value)) return false;
    for (const std::string& arg : args)
        if (arg == value) return true;
    return false;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    std::string arg;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(arg);
            arg.clear();
        } else {
            arg += static_cast<char>(data[i]);
        }
    }
    if (!arg.empty()) args.push_back(arg);

    const TCommandLine request = ParseCommandLine(args);
    const bool repair = request.Mode == TRunMode::Repair;
    // The window only without arguments; the usage only for one argument.
    if ((request.Mode == TRunMode::Window) != args.empty()) __builtin_trap();
    if (request.Mode == TRunMode::Help && args.size() != 1) __builtin_trap();
    // /s, /registro and /origen belong to the repair, a report file to /estado.
    if (!repair && (request.Silent || !request.Log.empty() || !request.Origin.empty()))
        __builtin_trap();
    if (request.Mode != TRunMode::Status && !request.File.empty()) __builtin_trap();
    // The time limit is always in its range, and only a repair's may differ from the default.
    if (request.WaitSeconds < MIN_WAIT_SECONDS || request.WaitSeconds > MAX_WAIT_SECONDS ||
        (!repair && request.WaitSeconds != DEFAULT_WAIT_SECONDS))
        __builtin_trap();
    for (const std::string* name : {&request.File, &request.Log, &request.Origin})
        if (!name->empty() && !GivenAsAName(*name, args)) __builtin_trap();
    // Every argument of a request was a switch or the name one of them took.
    if (request.Mode == TRunMode::Status || repair) {
        std::size_t names = 0;
        for (const std::string* name : {&request.File, &request.Log, &request.Origin})
            names += !name->empty();
        std::size_t switches = 0;
        for (const std::string& a : args) {
            switches += LooksLikeASwitch(a);
            // /espera took the number after it.
            names += LooksLikeASwitch(a) && Lower(a.substr(1)) == "espera";
        }
        if (switches + names != args.size()) __builtin_trap();
    }
    return 0;
}
