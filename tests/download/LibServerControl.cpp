// Control requests go through WinINet with the cache bypassed, never through the code
// under test, so a fault in the download path cannot hide behind its own test setup.
#include "LibServerControl.h"

#include <winsock2.h>

#include "platform/Handles.h"

#include <wininet.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kestrova_test {

namespace {

struct TInternetTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { InternetCloseHandle(h); }
};
using TInternet = TOwned<TInternetTraits>;

std::string Get(const std::string& pathAndQuery) {
    TInternet session(
        InternetOpenA("KestrovaTests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) throw std::runtime_error("InternetOpenA failed");
    const std::string url = "https://localhost:" + std::to_string(LibServerPort()) + pathAndQuery;
    TInternet request(InternetOpenUrlA(
        session.get(), url.c_str(), nullptr, 0,
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
    if (!request) throw std::runtime_error("library server not reachable at " + url);
    std::string body;
    char buffer[4096];
    DWORD got = 0;
    while (InternetReadFile(request.get(), buffer, sizeof buffer, &got) && got > 0)
        body.append(buffer, got);
    return body;
}

} // namespace

int LibServerPort() {
    const char* port = std::getenv("KESTROVA_TEST_PORT");
    return port != nullptr && *port != '\0' ? std::atoi(port) : 18731;
}

std::string LibServerBase() {
    return "https://localhost:" + std::to_string(LibServerPort()) + "/libs/";
}

std::string OtherServerBase(TOtherServer server) {
    const int offset = static_cast<int>(server);
    return std::string(server == TOtherServer::PlainHttp ? "http" : "https") +
           "://localhost:" + std::to_string(LibServerPort() + offset) + "/libs/";
}

void SetServerMode(const std::string& name, const std::string& mode, const std::string& extra) {
    const std::string answer = Get("/control?name=" + name + "&mode=" + mode + extra);
    if (answer != "ok") throw std::runtime_error("library server refused " + mode + ": " + answer);
}

void ResetServer() {
    if (Get("/control?reset=1") != "ok") throw std::runtime_error("library server reset failed");
}

int ServerRequestCount(const std::string& name) {
    return std::atoi(Get("/count?name=" + name).c_str());
}

int FreeLoopbackPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    closesocket(s);
    WSACleanup();
    if (port == 0) throw std::runtime_error("no free loopback port");
    return port;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace kestrova_test
