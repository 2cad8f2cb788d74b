// Authenticode under Wine on the signed stand-ins: which files verify and who signed them;
// and that a file held for placing keeps its bytes and its place until it is let go. Wine 8 does
// not prove root trust (a file signed by a root it does not trust still verifies), so what is
// tested is the signer rule's input: verified or not, and by whom.
#include "LibServerControl.h"

#include "actions/LibraryImage.h"
#include "actions/SignerContinuity.h"
#include "platform/Authenticode.h"
#include "platform/Handles.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

using namespace kestrova_test;

TEST(WineSignature, VerifiesAndNamesTheSigner) {
    // Publisher C carries A's common name under another organization.
    const std::string a = "Kestrova Test Publisher A", b = "Kestrova Test Publisher B";
    const std::string orgA = "Kestrova Test Organization A", orgB = "Kestrova Test Organization B",
                      orgC = "Kestrova Test Organization C";
    struct TCase {
        const char* variant;
        TSignatureState state;
        std::string organization, commonName;
    };
    const TCase cases[] = {
        {"good", TSignatureState::Unsigned, "", ""},
        {"signed-a", TSignatureState::Valid, orgA, a},
        {"signed-a-outdated", TSignatureState::Valid, orgA, a},
        {"signed-b", TSignatureState::Valid, orgB, b},
        {"signed-c", TSignatureState::Valid, orgC, a},
        {"altered", TSignatureState::Invalid, "", ""},   // one byte changed after signing
        {"malformed", TSignatureState::Invalid, "", ""}, // the signature itself broken
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.variant);
        const auto held = WindowsPlatform().HoldFile(StandInPath(c.variant, "MSINET.OCX"));
        ASSERT_TRUE(held);
        const TSignature s = ReadSignature(*held);
        EXPECT_EQ(s.State, c.state);
        EXPECT_EQ(s.Organization, c.organization);
        EXPECT_EQ(s.CommonName, c.commonName);
    }
}

// Wine always finds a signer, so the case of none is given by hand.
TEST(WineSignature, AVerifiedSignatureWithoutASignerCertificateNamesNobody) {
    CRYPT_PROVIDER_CERT noCertificate = {};
    CRYPT_PROVIDER_SGNR emptyChain = {}, chainWithoutCertificate = {};
    chainWithoutCertificate.csCertChain = 1;
    chainWithoutCertificate.pasCertChain = &noCertificate;
    for (const CRYPT_PROVIDER_SGNR* signer :
         {static_cast<CRYPT_PROVIDER_SGNR*>(nullptr), &emptyChain, &chainWithoutCertificate}) {
        const TPlatform::TSignerCheck check = SignerOf(signer);
        EXPECT_EQ(check.Status, static_cast<int32_t>(TRUST_E_NO_SIGNER_CERT));
        EXPECT_EQ(check.Organization + check.CommonName, "");
    }
}

