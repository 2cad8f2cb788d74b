// The download action on an in-memory machine with scripted answers: every destination,
// question, message and fallback, and that no failure ever costs the copy that worked.
#include "actions/DownloadAction.h"

#include "actions/KeptCopy.h"
#include "actions/SelfRegistration.h"

#include "FakePlatform.h"
#include "MinimalImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::string Sys = "C:\\WINDOWS\\system32";
const std::string Cur = "C:\\Program Files\\Client";
const std::string Base = "http://127.0.0.1:8731/libs/";
const std::string OldBytes = "old copy that worked";
const std::string NewBytes = GoodImage() + "new verified copy";

std::string Ask(const std::string& file) {
    return "ask La librería " + file + " ya existe.\n\r¿Está seguro que desea reemplazarla?";
}
std::string Said(const std::string& text) {
    return "say " + text;
}

enum class TWire { Arrives, Fails, ClaimsSuccessButStoresNothing, StoresRejectedCopy };

struct TScriptedUi : TDownloadUi, TLibrarySource {
    TFakePlatform& P;
    std::deque<bool> Answers;
    TWire Wire = TWire::Arrives;
    std::function<void()> DuringTransfer;
    bool Closing = false;
    uint32_t Limit = 0;  // each registration's time limit, as /espera gives it
    std::string Located; // the entry's Path when the action starts: the copy the scan located
    std::vector<std::string> Log;
    std::vector<std::string> OldCopies; // hold OldBytes when the action starts

    explicit TScriptedUi(TFakePlatform& p) : P(p) {}
    bool Confirm(const std::string& text) override {
        Log.push_back("ask " + text);
        if (Answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return false;
        }
        const bool yes = Answers.front();
        Answers.pop_front();
        return yes;
    }
    void ShowMessage(const std::string& text) override { Log.push_back(Said(text)); }
    void DisableForAction() override { Log.push_back("disable"); }
    void ShowTransferDisplay() override { Log.push_back("show progress"); }
    TArrival FetchLibrary(TTransfer&, const std::string& name, const std::string& file) override {
        Log.push_back("get " + Base + name + " -> " + file);
        for (const std::string& old : OldCopies) // nothing is replaced before the transfer ends
            EXPECT_EQ(P.Contents[TFakePlatform::Upper(old)], OldBytes) << old;
        if (DuringTransfer) DuringTransfer();
        switch (Wire) {
        case TWire::Arrives: // newer than any copy these cases replace
            P.AddFile(file, TVersionParts{99, 0, 0, 0});
            P.Contents[TFakePlatform::Upper(file)] = NewBytes;
            return TArrival::Stored;
        case TWire::StoresRejectedCopy: // a transfer layer that left its rejected file behind
            P.AddFile(file, std::nullopt);
            return TArrival::Failed;
        case TWire::ClaimsSuccessButStoresNothing:
            return TArrival::Stored;
        case TWire::Fails:
            return TArrival::Failed;
        }
        return TArrival::Failed;
    }
    void PumpMessages() override {}
    uint32_t RegistrationLimit() override { return Limit; }
    void SetPathField(const std::string& text) override { Log.push_back("path " + text); }
    void HideTransferDisplay() override { Log.push_back("hide progress"); }
    void RefreshList() override { Log.push_back("refresh"); }
    void EnableAfterAction() override { Log.push_back("enable"); }
    bool CloseRequested() override { return Closing; }
    // These cases run without a publisher key: no signature is ever fetched.
    TArrival FetchSignature(TTransfer&, const std::string& name, const std::string&) override {
        ADD_FAILURE() << "unexpected signature transfer: " << name;
        return TArrival::Failed;
    }
};

// One step of a case's machine, set up before the action runs.
using TArrange = std::function<void(TFakePlatform&, TScriptedUi&)>;

