// The real transfer against the loopback server: only a complete library counts, whatever
// URLDownloadToFileA itself reports, and nothing is left behind by a failure or a stop.
#include "LibServerControl.h"

#include "actions/BindStatusCallback.h"
#include "actions/DownloadFile.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

using namespace kestrova_test;

namespace {

struct DownloadFileTest : ::testing::Test {
    TScopedFolder Folder;
    void SetUp() override {
        CreateBindCallback();
        ResetServer();
    }
    void TearDown() override { ResetServer(); }
};

// A display that presses the stop button from inside the pump, as a click would arrive.
struct TStopAfter : TProgressView {
    unsigned Pumps = 0, StopAt = 0;
    void SetProgressBar(int, int) override {}
    void ShowDownloadingText(const std::string&) override {}
    void RepaintAndPump() override {
        if (++Pumps == StopAt) BindCallback->CancelDownload();
    }
};

} // namespace

TEST_F(DownloadFileTest, StoresOnlyACompleteLibraryOrASignatureWithinItsBound) {
    struct TCase {
        const char* name; // a library, or a library's signature
        const char* mode;
        const char* extra;
        bool stored;
    };
    const TCase cases[] = {
        {"ZLIB.DLL", "ok", "", true},
        {"ZLIB.DLL", "trickle", "&chunk=512&interval=5", true},
        {"ZLIB.DLL", "nolength", "", true},
        // A 404 with an HTML page: S_OK from some urlmon versions.
        {"ZLIB.DLL", "missing", "", false},
        {"ZLIB.DLL", "html", "", false},
        {"ZLIB.DLL", "truncate", "", false},
        {"ZLIB.DLL", "empty", "", false},
        {"ZLIB.DLL", "ok", "&source=text/ZLIB.DLL", false},
        {"ZLIB.DLL.sig", "ok", "&source=sizes/4096.sig", true},
        {"ZLIB.DLL.sig", "ok", "&source=sizes/4097.sig", false},
        {"ZLIB.DLL.sig", "endless", "", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.mode + c.extra);
        const bool signature = std::string(c.name).ends_with(".sig");
        SetServerMode(c.name, c.mode, c.extra);
        const std::string file = Folder / (std::string(c.name) + ".part");
        TTransfer transfer;
        EXPECT_EQ((signature ? DownloadSignatureFile : DownloadFile)(
                      WindowsPlatform(), transfer, LibServerBase() + c.name, file),
                  c.stored)
            << std::hex << transfer.Result();
        if (c.stored) {
            EXPECT_EQ(ReadWholeFile(file), signature
                                               ? ReadWholeFile(StandInPath("sizes", "4096.sig"))
                                               : ReadWholeFile(StandInPath("good", c.name)));
        } else {
            EXPECT_FALSE(FileExistsAt(file)) << "a rejected transfer left its file";
        }
        // An answer without end is stopped at a signature's bound, not at a library's.
        if (signature) {
            EXPECT_LT(transfer.Counts().Progress, TRANSFER_LIMIT);
        }
        DeleteFileA(file.c_str());
    }
}

TEST_F(DownloadFileTest, UnknownNameOnTheServerFails) {
    const std::string file = Folder / "NOSUCH.DLL";
    TTransfer transfer;
    EXPECT_FALSE(DownloadFile(WindowsPlatform(), transfer, LibServerBase() + "NOSUCH.DLL", file));
    EXPECT_FALSE(FileExistsAt(file));
}

TEST_F(DownloadFileTest, RefusedConnectionFails) {
    const std::string file = Folder / "ZLIB.DLL";
    const std::string url =
        "http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/libs/ZLIB.DLL";
    TTransfer transfer;
    EXPECT_FALSE(DownloadFile(WindowsPlatform(), transfer, url, file));
    EXPECT_NE(transfer.Result(), S_OK);
    EXPECT_FALSE(FileExistsAt(file));
}

