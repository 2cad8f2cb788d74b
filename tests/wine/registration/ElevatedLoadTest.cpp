// What an elevated Kestrova loads under Wine, whose token is always elevated: never a
// library with nothing to register, never what the user's own classes name, and a question
// for a library whose access list lets a standard user change it.
#include "actions/SelfRegistration.h"
#include "inventory/Scan.h"
#include "platform/Handles.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kestrova_test;

namespace {

const std::string MsinetClass = "CLSID\\{48E59293-9880-11CF-9754-00AA00C00908}";
const std::string MsinetKey = MsinetClass + "\\InprocServer32";

struct TAgreeingUi : TActionUi {
    std::vector<std::string> Questions, Messages;
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void PumpMessages() override {}
    void RefreshList() override {}
    bool Confirm(const std::string& text) override {
        Questions.push_back(text);
        return true;
    }
};

std::size_t IndexOf(const char* name) {
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i)
        if (Libraries[i].Name == name) return i;
    throw std::runtime_error(name);
}

void Scan() {
    std::vector<std::string> lines;
    ScanLibraries(WindowsPlatform(), lines);
}

// A per-user class registration (HKCU\Software\Classes) naming `path`, removed at scope end.
class TUserClass {
public:
    explicit TUserClass(const std::string& path) {
        HKEY raw = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ("Software\\Classes\\" + MsinetKey).c_str(), 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr),
                  ERROR_SUCCESS);
        TRegKey key(raw);
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
    }
    ~TUserClass() {
        RegDeleteKeyA(HKEY_CURRENT_USER, ("Software\\Classes\\" + MsinetKey).c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, ("Software\\Classes\\" + MsinetClass).c_str());
    }
};

} // namespace

TEST(WineElevatedLoad, RegisterAllLoadsNoLibraryWithNothingToRegister) {
    TScopedFolder here;
    TScopedCurrentDirectory cd(here.Path());
    TScopedClassesRootKey guard(MsinetKey);
    auto plain = PlaceStandIn("marker", "ZLIB.DLL", here.Path());
    auto com = PlaceStandIn("marker", "MSINET.OCX", here.Path());
    Scan();
    TAgreeingUi ui;
    RegisterAllLibraries(WindowsPlatform(), ui, Libraries);
    EXPECT_TRUE(FileExistsAt(com->Path() + ".loaded")) << "the marker stand-in left no marker";
    EXPECT_FALSE(FileExistsAt(plain->Path() + ".loaded")) << "ZLIB.DLL's start-up code ran";
    DeleteFileA((com->Path() + ".loaded").c_str());
    DeleteFileA((plain->Path() + ".loaded").c_str());
}

TEST(WineElevatedLoad, APerUserRegistrationIsNeverLoaded) {
    // Wine's HKEY_CLASSES_ROOT does not merge the user's classes, so what this shows is that
    // the file loaded is the one the machine's classes name.
    TScopedFolder machine, user, here;
    TScopedCurrentDirectory cd(here.Path());
    TScopedClassesRootKey guard(MsinetKey);
    auto registered = PlaceStandIn("good", "MSINET.OCX", machine.Path());
    auto planted = PlaceStandIn("marker", "MSINET.OCX", user.Path());
    guard.SetDefault(registered->Path());
    TUserClass userClass(planted->Path());
    Scan();
    EXPECT_EQ(Libraries[IndexOf("MSINET.OCX")].Path.str(), registered->Path());
    TAgreeingUi ui;
    ReRegisterSelected(WindowsPlatform(), ui, Libraries, IndexOf("MSINET.OCX"));
    EXPECT_FALSE(FileExistsAt(planted->Path() + ".loaded")) << "the user's registration was loaded";
    DeleteFileA((planted->Path() + ".loaded").c_str());
}

TEST(WineElevatedLoad, AFileStandardUsersMayChangeIsAskedAbout) {
    // Wine 8 keeps no access lists: it reports one made of the Unix mode bits (SYSTEM and the
    // user in full, Everyone as the "other" bits say) and ignores SetNamedSecurityInfoA. So
    // its temporary folder and system folder are the running user's, and a world-writable
    // Unix folder (/tmp, Z:\tmp) is one Everyone may change.
    TScopedFolder folder;
    TScopedClassesRootKey guard(MsinetKey);
    auto mine = PlaceStandIn("good", "MSINET.OCX", folder.Path());
    EXPECT_FALSE(WindowsPlatform().OthersCanWrite(mine->Path()));
    EXPECT_FALSE(
        WindowsPlatform().OthersCanWrite(WindowsPlatform().SystemDirectory() + "\\kernel32.dll"));
    const std::string open =
        "Z:\\tmp\\kestrova-" + std::to_string(GetCurrentProcessId()) + "-MSINET.OCX";
    TScopedFileCopy library(StandInPath("good", "MSINET.OCX"), open);
    EXPECT_TRUE(WindowsPlatform().OthersCanWrite(library.Path()));

    TAgreeingUi ui;
    RegisterLibrary(WindowsPlatform(), ui, library.Path());
    EXPECT_EQ(ui.Questions, std::vector<std::string>{WritableLocationQuestion(library.Path())});
    // Agreed: loaded and registered.
    EXPECT_EQ(ui.Messages, std::vector<std::string>{"Librería " + library.Path() +
                                                    " ha sido registrada con exito."});
}
