// The Wine tests' side of the loopback library server: its address, and the control
// requests that make it misbehave for one library name.
#pragma once

#include <string>

namespace kestrova_test {

// KESTROVA_TEST_PORT (scripts/test.sh starts the server there); 18731 when unset.
int LibServerPort();

// "http://127.0.0.1:<port>/libs/": the same base the mingw build's LIBRARY_BASE_URL has.
std::string LibServerBase();

// GET /control?name=<name>&mode=<mode><extra> (extra like "&chunk=256&interval=50" or
// "&source=text/ZLIB.DLL"). Throws when the server does not answer "ok".
void SetServerMode(const std::string& name, const std::string& mode, const std::string& extra = {});

// Every name back to a plain answer, counters to zero.
void ResetServer();

// How many /libs/<name> requests arrived since the last reset.
int ServerRequestCount(const std::string& name);

// A loopback port on which nothing listens (taken and released at once).
int FreeLoopbackPort();

// The whole content of a file; throws when it cannot be read.
std::string ReadWholeFile(const std::string& path);

} // namespace kestrova_test
