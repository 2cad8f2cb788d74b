// The download action on an in-memory machine with scripted answers: every destination,
// question, message and fallback, and that no failure ever costs the copy that worked.
#include "actions/DownloadAction.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::string Sys = "C:\\WINDOWS\\system32";
const std::string Cur = "C:\\Program Files\\Client";
const std::string Base = "http://127.0.0.1:8731/libs/";
const std::string OldBytes = "old copy that worked";
const std::string NewBytes = "new verified copy";

std::string Ask(const std::string& file) {
    return "ask La librería " + file + " ya existe.\n\r¿Está seguro que desea reemplazarla?";
}
std::string Said(const std::string& text) {
    return "say " + text;
}

enum class TWire { Arrives, Fails, ClaimsSuccessButStoresNothing, StoresRejectedCopy };

struct TScriptedUi : TDownloadUi {
    TFakePlatform& P;
    std::deque<bool> Answers;
    TWire Wire = TWire::Arrives;
    std::function<void()> DuringTransfer;
    bool Closing = false;
    std::string Located; // the entry's Path when the action starts: the copy the scan located
    std::vector<std::string> Log;

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
    bool Transfer(const std::string& url, const std::string& file) override {
        Log.push_back("get " + url + " -> " + file);
        if (DuringTransfer) DuringTransfer();
        switch (Wire) {
        case TWire::Arrives: // newer than any copy these cases replace
            P.AddFile(file, TVersionParts{99, 0, 0, 0});
            P.Contents[TFakePlatform::Upper(file)] = NewBytes;
            return true;
        case TWire::StoresRejectedCopy: // a transfer layer that left its rejected file behind
            P.AddFile(file, std::nullopt);
            return false;
        case TWire::ClaimsSuccessButStoresNothing:
            return true;
        case TWire::Fails:
            return false;
        }
        return false;
    }
    void PumpMessages() override {}
    void SetPathField(const std::string& text) override { Log.push_back("path " + text); }
    void HideTransferDisplay() override { Log.push_back("hide progress"); }
    void RefreshList() override { Log.push_back("refresh"); }
    void EnableAfterAction() override { Log.push_back("enable"); }
    bool CloseRequested() override { return Closing; }
};

struct TCase {
    const char* what;
    const char* name;
    bool forceHere;
    std::function<void(TFakePlatform&, TScriptedUi&)> arrange;
    std::vector<std::string> log;               // between "disable" and "enable"
    std::vector<std::string> filesWithOldBytes; // must still hold the old copy
    std::vector<std::string> filesWithNewBytes;
    std::string path; // the entry's Path afterwards
};

void PutOld(TFakePlatform& p, const std::string& file) {
    p.AddFile(file, std::nullopt);
    p.Contents[TFakePlatform::Upper(file)] = OldBytes;
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
std::vector<std::string> Failed(const std::string& dir, const std::string& name) {
    return {"show progress", "get " + Base + name + " -> " + dir + "\\" + name + ".part",
            Said("Ha ocurrido un error en la descarga de " + name + "."), "hide progress",
            "refresh"};
}
const std::string CannotDownload = Said("No es posible descargar la librería!");

void RunCase(const TCase& c) {
    TFakePlatform platform;
    TScriptedUi ui(platform);
    if (c.arrange) c.arrange(platform, ui);
    ResetLibraries();
    TLibraryEntry* entry = nullptr;
    for (TLibraryEntry& e : Libraries)
        if (e.Name == c.name) entry = &e;
    ASSERT_NE(entry, nullptr) << c.what;
    entry->Path = ui.Located;

    RunDownload(platform, ui, *entry, c.forceHere, Base);

    std::vector<std::string> expected = Then({"disable"}, c.log);
    expected.push_back("enable");
    EXPECT_EQ(ui.Log, expected) << c.what;
    EXPECT_TRUE(ui.Answers.empty()) << c.what << ": a question was not asked";
    for (const std::string& f : c.filesWithOldBytes)
        EXPECT_EQ(platform.Contents[TFakePlatform::Upper(f)], OldBytes) << c.what << ": " << f;
    for (const std::string& f : c.filesWithNewBytes)
        EXPECT_EQ(platform.Contents[TFakePlatform::Upper(f)], NewBytes) << c.what << ": " << f;
    for (const auto& [file, version] : platform.Files)
        EXPECT_EQ(file.find(".PART"), std::string::npos) << c.what << ": left " << file;
    EXPECT_EQ(entry->Path.str(), c.path) << c.what;
    // Only a placed copy is loaded for registration, and only from where it was placed.
    const bool placed = !c.path.empty() && c.path != ui.Located;
    const std::vector<std::string> registered =
        placed ? std::vector<std::string>{c.path + " DllRegisterServer"}
               : std::vector<std::string>{};
    EXPECT_EQ(platform.EntryCalls, registered) << c.what;
    EXPECT_EQ(platform.Held, 0) << c.what << ": a file is still held open";
}

} // namespace

