// The version resource is read from a library's bytes before anything vouches for them, in
// the elevated process too: whatever those bytes are, the reader stays inside them.
#include "platform/VersionResource.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    ReadFixedVersion(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
