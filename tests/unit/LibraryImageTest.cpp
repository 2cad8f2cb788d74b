// The check that decides whether a stored download may replace a working copy: a table of
// images, each one fault away from a good 32-bit library, and the machine rule.
#include "actions/LibraryImage.h"

#include "MinimalImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

// The same library built for x64: AMD64 machine, PE32+ optional header (the size field and
// the sections stay where they are, the optional header keeps its size).
std::string GoodAmd64Image() {
    std::string b = GoodImage();
    Put16(b, PE_AT + 4, 0x8664);
    Put16(b, PE_AT + 22, 0x2022); // DLL | LARGE_ADDRESS_AWARE | EXECUTABLE_IMAGE
    Put16(b, OPTIONAL_AT, 0x020B);
    return b;
}

} // namespace

TEST(LibraryImage, AcceptsOnlyCompleteI386Libraries) {
    struct TCase {
        const char* what;
        std::function<void(std::string& bytes, uint64_t& size)> fault;
        TImageVerdict verdict;
    };
    const TCase cases[] = {
        {"good library", [](std::string&, uint64_t&) {}, TImageVerdict::Library},
        {"with data appended after the sections",
         [](std::string& b, uint64_t& s) { b += std::string(100, 'x'), s = b.size(); },
         TImageVerdict::Library},
        {"empty file", [](std::string& b, uint64_t& s) { b.clear(), s = 0; },
         TImageVerdict::NoMzHeader},
        {"web server's 404 page",
         [](std::string& b, uint64_t& s) {
             b = "<html><head><title>404 Not Found</title></head><body>Not Found</body></html>";
             s = b.size();
         },
         TImageVerdict::NoMzHeader},
        {"only MZ", [](std::string& b, uint64_t& s) { b = "MZ", s = 2; },
         TImageVerdict::NoMzHeader},
        {"header offset past the end", [](std::string& b, uint64_t&) { Put32(b, 0x3C, 0x5F0); },
         TImageVerdict::BadHeaderOffset},
        {"header offset that would wrap",
         [](std::string& b, uint64_t&) { Put32(b, 0x3C, 0xFFFFFFF8); },
         TImageVerdict::BadHeaderOffset},
        {"no PE signature", [](std::string& b, uint64_t&) { b[PE_AT + 2] = 'X'; },
         TImageVerdict::NoPeSignature},
        {"64-bit machine", [](std::string& b, uint64_t&) { Put16(b, PE_AT + 4, 0x8664); },
         TImageVerdict::OtherMachine},
        {"PE32+ optional header", [](std::string& b, uint64_t&) { Put16(b, OPTIONAL_AT, 0x020B); },
         TImageVerdict::NotPe32},
        {"no optional header", [](std::string& b, uint64_t&) { Put16(b, PE_AT + 20, 0); },
         TImageVerdict::NotPe32},
        {"optional header past the end",
         [](std::string& b, uint64_t&) { Put16(b, PE_AT + 20, 0xFFFF); }, TImageVerdict::Truncated},
        {"a program, not a library",
         [](std::string& b, uint64_t&) { Put16(b, PE_AT + 22, 0x0102); }, TImageVerdict::NotDll},
        {"not an executable image", [](std::string& b, uint64_t&) { Put16(b, PE_AT + 22, 0x2100); },
         TImageVerdict::NotDll},
        {"cut in half", [](std::string& b, uint64_t& s) { b.resize(0x300), s = 0x300; },
         TImageVerdict::Truncated},
        {"cut inside the headers", [](std::string& b, uint64_t& s) { b.resize(0x100), s = 0x100; },
         TImageVerdict::Truncated},
        {"head complete, file shorter", [](std::string&, uint64_t& s) { s = 0x5FF; },
         TImageVerdict::Truncated},
        {"no sections", [](std::string& b, uint64_t&) { Put16(b, PE_AT + 6, 0); },
         TImageVerdict::Truncated},
        {"absurd section count", [](std::string& b, uint64_t&) { Put16(b, PE_AT + 6, 0xFFFF); },
         TImageVerdict::Truncated},
        {"section data offset that would wrap",
         [](std::string& b, uint64_t&) { Put32(b, SECTIONS_AT + 20, 0xFFFFFFFF); },
         TImageVerdict::Truncated},
        {"headers larger than the file",
         [](std::string& b, uint64_t&) { Put32(b, OPTIONAL_AT + 60, 0x10000); },
         TImageVerdict::Truncated},
    };
    for (const TCase& c : cases) {
        std::string bytes = GoodImage();
        uint64_t size = bytes.size();
        c.fault(bytes, size);
        EXPECT_EQ(CheckLibraryImage(bytes, size), c.verdict) << c.what;
    }
}

