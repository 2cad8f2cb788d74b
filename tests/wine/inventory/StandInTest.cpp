// The stand-in libraries themselves, loaded for real: each variant's registration entry
// does what the tests of the scan and of registration rely on.
#include "inventory/Scan.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"
#include "tests/support/WrittenKey.h"

#include <gtest/gtest.h>

using namespace kestrova_test;

namespace {

bool Exports(const std::string& library, const char* entry) {
    HMODULE module = LoadLibraryA(library.c_str());
    if (module == nullptr) return false;
    const bool found = GetProcAddress(module, entry) != nullptr;
    FreeLibrary(module);
    return found;
}

} // namespace

TEST(WineStandIn, GoodOnesRegisterTheirOwnPathAndUnregisterIt) {
    ResetLibraries();
    TScopedFolder folder;
    for (const TLibraryEntry& e : Libraries) {
        const std::string name = e.Name.str();
        if (WineProvides(name)) continue; // LoadLibrary would give Wine's own module
        const std::string copy = folder / name;
        TScopedFileCopy placed(StandInPath("good", name), copy);
        if (!e.NeedsRegistration()) {
            EXPECT_FALSE(Exports(copy, "DllRegisterServer")) << name;
            EXPECT_FALSE(Exports(copy, "DllUnregisterServer")) << name;
            continue;
        }
        TScopedClassesRootKey guard(WrittenKeyOf(e)); // puts back whatever Wine had there
        EXPECT_EQ(CallRegistrationEntry(copy, "DllRegisterServer"), S_OK) << name;
        EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), RegistryKeyOf(e)), copy) << name;
        EXPECT_EQ(CallRegistrationEntry(copy, "DllUnregisterServer"), S_OK) << name;
        EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), RegistryKeyOf(e)), "") << name;
    }
}

TEST(WineStandIn, UnregisteringOneTypeLibraryVersionKeepsTheOther) {
    TScopedFolder folder;
    TScopedFileCopy v6(StandInPath("good", "MSVBVM60.DLL"), folder / "MSVBVM60.DLL");
    TScopedFileCopy v5(StandInPath("good", "MSVBVM50.DLL"), folder / "MSVBVM50.DLL");
    const std::string key6 = "TypeLib\\{000204EF-0000-0000-C000-000000000046}\\6.0\\9\\win32";
    const std::string key5 = "TypeLib\\{000204EF-0000-0000-C000-000000000046}\\5.0\\9\\win32";
    TScopedClassesRootKey guard6(key6), guard5(key5);
    ASSERT_EQ(CallRegistrationEntry(v6.Path(), "DllRegisterServer"), S_OK);
    ASSERT_EQ(CallRegistrationEntry(v5.Path(), "DllRegisterServer"), S_OK);
    EXPECT_EQ(CallRegistrationEntry(v6.Path(), "DllUnregisterServer"), S_OK);
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), key6), "");
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), key5), v5.Path());
}

TEST(WineStandIn, FailingAndCrashingOnesWriteNothing) {
    ResetLibraries();
    TScopedFolder folder;
    for (const TLibraryEntry& e : Libraries) {
        const std::string name = e.Name.str();
        if (WineProvides(name)) continue;
        const std::string before =
            e.NeedsRegistration() ? ReadClassesRootValue(WindowsPlatform(), RegistryKeyOf(e)) : "";
        {
            TScopedFileCopy fails(StandInPath("fails", name), folder / name);
            EXPECT_EQ(CallRegistrationEntry(fails.Path(), "DllRegisterServer"), 1) << name;
        }
        {
            TScopedFileCopy crash(StandInPath("crash", name), folder / name);
            HRESULT result = 12345;
            EXPECT_EQ(CallRegistrationEntryGuarded(crash.Path(), "DllRegisterServer", &result),
                      static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION))
                << name;
            EXPECT_EQ(result, 12345) << name << ": the entry never returned";
        }
        if (e.NeedsRegistration()) {
            EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), RegistryKeyOf(e)), before) << name;
        }
    }
}

TEST(WineStandIn, TextVariantIsNoLibrary) {
    const std::string text = StandInPath("text", "ZLIB.DLL");
    EXPECT_TRUE(FileExistsAt(text));
    HMODULE module = LoadLibraryA(text.c_str());
    EXPECT_EQ(module, nullptr);
    if (module != nullptr) FreeLibrary(module);
}
