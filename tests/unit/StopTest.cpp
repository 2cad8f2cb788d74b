// The user's stop at every point of a download, from the download button and inside a
// repair, on an in-memory machine: a stop heard before the rename changes no copy, says what
// a stop during the transfer says, and is logged "detenido" only for what it left untouched.
#include "actions/OriginChecks.h"
#include "actions/Repair.h"
#include "inventory/Scan.h"

#include "FakePlatform.h"
#include "MinimalImage.h"
#include "tests/support/QuietDownloadUi.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string Sys = "C:\\WINDOWS\\system32";
const std::string Base = "https://libs.example.org/libs/";
const std::string Key = "publisher key";
// The two lines the repair mends: KORDAN.DLL, an outdated copy in the system folder that it
// downloads (no registration needed), then RICHTX32.OCX, which it registers.
const std::string Kordan = Sys + "\\KORDAN.DLL", Richtx = Sys + "\\RICHTX32.OCX";
const std::string OldBytes = "old copy", NewBytes = GoodImage() + "new copy";
const std::string StopBox = "Ha ocurrido un error en la descarga de KORDAN.DLL.";

enum class TPoint {
    BeforeTransfer,  // in the pump that shows the progress display
    DuringLibrary,   // the library's transfer aborted by the stop
    AfterLibrary,    // in the pump after the library's bytes arrived
    DuringSignature, // the signature's transfer aborted by the stop
    AfterPlaced,     // in the pump after the copy took its place and was registered
};

TLibraryEntry& EntryOf(const std::string& name) {
    for (TLibraryEntry& e : Libraries)
        if (e.Name == name) return e;
    throw std::logic_error(name);
}

// The window with a library server that answers at once, and the user's stop at `StopAt`.
struct TStoppingUi : TQuietDownloadUi, TLibrarySource {
    TFakePlatform& P;
    TPoint StopAt;
    bool Stop = false, LibraryArrived = false, Placed = false;
    std::vector<std::string> Fetched, Messages;

    TStoppingUi(TFakePlatform& p, TPoint at) : P(p), StopAt(at) {}
    bool StopRequested() override { return Stop; }
    bool Confirm(const std::string&) override { return true; }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void ShowTransferDisplay() override { Stop = Stop || StopAt == TPoint::BeforeTransfer; }
    void PumpMessages() override {
        Stop = Stop || (StopAt == TPoint::AfterLibrary && LibraryArrived) ||
               (StopAt == TPoint::AfterPlaced && Placed);
    }
    void SetPathField(const std::string&) override { Placed = true; }
    // The bytes that arrived before the stop stay where the transfer wrote them.
    TArrival FetchLibrary(TTransfer&, const std::string& name, const std::string& file) override {
        Fetched.push_back(Base + name);
        P.AddFile(file, ParseVersion(EntryOf(name).RequiredVersion.str()));
        P.Contents[TFakePlatform::Upper(file)] = NewBytes;
        LibraryArrived = StopAt != TPoint::DuringLibrary;
        Stop = Stop || !LibraryArrived;
        return LibraryArrived ? TArrival::Stored : TArrival::Failed;
    }
    TArrival FetchSignature(TTransfer&, const std::string& name, const std::string& file) override {
        Fetched.push_back(Base + name + ".sig");
        P.AddFile(file, std::nullopt);
        P.Contents[TFakePlatform::Upper(file)] =
            TFakePlatform::FakeSign(Key, SignedPrefix(name), NewBytes);
        Stop = Stop || StopAt == TPoint::DuringSignature;
        return Stop ? TArrival::Failed : TArrival::Stored;
    }
};

