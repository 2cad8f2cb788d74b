// The image check decides whether stored bytes may take a working library's place, from the
// first bytes of the file and its size, as the download hands them over; the certificate
// table's look-up reads the same head. Neither may read outside it, for either machine.
#include "actions/LibraryImage.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const std::string_view head = file.substr(0, LIBRARY_IMAGE_HEAD);
    for (const TLibraryMachine machine : {TLibraryMachine::I386, TLibraryMachine::Amd64}) {
        CheckLibraryImage(head, size, machine);
        HasSignatureDirectory(head, machine);
    }
    return 0;
}