struct TCase {
    const char* what;
    const char* name;
    bool forceHere;
    std::vector<TArrange> arrange;
    std::vector<std::string> log; // between "disable" and "enable"
    std::string path;             // the entry's Path afterwards
    std::string fault;            // what the action let through to the window, if anything
};
// A row of a table (a call, so that a row takes the lines its text needs).
TCase Case(const char* what, const char* name, bool forceHere, std::vector<TArrange> arrange,
           std::vector<std::string> log, std::string path, std::string fault = {}) {
    return {what,
            name,
            forceHere,
            std::move(arrange),
            std::move(log),
            std::move(path),
            std::move(fault)};
}

void PutOld(TFakePlatform& p, const std::string& file) {
    p.AddFile(file, std::nullopt);
    p.Contents[TFakePlatform::Upper(file)] = OldBytes;
}

TArrange Old(const std::string& file) {
    return [file](TFakePlatform& p, TScriptedUi&) { PutOld(p, file); };
}
TArrange Leftover(const std::string& file) {
    return [file](TFakePlatform& p, TScriptedUi&) { p.AddFile(file, std::nullopt); };
}
TArrange Locked(const std::string& file) {
    return [file](TFakePlatform& p, TScriptedUi&) {
        p.Undeletable.insert(TFakePlatform::Upper(file));
    };
}
TArrange Unwritable(const std::string& dir) {
    return [dir](TFakePlatform& p, TScriptedUi&) {
        p.UnwritableFolders.insert(TFakePlatform::Upper(dir));
    };
}
TArrange CurrentDir(const std::string& dir) {
    return [dir](TFakePlatform& p, TScriptedUi&) { p.CurrentDir = dir; };
}
TArrange Answers(std::deque<bool> answers) {
    return [answers](TFakePlatform&, TScriptedUi& ui) { ui.Answers = answers; };
}
TArrange Wire(TWire wire) {
    return [wire](TFakePlatform&, TScriptedUi& ui) { ui.Wire = wire; };
}
TArrange Registers(const std::string& file) {
    return [file](TFakePlatform& p, TScriptedUi&) { p.Registers(file); };
}
TArrange CrashesInItsEntry(const std::string& file) {
    return [file](TFakePlatform& p, TScriptedUi&) {
        p.Entries[TFakePlatform::Upper(file)] = {TPlatform::TEntryCall::TOutcome::Faulted, 0,
                                                 0xC0000005};
    };
}
TArrange SignedBy(const std::string& file, const std::string& publisher) {
    return [file, publisher](TFakePlatform& p, TScriptedUi&) { p.SignedBy(file, publisher); };
}
TArrange Located(const std::string& file) {
    return [file](TFakePlatform&, TScriptedUi& ui) { ui.Located = file; };
}
TArrange LockedDuringTransfer(const std::string& file) {
    return [file](TFakePlatform& p, TScriptedUi& ui) {
        ui.DuringTransfer = [&p, file] { p.Undeletable.insert(TFakePlatform::Upper(file)); };
    };
}
TArrange Elevated() {
    return [](TFakePlatform& p, TScriptedUi&) { p.ElevatedRun = true; };
}
TArrange OthersMayChange(const std::string& path) {
    return [path](TFakePlatform& p, TScriptedUi&) {
        p.WritableByOthers.insert(TFakePlatform::Upper(path));
    };
}
TArrange ClosedDuringTransfer() {
    return
        [](TFakePlatform&, TScriptedUi& ui) { ui.DuringTransfer = [&ui] { ui.Closing = true; }; };
}

