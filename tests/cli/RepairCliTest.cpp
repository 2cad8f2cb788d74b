// /reparar on a machine with one line of each kind a repair meets: the log, the exit code,
// the copies left as they were where the repair must not change them, a repair stopped
// from its window, and registrations that never return or end their process.
#include "LibServerControl.h"
#include "RepairMachine.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace gui;
using namespace kestrova_test;

namespace {

// Every line in order (a good copy, registered where it lies) but seven: one missing, one
// older than required, one newer than required and unregistered, one older copy here that
// hides a newer one in the system folder, one unregistered, one whose registration faults,
// and one whose download the signer rule refuses.
class TRepairMachine : public TCraftedMachine {
public:
    TRepairMachine()
        : TCraftedMachine({"CSWSK32.OCX", "KORDAN.DLL", "IJL11.DLL", "MSADODC.OCX", "RICHTX32.OCX",
                           "MSWINSCK.OCX", "MSINET.OCX"}) {
        Register("CSWSK32.OCX", "");
        Arrives(JoinPath(SystemDirectory(), "CSWSK32.OCX"));
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

    std::string Newer, Older, Hidden, Signed;
};

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

// Beside a good library, one whose registration never returns (and leaves a process of its
// own), one that ends its process, and one that waits on a box no one answers: the silent
// repair registers the good one, fails each bad one with its reason, ends by itself with exit
// code 3, and leaves no process of the run behind. The only bound on time is the outer one.
TEST(Repair, RegistrationsThatNeverReturnOrEndTheirProcessFailOnlyTheirOwnStep) {
    TCraftedMachine machine({"MSINET.OCX", "RICHTX32.OCX", "MSCOMCTL.OCX", "MSADODC.OCX"});
    for (const char* name : {"MSINET.OCX", "RICHTX32.OCX", "MSCOMCTL.OCX", "MSADODC.OCX"})
        machine.Register(name, "");
    const std::string hangs = machine.Place("hangs", "MSINET.OCX", machine.Here());
    const std::string exits = machine.Place("exits", "RICHTX32.OCX", machine.Here());
    const std::string box = machine.Place("msgbox", "MSCOMCTL.OCX", machine.Here());
    machine.Place("good", "MSADODC.OCX", machine.Here());

    const TProcessResult run =
        RunKestrova("/reparar /s /espera 5 /registro reparar.log", machine.Here());
    EXPECT_EQ(run.ExitCode, 3u);
    const std::string log = ReadWholeFile(JoinPath(machine.Here(), "reparar.log"));
    const std::string late = " no ha terminado su registro en 5 segundos; se ha detenido.\r\n";
    for (const std::string& fields :
         {std::string("MSADODC.OCX\tregistro\thecho\t\r\n"),
          "MSINET.OCX\tregistro\tfallido\tLa librería " + hangs + late,
          "RICHTX32.OCX\tregistro\tfallido\tEl registro de la librería " + exits +
              " ha terminado el proceso que lo ejecutaba (código 3).\r\n",
          "MSCOMCTL.OCX\tregistro\tfallido\tLa librería " + box + late,
          std::string("MSINET.OCX\testado\tREGISTRAR\t")})
        EXPECT_TRUE(Logged(log, fields)) << fields << "\n" << log;
    const DWORD child = NotedProcessId(hangs + ".child");
    EXPECT_NE(child, 0u) << "the library that never returns did not start its process";
    EXPECT_TRUE(ProcessEnds(child, 10000)) << "what the library started outlived the run";
    EXPECT_EQ(ProcessesNamed("Kestrova.exe"), std::vector<DWORD>{}) << "a helper outlived the run";
}

// A repair whose download replaces a copy and then fails its registration logs the step as
// failed with the reason, and leaves the old copy in place, registered again.
TEST(Repair, AFailedRegistrationLeavesTheOldCopyRegistered) {
    TCraftedMachine machine({"MSCOMCTL.OCX"});
    const std::string old = machine.Place("outdated", "MSCOMCTL.OCX", SystemDirectory());
    machine.Register("MSCOMCTL.OCX", ""); // only the repair's own registrations fill it
    ResetServer();
    SetServerMode("MSCOMCTL.OCX", "ok", "&source=fails/MSCOMCTL.OCX");

    const TProcessResult run = RunKestrova("/reparar /s /registro reparar.log", machine.Here());
    ResetServer();
    EXPECT_EQ(run.ExitCode, 3u);
    const std::string log = ReadWholeFile(JoinPath(machine.Here(), "reparar.log"));
    EXPECT_TRUE(Logged(log, "MSCOMCTL.OCX\tdescarga\tfallido\t")) << log;
    EXPECT_NE(log.find(Utf8("La librería MSCOMCTL.OCX descargada no se ha podido registrar; se "
                            "ha vuelto a poner la copia anterior (versión 6.1.98.33).")),
              std::string::npos)
        << log;
    EXPECT_EQ(ReadWholeFile(old), ReadWholeFile(StandInPath("outdated", "MSCOMCTL.OCX")));
    EXPECT_FALSE(FileExistsAt(old + ".kestrova-anterior"));
    char registered[MAX_PATH] = {};
    LONG size = sizeof registered;
    ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, RegistrationKey("MSCOMCTL.OCX").c_str(), registered,
                             &size),
              ERROR_SUCCESS);
    EXPECT_EQ(lstrcmpiA(registered, old.c_str()), 0)
        << registered << ": the old copy was not registered again";
}