TEST_F(DownloadFileTest, StopEndsATricklingTransferWithNothingLeft) {
    TStopAfter view;
    view.StopAt = 3;
    TTransfer transfer(&view);
    SetServerMode("ZLIB.DLL", "trickle", "&chunk=256&interval=50");
    const std::string file = Folder / "ZLIB.DLL.part";
    EXPECT_FALSE(DownloadFile(WindowsPlatform(), transfer, LibServerBase() + "ZLIB.DLL", file));
    // urlmon may report once more while it winds down; the file has 14 chunks to go.
    EXPECT_LE(view.Pumps, 5u) << "the transfer went on after the stop";
    EXPECT_FALSE(FileExistsAt(file));
    EXPECT_TRUE(transfer.Cancelled()) << "the stop request stays until the next transfer";
    EXPECT_EQ(BindCallback->Attached(), nullptr) << "the callback still reports to it";

    // The next transfer starts with the request cleared.
    view.StopAt = 0;
    SetServerMode("ZLIB.DLL", "ok");
    EXPECT_TRUE(DownloadFile(WindowsPlatform(), transfer, LibServerBase() + "ZLIB.DLL", file));
    EXPECT_FALSE(transfer.Cancelled());
}

TEST_F(DownloadFileTest, AnAnswerThatNeverEndsIsStoppedAtTheBound) {
    SetServerMode("ZLIB.DLL", "endless");
    const std::string file = Folder / "ZLIB.DLL.part";
    TTransfer transfer;
    EXPECT_FALSE(DownloadFile(WindowsPlatform(), transfer, LibServerBase() + "ZLIB.DLL", file));
    EXPECT_TRUE(transfer.Cancelled()) << "stopped the way the stop button stops it";
    EXPECT_GT(transfer.Counts().Progress, TRANSFER_LIMIT);
    EXPECT_FALSE(FileExistsAt(file)) << "what arrived was left on the disk";
}

TEST(BindStatusCallbackSlots, AnswerAsTheTransferExpects) {
    CreateBindCallback();
    IBindStatusCallback* callback = BindCallback;
    const LONG start = BindCallback->RefCount();

    // The interface and IUnknown: the same pointer, one reference each.
    LONG expected = start;
    for (const IID* answered : {&IID_IBindStatusCallback, &IID_IUnknown}) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(callback->QueryInterface(*answered, &object), S_OK);
        EXPECT_EQ(object, static_cast<void*>(callback));
        EXPECT_EQ(BindCallback->RefCount(), ++expected);
    }
    for (const IID* other : {&IID_IBinding, &IID_IStream, &IID_IClassFactory}) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(callback->QueryInterface(*other, &object), E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(BindCallback->RefCount(), expected);

    // Release never destroys the one instance, even below zero.
    for (LONG i = expected; i > -3; --i)
        EXPECT_EQ(static_cast<LONG>(callback->Release()), i - 1);
    EXPECT_EQ(static_cast<LONG>(callback->AddRef()), -2);
    while (BindCallback->RefCount() < start)
        callback->AddRef();

    LONG priority = 0;
    DWORD flags = 0;
    BINDINFO info = {};
    EXPECT_EQ(callback->OnStartBinding(0, nullptr), E_NOTIMPL);
    EXPECT_EQ(callback->GetPriority(&priority), E_NOTIMPL);
    EXPECT_EQ(callback->OnLowResource(0), E_NOTIMPL);
    EXPECT_EQ(callback->OnStopBinding(S_OK, nullptr), E_NOTIMPL);
    EXPECT_EQ(callback->GetBindInfo(&flags, &info), E_NOTIMPL);
    EXPECT_EQ(callback->OnDataAvailable(0, 0, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(callback->OnObjectAvailable(IID_IUnknown, nullptr), E_NOTIMPL);

    // The stop request is the attached transfer's; with none attached there is nothing to
    // stop and a notification goes unanswered.
    BindCallback->CancelDownload();
    EXPECT_EQ(callback->OnProgress(1, 2, 0, nullptr), S_OK);
    TTransfer transfer;
    BindCallback->Attach(&transfer);
    EXPECT_EQ(callback->OnProgress(1, 2, 0, nullptr), S_OK);
    BindCallback->CancelDownload();
    EXPECT_TRUE(transfer.Cancelled());
    EXPECT_EQ(callback->OnProgress(1, 2, 0, nullptr), E_ABORT);
    BindCallback->ResetCancel();
    EXPECT_EQ(callback->OnProgress(2, 2, 0, nullptr), S_OK);
    BindCallback->Attach(nullptr);
}
