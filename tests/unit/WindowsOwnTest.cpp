// Windows' own libraries on an in-memory machine whose system copies lag behind: the scan
// takes a name on the KnownDLLs list from the system folder only, and the download refuses
// every library Windows protects or loads itself, before any question and without a change.
#include "inventory/WindowsOwn.h"
#include "actions/DownloadAction.h"
#include "inventory/Scan.h"

#include "FakePlatform.h"
#include "tests/support/QuietDownloadUi.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string Sys = "C:\\WINDOWS\\system32";
const std::string Cur = "C:\\Program Files\\Client";

// The download's side of the window, written down; every question is answered No.
struct TRecordingUi : TQuietDownloadUi, TLibrarySource {
    std::vector<std::string> Log;
    bool Confirm(const std::string& text) override {
        Log.push_back("ask " + text);
        return false;
    }
    void ShowMessage(const std::string& text) override { Log.push_back("say " + text); }
    void DisableForAction() override { Log.push_back("disable"); }
    TArrival FetchLibrary(TTransfer&, const std::string&, const std::string& file) override {
        Log.push_back("get " + file);
        return TArrival::Failed;
    }
    TArrival FetchSignature(TTransfer&, const std::string&, const std::string& file) override {
        Log.push_back("get " + file);
        return TArrival::Failed;
    }
};

TLibraryEntry& EntryOf(const std::string& name) {
    for (TLibraryEntry& e : Libraries)
        if (e.Name == name) return e;
    throw std::logic_error(name);
}

} // namespace

TEST(WindowsOwn, SystemCopyIsTheLocatedOneAndTheDownloadIsRefused) {
    // The system copy may be named in another case, or through "..\system32\".
    enum TWhere { Nowhere, Here, System, SystemOtherCase, SystemThroughParent };
    struct TCase {
        const char* name;
        bool isProtected;  // SfcIsFileProtected says so for the system folder's copy
        bool listed;       // on the KnownDLLs list (written in lower case there)
        bool copyHere;     // the required version in the current directory
        TWhere registered; // where the class's registration points
        TWhere located;
        bool isRegistered;
        const char* status;
        bool refused;
    };
    // The system folder always holds an outdated copy, as on a Windows whose updates lag.
    const TCase cases[] = {
        {"WINMM.DLL", false, false, false, Nowhere, System, true, STATUS_UPDATE, false},
        {"WINMM.DLL", false, false, true, Nowhere, Here, true, STATUS_OK, false},
        {"WINMM.DLL", true, false, false, Nowhere, System, true, STATUS_UPDATE, true},
        {"WINMM.DLL", true, false, true, Nowhere, Here, true, STATUS_OK, true},
        {"WINMM.DLL", false, true, false, Nowhere, System, true, STATUS_UPDATE, true},
        {"WINMM.DLL", false, true, true, Nowhere, System, true, STATUS_UPDATE, true},
        {"WINMM.DLL", true, true, false, Nowhere, System, true, STATUS_UPDATE, true},
        {"WINMM.DLL", true, true, true, Nowhere, System, true, STATUS_UPDATE, true},
        // A registration of a listed name counts only when it points at the system copy.
        {"OLEAUT32.DLL", false, true, true, Here, System, false, STATUS_UPDATE, true},
        {"OLEAUT32.DLL", false, true, true, System, System, true, STATUS_UPDATE, true},
        {"OLEAUT32.DLL", false, true, true, SystemOtherCase, SystemOtherCase, true, STATUS_UPDATE,
         true},
        {"OLEAUT32.DLL", false, true, true, SystemThroughParent, SystemThroughParent, true,
         STATUS_UPDATE, true},
        {"OLEAUT32.DLL", false, false, true, Here, Here, true, STATUS_OK, false},
    };
    for (const TCase& c : cases) {
        const std::string what = std::string(c.name) + " protected " +
                                 std::to_string(c.isProtected) + " listed " +
                                 std::to_string(c.listed) + " here " + std::to_string(c.copyHere) +
                                 " registered " + std::to_string(c.registered);
        TFakePlatform platform;
        const std::string system = Sys + "\\" + c.name, here = Cur + "\\" + c.name;
        const auto pathOf = [&](TWhere where) {
            std::string lower = system;
            for (char& ch : lower)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            return where == Here                  ? here
                   : where == SystemOtherCase     ? lower
                   : where == SystemThroughParent ? Sys + "\\..\\system32\\" + c.name
                                                  : system;
        };
        ResetLibraries();
        TLibraryEntry& entry = EntryOf(c.name);
        platform.AddFile(system, TVersionParts{6, 0, 0, 0});
        if (c.copyHere) {
            const std::string required = entry.RequiredVersion.str();
            TVersionParts v;
            ASSERT_EQ(std::sscanf(required.c_str(), "%hu.%hu.%hu.%hu", &v.Major, &v.Minor,
                                  &v.Release, &v.Build),
                      4);
            platform.AddFile(here, v);
        }
        if (c.isProtected) platform.Protected.insert(TFakePlatform::Upper(system));
        if (c.listed) {
            std::string lower = c.name;
            for (char& ch : lower)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            platform.KnownDllList = {"kernel32.dll", lower, "ws2_32.dll"};
        }
        if (c.registered != Nowhere) platform.Registry[RegistryKeyOf(entry)] = pathOf(c.registered);

        std::vector<std::string> lines;
        ScanLibraries(platform, lines);
        TLibraryEntry& scanned = EntryOf(c.name);
        EXPECT_EQ(scanned.Path.str(), pathOf(c.located)) << what;
        EXPECT_EQ(scanned.Registered, c.isRegistered) << what;
        EXPECT_EQ(lines.at(static_cast<std::size_t>(&scanned - Libraries)),
                  c.name + std::string(c.status))
            << what;

        const auto files = [&] {
            std::vector<std::string> names;
            for (const auto& [path, version] : platform.Files)
                names.push_back(path);
            return names;
        };
        const std::vector<std::string> before = files();
        for (const bool forceHere : {false, true}) {
            TRecordingUi ui;
            RunDownload(platform, ui, scanned, forceHere, ui);
            if (c.refused)
                EXPECT_EQ(ui.Log, std::vector<std::string>{"say " + std::string(c.name) +
                                                           " es un componente de Windows y solo "
                                                           "se actualiza con Windows Update. No "
                                                           "se ha descargado."})
                    << what;
            else
                EXPECT_EQ(ui.Log.at(0), "disable") << what;
            EXPECT_EQ(files(), before) << what;
        }
    }
}
