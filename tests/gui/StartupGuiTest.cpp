// What the window shows when the program starts: the catalogue lines of the machine it
// finds, its caption with its own version, the operating-system label, labels as large as
// their text and the initial state of every control.
#include "GuiScenario.h"
#include "Pixels.h"

#include "ui/Layout.h"

#include <gtest/gtest.h>

using namespace gui;

namespace {

struct TPlacedLine {
    const char* Name;
    const char* Where; // "here", "system", "both" (outdated in system, good here)
    const char* Variant;
    bool Registered;
    const char* Status;
};

// One line of each kind the scan tells apart.
const TPlacedLine PlacedLines[] = {
    {"ZLIB.DLL", "here", "good", false, STATUS_OK},            // needs no registration
    {"IJL11.DLL", "here", "outdated", false, STATUS_UPDATE},   // build number one higher
    {"MSINET.OCX", "here", "good", true, STATUS_OK},           // registered where it lies
    {"RICHTX32.OCX", "here", "good", false, STATUS_REGISTER},  // located, not registered
    {"CSWSK32.OCX", "system", "good", false, STATUS_REGISTER}, // found in the system folder
    {"KORDAN.DLL", "here", "noversion", false, STATUS_UPDATE}, // "0.0.0.0" is not 1.0.0.1
    {"PELMIX.DLL", "here", "noversion", false, STATUS_OK},     // requires "0.0.0.0"
    {"MIRVAL.DLL", "here", "text", false, STATUS_OK},          // not even a library
    {"SULDEN.DLL", "both", "good", false, STATUS_OK},          // the current folder wins
};

} // namespace

TEST(Startup, ShowsOneLinePerCatalogueLibraryForTheMachineItFinds) {
    // Libraries Wine brings along in its system folder, with its own versions and
    // registrations: their lines depend on the Wine release, not on the scenario. Asked
    // before the scenario places its own files there.
    ResetLibraries();
    bool winesOwn[LIBRARY_COUNT] = {};
    for (size_t i = 0; i < LIBRARY_COUNT; ++i)
        winesOwn[i] = kestrova_test::WineProvides(Libraries[i].Name.str());
    TScenario machine;
    for (const auto& row : PlacedLines) {
        std::string path;
        if (std::string(row.Where) == "system") path = machine.PlaceInSystem(row.Variant, row.Name);
        if (std::string(row.Where) == "both") machine.PlaceInSystem("outdated", row.Name);
        if (std::string(row.Where) != "system") path = machine.PlaceHere(row.Variant, row.Name);
        if (!RegistrationKey(row.Name).empty())
            machine.Register(row.Name, row.Registered ? path : "");
    }
    // A registration that names a file no longer there, with no copy anywhere.
    machine.Register("MSWINSCK.OCX", machine.HerePath("GONE.OCX"));
    auto app = machine.Start();

    const auto lines = app->Lines();
    ASSERT_EQ(lines.size(), LIBRARY_COUNT);
    for (size_t i = 0; i < LIBRARY_COUNT; ++i) {
        const std::string name = Libraries[i].Name.str();
        const char* expected = STATUS_DOWNLOAD;
        for (const auto& row : PlacedLines)
            if (name == row.Name) expected = row.Status;
        if (winesOwn[i])
            EXPECT_EQ(lines[i].rfind(name + " - ¡", 0), 0u) << lines[i];
        else
            EXPECT_EQ(lines[i], Line(name, expected)) << "line " << i;
    }
}

TEST(Startup, TitlesTheWindowWithTheProgramVersion) {
    TScenario machine;
    auto app = machine.Start();
    const std::string version = FileVersionText(KestrovaExe());
    ASSERT_FALSE(version.empty());
    EXPECT_EQ(TextOf(app->Main()), "Kestrova v" + version);
}

