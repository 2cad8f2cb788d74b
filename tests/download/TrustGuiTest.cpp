// The signer rule on the real window under Wine: a signed copy in the system folder is
// replaced only by a library the same publisher signed, and only from a server that proved
// who it is; a refused one changes nothing.
#include "DownloadSteps.h"
#include "LibServerControl.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

using namespace gui;
using kestrova_test::ReadWholeFile;

namespace {

struct TrustedDownload : ::testing::Test {
    TScenario Machine;
    std::string System; // a signed copy without a version, in the system folder, registered
    std::string Before;
    void SetUp() override {
        kestrova_test::ResetServer();
        System = Machine.PlaceInSystem("signed-a-noversion", "MSINET.OCX");
        Machine.Register("MSINET.OCX", System);
        Before = ReadWholeFile(System);
    }
    void TearDown() override { kestrova_test::ResetServer(); }

    // Starts the program, which finds the system copy outdated.
    std::unique_ptr<TKestrova> Start() {
        auto app = Machine.Start();
        EXPECT_EQ(app->Lines()[IndexOf("MSINET.OCX")], Line("MSINET.OCX", STATUS_UPDATE));
        return app;
    }
    // Presses "Descargar" and answers the question about replacing the system copy.
    void Download(TKestrova& app) {
        StartDownload(app, "MSINET.OCX");
        Answer(app, Question(System), "&Yes");
    }
};

} // namespace

TEST_F(TrustedDownload, NoOtherPublishersLibraryReplacesASignedOne) {
    auto app = Start();
    // The unsigned stand-in, then one signed with A's common name by another organization.
    for (const char* source : {"", "&source=signed-c/MSINET.OCX"}) {
        SCOPED_TRACE(source);
        kestrova_test::SetServerMode("MSINET.OCX", "ok", source);
        Download(*app);
        Answer(*app, "La librería MSINET.OCX descargada no está firmada por Kestrova Test "
                     "Publisher A como la que ya tiene el equipo. No se ha instalado.");
        EXPECT_TRUE(app->NoMessageBoxWithin(500)) << "nothing may be registered";
        EXPECT_TRUE(app->WaitForRefreshedList());
        EXPECT_EQ(ReadWholeFile(System), Before);
        EXPECT_FALSE(kestrova_test::FileExistsAt(System + ".part"));
        EXPECT_EQ(app->Lines()[IndexOf("MSINET.OCX")], Line("MSINET.OCX", STATUS_UPDATE));
    }
}

TEST_F(TrustedDownload, TheSamePublishersLibraryReplacesItAndIsRegistered) {
    kestrova_test::SetServerMode("MSINET.OCX", "ok", "&source=signed-a/MSINET.OCX");
    auto app = Start();
    Download(*app);
    Answer(*app, "Descargado con exito en " + System + ".");
    Answer(*app, "Librería " + System + " ha sido registrada con exito.");
    EXPECT_TRUE(app->WaitForRefreshedList());
    EXPECT_EQ(ReadWholeFile(System),
              ReadWholeFile(kestrova_test::StandInPath("signed-a", "MSINET.OCX")));
    EXPECT_EQ(app->Lines()[IndexOf("MSINET.OCX")], Line("MSINET.OCX", STATUS_OK));
}

TEST_F(TrustedDownload, ARedirectAwayFromHttpsIsRefusedAndChangesNothing) {
    kestrova_test::SetServerMode(
        "MSINET.OCX", "redirect",
        "&to=" + kestrova_test::OtherServerBase(kestrova_test::TOtherServer::PlainHttp) +
            "MSINET.OCX");
    auto app = Start();
    Download(*app);
    Answer(*app, "No se pudo comprobar la identidad del servidor de librerías localhost. No se "
                 "ha descargado MSINET.OCX.");
    EXPECT_TRUE(app->NoMessageBoxWithin(500)) << "nothing may be registered";
    EXPECT_TRUE(app->WaitForRefreshedList());
    EXPECT_EQ(ReadWholeFile(System), Before);
    EXPECT_FALSE(kestrova_test::FileExistsAt(System + ".part"));
}

// Only against a program built with the test publisher's key (scripts/test.sh runs this
// group again with one); there a library without its signature never arrives.
TEST_F(TrustedDownload, WithThePublisherKeyAMissingSignatureRefusesIt) {
    if (kestrova_test::Env("KESTROVA_PUBLISHER_KEYED").empty())
        GTEST_SKIP() << "the program carries no publisher key";
    kestrova_test::SetServerMode("MSINET.OCX", "ok", "&source=signed-a/MSINET.OCX");
    kestrova_test::SetServerMode("MSINET.OCX.SIG", "missing");
    auto app = Start();
    Download(*app);
    Answer(*app, "La librería MSINET.OCX descargada no lleva la firma del editor de Kestrova. No "
                 "se ha instalado.");
    EXPECT_TRUE(app->NoMessageBoxWithin(500)) << "nothing may be registered";
    EXPECT_TRUE(app->WaitForRefreshedList());
    EXPECT_EQ(ReadWholeFile(System), Before);
}
