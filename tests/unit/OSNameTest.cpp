// The operating-system description for every row of the version table and beyond it.
#include "ui/OSName.h"

#include <gtest/gtest.h>

TEST(OSName, DescribesEveryVersion) {
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
        {TOsVersion{2, 5, 0, ""}, false, "Windows 2000"},
        {TOsVersion{2, 5, 1, "Service Pack 3"}, false, "Windows XP"},
        {TOsVersion{2, 5, 2, ""}, true, "Windows Server 2003 (64 bits)"},
        {TOsVersion{2, 6, 0, ""}, false, "Windows Vista"},
        {TOsVersion{2, 6, 1, ""}, false, "Windows 7"},
        {TOsVersion{2, 6, 1, ""}, true, "Windows 7 (64 bits)"},
        {TOsVersion{2, 6, 2, ""}, true, "Windows 8 (64 bits)"},
        {TOsVersion{2, 6, 3, ""}, false, "Desconocido NT (v6.3)"},
        {TOsVersion{2, 6, 3, ""}, true, "Desconocido NT (v6.3) (64 bits)"},
        {TOsVersion{2, 10, 0, ""}, false, "Desconocido NT (v10.0)"},
        {TOsVersion{2, 5, 3, ""}, false, "Desconocido NT (v5.3)"},
        {TOsVersion{0, 3, 10, ""}, false, "Desconocido"},
        {TOsVersion{3, 5, 1, ""}, true, "Desconocido (64 bits)"},
        {std::nullopt, false, "Desconocido"},
        {std::nullopt, true, "Desconocido (64 bits)"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(DescribeOs(c.os, c.wow64), c.expected)
            << (c.os ? std::to_string(c.os->PlatformId) + ":" + std::to_string(c.os->Major) +
                           "." + std::to_string(c.os->Minor)
                     : "failed query");
    }
}
