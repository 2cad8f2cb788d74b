// The scan's registry read against Wine's real registry: what comes back for each kind of
// stored value, and how the scan uses a registered path that is empty, too long, relative
// or full of unexpanded variables.
#include "inventory/Scan.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

using namespace kestrova_test;

namespace {

// A class identifier of our own, so no real registration is touched.
const std::string TestKey = "CLSID\\{6E3A1C52-0B7D-4F1E-9A2C-5D8B7E4F0A13}\\InprocServer32";
const std::string MscomctlKey = "CLSID\\{2C247F23-8591-11D1-B16A-00C0F0283628}\\InprocServer32";

TLibraryEntry& Entry(const char* name) {
    for (TLibraryEntry& e : Libraries)
        if (e.Name == name) return e;
    throw std::runtime_error(std::string("no catalogue entry ") + name);
}

std::string Dword(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}

} // namespace

TEST(WineRegistryRead, ReturnsTextUpToFirstNulWithinStoredBytes) {
    struct TCase {
        const char* what;
        DWORD type;
        std::string stored;
        const char* text;
    };
    const TCase cases[] = {
        {"plain path", REG_SZ, std::string("C:\\Lib\\A.DLL\0", 13), "C:\\Lib\\A.DLL"},
        {"empty string", REG_SZ, std::string("\0", 1), ""},
        {"no bytes at all", REG_SZ, std::string(), ""},
        {"string stored without NUL", REG_SZ, "ABCDEF", "ABCDEF"},
        {"expandable string used literally", REG_EXPAND_SZ,
         std::string("%SystemRoot%\\system32\\A.DLL\0", 28), "%SystemRoot%\\system32\\A.DLL"},
        {"DWORD with a zero high byte", REG_DWORD, Dword(0x00414243), "CBA"},
        {"DWORD without any zero byte", REG_DWORD, Dword(0x41424344), "DCBA"},
        {"binary with an inner NUL", REG_BINARY, std::string("AB\0CD", 5), "AB"},
        {"binary without NUL", REG_BINARY, "XYZ", "XYZ"},
        {"multi-string stops at its first item", REG_MULTI_SZ, std::string("one\0two\0\0", 9),
         "one"},
        {"Windows-1252 text kept byte for byte", REG_SZ, std::string("C:\\Espa\xF1ol\\B.DLL\0", 17),
         "C:\\Espa\xF1ol\\B.DLL"},
    };
    for (const TCase& c : cases) {
        TScopedClassesRootKey key(TestKey);
        key.SetBytes("", c.type, c.stored);
        EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey), c.text) << c.what;
    }
}

TEST(WineRegistryRead, MissingKeyOrValueGivesEmptyText) {
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey), "");
    TScopedClassesRootKey key(TestKey);
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey), "") << "key without default";
    key.SetDefault("C:\\default.dll");
    key.SetBytes("ThreadingModel", REG_SZ, std::string("Apartment\0", 10));
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey), "C:\\default.dll");
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey, "ThreadingModel"), "Apartment");
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey, "Absent"), "");
}

TEST(WineRegistryRead, ScopedKeyLeavesNoTrace) {
    const std::string parent = "CLSID\\{6E3A1C52-0B7D-4F1E-9A2C-5D8B7E4F0A13}";
    {
        TScopedClassesRootKey key(TestKey);
        key.SetDefault("C:\\x.dll");
        EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey), "C:\\x.dll");
    }
    HKEY raw = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, parent.c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
    if (raw != nullptr) RegCloseKey(raw);
}

// Tests of registration call DllUnregisterServer on keys Wine already had: the scoped key
// puts them back as they were, even when the test deleted them.
TEST(WineRegistryRead, ScopedKeyRestoresAnExistingKey) {
    TScopedClassesRootKey existing(TestKey);
    existing.SetDefault("C:\\wine's own.dll");
    existing.SetBytes("ThreadingModel", REG_SZ, std::string("Both\0", 5));
    struct TCase {
        const char* what;
        void (*change)(TScopedClassesRootKey&);
    };
    const TCase cases[] = {
        {"value overwritten", [](TScopedClassesRootKey& k) { k.SetDefault("C:\\other.dll"); }},
        {"value added", [](TScopedClassesRootKey& k) { k.SetBytes("Extra", REG_DWORD, "abcd"); }},
        {"key deleted", [](TScopedClassesRootKey& k) { DeleteClassesRootTree(k.Key()); }},
    };
    for (const TCase& c : cases) {
        {
            TScopedClassesRootKey scoped(TestKey);
            c.change(scoped);
        }
        EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey), "C:\\wine's own.dll") << c.what;
        EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey, "ThreadingModel"), "Both")
            << c.what;
        EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), TestKey, "Extra"), "") << c.what;
    }
}

