// The Wine tests' side of the loopback library server: its address, and the control
// requests that make it misbehave for one library name.
#pragma once

#include <string>

namespace kestrova_test {

// KESTROVA_TEST_PORT (scripts/test.sh starts the server there); 18731 when unset.
int LibServerPort();

// "https://localhost:<port>/libs/": the same base the mingw build's LIBRARY_BASE_URL has.
std::string LibServerBase();

// The servers scripts/test.sh starts beside it, serving the same libraries.
enum class TOtherServer {
    PlainHttp = 1, // http://localhost:<port+1>/libs/
    OtherName = 2, // https, a certificate for another host name from the trusted root
    Untrusted = 3, // https, a certificate for localhost from a root no prefix trusts
};
std::string OtherServerBase(TOtherServer server);

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
