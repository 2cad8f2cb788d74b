// What the publisher-signature check adds to a download: the check the action makes (read
// the file, SHA-256 over name and bytes, RSA verify through the CryptoAPI), timed alone.
//   signature_bench.exe <key.blob> <file> <NAME> <file.sig> <rounds>
#include "actions/OriginChecks.h"
#include "platform/WinPlatform.h"

#include "bench/BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: signature_bench <key.blob> <file> <NAME> <file.sig> <rounds>\n");
        return 2;
    }
    const std::string key = ReadAll(argv[1]), signature = ReadAll(argv[4]);
    const int rounds = std::max(1, std::atoi(argv[5]));
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const double start = SecondsNow();
        const auto held = WindowsPlatform().HoldFile(argv[2]);
        const bool good = held && HasPublisherSignature(*held, key, argv[3], signature);
        times.push_back(SecondsNow() - start);
        if (!good) {
            std::fprintf(stderr, "the signature of %s does not verify\n", argv[2]);
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("publisher signature check of %-12s median %.4f s over %d rounds\n", argv[3],
                times[times.size() / 2], rounds);
    return 0;
}