// How the scan treats the default value of a library's key (MSCOMCTL.OCX here), with a
// good copy of the library in a folder of our own that is the current directory.
TEST(WineRegistryRead, ScanUsesTheStoredTextLiterally) {
    TScopedFolder here;
    auto copy = PlaceStandIn("good", "MSCOMCTL.OCX", here.Path());
    TScopedCurrentDirectory cwd(here.Path());
    const std::string located = here / "MSCOMCTL.OCX";
    struct TCase {
        const char* what;
        DWORD type;
        std::string value;
        std::string path;
        bool registered;
    };
    const TCase cases[] = {
        {"full path to the copy", REG_SZ, located, located, true},
        {"bare file name, found against the current directory", REG_SZ, "MSCOMCTL.OCX",
         "MSCOMCTL.OCX", true},
        {"relative path, found against the current directory", REG_SZ, ".\\MSCOMCTL.OCX",
         ".\\MSCOMCTL.OCX", true},
        {"empty value counts as not registered", REG_SZ, "", located, false},
        {"variable reference is not expanded", REG_EXPAND_SZ, "%KESTROVA_HERE%\\MSCOMCTL.OCX",
         located, false},
        {"registered file gone", REG_SZ, here / "gone\\MSCOMCTL.OCX", located, false},
        {"a folder is not the file", REG_SZ, here.Path(), located, false},
        // FindFirstFileA would match a pattern against the folder's files: a registered
        // pattern names no file, however many it matches.
        {"a pattern is no file name", REG_SZ, here / "*.OCX", located, false},
        {"a one-character pattern neither", REG_SZ, here / "MSCOMCTL.OC?", located, false},
    };
    SetEnvironmentVariableA("KESTROVA_HERE", here.Path().c_str());
    for (const TCase& c : cases) {
        TScopedClassesRootKey key(MscomctlKey);
        key.SetDefault(c.value, c.type);
        std::vector<std::string> lines;
        ScanLibraries(WindowsPlatform(), lines);
        const TLibraryEntry& e = Entry("MSCOMCTL.OCX");
        EXPECT_EQ(e.Path.str(), c.path) << c.what;
        EXPECT_EQ(e.Registered, c.registered) << c.what;
        EXPECT_EQ(e.InstalledVersion.str(), "6.1.98.34") << c.what;
        EXPECT_TRUE(e.Present) << c.what;
    }
    SetEnvironmentVariableA("KESTROVA_HERE", nullptr);
}

// A 300-character registered path is kept as its first 255 characters, and the scan tests
// and reports that shortened path.
TEST(WineRegistryRead, OverlongRegisteredPathIsCutTo255Characters) {
    TScopedFolder root;
    const std::string fileName = "MSCOMCTL.OCX";
    // A sub-folder whose name makes folder + "\" + file exactly 255 characters.
    const std::size_t folderLength = 255 - 1 - fileName.size();
    ASSERT_LT(root.Path().size() + 2, folderLength);
    const std::string folder =
        root.Path() + "\\" + std::string(folderLength - root.Path().size() - 1, 'k');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    auto copy = PlaceStandIn("good", fileName, folder);
    const std::string exact = folder + "\\" + fileName;
    ASSERT_EQ(exact.size(), 255u);
    TScopedCurrentDirectory cwd(root.Path()); // nothing to find there

    struct TCase {
        const char* what;
        std::string stored;
        std::string path;
        bool registered;
    };
    const TCase cases[] = {
        {"300 characters whose first 255 name the file", exact + std::string(45, 'x'), exact, true},
        {"exactly 255 characters", exact, exact, true},
        {"256 characters: the cut leaves the file's name short by nothing", exact + "Z", exact,
         true},
        {"300 characters whose first 255 name nothing", std::string(300, 'q'), "", false},
    };
    for (const TCase& c : cases) {
        TScopedClassesRootKey key(MscomctlKey);
        key.SetDefault(c.stored);
        EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), MscomctlKey).size(), c.stored.size())
            << c.what;
        std::vector<std::string> lines;
        ScanLibraries(WindowsPlatform(), lines);
        const TLibraryEntry& e = Entry("MSCOMCTL.OCX");
        EXPECT_EQ(e.Path.str(), c.path) << c.what;
        EXPECT_EQ(e.Registered, c.registered) << c.what;
    }
}
