// Run-time look-ups of ShellExecuteA, SHBrowseForFolderA and GetOpenFileNameA, typed from their
// prototypes, and the desktop shell's own ShellExecute reached through its COM objects.
#include "ui/ShellCalls.h"

#include "platform/LateBound.h"
#include "platform/OleScope.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

void ShellOpen(HWND owner, const char* target) {
    static auto* open = LateBound<decltype(ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    TOleScope ole; // the shell's open call may hand the address to a COM handler
    if (open) open(owner, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

// TOP_LEVEL_BROWSER, by value: the interface ids come from __uuidof, so none of the uuid
// library's tables (some 30 KB) join the program.
constexpr GUID TOP_LEVEL_BROWSER = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// One COM interface pointer, released at scope end.
template <typename TInterface> class TComRef {
public:
    TComRef() = default;
    ~TComRef() {
        if (FPointer != nullptr) FPointer->Release();
    }
    TComRef(const TComRef&) = delete;
    TComRef& operator=(const TComRef&) = delete;
    TInterface* operator->() const { return FPointer; }
    explicit operator bool() const { return FPointer != nullptr; }
    // Where a call stores the pointer it gives.
    void** Out() { return reinterpret_cast<void**>(&FPointer); }
    TInterface** Typed() { return &FPointer; }

private:
    TInterface* FPointer = nullptr;
};

// A BSTR, freed at scope end.
class TBstr {
public:
    explicit TBstr(const wchar_t* text) {
        static auto* allocate =
            LateBound<decltype(SysAllocString)>("oleaut32.dll", "SysAllocString");
        FText = allocate != nullptr ? allocate(text) : nullptr;
    }
    ~TBstr() {
        static auto* release = LateBound<decltype(SysFreeString)>("oleaut32.dll", "SysFreeString");
        if (FText != nullptr && release != nullptr) release(FText);
    }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;
    BSTR get() const { return FText; }

private:
    BSTR FText = nullptr;
};

} // namespace

bool OpenAsDesktopUser(const char* target) {
    static auto* create = LateBound<decltype(CoCreateInstance)>("ole32.dll", "CoCreateInstance");
    if (create == nullptr) return false;
    TOleScope ole;
    // The shell windows Explorer keeps, the desktop among them; then the desktop's folder view,
    // whose Application is the shell object of the process that shows the desktop.
    TComRef<IShellWindows> windows;
    if (FAILED(create(__uuidof(ShellWindows), nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                      windows.Out())))
        return false;
    VARIANT none = {};
    none.vt = VT_EMPTY;
    long window = 0;
    TComRef<IDispatch> desktop;
    if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              desktop.Typed()) != S_OK ||
        !desktop)
        return false;
    TComRef<IServiceProvider> services;
    TComRef<IShellBrowser> browser;
    TComRef<IShellView> view;
    TComRef<IDispatch> background;
    TComRef<IShellFolderViewDual> folderView;
    TComRef<IDispatch> application;
    TComRef<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(__uuidof(IServiceProvider), services.Out())) ||
        FAILED(services->QueryService(TOP_LEVEL_BROWSER, __uuidof(IShellBrowser), browser.Out())) ||
        FAILED(browser->QueryActiveShellView(view.Typed())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.Out())) ||
        FAILED(background->QueryInterface(__uuidof(IShellFolderViewDual), folderView.Out())) ||
        FAILED(folderView->get_Application(application.Typed())) || !application ||
        FAILED(application->QueryInterface(__uuidof(IShellDispatch2), shell.Out())))
        return false;
    const int length = MultiByteToWideChar(CP_ACP, 0, target, -1, nullptr, 0);
    if (length <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, target, -1, wide.data(), length);
    const TBstr file(wide.c_str());
    VARIANT show = {};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return file.get() != nullptr &&
           SUCCEEDED(shell->ShellExecute(file.get(), none, none, none, show));
}

bool ShowOpenFileDialog(OPENFILENAMEA* dialog) {
    static auto* choose = LateBound<decltype(GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    TOleScope ole; // the dialog hosts the shell's folder view
    return choose != nullptr && choose(dialog) != 0;
}

std::optional<std::string> BrowseForFolder(HWND owner, const char* title) {
    static auto* browse =
        LateBound<decltype(SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
    static auto* pathOf =
        LateBound<decltype(SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
    static auto* release = LateBound<decltype(CoTaskMemFree)>("ole32.dll", "CoTaskMemFree");
    if (browse == nullptr || pathOf == nullptr || release == nullptr) return std::nullopt;
    TOleScope ole; // the picker hosts the shell's folder tree
    char display[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST chosen = browse(&info);
    if (chosen == nullptr) return std::nullopt;
    char path[MAX_PATH] = {};
    const bool named = pathOf(chosen, path) != FALSE && path[0] != '\0';
    release(chosen);
    if (!named) return std::nullopt;
    return std::string(path);
}
