// /reparar on a machine with one line of each kind a repair meets: the log, the exit code,
// the copies left as they were where the repair must not change them, and a repair stopped
// from its window.
#include "LibServerControl.h"
#include "tests/gui/GuiScenario.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace gui;
using namespace kestrova_test;

namespace {

// Every line in order (a good copy, registered where it lies) but seven: one missing, one
// older than required, one newer than required and unregistered, one older copy here that
// hides a newer one in the system folder, one unregistered, one whose registration faults,
// and one whose download the signer rule refuses. Wine's own libraries get their good copy
// in the system folder in place of Wine's, which is put back at scope end, since a repair
// downloads over them there.
class TRepairMachine {
public:
    TRepairMachine() {
        ResetLibraries();
        for (const TLibraryEntry& entry : Libraries) {
            const std::string name = entry.Name.str();
            if (name == "CSWSK32.OCX" || name == "KORDAN.DLL" || name == "IJL11.DLL" ||
                name == "MSADODC.OCX" || name == "RICHTX32.OCX" || name == "MSWINSCK.OCX" ||
                name == "MSINET.OCX")
                continue;
            const bool winesOwn = WineProvides(name);
            Place("good", name, winesOwn ? SystemDirectory() : Here(), winesOwn);
            if (entry.NeedsRegistration()) Register(name, FCopies.back()->Path());
        }
        Register("CSWSK32.OCX", "");
        FArrivals.push_back(JoinPath(SystemDirectory(), "CSWSK32.OCX"));
        Place("noversion", "KORDAN.DLL", SystemDirectory());
        Newer = Place("newer", "MSADODC.OCX", Here());
        Register("MSADODC.OCX", "");
        // The download would replace the newer copy in the system folder: a rollback.
        Older = Place("outdated", "IJL11.DLL", Here());
        Hidden = Place("newer", "IJL11.DLL", SystemDirectory());
        Register("RICHTX32.OCX", "");
        Place("good", "RICHTX32.OCX", Here());
        Register("MSWINSCK.OCX", "");
        Place("crash", "MSWINSCK.OCX", Here());
        Register("MSINET.OCX", Place("noversion", "MSINET.OCX", Here()));
        Signed = Place("signed-a", "MSINET.OCX", SystemDirectory());
        ResetServer();
    }
    ~TRepairMachine() {
        for (const std::string& path : FArrivals)
            DeleteFileA(path.c_str());
    }

    const std::string& Here() const { return FHere.Path(); }
    std::string Newer, Older, Hidden, Signed;

private:
    std::string Place(const char* variant, const std::string& name, const std::string& folder,
                      bool replace = false) {
        FCopies.push_back(PlaceStandIn(variant, name, folder, replace));
        return FCopies.back()->Path();
    }
    void Register(const std::string& name, const std::string& path) {
        FKeys.push_back(std::make_unique<TScopedClassesRootKey>(RegistrationKey(name)));
        if (!path.empty()) FKeys.back()->SetDefault(path);
    }

