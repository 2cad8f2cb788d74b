// Reads the owner and access list of a library, its folder and each folder above it, for the
// rule of who besides administrators may change what Kestrova loads.
#pragma once

#include <string>

// TPlatform::OthersCanWrite.
bool OthersCanWritePath(const std::string& path);
