// Reads what the rule of who besides administrators may change what Kestrova loads needs: each
// object on a path through a handle of its own, up to the volume's root, never through a link.
#pragma once

#include <windows.h>

#include <string>

// TPlatform::OthersCanWrite.
bool OthersCanWritePath(const std::string& path);

// THeldFile::OthersMayChange: the same rule for the file held open as `held` by the name
// `path`, its own object read through that handle.
bool OthersMayChangeHeld(HANDLE held, const std::string& path);
