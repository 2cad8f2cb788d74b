// Messages whose lParam points at memory, sent to another process: Wine 8 hands the bare
// address across for WM_DPICHANGED's RECT and BCM_GETIDEALSIZE's SIZE, so what it points at
// must already lie in the receiving process.
#pragma once

#include <windows.h>

#include <cstddef>

namespace gui {

// Sends `message` to `window` with lParam pointing at a copy of the `size` bytes at `data`
// placed in the window's process, and copies those bytes back into `data` afterwards.
// Throws std::runtime_error when the memory cannot be placed or read.
LRESULT SendPointingAt(HWND window, UINT message, WPARAM wParam, void* data, std::size_t size);

template <typename T> LRESULT SendPointingAt(HWND window, UINT message, WPARAM wParam, T& value) {
    return SendPointingAt(window, message, wParam, &value, sizeof value);
}

} // namespace gui
