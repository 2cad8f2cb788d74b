// What an elevated Kestrova loads under Wine, whose token is always elevated: never a
// library with nothing to register, never what the user's own classes name, and a question
// for a library others may change: its list lets a standard user change it, it lies in the
// profile (Downloads), on a share, or through a folder that is a link.
#include "actions/SelfRegistration.h"
#include "inventory/Scan.h"
#include "platform/FinalPath.h"
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
    bool Answer = true;
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void PumpMessages() override {}
    void RefreshList() override {}
    bool Confirm(const std::string& text) override {
        Questions.push_back(text);
        return Answer;
    }
};

std::size_t IndexOf(const char* name) {
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i)
        if (Libraries[i].Name == name) return i;
    throw std::runtime_error(name);
}

// The marker a marker stand-in at `library` leaves when it is loaded: none before, none after.
class TScopedMarker {
public:
    explicit TScopedMarker(const std::string& library) : FPath(library + ".loaded") {
        DeleteFileA(FPath.c_str());
    }
    ~TScopedMarker() { DeleteFileA(FPath.c_str()); }
    TScopedMarker(const TScopedMarker&) = delete;
    TScopedMarker& operator=(const TScopedMarker&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

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

// What the path rule sees under Wine, each object read through its own handle. Wine 8 keeps
// no access lists: it reports one made of the Unix mode bits (SYSTEM and the user in full,
// Everyone as the "other" bits say) and ignores SetNamedSecurityInfoA, so every folder of the
// prefix is the running user's, and a world-writable Unix folder (/tmp, Z:\tmp) one Everyone
// may change. It makes no reparse points, but it follows a Unix directory link as Windows
// follows a junction, and a file's final path then names where the link led.
TEST(WineElevatedLoad, OthersMayChangeWhatWineCanShow) {
    TScopedFolder tests, linking, temporary(TemporaryFolder());
    auto mine = PlaceStandIn("good", "MSINET.OCX", tests.Path());
    auto inTemporary = PlaceStandIn("good", "MSINET.OCX", temporary.Path());
    TScopedFileCopy open(StandInPath("good", "MSINET.OCX"),
                         "Z:\\tmp\\kestrova-" + std::to_string(GetCurrentProcessId()) +
                             "-MSINET.OCX");
    TScopedUnixLink link(UnixPathOf(tests.Path()), UnixPathOf(linking.Path()) + "/enlace");
    TScopedShare share(tests.Path());
    char shortName[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(mine->Path().c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortName), mine->Path()) << "Wine gave no short name";
    const struct {
        const char* what;
        std::string path;
        bool others;
    } cases[] = {
        {"a tests folder outside the profile", mine->Path(), false},
        {"the same file by its short name", shortName, false},
        {"the same folder, as a download's destination", tests.Path(), false},
        {"the system folder", SystemDirectory() + "\\kernel32.dll", false},
        {"the temporary folder, in the profile", inTemporary->Path(), true},
        {"the profile itself", Env("USERPROFILE"), true},
        {"a world-writable Unix folder", open.Path(), true},
        {"through a folder that is a Unix link", linking / "enlace\\MSINET.OCX", true},
        {"on a share", std::string(TScopedShare::PATH) + "\\MSINET.OCX", true},
        {"a file that is not there", tests / "NADA.OCX", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindowsPlatform().OthersCanWrite(c.path), c.others) << c.what << ": " << c.path;
        if (c.path == tests.Path() || c.path == Env("USERPROFILE")) continue;
        // The same verdict through the hold a load keeps.
        const auto held = WindowsPlatform().HoldForLoading(c.path);
        EXPECT_EQ(!held || held->OthersMayChange(), c.others) << c.what << ", held";
    }
}

// Held for its load: the file loads, and meanwhile no one writes, renames or deletes it.
TEST(WineElevatedLoad, ALibraryHeldForItsLoadStaysTheFileChecked) {
    TScopedFolder folder;
    TScopedClassesRootKey guard(MsinetKey);
    auto library = PlaceStandIn("good", "MSINET.OCX", folder.Path());
    const auto held = WindowsPlatform().HoldForLoading(library->Path());
    ASSERT_TRUE(held);
    EXPECT_FALSE(held->OthersMayChange());
    EXPECT_FALSE(DeleteFileA(library->Path().c_str()));
    EXPECT_FALSE(MoveFileA(library->Path().c_str(), (folder / "OTRO.OCX").c_str()));
    const TFileHandle writer(CreateFileA(library->Path().c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer);
    EXPECT_TRUE(CallServerEntry(WindowsPlatform(), library->Path(), REGISTER_ENTRY));
}

// A browser saves into Downloads unasked, and an administrator who starts Kestrova.exe from
// there makes it the current folder: a library there is asked about, whatever its list says.
TEST(WineElevatedLoad, RegisterAllAsksAboutALibraryInTheDownloadsFolder) {
    const std::string downloads = JoinPath(Env("USERPROFILE"), "Downloads");
    const TFileHandle folder(CreateFileA(downloads.c_str(), READ_CONTROL, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(folder) << downloads;
    ASSERT_TRUE(LiesAt(folder.get(), CheckedPathOf(downloads)))
        << "the prefix's Downloads is a link (to the Unix home): scripts/wine-env.sh makes it a "
           "folder of the prefix";
    TScopedCurrentDirectory cd(downloads);
    TScopedClassesRootKey guard(MsinetKey);
    auto planted = PlaceStandIn("marker", "MSINET.OCX", downloads);
    const TScopedMarker marker(planted->Path());
    Scan();
    TAgreeingUi ui;
    ui.Answer = false;
    RegisterAllLibraries(WindowsPlatform(), ui, Libraries);
    ASSERT_EQ(ui.Questions.size(), 1u);
    EXPECT_NE(ui.Questions[0].find("\n\r" + planted->Path() + "\n\r"), std::string::npos)
        << ui.Questions[0];
    EXPECT_FALSE(FileExistsAt(marker.Path())) << "loaded without an answer";
}

// A machine registration naming a library on a share: asked about before anything is loaded.
TEST(WineElevatedLoad, AForcedRegistrationAsksAboutALibraryOnAShare) {
    TScopedFolder served;
    auto planted = PlaceStandIn("marker", "MSINET.OCX", served.Path());
    const TScopedMarker marker(planted->Path());
    const TScopedShare share(served.Path());
    const std::string onShare = std::string(TScopedShare::PATH) + "\\MSINET.OCX";
    TScopedClassesRootKey guard(MsinetKey);
    guard.SetDefault(onShare);
    Scan();
    ASSERT_EQ(Libraries[IndexOf("MSINET.OCX")].Path.str(), onShare);
    TAgreeingUi ui;
    ui.Answer = false;
    ReRegisterSelected(WindowsPlatform(), ui, Libraries, IndexOf("MSINET.OCX"));
    EXPECT_EQ(ui.Questions, std::vector<std::string>{WritableLocationQuestion(onShare)});
    EXPECT_FALSE(FileExistsAt(marker.Path())) << "loaded without an answer";
}

// A library in a world-writable folder: asked about, and loaded on Yes.
TEST(WineElevatedLoad, AFileStandardUsersMayChangeIsAskedAbout) {
    TScopedClassesRootKey guard(MsinetKey);
    const std::string open =
        "Z:\\tmp\\kestrova-" + std::to_string(GetCurrentProcessId()) + "-MSINET.OCX";
    TScopedFileCopy library(StandInPath("good", "MSINET.OCX"), open);
    TAgreeingUi ui;
    RegisterLibrary(WindowsPlatform(), ui, library.Path());
    EXPECT_EQ(ui.Questions, std::vector<std::string>{WritableLocationQuestion(library.Path())});
    // Agreed: loaded and registered.
    EXPECT_EQ(ui.Messages, std::vector<std::string>{"Librería " + library.Path() +
                                                    " ha sido registrada con exito."});
}
