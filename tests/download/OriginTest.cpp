// Where a download comes from, under Wine against the real TLS servers: only a server whose
// certificate Windows trusts for its name is heard, a redirect may not leave https, and in
// a build with a publisher key only a library carrying the publisher's signature for its
// own name is placed.
#include "LibServerControl.h"
#include "RealTransferUi.h"

#include "actions/BindStatusCallback.h"
#include "actions/DownloadFile.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kestrova_test;

namespace {

struct OriginTest : ::testing::Test {
    TScopedFolder Folder;
    void SetUp() override {
        CreateBindCallback();
        ResetServer();
    }
    void TearDown() override { ResetServer(); }
};

TLibraryEntry& Entry(const char* name) {
    ResetLibraries();
    for (TLibraryEntry& e : Libraries)
        if (e.Name == name) return e;
    throw std::runtime_error(name);
}

} // namespace

TEST_F(OriginTest, OnlyAServerWindowsVouchesForIsHeard) {
    struct TCase {
        const char* what;
        std::string url;
        bool stored;
    };
    const TCase cases[] = {
        {"trusted root, right name", LibServerBase() + "ZLIB.DLL", true},
        {"a build for plain http", OtherServerBase(TOtherServer::PlainHttp) + "ZLIB.DLL", true},
        {"another name", OtherServerBase(TOtherServer::OtherName) + "ZLIB.DLL", false},
        {"untrusted root", OtherServerBase(TOtherServer::Untrusted) + "ZLIB.DLL", false},
        {"redirect to http", LibServerBase() + "DOWNGRADE.DLL", false},
        {"redirect to https, followed", LibServerBase() + "MOVED.DLL", true},
    };
    SetServerMode("DOWNGRADE.DLL", "redirect",
                  "&to=" + OtherServerBase(TOtherServer::PlainHttp) + "ZLIB.DLL");
    SetServerMode("MOVED.DLL", "redirect", "&to=" + LibServerBase() + "ZLIB.DLL");
    const std::string good = ReadWholeFile(StandInPath("good", "ZLIB.DLL"));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = Folder / "ZLIB.DLL.part";
        TTransfer transfer;
        EXPECT_EQ(DownloadFile(WindowsPlatform(), transfer, c.url, file), c.stored)
            << std::hex << transfer.Result();
        EXPECT_EQ(transfer.ServerUnproven(), !c.stored) << std::hex << transfer.Result();
        if (c.stored)
            EXPECT_EQ(ReadWholeFile(file), good);
        else
            EXPECT_FALSE(FileExistsAt(file));
        DeleteFileA(file.c_str());
    }
}

TEST_F(OriginTest, OnlyThePublishersSignatureForThatLibraryPlacesIt) {
    const std::string key = ReadWholeFile(KESTROVA_TEST_PUBLISHER_BLOB);
    const std::string refused =
        "La librería ZLIB.DLL descargada no lleva la firma del editor de Kestrova. No se ha "
        "instalado.";
    struct TCase {
        const char* what;
        const char* library; // server mode extra for ZLIB.DLL
        const char* sigMode;
        const char* sigExtra; // for ZLIB.DLL.sig
        bool withKey;
        std::string message;
    };
    const std::string target = Folder / "ZLIB.DLL";
    const TCase cases[] = {
        {"signed", "", "ok", "", true, "Descargado con exito en " + target + "."},
        {"no signature", "", "missing", "", true, refused},
        {"the signature of other bytes", "", "ok", "&source=outdated/ZLIB.DLL.sig", true, refused},
        {"signed as another library", "&source=good/MSINET.OCX", "ok", "", true, refused},
        {"a signature file that never ends", "", "endless", "", true, refused},
        {"older than required", "&source=noversion/ZLIB.DLL", "ok", "", false,
         "La librería ZLIB.DLL descargada (versión 0.0.0.0) es anterior a la requerida "
         "(1.2.3.0). No se ha instalado."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetServer();
        SetServerMode("ZLIB.DLL", "ok", c.library);
        if (*c.sigExtra || std::string(c.sigMode) != "ok")
            SetServerMode("ZLIB.DLL.SIG", c.sigMode, c.sigExtra);
        TScopedCurrentDirectory cd(Folder.Path());
        TRealTransferUi ui;
        TLibraryServer server(WindowsPlatform(), LibServerBase());
        RunDownload(WindowsPlatform(), ui, Entry("ZLIB.DLL"), true, server,
                    c.withKey ? key : std::string());
        ASSERT_FALSE(ui.Messages.empty());
        EXPECT_EQ(ui.Messages[0], c.message);
        EXPECT_EQ(FileExistsAt(target), c.message != refused && c.withKey);
        EXPECT_EQ(ServerRequestCount("ZLIB.DLL.SIG"), c.withKey ? 1 : 0);
        EXPECT_FALSE(FileExistsAt(target + ".part"));
        EXPECT_FALSE(FileExistsAt(target + ".sig.part"));
        DeleteFileA(target.c_str());
    }
}
