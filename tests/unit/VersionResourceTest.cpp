// The version read from a held library's bytes: a table of images, each one fault away from
// a good library with a version resource, and never a read outside the bytes.
#include "platform/VersionResource.h"

#include "MinimalImage.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr uint32_t RSRC_RVA = 0x2000, RSRC_RAW = 0x400, INFO = 0x58;
constexpr uint32_t SECTION2 = SECTIONS_AT + 40;
constexpr uint32_t DIRECTORY = 0x80000000;
// Offsets in the tree of a second language directory (its data entry at SECOND + 0x18, its
// block at SECOND + 0x28) and of a directory of two entries.
constexpr uint32_t SECOND = 0x100, PAIR = 0x188;

// VS_VERSIONINFO at `at` in the tree: wLength, wValueLength, the fixed block's signature
// and the version `ms`.`ls`.
void PutInfo(std::string& b, uint32_t at, uint32_t ms, uint32_t ls) {
    Put16(b, RSRC_RAW + at, 92);
    Put16(b, RSRC_RAW + at + 2, 52);
    Put32(b, RSRC_RAW + at + 40, 0xFEEF04BD);
    Put32(b, RSRC_RAW + at + 48, ms);
    Put32(b, RSRC_RAW + at + 52, ls);
}

// GoodImage with its second section at RSRC_RVA holding a version resource of 1.2.3.4:
// type 16, name 1, language 0x409, then VS_VERSIONINFO with its fixed block.
std::string VersionedImage(uint32_t directoriesAt = OPTIONAL_AT + 92) {
    std::string b = GoodImage();
    Put32(b, SECTION2 + 8, 0x200);     // VirtualSize
    Put32(b, SECTION2 + 12, RSRC_RVA); // VirtualAddress
    Put32(b, directoriesAt, 16);       // NumberOfRvaAndSizes
    Put32(b, directoriesAt + 4 + 2 * 8, RSRC_RVA);
    Put32(b, directoriesAt + 4 + 2 * 8 + 4, INFO + 92);
    const auto directory = [&](uint32_t at, uint32_t id, uint32_t target) {
        Put16(b, RSRC_RAW + at + 14, 1); // one entry by id
        Put32(b, RSRC_RAW + at + 16, id);
        Put32(b, RSRC_RAW + at + 20, target);
    };
    directory(0x00, 16, DIRECTORY | 0x18);
    directory(0x18, 1, DIRECTORY | 0x30);
    directory(0x30, 0x409, 0x48);
    Put32(b, RSRC_RAW + 0x48, RSRC_RVA + INFO); // the data entry
    Put32(b, RSRC_RAW + 0x4C, 92);
    PutInfo(b, INFO, 0x00010002, 0x00030004);
    return b;
}

// A second resource in the tree, 5.6.7.8 in language 0x40A, reached through the language
// directory at SECOND; the tree grows to hold it.
void AddSecondVersion(std::string& b) {
    Put32(b, OPTIONAL_AT + 96 + 20, 0x200);
    Put16(b, RSRC_RAW + SECOND + 14, 1);
    Put32(b, RSRC_RAW + SECOND + 16, 0x40A);
    Put32(b, RSRC_RAW + SECOND + 20, SECOND + 0x18);
    Put32(b, RSRC_RAW + SECOND + 0x18, RSRC_RVA + SECOND + 0x28);
    Put32(b, RSRC_RAW + SECOND + 0x1C, 92);
    PutInfo(b, SECOND + 0x28, 0x00050006, 0x00070008);
}

// The directory at PAIR with two entries by id, in this order, put where the entry at
// `from` pointed.
void PutPair(std::string& b, uint32_t from, uint32_t id1, uint32_t to1, uint32_t id2,
             uint32_t to2) {
    AddSecondVersion(b);
    Put16(b, RSRC_RAW + PAIR + 14, 2);
    Put32(b, RSRC_RAW + PAIR + 16, id1);
    Put32(b, RSRC_RAW + PAIR + 20, to1);
    Put32(b, RSRC_RAW + PAIR + 24, id2);
    Put32(b, RSRC_RAW + PAIR + 28, to2);
    Put32(b, RSRC_RAW + from + 20, DIRECTORY | PAIR);
}

std::string Text(const std::optional<TVersionParts>& v) {
    if (!v) return "none";
    return std::to_string(v->Major) + "." + std::to_string(v->Minor) + "." +
           std::to_string(v->Release) + "." + std::to_string(v->Build);
}

} // namespace