// The transfer, the success message and the registration of what arrived (which fails
// unless the machine can load it), then the display hidden and the list rebuilt.
std::vector<std::string> Downloaded(const std::string& dir, const std::string& name,
                                    bool registers = false) {
    const std::string file = dir + "\\" + name;
    std::vector<std::string> log = {"show progress", "get " + Base + name + " -> " + file + ".part",
                                    "path " + file, Said("Descargado con exito en " + file + ".")};
    if (registers) {
        log.push_back(Said("Librería " + file + " ha sido registrada con exito."));
        log.push_back("refresh");
    } else {
        log.push_back(Said("No es posible registrar la librería " + file + "."));
    }
    log.push_back("hide progress");
    log.push_back("refresh");
    return log;
}
std::vector<std::string> Then(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// The transfer, then `message` instead of an installation.
std::vector<std::string> NotPlaced(const std::string& dir, const std::string& name,
                                   const std::string& message) {
    return {"show progress", "get " + Base + name + " -> " + dir + "\\" + name + ".part",
            Said(message), "hide progress", "refresh"};
}
std::vector<std::string> Failed(const std::string& dir, const std::string& name) {
    return NotPlaced(dir, name, "Ha ocurrido un error en la descarga de " + name + ".");
}
const std::string CannotDownload = Said("No es posible descargar la librería!");
std::string CannotWrite(const std::string& dir, bool fallback) {
    return Said("No es posible escribir en la carpeta " + dir +
                (fallback ? "\n\rSe intentará descargar en la carpeta del programa." : ""));
}

void RunCase(const TCase& c) {
    TFakePlatform platform;
    TScriptedUi ui(platform);
    for (const TArrange& step : c.arrange)
        step(platform, ui);
    for (const auto& [file, bytes] : platform.Contents)
        if (bytes == OldBytes) ui.OldCopies.push_back(file);
    ResetLibraries();
    TLibraryEntry* entry = nullptr;
    for (TLibraryEntry& e : Libraries)
        if (e.Name == c.name) entry = &e;
    ASSERT_NE(entry, nullptr) << c.what;
    entry->Path = ui.Located;

    try {
        RunDownload(platform, ui, *entry, c.forceHere, ui);
    } catch (const std::exception& fault) {
        ui.Log.push_back(fault.what());
    }

    std::vector<std::string> expected = Then({"disable"}, c.log);
    expected.push_back("enable");
    if (!c.fault.empty()) expected.push_back(c.fault);
    EXPECT_EQ(ui.Log, expected) << c.what;
    EXPECT_TRUE(ui.Answers.empty()) << c.what << ": a question was not asked";
    // Only a placed copy changes; every other old copy is kept byte for byte.
    const bool placed = !c.path.empty() && c.path != ui.Located;
    for (const std::string& f : ui.OldCopies)
        if (!placed || f != TFakePlatform::Upper(c.path)) {
            EXPECT_EQ(platform.Contents[f], OldBytes) << c.what << ": " << f;
        }
    if (placed) {
        EXPECT_EQ(platform.Contents[TFakePlatform::Upper(c.path)], NewBytes) << c.what;
    }
    for (const auto& [file, version] : platform.Files)
        EXPECT_EQ(file.find(".PART"), std::string::npos) << c.what << ": left " << file;
    EXPECT_EQ(entry->Path.str(), c.path) << c.what;
    // Only a placed copy is loaded for registration, and only from where it was placed.
    const std::vector<std::string> registered =
        placed ? std::vector<std::string>{c.path + " DllRegisterServer"}
               : std::vector<std::string>{};
    EXPECT_EQ(platform.EntryCalls, registered) << c.what;
    EXPECT_EQ(platform.Held, 0) << c.what << ": a file is still held open";
    // The bytes checked are the bytes placed: the arrived file is held through its rename.
    for (bool held : platform.MovedWhileHeld)
        EXPECT_TRUE(held) << c.what << ": renamed after it was let go";
    // Elevated, nothing is created in a folder others may change, not even a probe.
    for (const std::string& folder : platform.Probed)
        EXPECT_FALSE(platform.ElevatedRun && platform.WritableByOthers.count(folder))
            << c.what << ": probed " << folder;
}

} // namespace