    TScopedFolder FHere;
    std::vector<std::unique_ptr<TScopedClassesRootKey>> FKeys;
    std::vector<std::unique_ptr<TScopedFileCopy>> FCopies;
    std::vector<std::string> FArrivals;
};

TProcessResult RunKestrova(const std::string& args, const std::string& folder) {
    TScopedCurrentDirectory cwd(folder);
    return RunProcess("\"" + KestrovaExe() + "\" " + args, 120000);
}

// The log is UTF-8; our literals are Windows-1252.
std::string Utf8(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    std::string out(wide.size() * 3, '\0');
    out.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                            static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

// A step's fields, after its time, are in the log.
bool Logged(const std::string& log, const std::string& fields) {
    return log.find("\t" + Utf8(fields)) != std::string::npos;
}

} // namespace

TEST(Repair, SilentRepairMendsWhatItMayAndLogsWhyTheRestIsLeft) {
    TRepairMachine machine;
    const std::string logPath = JoinPath(machine.Here(), "reparar.log");
    std::ofstream(logPath, std::ios::binary) << "\xEF\xBB\xBF"
                                             << "anterior\r\n";

    const TProcessResult run = RunKestrova("/reparar /s /registro reparar.log", machine.Here());
    EXPECT_EQ(run.ExitCode, 3u);
    EXPECT_EQ(run.Output, "");
    const std::string log = ReadWholeFile(logPath);
    EXPECT_EQ(log.rfind("\xEF\xBB\xBF"
                        "anterior\r\n",
                        0),
              0u)
        << "appended, not replaced";
    EXPECT_EQ(log.find("\xEF\xBB\xBF", 1), std::string::npos) << "a second byte-order mark";
    for (const char* fields :
         {"CSWSK32.OCX\tdescarga\thecho\t\r\n", "CSWSK32.OCX\tregistro\thecho\t\r\n",
          "KORDAN.DLL\tdescarga\thecho\t\r\n", "RICHTX32.OCX\tregistro\thecho\t\r\n",
          "MSADODC.OCX\tregistro\thecho\t\r\n",
          "IJL11.DLL\tdescarga\tomitido\thay una copia más nueva que la requerida: ",
          "IJL11.DLL\testado\tACTUALIZAR\t",
          "MSINET.OCX\tdescarga\tfallido\tLa librería MSINET.OCX descargada no "
          "está firmada por",
          "MSINET.OCX\testado\tACTUALIZAR\t"})
        EXPECT_TRUE(Logged(log, fields)) << fields << "\n" << log;
    // A newer copy is current: registered where it lies, never downloaded over.
    EXPECT_EQ(log.find("MSADODC.OCX\tdescarga"), std::string::npos) << log;
    EXPECT_EQ(ServerRequestCount("MSADODC.OCX"), 0);
    EXPECT_EQ(ReadWholeFile(machine.Newer), ReadWholeFile(StandInPath("newer", "MSADODC.OCX")));
    EXPECT_EQ(ServerRequestCount("IJL11.DLL"), 0);
    EXPECT_EQ(ReadWholeFile(machine.Older), ReadWholeFile(StandInPath("outdated", "IJL11.DLL")));
    EXPECT_EQ(ReadWholeFile(machine.Hidden), ReadWholeFile(StandInPath("newer", "IJL11.DLL")));
    EXPECT_EQ(ReadWholeFile(machine.Signed), ReadWholeFile(StandInPath("signed-a", "MSINET.OCX")));

    const TProcessResult after = RunKestrova("/estado", machine.Here());
    for (const char* name : {"CSWSK32.OCX", "KORDAN.DLL", "RICHTX32.OCX", "MSADODC.OCX"})
        EXPECT_NE(after.Output.find(std::string("\n") + name + "\tOK\t"), std::string::npos)
            << name << "\n"
            << after.Output;
}

TEST(Repair, TheStopButtonStopsTheRepairWithExitCodeFour) {
    TRepairMachine machine;
    ResetLibraries();
    // Every answer goes on until the client stops it, so the stop lands in the first
    // transfer (MSINET.OCX's) however late the click comes.
    for (const TLibraryEntry& entry : Libraries)
        SetServerMode(entry.Name.str(), "endless", "&chunk=128&interval=200");
    TKestrova app(machine.Here(), 30000, "/reparar /registro reparar.log");
    ASSERT_TRUE(WaitUntil([&] { return app.IsShown(IDC_CMDDETENER); }, 30000));
    app.Press(IDC_CMDDETENER);
    const auto box = app.WaitForMessageBox(30000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Text, "Reparación detenida.");
    PressButton(*box, "OK");
    ASSERT_TRUE(WaitUntil([&] { return !app.Process().Running(); }, 10000));
    EXPECT_EQ(app.Process().ExitCode(), 4u);
    const std::string log = ReadWholeFile(JoinPath(machine.Here(), "reparar.log"));
    EXPECT_TRUE(Logged(log, "MSINET.OCX\tdescarga\tdetenido\t\r\n")) << log;
    EXPECT_EQ(log.find("\thecho\t"), std::string::npos) << log;
    EXPECT_EQ(ReadWholeFile(machine.Signed), ReadWholeFile(StandInPath("signed-a", "MSINET.OCX")));
    EXPECT_EQ(ServerRequestCount("CSWSK32.OCX"), 0);
    EXPECT_FALSE(FileExistsAt(JoinPath(SystemDirectory(), "CSWSK32.OCX")));
    ResetServer();
}
