// Authenticode under Wine on the signed stand-ins: which files verify, who signed them, and
// that a held file keeps its bytes and can still be renamed into place. Wine 8 does not
// prove root trust (a file signed by a root it does not trust still verifies), so what is
// tested is the signer rule's input: verified or not, and by whom.
#include "LibServerControl.h"

#include "actions/SignerContinuity.h"
#include "platform/Authenticode.h"
#include "platform/Handles.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

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
        const TSignature s = ReadSignature(WindowsPlatform(), StandInPath(c.variant, "MSINET.OCX"));
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