TEST(LibraryImage, AcceptsOnlyTheRunningProgramsMachine) {
    // The program (i386) never takes a 64-bit library: native builds judge with its rule.
    const std::string amd64 = GoodAmd64Image(), i386 = GoodImage();
    std::string pe32Amd64 = GoodImage();
    Put16(pe32Amd64, PE_AT + 4, 0x8664);
    const struct {
        const char* what;
        const std::string& bytes;
        TLibraryMachine machine;
        TImageVerdict verdict;
    } cases[] = {
        {"x64 library, the program's rule", amd64, OWN_MACHINE, TImageVerdict::OtherMachine},
        {"x64 library, the 64-bit build's rule", amd64, TLibraryMachine::Amd64,
         TImageVerdict::Library},
        {"i386 library, the 64-bit build's rule", i386, TLibraryMachine::Amd64,
         TImageVerdict::OtherMachine},
        {"AMD64 machine with a PE32 header", pe32Amd64, TLibraryMachine::Amd64,
         TImageVerdict::NotPe32},
    };
    static_assert(OWN_MACHINE == TLibraryMachine::I386);
    for (const auto& c : cases)
        EXPECT_EQ(CheckLibraryImage(c.bytes, c.bytes.size(), c.machine), c.verdict) << c.what;
}

TEST(LibraryImage, NeverReadsPastTheBytesGiven) {
    // Every prefix of a good image is judged from its own bytes only; with the sanitizers
    // off this at least proves no prefix is mistaken for a complete library.
    const std::string good = GoodImage();
    for (std::size_t n = 0; n < good.size(); ++n) {
        const std::string prefix = good.substr(0, n);
        EXPECT_NE(CheckLibraryImage(prefix, prefix.size()), TImageVerdict::Library) << n;
    }
}

TEST(LibraryImage, SeesWhetherASignatureIsThereToCheck) {
    constexpr uint32_t COUNT_AT = OPTIONAL_AT + 92, SECURITY_AT = OPTIONAL_AT + 96 + 4 * 8;
    struct TCase {
        const char* what;
        std::function<void(std::string& bytes)> change;
        bool present;
    };
    const TCase cases[] = {
        {"no directories at all", [](std::string&) {}, false},
        {"sixteen directories, certificate table empty",
         [](std::string& b) { Put32(b, COUNT_AT, 16); }, false},
        {"certificate table at the end",
         [](std::string& b) {
             Put32(b, COUNT_AT, 16);
             Put32(b, SECURITY_AT, 0x600), Put32(b, SECURITY_AT + 4, 0x80);
         },
         true},
        {"only four directories: the certificate table's entry is not one",
         [](std::string& b) {
             Put32(b, COUNT_AT, 4);
             Put32(b, SECURITY_AT, 0x600), Put32(b, SECURITY_AT + 4, 0x80);
         },
         false},
        {"headers cut before the entry",
         [](std::string& b) {
             Put32(b, COUNT_AT, 16);
             Put32(b, SECURITY_AT, 0x600), Put32(b, SECURITY_AT + 4, 0x80);
             b.resize(SECURITY_AT + 4);
         },
         false},
        {"not an image", [](std::string& b) { b.assign("<html>404</html>"); }, false},
    };
    for (const TCase& c : cases) {
        std::string bytes = GoodImage();
        c.change(bytes);
        EXPECT_EQ(HasSignatureDirectory(bytes), c.present) << c.what;
    }
    // PE32+ keeps its directories 16 bytes further on.
    std::string amd64 = GoodAmd64Image();
    Put32(amd64, COUNT_AT + 16, 16);
    Put32(amd64, SECURITY_AT + 16, 0x600), Put32(amd64, SECURITY_AT + 20, 0x80);
    EXPECT_TRUE(HasSignatureDirectory(amd64, TLibraryMachine::Amd64));
    EXPECT_FALSE(HasSignatureDirectory(amd64, TLibraryMachine::I386));
}
