// Full scans of a crafted machine under Wine: stand-ins in the current and the system
// directory, real self-registrations, stale and odd registrations, outdated copies; the 29
// lines compared byte for byte. Under WOW64 only the 32-bit registry view and the 32-bit
// system folder count.
#include "inventory/Scan.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"
#include "tests/support/WrittenKey.h"

#include <gtest/gtest.h>

#include <map>

using namespace kestrova_test;

namespace {

const std::string Ok = STATUS_OK, Register = STATUS_REGISTER, Update = STATUS_UPDATE,
                  Download = STATUS_DOWNLOAD;

// The entry of `name`; the catalogue columns must have been written (ResetLibraries).
std::size_t IndexOf(const std::string& name) {
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i)
        if (Libraries[i].Name == name) return i;
    throw std::runtime_error("no catalogue entry " + name);
}

// What the scan must say about a library this test does not arrange (Wine's own copies),
// worked out from the machine with plain Windows calls: the registered file when it
// exists, else here, else the system directory.
std::string ExpectedLineForWinesOwn(const TLibraryEntry& e, const std::string& here,
                                    const std::string& sys) {
    const std::string name = e.Name.str();
    std::string registered;
    const std::string key = RegistryKeyOf(e);
    if (!key.empty()) {
        HKEY raw = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &raw) == ERROR_SUCCESS) {
            char buffer[1024] = {};
            DWORD size = sizeof(buffer) - 1;
            if (RegQueryValueExA(raw, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                 &size) == ERROR_SUCCESS)
                registered = std::string(buffer, strnlen(buffer, size)).substr(0, 255);
            RegCloseKey(raw);
        }
    }
    std::string path;
    const bool viaRegistry = !registered.empty() && FileExistsAt(registered);
    if (viaRegistry)
        path = registered;
    else if (FileExistsAt(here + "\\" + name))
        path = here + "\\" + name;
    else if (FileExistsAt(sys + "\\" + name))
        path = sys + "\\" + name;
    if (path.empty()) return name + Download;
    // The scan's rule, over the four numbers Windows reads: the required version or higher.
    if (!VersionAtLeast(GetFileVersionParts(WindowsPlatform(), path).value_or(TVersionParts{}),
                        ParseVersion(e.RequiredVersion.str()).value()))
        return name + Update;
    return name + (key.empty() || viaRegistry ? Ok : Register);
}

class TCraftedMachine {
public:
    TCraftedMachine() : FSys(SystemDirectory()) {}

    const std::string& Sys() const { return FSys; }
    const std::string& Here() const { return FHere.Path(); }
    const std::string& Elsewhere() const { return FElsewhere.Path(); }

    // Places stand-in `variant` of `name` in `folder`; refuses to replace anything.
    std::string Place(const std::string& variant, const std::string& name,
                      const std::string& folder) {
        FFiles.push_back(PlaceStandIn(variant, name, folder));
        return FFiles.back()->Path();
    }
    // Registers the copy at `path` through its own DllRegisterServer.
    void SelfRegister(const std::string& name, const std::string& path) {
        const TLibraryEntry& e = Libraries[IndexOf(name)];
        FKeys.push_back(std::make_unique<TScopedClassesRootKey>(WrittenKeyOf(e)));
        if (CallRegistrationEntry(path, "DllRegisterServer") != S_OK)
            throw std::runtime_error("DllRegisterServer failed for " + path);
    }
    // Writes the library's key by hand (stale or odd registrations).
    void RegisterAs(const std::string& name, const std::string& value, DWORD type = REG_SZ) {
        const TLibraryEntry& e = Libraries[IndexOf(name)];
        FKeys.push_back(std::make_unique<TScopedClassesRootKey>(WrittenKeyOf(e)));
        FKeys.back()->SetDefault(value, type);
    }
    void MakeFolder(const std::string& path) {
        if (!CreateDirectoryA(path.c_str(), nullptr))
            throw std::runtime_error("CreateDirectoryA " + path);
    }

private:
    std::string FSys;
    TScopedFolder FHere, FElsewhere;
    // Keys first so they are removed after the files (reverse order of members).
    std::vector<std::unique_ptr<TScopedClassesRootKey>> FKeys;
    std::vector<std::unique_ptr<TScopedFileCopy>> FFiles;
};

} // namespace