TEST(DownloadAction, ChoosesTheDestination) {
    const std::string sysZ = Sys + "\\ZLIB.DLL", curZ = Cur + "\\ZLIB.DLL";
    const std::string sysM = Sys + "\\MSCOMCTL.OCX", sysW = Sys + "\\MSWINSCK.OCX";
    const TCase cases[] = {
        Case("nothing anywhere: the system directory", "ZLIB.DLL", false, {},
             Downloaded(Sys, "ZLIB.DLL"), sysZ),
        Case("force-here never looks at the system directory", "ZLIB.DLL", true,
             {Old(sysZ), Unwritable(Sys)}, Downloaded(Cur, "ZLIB.DLL"), curZ),
        Case("outdated copy here, force-here off: still the system directory", "ZLIB.DLL", false,
             {Old(curZ)}, Downloaded(Sys, "ZLIB.DLL"), sysZ),
        Case("system copy replaced on Yes, only after the transfer", "MSCOMCTL.OCX", false,
             {Old(sysM), Registers(sysM), Answers({true})},
             Then({Ask(sysM)}, Downloaded(Sys, "MSCOMCTL.OCX", true)), sysM),
        Case("system copy kept on No: the current directory, silently", "ZLIB.DLL", false,
             {Old(sysZ), Answers({false})}, Then({Ask(sysZ)}, Downloaded(Cur, "ZLIB.DLL")), curZ),
        Case(
            "system copy that cannot be removed", "ZLIB.DLL", false,
            {Old(sysZ), Locked(sysZ), Answers({true})},
            Then({Ask(sysZ), Said("La libreria " + sysZ +
                                  " no pudo ser eliminada!\n\rSe intentará descargar en la carpeta "
                                  "del programa.")},
                 Downloaded(Cur, "ZLIB.DLL")),
            curZ),
        Case("system directory not writable", "ZLIB.DLL", false, {Unwritable(Sys)},
             Then({CannotWrite(Sys, true)}, Downloaded(Cur, "ZLIB.DLL")), curZ),
        Case("a library that faults in its entry: the window still comes back", "MSWINSCK.OCX",
             false, {CrashesInItsEntry(sysW)},
             {"show progress", "get " + Base + "MSWINSCK.OCX -> " + sysW + ".part", "path " + sysW,
              Said("Descargado con exito en " + sysW + "."), "hide progress", "refresh"},
             sysW, "Error inesperado (excepción 0xC0000005) al registrar la librería " + sysW),
        Case("leftover temp.chk in the system directory", "ZLIB.DLL", false,
             {Leftover(Sys + "\\temp.chk")},
             Then({CannotWrite(Sys, true)}, Downloaded(Cur, "ZLIB.DLL")), curZ),
    };
    for (const TCase& c : cases)
        RunCase(c);
}

TEST(DownloadAction, RefusesWhenTheCurrentDirectoryCannotTakeIt) {
    const std::string sysZ = Sys + "\\ZLIB.DLL", curZ = Cur + "\\ZLIB.DLL";
    const TCase cases[] = {
        Case("both copies kept on No, No", "ZLIB.DLL", false,
             {Old(sysZ), Old(curZ), Answers({false, false})},
             {Ask(sysZ), Ask(curZ), CannotDownload}, ""),
        Case("copy here cannot be removed", "ZLIB.DLL", true,
             {Old(curZ), Locked(curZ), Answers({true})},
             {Ask(curZ), Said("La libreria " + curZ + " no pudo ser eliminada."), CannotDownload},
             ""),
        Case("current directory not writable", "ZLIB.DLL", true, {Unwritable(Cur)},
             {CannotWrite(Cur, false), CannotDownload}, ""),
        Case("neither folder writable", "ZLIB.DLL", false, {Unwritable(Sys), Unwritable(Cur)},
             {CannotWrite(Sys, true), CannotWrite(Cur, false), CannotDownload}, ""),
    };
    for (const TCase& c : cases)
        RunCase(c);
}

TEST(DownloadAction, SystemDirectoryIsTheCurrentDirectory) {
    const std::string file = Sys + "\\ZLIB.DLL";
    const TCase cases[] = {
        Case("No is followed by the same question again", "ZLIB.DLL", false,
             {CurrentDir(Sys), Old(file), Answers({false, false})},
             {Ask(file), Ask(file), CannotDownload}, ""),
        Case("No, then Yes replaces it", "ZLIB.DLL", false,
             {CurrentDir(Sys), Old(file), Answers({false, true})},
             Then({Ask(file), Ask(file)}, Downloaded(Sys, "ZLIB.DLL")), file),
        Case("Yes is asked once", "ZLIB.DLL", false, {CurrentDir(Sys), Old(file), Answers({true})},
             Then({Ask(file)}, Downloaded(Sys, "ZLIB.DLL")), file),
    };
    for (const TCase& c : cases)
        RunCase(c);
}

