// The main window, TfGeneral: its controls, popup menu, keyboard rules and event handlers,
// and the services every action uses (RefreshList, PumpMessages, the message boxes).
#pragma once

#include "actions/SelfRegistration.h"
#include "platform/Handles.h"
#include "ui/TypeAhead.h"

#include <windows.h>

#include <cstdint>
#include <string>

class TfGeneral final : public TRegistrationHost {
public:
    TfGeneral() = default;
    TfGeneral(const TfGeneral&) = delete;
    TfGeneral& operator=(const TfGeneral&) = delete;
    ~TfGeneral() override;

    // Registers the window class, creates the window with its controls (hidden) and runs
    // FormCreate; the window is shown by Show once the first scan is done.
    bool Create(HINSTANCE instance);
    void Show();

    HWND Handle() const { return FHandle; }
    HWND Control(int id) const;

    // Empties the list, scans the catalogue into it and describes the running Windows.
    // Leaves the path and version fields and the buttons as they were.
    void RefreshList() override;
    // The check mark of the "download into the current directory" item.
    bool ForceHere() const;
    // Sets a label's caption and sizes the label to its text.
    void SetLabelCaption(int id, const std::string& text);
    // The keyboard rules of the window (Enter, Escape, Tab, Alt+letter) for a message
    // about to be dispatched; true when the message was handled and must not be.
    bool PreTranslate(const MSG& message);

    // Event handlers.
    void FormCreate();
    void lLibreriasClick();
    void btnExtraClick();
    void mnuRefreshClick();
    void Descargarlibreraeneldirectorioactual1Click();
    void Label3Click();
    void cmdRegistrarClick();
    void cmdReRegistrarClick();
    void Registrartodaslaslibreras1Click();
    void Exploraryregistrarotralibrera1Click();
    // The download's handlers and hooks (RegLibDownload.cpp).
    void cmdDescargarClick();
    void cmdDetenerClick();
    // Called by FormCreate between the caption and the first RefreshList.
    void CreateBindCallback();
    // Asked when the user closes the window; false keeps it open.
    bool FormCloseQuery();

    // TRegistrationHost
    bool CallServerEntry(const std::string& path, int index) override;
    bool FileExists(const std::string& path) override;
    void PumpMessages() override;
    void ShowMessage(const std::string& text) override;
    std::string PathFieldText() override;
    std::optional<std::size_t> SelectedLine() override;
    std::optional<std::string> BrowseForLibrary() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void OnCommand(int id, int code);
    void DrawListLine(const DRAWITEMSTRUCT& item);
    void DrawCredits(const DRAWITEMSTRUCT& item);
    LRESULT ColourStatic(HDC dc, HWND control);
    void ListChar(char typed);
    HFONT FontFor(int height, bool bold);
    bool Usable(int id) const;
    std::string ControlText(int id) const;

    HWND FHandle = nullptr;
    HWND FLastFocus = nullptr;
    WNDPROC FListDefault = nullptr;
    TMenu FPopup;
    TGdiObject FFonts[2][40];
    // tVersion's background: the window colour until the first selection, then lime or red.
    bool FVersionColoured = false;
    uint32_t FVersionColour = 0;
    TGdiObject FVersionBrush;
    TGdiObject FBlackBrush;
    TTypeAhead FTypeAhead;
};

// The one main window of the run.
extern TfGeneral* fGeneral;

// Handles every message already waiting for this program and returns as soon as none is
// left, without waiting for new ones.
void PumpMessages();
// The message loop until the window is closed; returns the program's exit code.
int RunMessageLoop();
// " v" + the four numbers of this executable's file version, or "" when it has none.
std::string GetProgramVersionSuffix();
