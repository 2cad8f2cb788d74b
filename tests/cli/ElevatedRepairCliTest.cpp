// /reparar /s as an administrator would meet a standard user's plants: a library on the
// deployment share Kestrova was started from, and a system copy held open to force the download
// into a folder anyone may write. Wine's token is always elevated. Each runs in the crafted
// machine's folder, where the libraries without a registration are found.
#include "LibServerControl.h"
#include "RepairMachine.h"
#include "platform/Handles.h"
#include "platform/WinPlatform.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace kestrova_test;

// Started from a share (its current folder), a library found there is skipped, never loaded.
TEST(ElevatedRepair, SkipsALibraryOnTheShareItWasStartedFrom) {
    // The machine's folder is the share: every library without a registration is found there.
    TCraftedMachine machine({"MSINET.OCX"});
    machine.Register("MSINET.OCX", "");
    const std::string planted = machine.Place("marker", "MSINET.OCX", machine.Here());
    DeleteFileA((planted + ".loaded").c_str());
    const TScopedShare share(machine.Here());
    const std::string logPath = JoinPath(machine.Here(), "reparar.log");

    const TProcessResult run =
        RunKestrova("/reparar /s /registro \"" + logPath + "\"", TScopedShare::PATH);

    EXPECT_EQ(run.ExitCode, 3u);
    const std::string onShare = std::string(TScopedShare::PATH) + "\\MSINET.OCX";
    const std::string log = ReadWholeFile(logPath);
    EXPECT_TRUE(Logged(log, "MSINET.OCX\tregistro\tfallido\tLa librería " + onShare +
                                " está en una carpeta que otros usuarios pueden modificar; no se "
                                "ha registrado."))
        << log;
    EXPECT_FALSE(FileExistsAt(planted + ".loaded")) << "loaded from the share";
    DeleteFileA((planted + ".loaded").c_str());
}

// A standard user holds the system copy open, sharing it for reading only (as a program that
// loaded it does), so it cannot be replaced, and the download falls back to the current folder,
// which anyone may write (a world-writable Unix folder): refused before anything is requested
// or created.
TEST(ElevatedRepair, RefusesTheFallbackIntoAFolderAnyoneMayWrite) {
    TCraftedMachine machine({"MSCOMCTL.OCX"});
    machine.Register("MSCOMCTL.OCX", "");
    const std::string system = machine.Place("outdated", "MSCOMCTL.OCX", SystemDirectory());
    const TFileHandle holder(CreateFileA(system.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    const std::string open = machine.Here();
    ASSERT_TRUE(RunUnix("/bin/chmod 0777 \"" + UnixPathOf(open) + "\"",
                        [&] { return WindowsPlatform().OthersCanWrite(open); }));
    ResetServer();
    const std::string logPath = JoinPath(machine.Here(), "reparar.log");

    const TProcessResult run = RunKestrova("/reparar /s /registro \"" + logPath + "\"", open);

    EXPECT_EQ(run.ExitCode, 3u);
    const std::string log = ReadWholeFile(logPath);
    EXPECT_TRUE(Logged(log, "MSCOMCTL.OCX\tdescarga\tfallido\t")) << log;
    EXPECT_NE(log.find(Utf8("Kestrova se ejecuta como administrador y no descarga MSCOMCTL.OCX en "
                            "la carpeta " +
                            open + ", que otros usuarios pueden modificar. No se ha descargado.")),
              std::string::npos)
        << log;
    EXPECT_EQ(ServerRequestCount("MSCOMCTL.OCX"), 0);
    for (const char* left : {"MSCOMCTL.OCX", "MSCOMCTL.OCX.part", "temp.chk"})
        EXPECT_FALSE(FileExistsAt(JoinPath(open, left))) << left;
    EXPECT_EQ(ReadWholeFile(system), ReadWholeFile(StandInPath("outdated", "MSCOMCTL.OCX")));
}