TEST(Startup, StartsWithNothingSelectedAndEveryCommandDisabled) {
    TScenario machine;
    auto app = machine.Start();
    EXPECT_EQ(app->Selection(), LB_ERR);
    EXPECT_EQ(app->Text(IDC_TPATH), "");
    EXPECT_EQ(app->Text(IDC_TVERSION), "");
    for (int id : {IDC_CMDDESCARGAR, IDC_CMDREGISTRAR, IDC_CMDREREGISTRAR})
        EXPECT_FALSE(app->IsEnabled(id)) << id;
    for (int id : {IDC_CMDDETENER, IDC_PB1, IDC_LDOWNLOADING})
        EXPECT_FALSE(app->IsShown(id)) << id;
    EXPECT_TRUE(app->IsEnabled(IDC_BTNEXTRA));
    EXPECT_EQ(app->Text(IDC_BTNEXTRA), "[...]");
    EXPECT_EQ(app->Text(IDC_LBL1), "Sistema Operativo:");
    EXPECT_EQ(app->Text(IDC_LABEL1), "Librerías");
    EXPECT_EQ(app->Text(IDC_CMDDESCARGAR), "&Descargar");
    EXPECT_EQ(app->Text(IDC_CMDREGISTRAR), "&Registrar");
    EXPECT_EQ(app->Text(IDC_CMDREREGISTRAR), "&Forzar registro");
    EXPECT_EQ(app->Focused(), app->Control(IDC_LLIBRERIAS));
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    EXPECT_TRUE(WaitUntil([&] { return app->VersionBackground() == window; }))
        << std::hex << app->VersionBackground();
}

namespace {

// HKCU\Software\Wine\Version, which decides the Windows version Wine reports to programs
// started afterwards; the previous setting is put back at scope end.
class TScopedWineVersion {
public:
    explicit TScopedWineVersion(const char* version) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &FKey, nullptr);
        char old[64] = {};
        DWORD size = sizeof old - 1;
        FHadValue = RegQueryValueExA(FKey, "Version", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        FOld = old;
        Set(version);
    }
    ~TScopedWineVersion() {
        if (FHadValue)
            Set(FOld.c_str());
        else
            RegDeleteValueA(FKey, "Version");
        RegCloseKey(FKey);
    }
    TScopedWineVersion(const TScopedWineVersion&) = delete;
    TScopedWineVersion& operator=(const TScopedWineVersion&) = delete;

private:
    void Set(const char* version) {
        RegSetValueExA(FKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(strlen(version) + 1));
    }
    HKEY FKey = nullptr;
    bool FHadValue = false;
    std::string FOld;
};

} // namespace

TEST(Startup, SizesEachLabelToItsTextInItsOwnFont) {
    TScenario machine;
    auto app = machine.Start();
    HDC screen = GetDC(nullptr);
    for (std::size_t i = 0; i < LayoutCount; ++i) {
        const TControlRow& row = Layout[i];
        if (row.Kind != TControlKind::Label) continue;
        const std::string text = app->Text(row.Id);
        HFONT font =
            CreateFontA(-row.FontHeight, 0, 0, 0, row.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
        HGDIOBJ old = SelectObject(screen, font);
        RECT needed{};
        DrawTextA(screen, text.c_str(), -1, &needed, DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
        SelectObject(screen, old);
        DeleteObject(font);
        RECT shown{};
        GetWindowRect(app->Control(row.Id), &shown);
        EXPECT_GE(shown.right - shown.left, needed.right) << row.Name << " \"" << text << "\"";
        EXPECT_GE(shown.bottom - shown.top, needed.bottom) << row.Name << " \"" << text << "\"";
    }
    ReleaseDC(nullptr, screen);
}

TEST(Startup, LabelsTheOperatingSystemWineImitates) {
    const std::string wow64 = kestrova_test::InWin64Prefix() ? " (64 bits)" : "";
    const struct {
        const char* WineVersion;
        const char* Label;
    } cases[] = {
        {"winxp", "Windows XP"},
        {"win7", "Windows 7"},
        // The manifest has no compatibility section: Windows 8.1 and 10 report 6.2.
        {"win81", "Windows 8"},
        {"win10", "Windows 8"},
    };
    for (const auto& c : cases) {
        if (kestrova_test::In64BitPrefix() && std::string(c.WineVersion) == "winxp")
            continue; // Wine offers no 64-bit Windows XP
        TScopedWineVersion version(c.WineVersion);
        TScenario machine;
        auto app = machine.Start();
        EXPECT_EQ(app->Text(IDC_LBLSO), c.Label + wow64) << c.WineVersion;
    }
}