TEST(DownloadAction, ChoosesTheDestination) {
    const std::string sysZ = Sys + "\\ZLIB.DLL", curZ = Cur + "\\ZLIB.DLL";
    const TCase cases[] = {
        {"nothing anywhere: the system directory",
         "ZLIB.DLL",
         false,
         nullptr,
         Downloaded(Sys, "ZLIB.DLL"),
         {},
         {sysZ},
         sysZ},
        {"force-here never looks at the system directory",
         "ZLIB.DLL",
         true,
         [&](TFakePlatform& p, TScriptedUi&) {
             PutOld(p, sysZ);
             p.UnwritableFolders.insert(TFakePlatform::Upper(Sys));
         },
         Downloaded(Cur, "ZLIB.DLL"),
         {sysZ},
         {curZ},
         curZ},
        {"outdated copy here, force-here off: still the system directory",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi&) { PutOld(p, curZ); },
         Downloaded(Sys, "ZLIB.DLL"),
         {curZ},
         {sysZ},
         sysZ},
        {"system copy replaced on Yes, only after the transfer",
         "MSCOMCTL.OCX",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, Sys + "\\MSCOMCTL.OCX");
             p.Registers(Sys + "\\MSCOMCTL.OCX");
             ui.Answers = {true};
             ui.DuringTransfer = [&p] {
                 EXPECT_EQ(p.Contents[TFakePlatform::Upper(Sys + "\\MSCOMCTL.OCX")], OldBytes);
             };
         },
         Then({Ask(Sys + "\\MSCOMCTL.OCX")}, Downloaded(Sys, "MSCOMCTL.OCX", true)),
         {},
         {Sys + "\\MSCOMCTL.OCX"},
         Sys + "\\MSCOMCTL.OCX"},
        {"system copy kept on No: the current directory, silently",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysZ);
             ui.Answers = {false};
         },
         Then({Ask(sysZ)}, Downloaded(Cur, "ZLIB.DLL")),
         {sysZ},
         {curZ},
         curZ},
        {"system copy that cannot be removed",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysZ);
             p.Undeletable.insert(TFakePlatform::Upper(sysZ));
             ui.Answers = {true};
         },
         Then(
             {Ask(sysZ), Said("La libreria " + sysZ +
                              " no pudo ser eliminada!\n\rSe intentará descargar en la carpeta del "
                              "programa.")},
             Downloaded(Cur, "ZLIB.DLL")),
         {sysZ},
         {curZ},
         curZ},
        {"system directory not writable",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi&) {
             p.UnwritableFolders.insert(TFakePlatform::Upper(Sys));
         },
         Then({Said("No es posible escribir en la carpeta " + Sys +
                    "\n\rSe intentará descargar en la carpeta del programa.")},
              Downloaded(Cur, "ZLIB.DLL")),
         {},
         {curZ},
         curZ},
        {"leftover temp.chk in the system directory",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi&) { p.AddFile(Sys + "\\temp.chk", std::nullopt); },
         Then({Said("No es posible escribir en la carpeta " + Sys +
                    "\n\rSe intentará descargar en la carpeta del programa.")},
              Downloaded(Cur, "ZLIB.DLL")),
         {},
         {curZ},
         curZ},
    };
    for (const TCase& c : cases)
        RunCase(c);
}

TEST(DownloadAction, RefusesWhenTheCurrentDirectoryCannotTakeIt) {
    const std::string sysZ = Sys + "\\ZLIB.DLL", curZ = Cur + "\\ZLIB.DLL";
    const TCase cases[] = {
        {"both copies kept on No, No",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysZ);
             PutOld(p, curZ);
             ui.Answers = {false, false};
         },
         {Ask(sysZ), Ask(curZ), CannotDownload},
         {sysZ, curZ},
         {},
         ""},
        {"copy here cannot be removed",
         "ZLIB.DLL",
         true,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, curZ);
             p.Undeletable.insert(TFakePlatform::Upper(curZ));
             ui.Answers = {true};
         },
         {Ask(curZ), Said("La libreria " + curZ + " no pudo ser eliminada."), CannotDownload},
         {curZ},
         {},
         ""},
        {"current directory not writable",
         "ZLIB.DLL",
         true,
         [&](TFakePlatform& p, TScriptedUi&) {
             p.UnwritableFolders.insert(TFakePlatform::Upper(Cur));
         },
         {Said("No es posible escribir en la carpeta " + Cur), CannotDownload},
         {},
         {},
         ""},
        {"neither folder writable",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi&) {
             p.UnwritableFolders.insert(TFakePlatform::Upper(Sys));
             p.UnwritableFolders.insert(TFakePlatform::Upper(Cur));
         },
         {Said("No es posible escribir en la carpeta " + Sys +
               "\n\rSe intentará descargar en la carpeta del programa."),
          Said("No es posible escribir en la carpeta " + Cur), CannotDownload},
         {},
         {},
         ""},
    };
    for (const TCase& c : cases)
        RunCase(c);
}

