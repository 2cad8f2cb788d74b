// Kestrova.exe signed as a release is signed must pass Windows' own Authenticode check, or
// the elevation prompt would still name no publisher.
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

using namespace kestrova_test;

TEST(SignedExecutable, PassesWinVerifyTrustAndNamesItsSigner) {
    const std::string path = WinePath(Env("KESTROVA_SIGNED_EXE"));
    const auto held = WindowsPlatform().HoldFile(path);
    ASSERT_TRUE(held) << path;
    const TPlatform::TSignerCheck check = held->VerifySignature();
    EXPECT_EQ(check.Status, 0) << std::hex << check.Status;
    EXPECT_FALSE(check.CommonName.empty());
}
