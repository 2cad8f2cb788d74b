// The main window, TfGeneral: what the program entry, the message loop and the window's
// action adapters see of it. Its parts live in files by job: WindowCreation.cpp (class,
// controls, FormCreate), WindowProcedure.cpp (messages and their dispatch), Drawing.cpp
// (owner-drawn lines and colours), CreditsLine.cpp, Keyboard.cpp (Enter, Tab, access keys,
// type-ahead), PopupMenu.cpp (pm1), LibraryList.cpp (refresh and selection), and the
// handlers of each action (RegistrationHandlers.cpp, DownloadHandlers.cpp).
#pragma once

#include "actions/Repair.h"
#include "platform/Handles.h"
#include "ui/TypeAhead.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TDownloadWindow;
struct TControlRow;

class TfGeneral final {
public:
    TfGeneral() = default;
    TfGeneral(const TfGeneral&) = delete;
    TfGeneral& operator=(const TfGeneral&) = delete;
    ~TfGeneral();

    // Registers the window classes, creates the window with its controls (hidden) and
    // runs FormCreate; the window is shown by Show once the first scan is done.
    bool Create(HINSTANCE instance);
    void Show();

    HWND Handle() const { return FHandle; }
    HWND Control(int id) const;

    // Empties the list, scans the catalogue into it and describes the running Windows.
    // Leaves the path and version fields and the buttons as they were.
    void RefreshList();
    // Sets a label's caption and sizes the label to its text.
    void SetLabelCaption(int id, const std::string& text);
    // The keyboard rules of the window (Enter, Escape, Tab, Alt+letter) for a message
    // about to be dispatched; true when the message was handled and must not be.
    bool PreTranslate(const MSG& message);
    // Runs the repair from `source` on the shown window (RepairWindow.cpp), each step handed
    // to `log`; its actions' boxes are not shown, one summary box closes it (none when the
    // window was closed). The controls stay disabled until then, and the stop button or
    // closing the window stops it.
    // `limitSeconds`: the most one library's registration may take (0: no limit).
    TRepairResult Repair(TLibrarySource& source, const std::function<void(const TRepairStep&)>& log,
                         uint32_t limitSeconds = 0);

    // While a library's registration runs in the helper (RegistrationWindow.cpp): the status
    // label says so, the command controls are disabled and "Detener" is shown; afterwards
    // each is as it was.
    void RegistrationStarted(const std::string& path);
    void RegistrationEnded();
    // "Detener" was pressed during the registration, or the window is to close after it.
    bool RegistrationStopRequested() const { return FStopRegistration || FCloseAfterRegistering; }
    // The catalogue line a command works on now, selected, with its path in the path field.
    void ShowWorkingLine(std::size_t index);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    void CreateControls();
    void BuildPopupMenu();

    // Scale: the layout table's figures are designed at 96 DPI and drawn at FDpi.
    int Scale(int value) const;
    // Where control `row` goes at FDpi; a label takes the size of `text` in `font`.
    RECT Placement(const TControlRow& row, HDC measure, HFONT font, const std::string& text) const;
    // The window moved to a monitor of `dpi`: new fonts, every control placed again, and the
    // window in the rectangle Windows suggests.
    void ChangeDpi(int dpi, const RECT& suggested);

    // Drawing and colours.
    // Tahoma of `height` pixels at 96 DPI, bold or not, at FDpi; made once per DPI.
    HFONT FontFor(int height, bool bold);
    void DrawListLine(const DRAWITEMSTRUCT& item);
    void DrawCredits(const DRAWITEMSTRUCT& item);
    LRESULT ColourStatic(HDC dc, HWND control);
    void SetVersionColour(uint32_t colour);

    // Keyboard.
    void ListChar(char typed);
    bool Usable(int id) const;

    std::string ControlText(int id) const;
    std::optional<std::size_t> SelectedLine() const;
    // The check mark of the "download into the current directory" item.
    bool ForceHere() const;

    // Event handlers.
    void FormCreate();
    bool FormCloseQuery();
    void lLibreriasClick();
    void btnExtraClick();
    void mnuRefreshClick();
    void Descargarlibreraeneldirectorioactual1Click();
    void Label3Click();
    void cmdRegistrarClick();
    void cmdReRegistrarClick();
    void Registrartodaslaslibreras1Click();
    void Exploraryregistrarotralibrera1Click();
    void cmdDescargarClick();
    void cmdDetenerClick();
    void Reparartodo1Click();
    void Reparardesdeunacarpeta1Click();
    // Runs a registration command; a close asked for meanwhile is carried out after it.
    template <typename TCommand> void RunRegistrationCommand(TCommand&& command);
    // The menu's repair from `source`; a close asked for meanwhile is carried out after it.
    void RepairFromMenu(TLibrarySource& source);

    HWND FHandle = nullptr;
    HWND FLastFocus = nullptr;
    WNDPROC FListDefault = nullptr;
    TMenu FPopup;
    int FDpi = 96;
    // By boldness and height at 96 DPI.
    using TFontTable = std::array<std::array<TGdiObject, 40>, 2>;
    std::unique_ptr<TFontTable> FFonts = std::make_unique<TFontTable>();
    // tVersion's background: the window colour until the first selection, then lime or red.
    bool FVersionColoured = false;
    uint32_t FVersionColour = 0;
    TGdiObject FVersionBrush;
    TGdiObject FBlackBrush;
    TTypeAhead FTypeAhead;
    // The download action while it runs (its questions, display, stop and close requests).
    TDownloadWindow* FDownload = nullptr;
    // The window was closed during the latest repair.
    bool FClosedDuringRepair = false;
    // "Registrar todas" runs; a close waits for it to end.
    bool FRegisteringAll = false;
    // A registration command runs; a close stops its call and closes after it.
    bool FRegistering = false;
    bool FCloseAfterRegistering = false;
    // "Detener" was pressed during a library's registration.
    bool FStopRegistration = false;
    // What RegistrationStarted changed, to be put back by RegistrationEnded.
    struct TBeforeRegistration {
        bool Enabled[5] = {};
        bool LabelShown = false, StopShown = false;
        std::string Caption;
    } FBeforeRegistration;
};

// The one main window of the run.
extern TfGeneral* fGeneral;