TEST(WineScan, CraftedMachineGivesTheExpectedLines) {
    ResetLibraries();
    TCraftedMachine m;
    const std::string& here = m.Here();
    const std::string& sys = m.Sys();
    const std::string& elsewhere = m.Elsewhere();

    // name -> expected status; every name here is arranged by this test.
    const std::map<std::string, std::string> arranged = {
        {"MSVBVM60.DLL", Ok},       // good in the system directory, self-registered
        {"MSINET.OCX", Ok},         // good here, self-registered
        {"RICHTX32.OCX", Register}, // stale registration, good copy here
        {"CSWSK32.OCX", Download},  // stale registration, no copy
        {"MSWINSCK.OCX", Update},   // outdated in the system directory, self-registered
        {"MSCOMCTL.OCX", Update},   // no version resource, here, not registered
        {"COMCTL32.OCX", Register}, // good in the system directory, not registered
        {"COMDLG32.OCX", Download}, // nowhere
        {"DX7VB.DLL", Ok},          // good elsewhere, self-registered there
        {"KORDAN.DLL", Ok},         // no key, good in the system directory
        {"IJL11.DLL", Update},      // no key, outdated here beats good in system
        {"ZLIB.DLL", Ok},           // no key, good here
        {"PELMIX.DLL", Ok},         // requires 0.0.0.0: a text file here will do
        {"MIRVAL.DLL", Ok},         // requires 0.0.0.0: no version, system directory
        {"TOSKEN.DLL", Ok},         // requires 0.0.0.0, carries 0.0.0.1: higher is current
        {"BARNIC.DLL", Download},   // nowhere
        {"SULDEN.DLL", Download},   // only a folder of that name here
        {"MSSTDFMT.DLL", Ok},       // registered as a bare name, good copy here
        {"MSVBVM50.DLL", Ok},       // good in system, self-registered (shares the 6.0 id)
        {"MSADODC.OCX", Register},  // empty registration, good copy here
        {"VBALPROGBAR6.OCX", Ok},   // crashing variant elsewhere, registered by hand
    };
    for (const auto& [name, status] : arranged) {
        ASSERT_FALSE(WineProvides(name)) << name << ": Wine ships it now; choose another";
        const TLibraryEntry& e = Libraries[IndexOf(name)];
        if (e.NeedsRegistration()) {
            ASSERT_EQ(ReadClassesRootValue(WindowsPlatform(), RegistryKeyOf(e)), "") << name;
        }
    }

    m.SelfRegister("MSVBVM60.DLL", m.Place("good", "MSVBVM60.DLL", sys));
    m.SelfRegister("MSINET.OCX", m.Place("good", "MSINET.OCX", here));
    m.RegisterAs("RICHTX32.OCX", elsewhere + "\\gone\\RICHTX32.OCX");
    m.Place("good", "RICHTX32.OCX", here);
    m.RegisterAs("CSWSK32.OCX", "C:\\nowhere\\CSWSK32.OCX");
    m.SelfRegister("MSWINSCK.OCX", m.Place("outdated", "MSWINSCK.OCX", sys));
    m.Place("noversion", "MSCOMCTL.OCX", here);
    m.Place("good", "COMCTL32.OCX", sys);
    m.SelfRegister("DX7VB.DLL", m.Place("good", "DX7VB.DLL", elsewhere));
    m.Place("good", "KORDAN.DLL", sys);
    m.Place("outdated", "IJL11.DLL", here);
    m.Place("good", "IJL11.DLL", sys);
    m.Place("good", "ZLIB.DLL", here);
    m.Place("text", "PELMIX.DLL", here);
    m.Place("noversion", "MIRVAL.DLL", sys);
    m.Place("newer", "TOSKEN.DLL", here);
    m.MakeFolder(here + "\\SULDEN.DLL");
    m.RegisterAs("MSSTDFMT.DLL", "MSSTDFMT.DLL");
    m.Place("good", "MSSTDFMT.DLL", here);
    m.SelfRegister("MSVBVM50.DLL", m.Place("good", "MSVBVM50.DLL", sys));
    m.RegisterAs("MSADODC.OCX", "");
    m.Place("good", "MSADODC.OCX", here);
    m.RegisterAs("VBALPROGBAR6.OCX", m.Place("crash", "VBALPROGBAR6.OCX", elsewhere));

    TScopedCurrentDirectory cwd(here);
    std::vector<std::string> expected;
    ResetLibraries();
    for (const TLibraryEntry& e : Libraries) {
        const auto it = arranged.find(e.Name.str());
        expected.push_back(it != arranged.end() ? it->first + it->second
                                                : ExpectedLineForWinesOwn(e, here, sys));
    }
    std::vector<std::string> lines;
    ScanLibraries(WindowsPlatform(), lines);
    EXPECT_EQ(lines, expected);

    // Where the arranged ones were taken from.
    const std::map<std::string, std::string> paths = {
        {"MSVBVM60.DLL", sys + "\\MSVBVM60.DLL"},
        {"MSINET.OCX", here + "\\MSINET.OCX"},
        {"RICHTX32.OCX", here + "\\RICHTX32.OCX"},
        {"CSWSK32.OCX", ""},
        {"DX7VB.DLL", elsewhere + "\\DX7VB.DLL"},
        {"IJL11.DLL", here + "\\IJL11.DLL"},
        {"SULDEN.DLL", ""},
        {"MSSTDFMT.DLL", "MSSTDFMT.DLL"},
        {"MIRVAL.DLL", sys + "\\MIRVAL.DLL"},
        {"MSADODC.OCX", here + "\\MSADODC.OCX"},
    };
    for (const auto& [name, path] : paths) {
        const TLibraryEntry& e = Libraries[IndexOf(name)];
        EXPECT_TRUE(_stricmp(e.Path.c_str(), path.c_str()) == 0)
            << name << ": " << e.Path.str() << " instead of " << path;
    }
}

