// The entry of a test program that registers libraries through the real platform: each
// library's entry runs in a helper, a copy of the running program started with the helper's
// switch, so the test program is that helper too when started so.
#include "platform/RegistrationHelper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (IsHelperRequest(args)) return RunRegistrationHelper(args);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
