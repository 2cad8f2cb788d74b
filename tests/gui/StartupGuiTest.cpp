// What the window shows when the program starts: the catalogue lines of the machine it
// finds, its caption with its own version, the operating-system label (and the status
// report's, which is the same) and the initial state of every control.
#include "GuiScenario.h"

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
    {"IJL11.DLL", "here", "outdated", false, STATUS_UPDATE},   // build number one lower
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

TEST(Startup, NamesTheWindowsWineImitatesInTheLabelAndTheReport) {
    const std::string wow64 = kestrova_test::InWin64Prefix() ? " (64 bits)" : "";
    const struct {
        const char* WineVersion; // "": Wine's default, Windows 7
        const char* Name;
    } cases[] = {
        {"winxp", "Windows XP"},
        {"", "Windows 7"},
        // Told the real version by the manifest's supportedOS entries (10.0 for both 10 and
        // 11, which only the build tells apart).
        {"win81", "Windows 8.1"},
        {"win10", "Windows 10"},
        // A server's product type, which Wine 8.0 reports under this setting.
        {"win2008", "Windows Server 2008"},
    };
    kestrova_test::TScopedRegistryValue version(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    for (const auto& c : cases) {
        if (kestrova_test::In64BitPrefix() && std::string(c.WineVersion) == "winxp")
            continue; // Wine offers no 64-bit Windows XP
        if (*c.WineVersion)
            version.SetText(c.WineVersion);
        else
            version.Remove();
        TScenario machine;
        {
            auto app = machine.Start();
            EXPECT_EQ(app->Text(IDC_LBLSO), c.Name + wow64) << c.WineVersion;
        }
        const kestrova_test::TScopedCurrentDirectory here(machine.Here());
        const auto report = kestrova_test::RunProcess("\"" + KestrovaExe() + "\" /estado", 30000);
        EXPECT_EQ(report.Output.substr(0, report.Output.find("\r\n")),
                  "Sistema Operativo:\t" + (c.Name + wow64))
            << c.WineVersion;
    }
}
