// One move-only owner per Win32 handle kind, so no raw handle outlives the function that
// opened it.
#pragma once

#include <windows.h>

#include <utility>

// TTraits: `using Handle`, `static Handle Invalid()`, `static void Close(Handle)`.
template <typename TTraits> class TOwned {
public:
    using Handle = typename TTraits::Handle;

    TOwned() = default;
    explicit TOwned(Handle h) : FHandle(h) {}
    TOwned(const TOwned&) = delete;
    TOwned& operator=(const TOwned&) = delete;
    TOwned(TOwned&& other) noexcept : FHandle(other.release()) {}
    TOwned& operator=(TOwned&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~TOwned() { reset(); }

    Handle get() const { return FHandle; }
    explicit operator bool() const { return FHandle != TTraits::Invalid(); }
    Handle release() { return std::exchange(FHandle, TTraits::Invalid()); }
    void reset(Handle h = TTraits::Invalid()) {
        if (FHandle != TTraits::Invalid()) TTraits::Close(FHandle);
        FHandle = h;
    }

private:
    Handle FHandle = TTraits::Invalid();
};

template <typename H, void (*CloseFn)(H)> struct TNullTraits {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseFn(h); }
};

namespace handles_detail {
inline void CloseKey(HKEY h) {
    RegCloseKey(h);
}
inline void UnloadModule(HMODULE h) {
    FreeLibrary(h);
}
inline void DeleteGdi(HGDIOBJ h) {
    DeleteObject(h);
}
inline void DestroyMenuHandle(HMENU h) {
    DestroyMenu(h);
}
inline void CloseKernelObject(HANDLE h) {
    CloseHandle(h);
}
} // namespace handles_detail

struct TFindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};
struct TFileTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

using TRegKey = TOwned<TNullTraits<HKEY, handles_detail::CloseKey>>;
using TModule = TOwned<TNullTraits<HMODULE, handles_detail::UnloadModule>>;
using TGdiObject = TOwned<TNullTraits<HGDIOBJ, handles_detail::DeleteGdi>>;
using TMenu = TOwned<TNullTraits<HMENU, handles_detail::DestroyMenuHandle>>;
using TFindHandle = TOwned<TFindTraits>;
using TFileHandle = TOwned<TFileTraits>;
// A kernel object whose functions give null, not INVALID_HANDLE_VALUE, for none: a token,
// a mutex.
using TKernelHandle = TOwned<TNullTraits<HANDLE, handles_detail::CloseKernelObject>>;

// A window's device context from GetDC, released to that window at scope end.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) : FWindow(window), FDC(GetDC(window)) {}
    ~TWindowDC() {
        if (FDC) ReleaseDC(FWindow, FDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
};

// BeginPaint and EndPaint of one WM_PAINT.
class TPaint {
public:
    explicit TPaint(HWND window) : FWindow(window), FDC(BeginPaint(window, &FPaint)) {}
    ~TPaint() { EndPaint(FWindow, &FPaint); }
    TPaint(const TPaint&) = delete;
    TPaint& operator=(const TPaint&) = delete;
    HDC get() const { return FDC; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint;
    HDC FDC;
};

// An object selected into a device context, the previous one selected back at scope end.
class TSelection {
public:
    TSelection(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
    ~TSelection() { SelectObject(FDC, FOld); }
    TSelection(const TSelection&) = delete;
    TSelection& operator=(const TSelection&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};