// A rescan of an unchanged machine gives the same lines, and nothing found before (here,
// a path written into an entry after the scan) survives it.
TEST(WineScan, RescanStartsFromScratch) {
    ResetLibraries();
    TScopedFolder here;
    auto copy = PlaceStandIn("good", "ZLIB.DLL", here.Path());
    TScopedCurrentDirectory cwd(here.Path());
    std::vector<std::string> first, second;
    ScanLibraries(WindowsPlatform(), first);
    const std::size_t zlib = IndexOf("ZLIB.DLL");
    ScanLibraries(WindowsPlatform(), first = {});
    Libraries[IndexOf("KORDAN.DLL")].Path = "C:\\downloaded\\KORDAN.DLL";
    ScanLibraries(WindowsPlatform(), second);
    EXPECT_EQ(first, second);
    EXPECT_EQ(second.at(zlib), "ZLIB.DLL" + Ok);
    EXPECT_EQ(Libraries[IndexOf("KORDAN.DLL")].Path.str(), "");
}

// On 64-bit Windows the program sees the 32-bit registry view and the 32-bit system
// folder: a class registered only in the 64-bit view, and a file only in the 64-bit
// system32 folder, do not exist for it.
TEST(WineScan, Wow64SeesOnlyThe32BitViewAndFolder) {
    if (!InWin64Prefix()) GTEST_SKIP() << "only a 64-bit prefix has two views";
    ResetLibraries();
    const std::size_t mscomctl = IndexOf("MSCOMCTL.OCX");
    const std::size_t kordan = IndexOf("KORDAN.DLL");
    const std::string key = "CLSID\\{2C247F23-8591-11D1-B16A-00C0F0283628}\\InprocServer32";
    TScopedFolder here, elsewhere;
    TScopedCurrentDirectory cwd(here.Path());
    const std::string target = elsewhere / "MSCOMCTL.OCX";
    auto copy = PlaceStandIn("good", "MSCOMCTL.OCX", elsewhere.Path());
    ASSERT_FALSE(FileExistsAt(NativeSystem32() + "\\KORDAN.DLL"));
    auto native = PlaceStandIn("good", "KORDAN.DLL", NativeSystem32());

    {
        TScopedClassesRootKey only64(key, KEY_WOW64_64KEY);
        only64.SetDefault(target);
        // The registration is really there, in the other view; and the file really lies in
        // the 64-bit folder, not in the one this process calls its system directory.
        HKEY raw = nullptr;
        ASSERT_EQ(
            RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &raw),
            ERROR_SUCCESS);
        RegCloseKey(raw);
        ASSERT_FALSE(FileExistsAt(SystemDirectory() + "\\KORDAN.DLL"));

        std::vector<std::string> lines;
        ScanLibraries(WindowsPlatform(), lines);
        EXPECT_EQ(lines.at(mscomctl), "MSCOMCTL.OCX" + Download);
        EXPECT_FALSE(Libraries[mscomctl].Registered);
        EXPECT_EQ(lines.at(kordan), "KORDAN.DLL" + Download);
        EXPECT_EQ(Libraries[kordan].Path.str(), "");

        // The same registration in the 32-bit view counts.
        TScopedClassesRootKey in32(key, KEY_WOW64_32KEY);
        in32.SetDefault(target);
        ScanLibraries(WindowsPlatform(), lines = {});
        EXPECT_EQ(lines.at(mscomctl), "MSCOMCTL.OCX" + Ok);
        EXPECT_EQ(Libraries[mscomctl].Path.str(), target);
    }
    HKEY raw = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &raw),
              ERROR_SUCCESS)
        << "the 64-bit view was not restored";
    if (raw != nullptr) RegCloseKey(raw);
}