TEST(WineHeldFile, APlacedFileMovesOnlyThroughItsHandleAndStillLoads) {
    TScopedFolder folder;
    TScopedFileCopy copy(StandInPath("signed-a", "MSINET.OCX"), folder / "MSINET.OCX.part");
    const std::string placed = folder / "MSINET.OCX", away = folder / "away.ocx";
    // Whatever else opens either name: none of it may write, move or delete the held file.
    const auto tamper = [&](const std::string& path) {
        TFileHandle writer(CreateFileA(path.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_FALSE(writer) << path << " could be written";
        EXPECT_FALSE(MoveFileExA(path.c_str(), away.c_str(), 0)) << path << " could be moved";
        EXPECT_FALSE(DeleteFileA(path.c_str())) << path << " could be deleted";
    };
    {
        // Read by name before the hold, which, writing, lets no one else read it so.
        const auto byName = WindowsPlatform().ReadFileVersion(copy.Path());
        const auto held = WindowsPlatform().HoldForPlacing(copy.Path());
        ASSERT_TRUE(held);
        tamper(copy.Path());
        // The version from the held bytes is the one Windows reads by name.
        const auto fromBytes = held->Version();
        ASSERT_TRUE(byName && fromBytes);
        EXPECT_EQ(
            std::tie(fromBytes->Major, fromBytes->Minor, fromBytes->Release, fromBytes->Build),
            std::tie(byName->Major, byName->Minor, byName->Release, byName->Build));
        EXPECT_EQ(held->Read(LIBRARY_IMAGE_HEAD)->Size,
                  ReadWholeFile(StandInPath("signed-a", "MSINET.OCX")).size());
        EXPECT_TRUE(held->Flush());
        ASSERT_TRUE(held->RenameTo(placed));
        EXPECT_FALSE(FileExistsAt(copy.Path()));
        EXPECT_TRUE(held->Flush());
        // The loader shares no writing: held for the flushes, the library does not load.
        EXPECT_FALSE(TModule(LoadLibraryA(placed.c_str())));
        ASSERT_TRUE(held->StopWriting());
        tamper(placed);
        // Held as it is until its registration is over, and the loader now opens it.
        TModule loaded(LoadLibraryA(placed.c_str()));
        EXPECT_TRUE(loaded) << "error " << GetLastError();
    }
    EXPECT_EQ(ReadWholeFile(placed), ReadWholeFile(StandInPath("signed-a", "MSINET.OCX")));
    EXPECT_FALSE(FileExistsAt(away));
    DeleteFileA(placed.c_str());
}

// Nor copied from a folder (/origen), where whoever made the link chose what an administrator
// would read.
TEST(WineHeldFile, ALinkIsNeverHeldForPlacing) {
    TScopedFolder folder;
    const std::string victim = folder / "victim.txt", part = folder / "ZLIB.DLL.part";
    const std::string copied = folder / "copia";
    const auto copyFrom = [&](const std::string& from) {
        const auto outcome = WindowsPlatform().CopyFileReporting(
            from, copied, [](uint64_t, uint64_t) { return false; });
        DeleteFileA(copied.c_str());
        return outcome;
    };
    using TCopyOutcome = TPlatform::TCopyOutcome;
    TScopedFileCopy copy(StandInPath("good", "ZLIB.DLL"), victim);
    EXPECT_FALSE(WindowsPlatform().IsLinked(victim));
    EXPECT_FALSE(WindowsPlatform().IsLinked(part)) << "no file is no link";
    EXPECT_TRUE(WindowsPlatform().HoldForPlacing(victim));
    EXPECT_EQ(copyFrom(victim), TCopyOutcome::Copied);
    ASSERT_TRUE(CreateHardLinkA(part.c_str(), victim.c_str(), nullptr));
    EXPECT_TRUE(WindowsPlatform().IsLinked(part));
    EXPECT_TRUE(WindowsPlatform().IsLinked(victim)) << "both names of a hard link";
    EXPECT_FALSE(WindowsPlatform().HoldForPlacing(part));
    EXPECT_EQ(copyFrom(part), TCopyOutcome::Linked);
    EXPECT_FALSE(FileExistsAt(copied)) << "a link was copied";
    ASSERT_TRUE(DeleteFileA(part.c_str()));
    // A symbolic link, where this Windows has the call (Vista on) and makes one (Wine 8 says
    // it did and makes nothing).
    using TCreateSymbolicLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto createLink = reinterpret_cast<TCreateSymbolicLink>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    if (createLink != nullptr && createLink(part.c_str(), victim.c_str(), 0) &&
        GetFileAttributesA(part.c_str()) != INVALID_FILE_ATTRIBUTES) {
        EXPECT_TRUE(WindowsPlatform().IsLinked(part));
        EXPECT_FALSE(WindowsPlatform().HoldForPlacing(part));
        DeleteFileA(part.c_str());
    } else {
        std::printf("no symbolic link could be made here\n");
    }
}