// Elevated, the current folder (the fallback, or the force-here option's) is refused when
// others may change it: a standard user who holds the system copy open forces the fallback.
TEST(DownloadAction, ElevatedNeverDownloadsIntoAFolderOthersMayChange) {
    const std::string sysM = Sys + "\\MSCOMCTL.OCX", curZ = Cur + "\\ZLIB.DLL";
    const std::string refusedM = Said(OthersFolderRefusal("MSCOMCTL.OCX", Cur));
    const TCase cases[] = {
        Case("the system copy held open: refused before any transfer", "MSCOMCTL.OCX", false,
             {Elevated(), Old(sysM), Locked(sysM), Answers({true}), OthersMayChange(Cur)},
             {Ask(sysM),
              Said("La libreria " + sysM +
                   " no pudo ser eliminada!\n\rSe intentará descargar en la carpeta del programa."),
              refusedM},
             ""),
        Case("the system folder not writable", "MSCOMCTL.OCX", false,
             {Elevated(), Unwritable(Sys), OthersMayChange(Cur)},
             {CannotWrite(Sys, true), refusedM}, ""),
        Case("force-here: refused before asking about the copy there", "ZLIB.DLL", true,
             {Elevated(), Old(curZ), OthersMayChange(Cur)},
             {Said(OthersFolderRefusal("ZLIB.DLL", Cur))}, ""),
        Case("a current folder only administrators may change", "ZLIB.DLL", true, {Elevated()},
             Downloaded(Cur, "ZLIB.DLL"), curZ),
        Case("a standard user's run: the folder as always", "ZLIB.DLL", true,
             {OthersMayChange(Cur)}, Downloaded(Cur, "ZLIB.DLL"), curZ),
    };
    for (const TCase& c : cases)
        RunCase(c);
}

TEST(DownloadAction, AFailedTransferLeavesEverythingAsItWas) {
    const std::string sysM = Sys + "\\MSCOMCTL.OCX";
    const TCase cases[] = {
        Case("transfer fails or is stopped", "MSCOMCTL.OCX", false,
             {Old(sysM), Answers({true}), Wire(TWire::Fails)},
             Then({Ask(sysM)}, Failed(Sys, "MSCOMCTL.OCX")), ""),
        Case("rejected copy left behind by the transfer is removed", "MSCOMCTL.OCX", false,
             {Old(sysM), Answers({true}), Wire(TWire::StoresRejectedCopy)},
             Then({Ask(sysM)}, Failed(Sys, "MSCOMCTL.OCX")), ""),
        Case("success reported but nothing stored: no message", "MSCOMCTL.OCX", false,
             {Wire(TWire::ClaimsSuccessButStoresNothing)},
             {"show progress", "get " + Base + "MSCOMCTL.OCX -> " + sysM + ".part", "hide progress",
              "refresh"},
             ""),
        Case("old copy locked after the question: not replaced, error", "MSCOMCTL.OCX", false,
             {Old(sysM), Answers({true}), LockedDuringTransfer(sysM)},
             Then({Ask(sysM)}, Failed(Sys, "MSCOMCTL.OCX")), ""),
        Case("window closed mid-transfer: cleaned up, no more boxes", "MSCOMCTL.OCX", false,
             {Old(sysM), Answers({true}), Wire(TWire::StoresRejectedCopy), ClosedDuringTransfer()},
             {Ask(sysM), "show progress", "get " + Base + "MSCOMCTL.OCX -> " + sysM + ".part",
              "hide progress"},
             ""),
    };
    for (const TCase& c : cases)
        RunCase(c);
}