// Every line OK but KORDAN.DLL (outdated) and RICHTX32.OCX (not registered).
void TwoLinesToMend(TFakePlatform& p) {
    ResetLibraries();
    for (const TLibraryEntry& e : Libraries) {
        const std::string name = e.Name.str(), path = Sys + "\\" + name;
        p.AddFile(path, ParseVersion(name == "KORDAN.DLL" ? "1.0.0.0" : e.RequiredVersion.str()));
        if (e.NeedsRegistration() && path != Richtx) p.Registry[RegistryKeyOf(e)] = path;
    }
    p.Contents[TFakePlatform::Upper(Kordan)] = OldBytes;
}

struct TLogHost : TRepairHost {
    TDownloadUi& D;
    std::vector<std::string> Lines;
    explicit TLogHost(TDownloadUi& d) : D(d) {}
    TDownloadUi& Display() override { return D; }
    void Log(const TRepairStep& s) override {
        Lines.push_back(s.Library + " " + s.Step + " " + s.Outcome);
    }
};

void ExpectNothingLeft(const TFakePlatform& p) {
    for (const auto& [file, version] : p.Files)
        EXPECT_EQ(file.find(".PART"), std::string::npos) << "left " << file;
    EXPECT_EQ(p.Held, 0);
}

} // namespace

TEST(Stop, AtEveryPointChangesNothingAndSaysSo) {
    const std::string lib = Base + "KORDAN.DLL", sig = lib + ".sig";
    struct TCase {
        const char* what;
        TPoint at;
        bool withKey;
        std::vector<std::string> fetched; // of KORDAN.DLL, before the stop
        bool fromTheButton;               // also a row of the download button
        std::vector<std::string> log;     // of the repair
    };
    const std::vector<std::string> stoppedFirst = {"KORDAN.DLL descarga detenido"};
    const TCase cases[] = {
        {"before the transfer", TPoint::BeforeTransfer, true, {}, true, stoppedFirst},
        {"during the library's transfer", TPoint::DuringLibrary, true, {lib}, true, stoppedFirst},
        {"between the library and its .sig", TPoint::AfterLibrary, true, {lib}, true, stoppedFirst},
        {"during the .sig transfer", TPoint::DuringSignature, true, {lib, sig}, true, stoppedFirst},
        {"after the bytes arrived, before the rename",
         TPoint::AfterLibrary,
         false,
         {lib},
         true,
         stoppedFirst},
        {"between two repair lines",
         TPoint::AfterPlaced,
         true,
         {lib, sig},
         false,
         {"KORDAN.DLL descarga hecho", "RICHTX32.OCX registro detenido"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string key = c.withKey ? Key : std::string();
        if (c.fromTheButton) {
            TFakePlatform p;
            TwoLinesToMend(p);
            TStoppingUi ui(p, c.at);
            EXPECT_FALSE(RunDownload(p, ui, EntryOf("KORDAN.DLL"), false, ui, key));
            EXPECT_EQ(ui.Fetched, c.fetched);
            EXPECT_EQ(ui.Messages, std::vector<std::string>{StopBox});
            EXPECT_EQ(p.Contents[TFakePlatform::Upper(Kordan)], OldBytes);
            EXPECT_TRUE(p.EntryCalls.empty()) << "a library was loaded";
            ExpectNothingLeft(p);
        }
        TFakePlatform p;
        TwoLinesToMend(p);
        TStoppingUi ui(p, c.at);
        TLogHost host(ui);
        EXPECT_EQ(RunRepair(p, host, ui, key), TRepairResult::Stopped);
        EXPECT_EQ(host.Lines, c.log);
        EXPECT_EQ(ui.Fetched, c.fetched);
        const bool placed = c.at == TPoint::AfterPlaced;
        EXPECT_EQ(p.Contents[TFakePlatform::Upper(Kordan)], placed ? NewBytes : OldBytes);
        // Only a placed copy is loaded, by the download that placed it.
        EXPECT_EQ(p.EntryCalls, placed ? std::vector<std::string>{Kordan + " DllRegisterServer"}
                                       : std::vector<std::string>{});
        ExpectNothingLeft(p);
    }
}
