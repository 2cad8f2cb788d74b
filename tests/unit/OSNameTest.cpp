// The operating-system description for every row of the version table and beyond it,
// desktop and server, with the build boundaries that tell them apart.
#include "ui/OSName.h"

#include <gtest/gtest.h>

TEST(OSName, DescribesEveryVersion) {
    constexpr uint8_t DESKTOP = 1, SERVER = 3, CONTROLLER = 2; // wProductType
    struct TCase {
        std::optional<TOsVersion> os;
        bool wow64;
        const char* expected;
    };
    const TCase cases[] = {
        {TOsVersion{1, 4, 0, ""}, false, "Windows 95"},
        {TOsVersion{1, 4, 10, " A "}, false, "Windows 98 Second Edition"},
        {TOsVersion{1, 4, 10, "A"}, false, "Windows 98"},
        {TOsVersion{1, 4, 10, ""}, false, "Windows 98"},
        {TOsVersion{1, 4, 10, " B"}, false, "Windows 98"},
        {TOsVersion{1, 4, 90, ""}, false, "Windows Millenium"},
        {TOsVersion{1, 3, 95, ""}, false, "Desconocido 9x (v3.95)"},
        {TOsVersion{2, 3, 51, ""}, false, "Windows NT"},
        {TOsVersion{2, 4, 0, ""}, false, "Windows NT"},
        {TOsVersion{2, 4, 99, ""}, false, "Windows NT"},
        {TOsVersion{2, 4, 0, "", 1381, SERVER}, false, "Windows NT"},
        {TOsVersion{2, 5, 0, ""}, false, "Windows 2000"},
        {TOsVersion{2, 5, 0, "", 2195, SERVER}, false, "Windows 2000"},
        {TOsVersion{2, 5, 1, "Service Pack 3"}, false, "Windows XP"},
        {TOsVersion{2, 5, 2, ""}, true, "Windows Server 2003 (64 bits)"},
        {TOsVersion{2, 6, 0, "", 6002, DESKTOP}, false, "Windows Vista"},
        {TOsVersion{2, 6, 0, "", 6003, SERVER}, false, "Windows Server 2008"},
        {TOsVersion{2, 6, 1, "", 7601, DESKTOP}, false, "Windows 7"},
        {TOsVersion{2, 6, 1, "", 7601, DESKTOP}, true, "Windows 7 (64 bits)"},
        {TOsVersion{2, 6, 1, "", 7601, CONTROLLER}, true, "Windows Server 2008 R2 (64 bits)"},
        {TOsVersion{2, 6, 2, "", 9200, DESKTOP}, true, "Windows 8 (64 bits)"},
        {TOsVersion{2, 6, 2, "", 9200, SERVER}, false, "Windows Server 2012"},
        {TOsVersion{2, 6, 3, "", 9600, DESKTOP}, false, "Windows 8.1"},
        {TOsVersion{2, 6, 3, "", 9600, DESKTOP}, true, "Windows 8.1 (64 bits)"},
        {TOsVersion{2, 6, 3, "", 9600, SERVER}, true, "Windows Server 2012 R2 (64 bits)"},
        // Windows 10 and 11 share 10.0: build 22000 is the first of Windows 11.
        {TOsVersion{2, 10, 0, "", 10240, DESKTOP}, false, "Windows 10"},
        {TOsVersion{2, 10, 0, "", 21999, DESKTOP}, true, "Windows 10 (64 bits)"},
        {TOsVersion{2, 10, 0, "", 22000, DESKTOP}, true, "Windows 11 (64 bits)"},
        {TOsVersion{2, 10, 0, "", 26100, DESKTOP}, false, "Windows 11"},
        // A server is the latest release at or below its build; older previews count as 2016.
        {TOsVersion{2, 10, 0, "", 10586, SERVER}, false, "Windows Server 2016"},
        {TOsVersion{2, 10, 0, "", 14393, SERVER}, false, "Windows Server 2016"},
        {TOsVersion{2, 10, 0, "", 17762, SERVER}, false, "Windows Server 2016"},
        {TOsVersion{2, 10, 0, "", 17763, CONTROLLER}, false, "Windows Server 2019"},
        {TOsVersion{2, 10, 0, "", 20347, SERVER}, false, "Windows Server 2019"},
        {TOsVersion{2, 10, 0, "", 20348, SERVER}, true, "Windows Server 2022 (64 bits)"},
        {TOsVersion{2, 10, 0, "", 22000, SERVER}, false, "Windows Server 2022"},
        {TOsVersion{2, 10, 0, "", 26099, SERVER}, false, "Windows Server 2022"},
        {TOsVersion{2, 10, 0, "", 26100, SERVER}, false, "Windows Server 2025"},
        {TOsVersion{2, 10, 0, "", 30000, SERVER}, false, "Windows Server 2025"},
        {TOsVersion{2, 6, 4, "", 9841, DESKTOP}, false, "Desconocido NT (v6.4)"},
        {TOsVersion{2, 10, 1, "", 22000, DESKTOP}, false, "Desconocido NT (v10.1)"},
        {TOsVersion{2, 11, 0, "", 30000, SERVER}, true, "Desconocido NT (v11.0) (64 bits)"},
        {TOsVersion{2, 5, 3, ""}, false, "Desconocido NT (v5.3)"},
        {TOsVersion{0, 3, 10, ""}, false, "Desconocido"},
        {TOsVersion{3, 5, 1, ""}, true, "Desconocido (64 bits)"},
        {std::nullopt, false, "Desconocido"},
        {std::nullopt, true, "Desconocido (64 bits)"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(DescribeOs(c.os, c.wow64), c.expected)
            << (c.os ? std::to_string(c.os->PlatformId) + ":" + std::to_string(c.os->Major) + "." +
                           std::to_string(c.os->Minor) + " build " + std::to_string(c.os->Build) +
                           " type " + std::to_string(c.os->ProductType)
                     : "failed query");
    }
}