TEST(DownloadAction, OnlyTheSamePublisherReplacesASignedCopy) {
    const std::string sysM = Sys + "\\MSINET.OCX", curM = Cur + "\\MSINET.OCX";
    const std::string part = sysM + ".part";
    const std::vector<std::string> refused =
        NotPlaced(Sys, "MSINET.OCX",
                  "La librería MSINET.OCX descargada no está firmada por Publisher A como la que "
                  "ya tiene el equipo. No se ha instalado.");
    const TCase cases[] = {
        Case("signed copy in place, unsigned arrival: refused, nothing changes", "MSINET.OCX",
             false, {Old(sysM), SignedBy(sysM, "Publisher A"), Answers({true})},
             Then({Ask(sysM)}, refused), ""),
        Case("another publisher: refused", "MSINET.OCX", false,
             {Old(sysM), SignedBy(sysM, "Publisher A"), SignedBy(part, "Publisher B"),
              Answers({true})},
             Then({Ask(sysM)}, refused), ""),
        Case("the same publisher: replaced and registered", "MSINET.OCX", false,
             {Old(sysM), SignedBy(sysM, "Publisher A"), SignedBy(part, "Publisher A"),
              Registers(sysM), Answers({true})},
             Then({Ask(sysM)}, Downloaded(Sys, "MSINET.OCX", true)), sysM),
        Case("the signed copy the scan located elsewhere counts too", "MSINET.OCX", false,
             {Old(curM), SignedBy(curM, "Publisher A"), Located(curM)}, refused, curM),
    };
    for (const TCase& c : cases)
        RunCase(c);
}

TEST(IsFolderWritable, ProbesTempChkWithOneSeparator) {
    struct TCase {
        const char* dir;
        bool leftover;
        bool writable;
    };
    const TCase cases[] = {
        {"C:\\Data", false, true},
        {"C:\\Data\\", false, true},
        {"C:\\Data", true, false},
        {"C:\\Data\\", true, false},
    };
    for (const TCase& c : cases) {
        TFakePlatform p;
        if (c.leftover) p.AddFile("C:\\Data\\temp.chk", std::nullopt);
        EXPECT_EQ(IsFolderWritable(p, c.dir), c.writable) << c.dir << " " << c.leftover;
    }
}

TEST(VerifyStoredLibrary, LengthMustMatchTheAnnouncedOne) {
    TFakePlatform p;
    p.AddFile("C:\\X.DLL", std::nullopt);
    p.Contents["C:\\X.DLL"] = "not a library at all";
    TTransferCounts counts;
    EXPECT_EQ(VerifyStoredLibrary(p, "C:\\Missing.DLL", counts), TImageVerdict::NoMzHeader);
    EXPECT_EQ(VerifyStoredLibrary(p, "C:\\X.DLL", counts), TImageVerdict::NoMzHeader);
    counts.Maximum = 1000;
    EXPECT_EQ(VerifyStoredLibrary(p, "C:\\X.DLL", counts), TImageVerdict::Truncated);
}

namespace {
TLibraryEntry& EntryNamed(const char* name) {
    ResetLibraries();
    for (TLibraryEntry& e : Libraries)
        if (e.Name == name) return e;
    throw std::runtime_error(name);
}
} // namespace

// The arrived bytes reach the disk before the rename that puts them in place, and the rename
// after it; the copy replaced is set aside between the two.
TEST(DownloadAction, FlushesBeforeAndAfterTheRename) {
    const std::string sysM = Sys + "\\MSCOMCTL.OCX", part = sysM + ".part";
    const std::string kept = KeptNameFor(sysM);
    struct TCase {
        const char* what;
        bool old;
        std::vector<std::string> operations;
    };
    const TCase cases[] = {
        {"nothing replaced",
         false,
         {"flush " + part, "rename " + part + " -> " + sysM, "flush " + sysM, "call " + sysM}},
        {"a copy replaced",
         true,
         {"flush " + part, "rename " + sysM + " -> " + kept, "rename " + part + " -> " + sysM,
          "flush " + sysM, "call " + sysM}},
    };
    for (const TCase& c : cases) {
        TFakePlatform p;
        TScriptedUi ui(p);
        if (c.old) {
            PutOld(p, sysM);
            ui.Answers = {true};
        }
        p.Registers(sysM);
        RunDownload(p, ui, EntryNamed("MSCOMCTL.OCX"), false, ui);
        EXPECT_EQ(p.Operations, c.operations) << c.what;
        EXPECT_FALSE(p.HasFile(kept)) << c.what << ": the kept copy outlived a registration";
    }
}