TEST(VersionResource, ReadsTheFixedBlockOrNothing) {
    const struct {
        const char* what;
        std::function<void(std::string&)> fault;
        const char* version;
    } cases[] = {
        {"good", [](std::string&) {}, "1.2.3.4"},
        {"another name than 1 is taken when it is the only one",
         [](std::string& b) { Put32(b, RSRC_RAW + 0x18 + 16, 7); }, "1.2.3.4"},
        {"two names, neither 1: the first is taken",
         [](std::string& b) { PutPair(b, 0x00, 7, DIRECTORY | 0x30, 8, DIRECTORY | SECOND); },
         "1.2.3.4"},
        {"two names: the one named 1 is taken",
         [](std::string& b) { PutPair(b, 0x00, 7, DIRECTORY | SECOND, 1, DIRECTORY | 0x30); },
         "1.2.3.4"},
        {"two languages: the first is taken",
         [](std::string& b) { PutPair(b, 0x18, 0x409, 0x48, 0x40A, SECOND + 0x18); }, "1.2.3.4"},
        {"the block ends where its section's data and the file end",
         [](std::string& b) {
             Put32(b, SECTION2 + 8, INFO + 92);
             Put32(b, SECTION2 + 16, INFO + 92);
             b.resize(RSRC_RAW + INFO + 92);
         },
         "1.2.3.4"},
        {"no version type", [](std::string& b) { Put32(b, RSRC_RAW + 16, 3); }, "none"},
        {"a type named by a string", [](std::string& b) { Put32(b, RSRC_RAW + 16, 0x80000010); },
         "none"},
        {"a type entry that is data, not a directory",
         [](std::string& b) { Put32(b, RSRC_RAW + 20, 0x18); }, "none"},
        {"a name entry that is data, not a directory",
         [](std::string& b) { Put32(b, RSRC_RAW + 0x18 + 20, 0x30); }, "none"},
        {"two directories only", [](std::string& b) { Put32(b, OPTIONAL_AT + 92, 2); }, "none"},
        {"directory in no section", [](std::string& b) { Put32(b, OPTIONAL_AT + 96 + 16, 0x9000); },
         "none"},
        {"directory larger than its section",
         [](std::string& b) { Put32(b, OPTIONAL_AT + 96 + 20, 0x10000); }, "none"},
        {"entry count past the directory", [](std::string& b) { Put16(b, RSRC_RAW + 14, 0xFFFF); },
         "none"},
        {"subdirectory offset past the tree",
         [](std::string& b) { Put32(b, RSRC_RAW + 20, 0x8FFFFFF0); }, "none"},
        {"language entry that is a directory",
         [](std::string& b) { Put32(b, RSRC_RAW + 0x30 + 20, DIRECTORY | 0x48); }, "none"},
        {"data past the file", [](std::string& b) { Put32(b, RSRC_RAW + 0x48, 0x21F0); }, "none"},
        {"data size that would wrap", [](std::string& b) { Put32(b, RSRC_RAW + 0x4C, 0xFFFFFFF0); },
         "none"},
        {"no fixed-block signature", [](std::string& b) { b[RSRC_RAW + INFO + 40] = 0; }, "none"},
        {"fixed block shorter than its size",
         [](std::string& b) { Put16(b, RSRC_RAW + INFO + 2, 51); }, "none"},
        {"file cut inside the resource", [](std::string& b) { b.resize(RSRC_RAW + INFO + 50); },
         "none"},
        {"file ending inside the optional header, SizeOfOptionalHeader 0",
         [](std::string& b) {
             Put16(b, PE_AT + 20, 0);
             b.resize(OPTIONAL_AT + 1);
         },
         "none"},
        {"absurd section count", [](std::string& b) { Put16(b, PE_AT + 6, 0xFFFF); }, "none"},
        {"not an image", [](std::string& b) { b = "<html>404</html>"; }, "none"},
    };
    for (const auto& c : cases) {
        std::string bytes = VersionedImage();
        c.fault(bytes);
        EXPECT_EQ(Text(ReadFixedVersion(TExactBytes(bytes))), c.version) << c.what;
    }
    // PE32+ keeps its directories 16 bytes further on.
    std::string amd64 = VersionedImage(OPTIONAL_AT + 108);
    Put16(amd64, OPTIONAL_AT, 0x020B);
    EXPECT_EQ(Text(ReadFixedVersion(TExactBytes(amd64))), "1.2.3.4");
    // Every prefix that cuts the headers or the resource is judged from its own bytes only.
    const std::string good = VersionedImage();
    for (std::size_t n = 0; n < RSRC_RAW + INFO + 92; ++n)
        EXPECT_EQ(ReadFixedVersion(TExactBytes(std::string_view(good).substr(0, n))), std::nullopt)
            << n;
}
