// CallServerEntry over the real platform under Wine: the stand-ins register, fail, lack the
// entry, crash inside it or import a DLL from their own folder, and every library is
// unloaded afterwards, the crashing one included, with the process and its C++ exceptions
// working on; a library whose entry needs OLE gets it, as regsvr32 gives it.
#include "actions/SelfRegistration.h"
#include "inventory/Scan.h"
#include "platform/SystemLibraries.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

#include <ole2.h>

#include <thread>

using namespace kestrova_test;

namespace {

const std::string MsinetKey = "CLSID\\{48E59293-9880-11CF-9754-00AA00C00908}\\InprocServer32";

bool Loaded(const std::string& path) {
    return GetModuleHandleA(path.c_str()) != nullptr;
}

// The head of the thread's exception handler chain, where the crash guard links its record.
const void* HandlerChain() {
#if defined(__i386__)
    const void* head;
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(head));
    return head;
#else
    return nullptr; // no such chain: exceptions are dispatched from tables
#endif
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

// The program keeps Windows' search for DLLs to the system folder. A library still loads from
// where it lies, with the DLLs it imports from its own folder, also when its registration
// names it relative to the current folder: the file loaded is the file found there.
TEST(WineServerEntry, ALibraryLoadsFromItsOwnFolderUnderTheProgramsDllSearch) {
    RestrictLibrarySearch();
    TScopedFolder folder;
    TScopedFileCopy library(StandInPath("sibling", "KORDAN.DLL"), folder / "KORDAN.DLL");
    TScopedFileCopy runtime(StandInPath("sibling", "KORDANRT.DLL"), folder / "KORDANRT.DLL");
    TScopedCurrentDirectory here(folder.Path());
    for (const std::string& path : {library.Path(), std::string("KORDAN.DLL")})
        EXPECT_TRUE(CallServerEntry(WindowsPlatform(), path, REGISTER_ENTRY)) << path;
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
        const void* chain = HandlerChain();
        try {
            CallServerEntry(WindowsPlatform(), crash.Path(), REGISTER_ENTRY);
            ADD_FAILURE() << "no fault reported";
        } catch (const TLibraryFault& fault) {
            EXPECT_EQ(fault.Code(), 0xC0000005u); // access violation
            const std::string text = fault.what();
            EXPECT_NE(text.find("0xC0000005"), std::string::npos) << text;
            EXPECT_NE(text.find(crash.Path()), std::string::npos) << text;
        }
        EXPECT_EQ(HandlerChain(), chain);
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

namespace {

// What the "category" stand-in registers besides its own key: a component category, and a
// class that implements it.
const std::string CategoryKey = "Component Categories\\{5A1F6D0E-3C2B-4B7A-9E41-7D8C2F0B1A63}";
const std::string CategoryClassKey = "CLSID\\{5A1F6D0F-3C2B-4B7A-9E41-7D8C2F0B1A63}";
const std::string MscomctlKey = "CLSID\\{2C247F23-8591-11D1-B16A-00C0F0283628}\\InprocServer32";

// Runs `call` on a new thread: no window, COM never initialized there.
template <typename TCall> auto OnBareThread(TCall call) {
    decltype(call()) result{};
    std::thread([&] { result = call(); }).join();
    return result;
}

} // namespace

TEST(WineServerEntry, AnEntryThatNeedsOleGetsItAndTheThreadIsLeftAsItWas) {
    TScopedFolder folder;
    TScopedClassesRootKey category(CategoryKey), implementer(CategoryClassKey), own(MscomctlKey);
    TScopedFileCopy library(StandInPath("category", "MSCOMCTL.OCX"), folder / "MSCOMCTL.OCX");

    // Called bare, the component-categories manager cannot even be created: the test can
    // tell a registration path that gives OLE from one that does not.
    const HRESULT bare =
        OnBareThread([&] { return CallRegistrationEntry(library.Path(), "DllRegisterServer"); });
    EXPECT_EQ(bare, CO_E_NOTINITIALIZED);
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), CategoryKey, "409"), "");

    struct TOutcome {
        bool Registered = false;
        HRESULT Afterwards = E_FAIL; // OleInitialize once the call is over
    };
    const TOutcome ours = OnBareThread([&] {
        TOutcome outcome;
        outcome.Registered = CallServerEntry(WindowsPlatform(), library.Path(), REGISTER_ENTRY);
        outcome.Afterwards = OleInitialize(nullptr);
        if (SUCCEEDED(outcome.Afterwards)) OleUninitialize();
        return outcome;
    });
    EXPECT_TRUE(ours.Registered);
    EXPECT_EQ(ours.Afterwards, S_OK) << "OLE was left initialized on the registering thread";
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), CategoryKey, "409"),
              "Kestrova test category");
    EXPECT_EQ(ReadClassesRootValue(WindowsPlatform(), MscomctlKey), library.Path());
    EXPECT_FALSE(Loaded(library.Path()));
}