// A replacement whose registration fails in any way puts the copy it replaced back, and
// registers it again; a library with nothing to register, or none replaced, stays.
TEST(DownloadAction, AFailedRegistrationPutsTheOldCopyBack) {
    using TOutcome = TPlatform::TEntryCall::TOutcome;
    const std::string restoredM = RestoredMessage("MSCOMCTL.OCX", "6.1.98.33"),
                      restoredZ = RestoredMessage("ZLIB.DLL", "1.2.2.0");
    struct TCase {
        const char* what;
        const char* name;
        bool old;                                   // an older copy is there to replace
        std::optional<TPlatform::TEntryCall> entry; // none: the library cannot be loaded
        bool restored;
    };
    const TCase cases[] = {
        {"a failure result", "MSCOMCTL.OCX", true, TPlatform::TEntryCall{TOutcome::Returned, 1, 0},
         true},
        {"no entry", "MSCOMCTL.OCX", true, TPlatform::TEntryCall{TOutcome::NoEntry, 0, 0}, true},
        {"not loaded", "MSCOMCTL.OCX", true, std::nullopt, true},
        {"a fault", "MSCOMCTL.OCX", true, TPlatform::TEntryCall{TOutcome::Faulted, 0, 0xC0000005},
         true},
        {"its process ended", "MSCOMCTL.OCX", true, TPlatform::TEntryCall{TOutcome::Ended, 0, 0},
         true},
        {"past its time limit", "MSCOMCTL.OCX", true,
         TPlatform::TEntryCall{TOutcome::TimedOut, 0, 0}, true},
        {"stopped", "MSCOMCTL.OCX", true, TPlatform::TEntryCall{TOutcome::Stopped, 0, 0}, true},
        {"registered: the new copy stays", "MSCOMCTL.OCX", true,
         TPlatform::TEntryCall{TOutcome::Returned, 0, 0}, false},
        {"nothing replaced: the new copy stays", "MSCOMCTL.OCX", false, std::nullopt, false},
        {"nothing to register: its entry decides nothing", "ZLIB.DLL", true, std::nullopt, false},
    };
    for (const TCase& c : cases) {
        TFakePlatform p;
        TScriptedUi ui(p);
        const std::string target = Sys + "\\" + c.name;
        if (c.old) {
            PutOld(p, target);
            p.Files[TFakePlatform::Upper(target)] = c.name == std::string("ZLIB.DLL")
                                                        ? TVersionParts{1, 2, 2, 0}
                                                        : TVersionParts{6, 1, 98, 33};
            ui.Answers = {true};
        }
        if (c.entry) p.Entries[TFakePlatform::Upper(target)] = *c.entry;
        ui.Limit = 5;
        try {
            RunDownload(p, ui, EntryNamed(c.name), false, ui);
        } catch (const TLibraryFault&) {
            EXPECT_EQ(c.entry->Outcome, TOutcome::Faulted) << c.what;
        }

        EXPECT_EQ(p.Contents[TFakePlatform::Upper(target)], c.restored ? OldBytes : NewBytes)
            << c.what;
        const bool told =
            std::find(ui.Log.begin(), ui.Log.end(),
                      Said(c.name == std::string("ZLIB.DLL") ? restoredZ : restoredM)) !=
            ui.Log.end();
        EXPECT_EQ(told, c.restored) << c.what;
        // The new copy's call, then the old copy's own again.
        EXPECT_EQ(p.EntryCalls.size(), c.restored ? 2u : 1u) << c.what;
        // The old copy's registration is bounded as the new one's was.
        EXPECT_EQ(p.EntryLimits, std::vector<uint32_t>(p.EntryCalls.size(), 5u)) << c.what;
        for (const auto& [file, version] : p.Files)
            EXPECT_TRUE(file.find(".PART") == std::string::npos &&
                        file.find(".KESTROVA-ANTERIOR") == std::string::npos)
                << c.what << ": left " << file;
        EXPECT_EQ(p.Held, 0) << c.what;
    }
}
