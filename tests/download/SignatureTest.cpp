// Authenticode under Wine on the signed stand-ins: which files verify, who signed them, and
// that a held file keeps its bytes and can still be renamed into place. Wine 8 does not
// prove root trust (a file signed by a root it does not trust still verifies), so what is
// tested is the signer rule's input: verified or not, and by whom.
#include "LibServerControl.h"

#include "actions/SignerContinuity.h"
#include "platform/Handles.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

using namespace kestrova_test;

TEST(WineSignature, VerifiesAndNamesTheSigner) {
    const std::string a = "Kestrova Test Publisher A", b = "Kestrova Test Publisher B";
    struct TCase {
        const char* variant;
        TSignatureState state;
        std::string publisher; // organization and common name alike
    };
    const TCase cases[] = {
        {"good", TSignatureState::Unsigned, ""},          {"signed-a", TSignatureState::Valid, a},
        {"signed-a-outdated", TSignatureState::Valid, a}, {"signed-b", TSignatureState::Valid, b},
        {"altered", TSignatureState::Invalid, ""},   // one byte changed after signing
        {"malformed", TSignatureState::Invalid, ""}, // the signature itself broken
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.variant);
        const TSignature s = ReadSignature(WindowsPlatform(), StandInPath(c.variant, "MSINET.OCX"));
        EXPECT_EQ(s.State, c.state);
        EXPECT_EQ(s.Organization, c.publisher);
        EXPECT_EQ(s.CommonName, c.publisher);
    }
}

TEST(WineSignature, AHeldFileCannotBeWrittenButCanBeRenamed) {
    TScopedFolder folder;
    TScopedFileCopy copy(StandInPath("signed-a", "MSINET.OCX"), folder / "MSINET.OCX.part");
    {
        const auto held = WindowsPlatform().HoldFile(copy.Path());
        ASSERT_TRUE(held);
        TFileHandle writer(CreateFileA(copy.Path().c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_FALSE(writer) << "someone could change the bytes between check and rename";
        EXPECT_EQ(held->VerifySignature().Status, 0);
        ASSERT_TRUE(WindowsPlatform().MoveFileOver(copy.Path(), folder / "MSINET.OCX"));
    }
    EXPECT_EQ(ReadWholeFile(folder / "MSINET.OCX"),
              ReadWholeFile(StandInPath("signed-a", "MSINET.OCX")));
    DeleteFileA((folder / "MSINET.OCX").c_str());
}
