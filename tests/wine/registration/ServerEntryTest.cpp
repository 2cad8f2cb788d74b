// CallServerEntry over the real platform under Wine: the stand-ins register, fail, lack the
// entry or crash inside it, and every library is unloaded afterwards, the crashing one
// included, with the process and its C++ exceptions working on.
#include "actions/SelfRegistration.h"
#include "inventory/Scan.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

using namespace kestrova_test;

namespace {

const std::string MsinetKey = "CLSID\\{48E59293-9880-11CF-9754-00AA00C00908}\\InprocServer32";

bool Loaded(const std::string& path) {
    return GetModuleHandleA(path.c_str()) != nullptr;
}

} // namespace

TEST(WineServerEntry, ResultsPerLibrary) {
    TScopedFolder folder;
    TScopedClassesRootKey guard(MsinetKey); // puts back what the prefix had
    struct TCase {
        const char* what;
        const char* variant;
        const char* name;
        bool expected;
    };
    const TCase cases[] = {
        {"registers itself", "good", "MSINET.OCX", true},
        {"entry returns 1", "fails", "MSWINSCK.OCX", false},
        {"no registration entry", "good", "ZLIB.DLL", false},
        {"not a library", "text", "RICHTX32.OCX", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TScopedFileCopy copy(StandInPath(c.variant, c.name), folder / c.name);
        EXPECT_EQ(CallServerEntry(WindowsPlatform(), copy.Path(), REGISTER_ENTRY), c.expected);
        EXPECT_FALSE(Loaded(copy.Path()));
    }
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), MsinetKey), folder / "MSINET.OCX");
    EXPECT_FALSE(CallServerEntry(WindowsPlatform(), folder / "MISSING.DLL", REGISTER_ENTRY));
}

TEST(WineServerEntry, IndexZeroUnregisters) {
    TScopedFolder folder;
    TScopedClassesRootKey guard(MsinetKey);
    TScopedFileCopy copy(StandInPath("good", "MSINET.OCX"), folder / "MSINET.OCX");
    ASSERT_TRUE(CallServerEntry(WindowsPlatform(), copy.Path(), 1));
    EXPECT_TRUE(CallServerEntry(WindowsPlatform(), copy.Path(), 0));
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), MsinetKey), "");
    EXPECT_FALSE(CallServerEntry(WindowsPlatform(), copy.Path(), 2)); // no such row
}

TEST(WineServerEntry, ACrashIsCaughtReportedAndTheLibraryUnloaded) {
    TScopedFolder folder;
    TScopedFileCopy crash(StandInPath("crash", "MSCOMCTL.OCX"), folder / "MSCOMCTL.OCX");
    TScopedFileCopy good(StandInPath("good", "MSINET.OCX"), folder / "MSINET.OCX");
    TScopedClassesRootKey guard(MsinetKey);
    // Three times in a row, each followed by a normal call: the guard leaves the thread's
    // handler chain as it found it.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        try {
            CallServerEntry(WindowsPlatform(), crash.Path(), REGISTER_ENTRY);
            ADD_FAILURE() << "no fault reported";
        } catch (const TLibraryFault& fault) {
            EXPECT_EQ(fault.Code(), 0xC0000005u); // access violation
            const std::string text = fault.what();
            EXPECT_NE(text.find("0xC0000005"), std::string::npos) << text;
            EXPECT_NE(text.find(crash.Path()), std::string::npos) << text;
        }
        EXPECT_FALSE(Loaded(crash.Path()));
        EXPECT_TRUE(CallServerEntry(WindowsPlatform(), good.Path(), REGISTER_ENTRY));
        EXPECT_THROW(throw std::runtime_error("C++ exceptions still work"), std::runtime_error);
    }
}

namespace {

// A window procedure that calls the crashing entry, as the main window's handlers do, and
// reports what it caught through the message result.
LRESULT CALLBACK CallingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        try {
            CallServerEntry(WindowsPlatform(), *reinterpret_cast<const std::string*>(lParam),
                            REGISTER_ENTRY);
            return 1;
        } catch (const TLibraryFault& fault) {
            return static_cast<LRESULT>(fault.Code());
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TEST(WineServerEntry, ACrashInsideAWindowProcedureEndsOnlyThatMessage) {
    TScopedFolder folder;
    TScopedFileCopy crash(StandInPath("crash", "MSCOMCTL.OCX"), folder / "MSCOMCTL.OCX");
    WNDCLASSA cls = {};
    cls.lpfnWndProc = &CallingProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "KestrovaServerEntryTest";
    RegisterClassA(&cls);
    HWND window = CreateWindowA(cls.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                cls.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    const std::string path = crash.Path();
    for (int round = 0; round < 2; ++round)
        EXPECT_EQ(SendMessageA(window, WM_APP, 0, reinterpret_cast<LPARAM>(&path)),
                  static_cast<LRESULT>(0xC0000005u));
    EXPECT_FALSE(Loaded(path));
    DestroyWindow(window);
}
