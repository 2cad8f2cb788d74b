// The download action on a real file system with the real transfer: an existing copy is
// replaced only by a complete library, and stays byte for byte what it was otherwise.
#include "LibServerControl.h"
#include "RealTransferUi.h"

#include "actions/BindStatusCallback.h"
#include "actions/DownloadAction.h"
#include "actions/DownloadFile.h"
#include "actions/KeptCopy.h"
#include "inventory/Version.h"
#include "platform/Handles.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"
#include "tests/support/WrittenKey.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <vector>

using namespace kestrova_test;

namespace {

TLibraryEntry& Entry(const char* name) {
    ResetLibraries();
    for (TLibraryEntry& e : Libraries)
        if (e.Name == name) return e;
    throw std::runtime_error(name);
}

struct ReplaceTest : ::testing::Test {
    TScopedFolder Here;
    void SetUp() override {
        CreateBindCallback();
        ResetServer();
    }
    void TearDown() override { ResetServer(); }
};

} // namespace

TEST_F(ReplaceTest, OldCopyStaysUntilACompleteLibraryArrives) {
    struct TCase {
        const char* name;
        const char* mode;
        const char* extra;
        const char* arrives; // the variant that replaces the old copy; nullptr: none may
    };
    const TCase cases[] = {
        {"ZLIB.DLL", "missing", "", nullptr},
        {"ZLIB.DLL", "truncate", "", nullptr},
        {"ZLIB.DLL", "empty", "", nullptr},
        {"ZLIB.DLL", "ok", "&source=text/ZLIB.DLL", nullptr},
        {"ZLIB.DLL", "endless", "", nullptr}, // stopped once it passes the bound
        {"ZLIB.DLL", "ok", "", "good"},
        // As large as a real control library, and registered where it lands.
        {"MSCOMCTL.OCX", "ok", "&source=large/MSCOMCTL.OCX", "large"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.mode + c.extra);
        TScopedCurrentDirectory cd(Here.Path());
        TLibraryEntry& entry = Entry(c.name);
        std::optional<TScopedClassesRootKey> key; // puts back what the prefix had
        if (!WrittenKeyOf(entry).empty()) key.emplace(WrittenKeyOf(entry));
        auto old = PlaceStandIn("noversion", c.name, Here.Path());
        const std::string before = ReadWholeFile(old->Path());
        SetServerMode(c.name, c.mode, c.extra);
        TRealTransferUi ui;
        ui.Answers = {true};
        TLibraryServer server(WindowsPlatform(), LibServerBase());
        RunDownload(WindowsPlatform(), ui, entry, true, server);

        const std::string after = ReadWholeFile(old->Path());
        if (c.arrives) {
            // Compared whole, not printed: the large stand-in is 1.5 MB.
            EXPECT_TRUE(after == ReadWholeFile(StandInPath(c.arrives, c.name)))
                << "the old copy was not replaced by what arrived";
            // What arrived is registered at once (ZLIB.DLL has no registration entry).
            EXPECT_EQ(ui.Messages,
                      (std::vector<std::string>{
                          "Descargado con exito en " + old->Path() + ".",
                          WrittenKeyOf(entry).empty()
                              ? "No es posible registrar la librería " + old->Path() + "."
                              : "Librería " + old->Path() + " ha sido registrada con exito."}));
        } else {
            EXPECT_EQ(after, before) << "the old copy changed";
            ASSERT_EQ(ui.Messages.size(), 1u) << "nothing may be registered";
            EXPECT_EQ(ui.Messages[0],
                      "Ha ocurrido un error en la descarga de " + std::string(c.name) + ".");
        }
        EXPECT_FALSE(FileExistsAt(old->Path() + ".part")) << "a partial file was left";
    }
}

