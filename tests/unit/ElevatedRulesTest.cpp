// What an elevated run refuses, for the cases Wine cannot show (it runs every program as an
// administrator, has no private namespaces and makes no reparse points): where the
// one-instance mutex lives, what its opening means, and which output files are refused.
#include "app/ElevatedRules.h"
#include "ui/Credits.h"

#include <gtest/gtest.h>

using enum TInstanceMutexPlace;
using enum TMutexOpening;
using enum TInstanceVerdict;

TEST(ElevatedRules, TheInstanceMutexIsOnlyEverAnAdministratorsOwnWhileElevated) {
    struct TCase {
        bool elevated;
        bool privateNamespaces; // Windows Vista on
        TInstanceMutexPlace place;
        TMutexOpening opening;
        bool administratorsOwn; // the existing mutex's owner
        TInstanceVerdict verdict;
    };
    const TCase cases[] = {
        // A standard user's run: today's global name, any failure another Kestrova (often
        // another user's, whose mutex refuses this user).
        {false, true, Global, Created, false, First},
        {false, true, Global, Existed, false, AlreadyRunning},
        {false, false, Global, Denied, false, AlreadyRunning},
        {false, false, Global, Failed, false, AlreadyRunning},
        // Elevated on Vista and later: only administrators can make the name at all.
        {true, true, PrivateNamespace, Created, false, First},
        {true, true, PrivateNamespace, Existed, false, AlreadyRunning},
        {true, true, PrivateNamespace, Denied, false, Blocked},
        {true, true, PrivateNamespace, Failed, false, Blocked},
        // Elevated on XP: someone made the global name first.
        {true, false, GlobalForAdministrators, Created, false, First},
        {true, false, GlobalForAdministrators, Existed, true, AlreadyRunning},
        {true, false, GlobalForAdministrators, Existed, false, Blocked}, // a user's, open to us
        {true, false, GlobalForAdministrators, Denied, false, Blocked},
        {true, false, GlobalForAdministrators, Failed, false, Blocked}, // an event of that name
    };
    for (const TCase& c : cases) {
        const auto row = ::testing::Message()
                         << "elevated " << c.elevated << ", namespaces " << c.privateNamespaces
                         << ", opening " << static_cast<int>(c.opening) << ", owner "
                         << c.administratorsOwn;
        const TInstanceMutexPlace place = InstanceMutexPlace(c.elevated, c.privateNamespaces);
        EXPECT_EQ(place, c.place) << row;
        EXPECT_EQ(JudgeInstance(c.elevated, place, c.opening, c.administratorsOwn), c.verdict)
            << row;
    }
}

TEST(ElevatedRules, AnElevatedRunWritesNoFileThroughALink) {
    struct TCase {
        bool elevated;
        bool reparsePoint; // a symbolic link or a junction
        uint32_t links;    // hard links of the file, itself included
        bool atPath;       // its final path is the path asked for: no folder on the way a link
        bool refused;
    };
    const TCase cases[] = {
        {true, false, 1, true, false},  {true, true, 1, true, true},
        {true, false, 2, true, true},   {true, true, 3, true, true},
        {true, false, 1, false, true},  {false, true, 1, true, false},
        {false, false, 2, true, false}, {false, false, 1, false, false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(RefusesToWrite(c.elevated, c.reparsePoint, c.links, c.atPath), c.refused)
            << "elevated " << c.elevated << ", reparse point " << c.reparsePoint << ", links "
            << c.links << ", at its path " << c.atPath;
}

// The browser an elevated run starts would run with the administrator's rights: the desktop's
// shell opens the site as the signed-in user, and where it cannot, a box shows the address.
TEST(ElevatedRules, TheSiteNeverOpensWithAnElevatedRunsRights) {
    using enum TSiteOpening;
    const struct {
        bool elevated, desktopShellFailed;
        TSiteOpening opening;
    } cases[] = {{false, false, ShellOpen},
                 {false, true, ShellOpen},
                 {true, false, DesktopShell},
                 {true, true, AddressBox}};
    for (const auto& c : cases)
        EXPECT_EQ(SiteOpening(c.elevated, c.desktopShellFailed), c.opening)
            << "elevated " << c.elevated << ", desktop shell failed " << c.desktopShellFailed;
}
