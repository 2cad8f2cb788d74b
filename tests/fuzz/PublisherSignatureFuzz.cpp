// NAME.sig and the library as a folder (or a server) hands them over, through every check
// between their arrival and the rename: the .sig's bound, the signed prefix of the name, the
// image check, the version read from the library's bytes and the rollback rule. The
// cryptographic check needs CryptoAPI, so the held file here is the in-memory one, whose
// signature verifies when it is exactly the publisher key's stand-in signature over the
// signed prefix and the library's bytes. Input: the .sig's length in two bytes
// (little-endian), the .sig, then the library.
#include "actions/DownloadAction.h"
#include "actions/LibraryImage.h"
#include "actions/LibrarySource.h"
#include "actions/OriginChecks.h"
#include "inventory/Version.h"
#include "platform/VersionResource.h"

#include "FakePlatform.h"
#include "tests/support/QuietDownloadUi.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const std::string Folder = "\\\\servidor\\recurso\\librerias";
const std::string Key = "publisher key";
const std::string Target = "C:\\WINDOWS\\system32\\MSINET.OCX"; // required 6.1.98.16
const std::string OldBytes = "old copy";

struct TSayNothing : TQuietDownloadUi {
    bool Confirm(const std::string&) override { return true; }
    void ShowMessage(const std::string&) override {}
};

// Whether every check would accept `library` with `signature`, decided apart from the action.
bool Acceptable(const std::string& library, const std::string& signature) {
    return signature.size() <= SIGNATURE_FILE_LIMIT &&
           signature == TFakePlatform::FakeSign(Key, SignedPrefix("MSINET.OCX"), library) &&
           CheckLibraryImage(std::string_view(library).substr(0, LIBRARY_IMAGE_HEAD),
                             library.size()) == TImageVerdict::Library &&
           VersionAtLeast(ReadFixedVersion(library).value_or(TVersionParts{}),
                          TVersionParts{6, 1, 98, 16});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::size_t length = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
    const std::string signature(bytes + 2, length), library(bytes + 2 + length, size - 2 - length);

    TFakePlatform p;
    p.AddFile(Target, TVersionParts{1, 0, 0, 0});
    p.Contents[TFakePlatform::Upper(Target)] = OldBytes;
    // The version as the held file reads it, from the bytes.
    p.AddFile(Folder + "\\MSINET.OCX", ReadFixedVersion(library));
    p.Contents[TFakePlatform::Upper(Folder + "\\MSINET.OCX")] = library;
    p.AddFile(Folder + "\\MSINET.OCX.sig", std::nullopt);
    p.Contents[TFakePlatform::Upper(Folder + "\\MSINET.OCX.sig")] = signature;
    ResetLibraries();
    TLibraryEntry* entry = nullptr;
    for (TLibraryEntry& e : Libraries)
        if (e.Name == "MSINET.OCX") entry = &e;
    TSayNothing ui;
    TLibraryFolder source(p, Folder);

    const bool placed = RunDownload(p, ui, *entry, false, source, Key);

    // Placed is exactly what every check accepts, byte for byte, and nothing is left behind.
    const std::string& now = p.Contents[TFakePlatform::Upper(Target)];
    if (placed != Acceptable(library, signature)) __builtin_trap();
    if (now != (placed ? library : OldBytes)) __builtin_trap();
    for (const auto& [file, version] : p.Files)
        if (file.find(".PART") != std::string::npos) __builtin_trap();
    if (p.Held != 0) __builtin_trap();
    return 0;
}