// A NAME.part someone left there (a hard link to their file) is removed, not written
// through; and a swap of the .part tried between the checks and the rename never lands.
TEST_F(ReplaceTest, APlantedOrSwappedPartNeverTakesThePlace) {
    struct TSwappingUi : TRealTransferUi {
        std::string Part, Other;
        int Asked = 0, Tries = 0, Swaps = 0;
        bool StopRequested() override {
            // Asked before the transfer, then just before the rename.
            if (++Asked > 1 && FileExistsAt(Part)) {
                ++Tries;
                if (MoveFileExA(Part.c_str(), (Part + ".away").c_str(), 0) &&
                    CopyFileA(Other.c_str(), Part.c_str(), FALSE))
                    ++Swaps;
            }
            return false;
        }
    };
    TScopedCurrentDirectory cd(Here.Path());
    const std::string target = Here / "ZLIB.DLL", victim = Here / "victim.txt";
    const std::string theirs = "a file of someone else's";
    {
        TFileHandle file(CreateFileA(victim.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(file && WriteFile(file.get(), theirs.data(), static_cast<DWORD>(theirs.size()),
                                      &written, nullptr));
    }
    ASSERT_TRUE(CreateHardLinkA((target + ".part").c_str(), victim.c_str(), nullptr));
    SetServerMode("ZLIB.DLL", "ok", "");
    TSwappingUi ui;
    ui.Part = target + ".part";
    ui.Other = StandInPath("noversion", "ZLIB.DLL");
    TLibraryServer server(WindowsPlatform(), LibServerBase());
    RunDownload(WindowsPlatform(), ui, Entry("ZLIB.DLL"), true, server);

    EXPECT_EQ(ReadWholeFile(victim), theirs) << "written through the planted link";
    EXPECT_TRUE(ReadWholeFile(target) == ReadWholeFile(StandInPath("good", "ZLIB.DLL")))
        << "the file placed is not the file checked";
    EXPECT_EQ(ui.Tries, 1);
    EXPECT_EQ(ui.Swaps, 0) << "the held .part was moved away";
    EXPECT_FALSE(FileExistsAt(target + ".part.away"));
}

TEST_F(ReplaceTest, ReadOnlyCopyIsReportedAndKept) {
    TScopedCurrentDirectory cd(Here.Path());
    auto old = PlaceStandIn("outdated", "ZLIB.DLL", Here.Path());
    const std::string before = ReadWholeFile(old->Path());
    ASSERT_TRUE(SetFileAttributesA(old->Path().c_str(), FILE_ATTRIBUTE_READONLY));
    TRealTransferUi ui;
    ui.Answers = {true};
    TLibraryServer server(WindowsPlatform(), LibServerBase());
    RunDownload(WindowsPlatform(), ui, Entry("ZLIB.DLL"), true, server);
    SetFileAttributesA(old->Path().c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(ui.Messages,
              (std::vector<std::string>{"La libreria " + old->Path() + " no pudo ser eliminada.",
                                        "No es posible descargar la librería!"}));
    EXPECT_EQ(ReadWholeFile(old->Path()), before);
    EXPECT_EQ(ServerRequestCount("ZLIB.DLL"), 0) << "nothing may be fetched";
}

TEST_F(ReplaceTest, CopyHeldOpenOrLoadedCannotBeRemoved) {
    auto old = PlaceStandIn("outdated", "ZLIB.DLL", Here.Path());
    {
        TFileHandle held(CreateFileA(old->Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(WindowsPlatform().CanRemoveFile(old->Path())) << "held without delete sharing";
    }
    {
        // A loaded library opens for delete access, but cannot be written, deleted or replaced.
        TModule loaded(LoadLibraryA(old->Path().c_str()));
        ASSERT_TRUE(loaded);
        EXPECT_FALSE(WindowsPlatform().CanRemoveFile(old->Path())) << "loaded";
    }
    EXPECT_TRUE(WindowsPlatform().CanRemoveFile(old->Path()));
    EXPECT_TRUE(FileExistsAt(old->Path())) << "the check must not remove anything";
}

// A served library whose registration fails never costs the registered copy it replaced:
// the old bytes are back in place, registered again, and the line reads as before.
TEST_F(ReplaceTest, AFailedRegistrationPutsTheRegisteredCopyBack) {
    TScopedCurrentDirectory cd(Here.Path());
    TLibraryEntry& entry = Entry("MSINET.OCX");
    const std::size_t line = static_cast<std::size_t>(&entry - Libraries);
    TScopedClassesRootKey key(WrittenKeyOf(entry));
    auto old = PlaceStandIn("outdated", "MSINET.OCX", Here.Path());
    ASSERT_EQ(CallRegistrationEntry(old->Path(), "DllRegisterServer"), S_OK);
    const std::string before = ReadWholeFile(old->Path());
    entry.Path = old->Path();
    const std::string lineBefore = ScanLibrary(WindowsPlatform(), line);
    // Unregistered by hand, so only a second registration of the old copy brings it back.
    ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, WrittenKeyOf(entry).c_str()), ERROR_SUCCESS);
    SetServerMode("MSINET.OCX", "ok", "&source=fails/MSINET.OCX");
    TRealTransferUi ui;
    ui.Answers = {true};
    TLibraryServer server(WindowsPlatform(), LibServerBase());
    RunDownload(WindowsPlatform(), ui, entry, true, server);

    EXPECT_TRUE(ReadWholeFile(old->Path()) == before) << "the old copy is not back";
    EXPECT_EQ(ScanLibrary(WindowsPlatform(), line), lineBefore);
    EXPECT_EQ(ui.Messages,
              (std::vector<std::string>{
                  "Descargado con exito en " + old->Path() + ".",
                  "No es posible registrar la librería " + old->Path() + ".",
                  RestoredMessage("MSINET.OCX", FormatVersion(*GetFileVersionParts(
                                                    WindowsPlatform(), old->Path())))}));
    // The line reads the same registered or not (the version decides it): the key itself.
    char registered[MAX_PATH] = {};
    LONG size = sizeof registered;
    EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, WrittenKeyOf(entry).c_str(), registered, &size),
              ERROR_SUCCESS)
        << "the old copy was not registered again";
    EXPECT_EQ(lstrcmpiA(registered, old->Path().c_str()), 0) << registered;
    EXPECT_FALSE(FileExistsAt(KeptNameFor(old->Path()))) << "the kept copy stayed";
    EXPECT_FALSE(FileExistsAt(old->Path() + ".part")) << "the failed copy stayed";
}

// A start after a power cut: the kept copy goes back over a placed copy that is zeros, and is
// removed beside a whole one, each through its own hold.
TEST_F(ReplaceTest, AStartSettlesAKeptCopy) {
    for (const bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "whole" : "zeros");
        TScopedCurrentDirectory cd(Here.Path());
        auto placed = PlaceStandIn("good", "MSINET.OCX", Here.Path(), true);
        const std::string good = ReadWholeFile(placed->Path());
        if (!whole) {
            TFileHandle file(CreateFileA(placed->Path().c_str(), GENERIC_WRITE, 0, nullptr,
                                         TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            const std::string zeros(good.size(), '\0');
            DWORD written = 0;
            ASSERT_TRUE(file && WriteFile(file.get(), zeros.data(),
                                          static_cast<DWORD>(zeros.size()), &written, nullptr));
        }
        const std::string kept = KeptNameFor(placed->Path());
        ASSERT_TRUE(CopyFileA(StandInPath("outdated", "MSINET.OCX").c_str(), kept.c_str(), FALSE));

        RecoverKeptCopies(WindowsPlatform());

        EXPECT_FALSE(FileExistsAt(kept));
        EXPECT_TRUE(ReadWholeFile(placed->Path()) ==
                    (whole ? good : ReadWholeFile(StandInPath("outdated", "MSINET.OCX"))));
    }
}

TEST(IsFolderWritableOnWine, ProbesWithoutLeavingAnything) {
    TScopedFolder folder;
    EXPECT_TRUE(IsFolderWritable(WindowsPlatform(), folder.Path()));
    EXPECT_TRUE(IsFolderWritable(WindowsPlatform(), folder.Path() + "\\"));
    EXPECT_FALSE(FileExistsAt(folder / "temp.chk")) << "the probe file stayed";

    {
        TFileHandle leftover(CreateFileA((folder / "temp.chk").c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(leftover);
    }
    EXPECT_FALSE(IsFolderWritable(WindowsPlatform(), folder.Path()));
    EXPECT_TRUE(FileExistsAt(folder / "temp.chk")) << "someone else's temp.chk was removed";
    DeleteFileA((folder / "temp.chk").c_str());

    EXPECT_FALSE(IsFolderWritable(WindowsPlatform(), folder / "no such folder"));
}
