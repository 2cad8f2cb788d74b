// The copy that keeps a line from its repair: one newer than required where a download would
// replace it, and, elevated, never one that others may change (a stub of version 99 in a
// folder anyone writes would keep a needed update away); and what the log says of each way a
// library's registration comes back.
#include "actions/Repair.h"

#include "inventory/Scan.h"
#include "inventory/Version.h"

#include "FakePlatform.h"
#include "tests/support/QuietDownloadUi.h"

#include <gtest/gtest.h>

TEST(Repair, ANewerCopyKeepsTheLineOnlyWhenOthersMayNotChangeIt) {
    const std::string here = "C:\\Program Files\\Client\\IJL11.DLL";
    const struct {
        bool elevated, othersMayChange, keeps;
    } cases[] = {
        {false, false, true}, {false, true, true}, {true, false, true}, {true, true, false}};
    for (const auto& c : cases) {
        TFakePlatform p;
        p.ElevatedRun = c.elevated;
        p.AddFile(here, TVersionParts{99, 0, 0, 0});
        if (c.othersMayChange) p.WritableByOthers.insert(TFakePlatform::Upper(here));
        ResetLibraries();
        const TLibraryEntry* entry = nullptr;
        for (const TLibraryEntry& e : Libraries)
            if (e.Name == "IJL11.DLL") entry = &e;
        EXPECT_EQ(NewerCopyOf(p, *entry),
                  c.keeps ? std::optional(here + " 99.0.0.0") : std::nullopt)
            << "elevated " << c.elevated << ", others may change it " << c.othersMayChange;
    }
}

namespace {

// Every line in order but RICHTX32.OCX, which needs only its registration; a call that
// registers it writes its key, as the library's own entry would.
struct TOneToRegister : TFakePlatform {
    std::string Path = SystemDir + "\\RICHTX32.OCX";
    TOneToRegister() {
        ResetLibraries();
        for (const TLibraryEntry& e : Libraries) {
            const std::string path = SystemDir + "\\" + e.Name.str();
            AddFile(path, ParseVersion(e.RequiredVersion.str()));
            if (e.NeedsRegistration() && path != Path) Registry[RegistryKeyOf(e)] = path;
        }
    }
    TEntryCall CallLibraryEntry(const std::string& library, const char* entry,
                                const TEntryWait& wait) override {
        const TEntryCall call = TFakePlatform::CallLibraryEntry(library, entry, wait);
        if (call.Outcome == TEntryCall::TOutcome::Returned && call.Result == 0)
            for (const TLibraryEntry& e : Libraries)
                if (e.Name == "RICHTX32.OCX") Registry[RegistryKeyOf(e)] = library;
        return call;
    }
};

// The repair's display: its limit, and "Detener" pressed once a registration shows as running.
struct TLimitedDisplay : TQuietDownloadUi, TLibrarySource, TRepairHost {
    uint32_t Limit = 0;
    bool StopDuringCall = false, Running = false, Stopped = false;
    std::vector<std::string> Lines;
    void ShowMessage(const std::string&) override {}
    bool Confirm(const std::string&) override { return true; }
    bool StopRequested() override { return Stopped = Stopped || (StopDuringCall && Running); }
    uint32_t RegistrationLimit() override { return Limit; }
    void RegistrationStarted(const std::string&) override { Running = true; }
    void RegistrationEnded() override { Running = false; }
    TArrival FetchLibrary(TTransfer&, const std::string&, const std::string&) override {
        return TArrival::Failed;
    }
    TArrival FetchSignature(TTransfer&, const std::string&, const std::string&) override {
        return TArrival::Failed;
    }
    TDownloadUi& Display() override { return *this; }
    void Log(const TRepairStep& s) override {
        Lines.push_back(s.Library + " " + s.Step + " " + s.Outcome + " | " + s.Reason);
    }
};

} // namespace

// Each way a registration comes back, as the repair's log records it: a call that had to be
// ended fails its step with its own reason, under the run's limit, and the repair goes on to
// its summary (exit code 3); only the user's stop ends the run.
TEST(Repair, EachOutcomeOfARegistrationIsLoggedWithItsReason) {
    using TOutcome = TPlatform::TEntryCall::TOutcome;
    const std::string path = TOneToRegister().Path;
    const std::string cannot = "No es posible registrar la librería " + path + ".";
    const std::string left = "RICHTX32.OCX estado REGISTRAR | sigue necesitando una acción";
    const struct {
        const char* what;
        TPlatform::TEntryCall call;
        uint32_t limit;
        bool stop;
        std::string reason; // of the failed step; "" when it registered or was stopped
        TRepairResult result;
    } rows[] = {
        {"returned 0", {TOutcome::Returned, 0}, 60, false, "", TRepairResult::AllOk},
        {"returned 1", {TOutcome::Returned, 1}, 60, false, cannot, TRepairResult::NeedsAction},
        {"no entry", {TOutcome::NoEntry}, 60, false, cannot, TRepairResult::NeedsAction},
        {"load failed",
         {TOutcome::NotLoaded, 0, 0, 193},
         60,
         false,
         cannot,
         TRepairResult::NeedsAction},
        {"faulted",
         {TOutcome::Faulted, 0, 0xC0000005u},
         60,
         false,
         "Error inesperado (excepción 0xC0000005) al registrar la librería " + path,
         TRepairResult::NeedsAction},
        {"helper died",
         {TOutcome::Ended, 0, 0, 0, 3},
         60,
         false,
         "El registro de la librería " + path +
             " ha terminado el proceso que lo ejecutaba (código 3).",
         TRepairResult::NeedsAction},
        {"time limit",
         {TOutcome::TimedOut},
         5,
         false,
         "La librería " + path + " no ha terminado su registro en 5 segundos; se ha detenido.",
         TRepairResult::NeedsAction},
        {"stopped", {TOutcome::Returned, 0}, 60, true, "", TRepairResult::Stopped},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TOneToRegister machine;
        machine.Entries[TFakePlatform::Upper(path)] = row.call;
        TLimitedDisplay display;
        display.Limit = row.limit;
        display.StopDuringCall = row.stop;
        EXPECT_EQ(RunRepair(machine, display, display), row.result);
        std::vector<std::string> expected;
        if (row.result == TRepairResult::AllOk)
            expected = {"RICHTX32.OCX registro hecho | "};
        else if (row.result == TRepairResult::Stopped)
            expected = {"RICHTX32.OCX registro detenido | "};
        else
            expected = {"RICHTX32.OCX registro fallido | " + row.reason, left};
        EXPECT_EQ(display.Lines, expected);
        EXPECT_FALSE(display.Running) << "the display still shows a registration running";
    }
}
