// Prints the OS description of the Windows this process runs on, then the raw version
// facts behind it: Wine reads its Windows-version setting once at process start, so the
// OS tests set it and run this probe, which carries Kestrova's manifest, as a new process.
#include "platform/WinPlatform.h"
#include "ui/OSName.h"

#include <cstdio>

int main() {
    TPlatform& platform = WindowsPlatform();
    std::printf("%s\n", GetOSName(platform).c_str());
    const auto v = platform.OsVersion();
    if (v)
        std::printf("%u %u.%u build %u type %u [%s] wow64=%d\n",
                    static_cast<unsigned>(v->PlatformId), static_cast<unsigned>(v->Major),
                    static_cast<unsigned>(v->Minor), static_cast<unsigned>(v->Build),
                    static_cast<unsigned>(v->ProductType), v->ServicePack.c_str(),
                    platform.IsWow64() ? 1 : 0);
    return 0;
}
