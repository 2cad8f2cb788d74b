// /reparar /s /origen from a folder whose name has a blank and an accented letter, holding a
// good, an unsigned, an other-name-signed and an older library and missing one: what it mends,
// what it refuses with its reason in the log, and the copies it leaves byte for byte. A
// program without the publisher's key refuses the folder and does nothing.
#include "LibServerControl.h"
#include "RepairMachine.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace kestrova_test;

namespace {

// The copies the repair must not change, in the system folder, where a download would
// replace them.
struct TRefused {
    const char* name;
    std::string path;
};

} // namespace

TEST(RepairFromAFolder, PlacesOnlyThePublishersSignedLibrariesAndLeavesTheRest) {
    TCraftedMachine machine(
        {"KORDAN.DLL", "CSWSK32.OCX", "ZLIB.DLL", "IJL11.DLL", "MSINET.OCX", "RICHTX32.OCX"});
    const std::string folder = JoinPath(machine.Here(), "librerías de prueba");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string system = SystemDirectory();
    const auto inFolder = [&](const char* variant, const std::string& source,
                              const std::string& name, const char* sig) {
        machine.Copy(StandInPath(variant, source), JoinPath(folder, name));
        if (sig) machine.Copy(StandInPath(variant, sig) + ".sig", JoinPath(folder, name + ".sig"));
    };
    // Mended: an outdated copy replaced, and a missing one placed and registered.
    machine.Place("noversion", "KORDAN.DLL", system);
    inFolder("good", "KORDAN.DLL", "KORDAN.DLL", "KORDAN.DLL");
    machine.Register("CSWSK32.OCX", "");
    machine.Arrives(JoinPath(system, "CSWSK32.OCX"));
    inFolder("good", "CSWSK32.OCX", "CSWSK32.OCX", "CSWSK32.OCX");
    // Refused, each over an outdated copy: unsigned, signed as another library, older than
    // required, and not in the folder at all.
    const TRefused refused[] = {
        {"ZLIB.DLL", machine.Place("outdated", "ZLIB.DLL", system)},
        {"IJL11.DLL", machine.Place("outdated", "IJL11.DLL", system)},
        {"MSINET.OCX", machine.Place("outdated", "MSINET.OCX", system)},
        {"RICHTX32.OCX", machine.Place("outdated", "RICHTX32.OCX", system)}};
    machine.Register("MSINET.OCX", refused[2].path);
    machine.Register("RICHTX32.OCX", refused[3].path);
    inFolder("good", "ZLIB.DLL", "ZLIB.DLL", nullptr);
    inFolder("good", "ZLIB.DLL", "IJL11.DLL", "ZLIB.DLL");
    inFolder("outdated", "MSINET.OCX", "MSINET.OCX", "MSINET.OCX");
    const std::string logPath = JoinPath(machine.Here(), "reparar.log");

    const TProcessResult run =
        RunKestrova("/reparar /s /origen \"" + folder + "\" /registro reparar.log", machine.Here());

    if (Env("KESTROVA_PUBLISHER_KEYED").empty()) {
        // Nothing vouches for a folder's files without the key: bad use, and nothing done.
        EXPECT_EQ(run.ExitCode, 2u);
        EXPECT_NE(run.Output.find("no lleva la clave del editor"), std::string::npos) << run.Output;
        EXPECT_FALSE(FileExistsAt(logPath)) << "the log was opened";
        EXPECT_TRUE(ReadWholeFile(JoinPath(system, "KORDAN.DLL")) ==
                    ReadWholeFile(StandInPath("noversion", "KORDAN.DLL")));
    } else {
        EXPECT_EQ(run.ExitCode, 3u);
        const std::string log = ReadWholeFile(logPath);
        const std::string unsigned_ = " descargada no lleva la firma del editor de Kestrova.";
        for (const std::string& fields : std::vector<std::string>{
                 "KORDAN.DLL\tdescarga\thecho\t\r\n", "CSWSK32.OCX\tdescarga\thecho\t\r\n",
                 "CSWSK32.OCX\tregistro\thecho\t\r\n",
                 "ZLIB.DLL\tdescarga\tfallido\tLa librería ZLIB.DLL" + unsigned_,
                 "IJL11.DLL\tdescarga\tfallido\tLa librería IJL11.DLL" + unsigned_,
                 "MSINET.OCX\tdescarga\tfallido\tLa librería MSINET.OCX descargada (versión "
                 "6.1.98.15) es anterior a la requerida (6.1.98.16).",
                 "RICHTX32.OCX\tdescarga\tfallido\tLa librería RICHTX32.OCX no está en la "
                 "carpeta " +
                     folder + ".",
                 "ZLIB.DLL\testado\tACTUALIZAR\t", "RICHTX32.OCX\testado\tACTUALIZAR\t"})
            EXPECT_TRUE(Logged(log, fields)) << fields << "\n" << log;
        for (const char* name : {"KORDAN.DLL", "CSWSK32.OCX"})
            EXPECT_TRUE(ReadWholeFile(JoinPath(system, name)) ==
                        ReadWholeFile(StandInPath("good", name)))
                << name << " was not placed";
    }
    for (const TRefused& copy : refused) {
        EXPECT_TRUE(ReadWholeFile(copy.path) == ReadWholeFile(StandInPath("outdated", copy.name)))
            << copy.name << " changed";
        EXPECT_FALSE(FileExistsAt(copy.path + ".part")) << copy.name;
    }
    // The folder is only read.
    EXPECT_TRUE(ReadWholeFile(JoinPath(folder, "KORDAN.DLL")) ==
                ReadWholeFile(StandInPath("good", "KORDAN.DLL")));
}