TEST(DownloadAction, SystemDirectoryIsTheCurrentDirectory) {
    const std::string same = "C:\\WINDOWS\\system32";
    const std::string file = same + "\\ZLIB.DLL";
    const TCase cases[] = {
        {"No is followed by the same question again",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             p.CurrentDir = same;
             PutOld(p, file);
             ui.Answers = {false, false};
         },
         {Ask(file), Ask(file), CannotDownload},
         {file},
         {},
         ""},
        {"No, then Yes replaces it",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             p.CurrentDir = same;
             PutOld(p, file);
             ui.Answers = {false, true};
         },
         Then({Ask(file), Ask(file)}, Downloaded(same, "ZLIB.DLL")),
         {},
         {file},
         file},
        {"Yes is asked once",
         "ZLIB.DLL",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             p.CurrentDir = same;
             PutOld(p, file);
             ui.Answers = {true};
         },
         Then({Ask(file)}, Downloaded(same, "ZLIB.DLL")),
         {},
         {file},
         file},
    };
    for (const TCase& c : cases)
        RunCase(c);
}

TEST(DownloadAction, AFailedTransferLeavesEverythingAsItWas) {
    const std::string sysM = Sys + "\\MSCOMCTL.OCX";
    const TCase cases[] = {
        {"transfer fails or is stopped",
         "MSCOMCTL.OCX",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysM);
             ui.Answers = {true};
             ui.Wire = TWire::Fails;
         },
         Then({Ask(sysM)}, Failed(Sys, "MSCOMCTL.OCX")),
         {sysM},
         {},
         ""},
        {"rejected copy left behind by the transfer is removed",
         "MSCOMCTL.OCX",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysM);
             ui.Answers = {true};
             ui.Wire = TWire::StoresRejectedCopy;
         },
         Then({Ask(sysM)}, Failed(Sys, "MSCOMCTL.OCX")),
         {sysM},
         {},
         ""},
        {"success reported but nothing stored: no message",
         "MSCOMCTL.OCX",
         false,
         [&](TFakePlatform&, TScriptedUi& ui) { ui.Wire = TWire::ClaimsSuccessButStoresNothing; },
         {"show progress", "get " + Base + "MSCOMCTL.OCX -> " + sysM + ".part", "hide progress",
          "refresh"},
         {},
         {},
         ""},
        {"old copy locked after the question: not replaced, error",
         "MSCOMCTL.OCX",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysM);
             ui.Answers = {true};
             ui.DuringTransfer = [&p, sysM] { p.Undeletable.insert(TFakePlatform::Upper(sysM)); };
         },
         Then({Ask(sysM)}, Failed(Sys, "MSCOMCTL.OCX")),
         {sysM},
         {},
         ""},
        {"window closed mid-transfer: cleaned up, no more boxes",
         "MSCOMCTL.OCX",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysM);
             ui.Answers = {true};
             ui.Wire = TWire::StoresRejectedCopy;
             ui.DuringTransfer = [&ui] { ui.Closing = true; };
         },
         {Ask(sysM), "show progress", "get " + Base + "MSCOMCTL.OCX -> " + sysM + ".part",
          "hide progress"},
         {sysM},
         {},
         ""},
    };
    for (const TCase& c : cases)
        RunCase(c);
}

TEST(DownloadAction, OnlyTheSamePublisherReplacesASignedCopy) {
    const std::string sysM = Sys + "\\MSINET.OCX", curM = Cur + "\\MSINET.OCX";
    const std::string part = sysM + ".part";
    const auto refused = [&](const char* publisher) {
        return std::vector<std::string>{
            Ask(sysM),
            "show progress",
            "get " + Base + "MSINET.OCX -> " + part,
            Said(std::string("La librería MSINET.OCX descargada no está firmada por ") + publisher +
                 " como la que ya tiene el equipo. No se ha instalado."),
            "hide progress",
            "refresh"};
    };
    const TCase cases[] = {
        {"signed copy in place, unsigned arrival: refused, nothing changes",
         "MSINET.OCX",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysM);
             p.SignedBy(sysM, "Publisher A");
             ui.Answers = {true};
         },
         refused("Publisher A"),
         {sysM},
         {},
         ""},
        {"another publisher: refused",
         "MSINET.OCX",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysM);
             p.SignedBy(sysM, "Publisher A");
             p.SignedBy(part, "Publisher B");
             ui.Answers = {true};
         },
         refused("Publisher A"),
         {sysM},
         {},
         ""},
        {"the same publisher: replaced and registered",
         "MSINET.OCX",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, sysM);
             p.SignedBy(sysM, "Publisher A");
             p.SignedBy(part, "Publisher A");
             p.Registers(sysM);
             ui.Answers = {true};
         },
         Then({Ask(sysM)}, Downloaded(Sys, "MSINET.OCX", true)),
         {},
         {sysM},
         sysM},
        {"the signed copy the scan located elsewhere counts too",
         "MSINET.OCX",
         false,
         [&](TFakePlatform& p, TScriptedUi& ui) {
             PutOld(p, curM);
             p.SignedBy(curM, "Publisher A");
             ui.Located = curM;
         },
         {"show progress", "get " + Base + "MSINET.OCX -> " + part,
          Said("La librería MSINET.OCX descargada no está firmada por Publisher A como la que ya "
               "tiene el equipo. No se ha instalado."),
          "hide progress", "refresh"},
         {curM},
         {},
         curM},
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
