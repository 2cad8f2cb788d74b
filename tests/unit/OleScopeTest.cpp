// The OLE scope undoes only an OleInitialize that succeeded: a thread found in a
// multithreaded apartment (or without ole32) is left exactly as it was.
#include "platform/OleScope.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

long Answer = 0;
int Uninitialized = 0;

long Initialize() {
    return Answer;
}
void Uninitialize() {
    ++Uninitialized;
}
constexpr long Hresult(uint32_t bits) {
    return static_cast<int32_t>(bits);
}

} // namespace

TEST(OleScope, UndoesOnlyAnInitializationThatSucceeded) {
    struct TCase {
        const char* what;
        long answer;
        int uninitialized;
    };
    const TCase cases[] = {
        {"a new apartment", 0, 1},
        {"one more use of the thread's own apartment", 1, 1},
        {"a multithreaded apartment already", Hresult(0x80010106u), 0},
        {"no ole32", Hresult(0x80004001u), 0},
    };
    for (const TCase& c : cases) {
        Answer = c.answer;
        Uninitialized = 0;
        {
            const TOleScope scope({&Initialize, &Uninitialize});
            EXPECT_EQ(scope.Result(), c.answer) << c.what;
            EXPECT_EQ(Uninitialized, 0) << c.what;
        }
        EXPECT_EQ(Uninitialized, c.uninitialized) << c.what;
    }
}
