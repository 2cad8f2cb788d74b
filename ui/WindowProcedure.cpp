// The main window's messages: the window procedure and the list's, each entering its
// handlers through the one boundary, and the dispatch of commands to the event handlers.
#include "ui/RegLib.h"

#include "ui/ControlIds.h"
#include "ui/Dpi.h"
#include "ui/Layout.h"
#include "ui/MessageBoxes.h"
#include "ui/MessageLoop.h"

LRESULT CALLBACK TfGeneral::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<TfGeneral*>(create->lpCreateParams);
        self->FHandle = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TfGeneral*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    RunHandler([&] { result = self->HandleMessage(message, wParam, lParam); });
    return result;
}

LRESULT CALLBACK TfGeneral::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TfGeneral*>(GetWindowLongPtrA(list, GWLP_USERDATA));
    if (message == WM_CHAR) {
        RunHandler([&] { self->ListChar(static_cast<char>(wParam)); });
        return 0;
    }
    return CallWindowProcA(self->FListDefault, list, message, wParam, lParam);
}

LRESULT TfGeneral::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlID != IDC_LLIBRERIAS) break;
        measure->itemHeight = static_cast<UINT>(Scale(LIST_LINE_HEIGHT));
        return TRUE;
    }
    case MESSAGE_DPI_CHANGED:
        if (lParam) ChangeDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_LLIBRERIAS) {
            DrawListLine(*item);
            return TRUE;
        }
        if (item->CtlID == IDC_LABEL3) {
            DrawCredits(*item);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
        return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
        // The credits line is a link.
        if (reinterpret_cast<HWND>(wParam) == Control(IDC_LABEL3)) {
            SetCursor(LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // Like a dialog: remember the focused control when deactivated, give it back when
        // activated again; the first activation focuses the list.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(FHandle, focus)) FLastFocus = focus;
        } else {
            HWND target = FLastFocus && IsWindow(FLastFocus) ? FLastFocus : Control(IDC_LLIBRERIAS);
            SetFocus(target);
        }
        return 0;
    case WM_CLOSE:
        if (FormCloseQuery()) DestroyWindow(FHandle);
        return 0;
    case WM_DESTROY:
        SetMessageBoxOwner(nullptr);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(FHandle, message, wParam, lParam);
}

void TfGeneral::OnCommand(int id, int code) {
    switch (id) {
    case IDC_LLIBRERIAS:
        if (code == LBN_SELCHANGE) lLibreriasClick();
        return;
    case IDC_LABEL3:
        if (code == STN_CLICKED) Label3Click();
        return;
    case IDC_BTNEXTRA:
        btnExtraClick();
        return;
    case IDC_CMDDESCARGAR:
        cmdDescargarClick();
        return;
    case IDC_CMDDETENER:
        cmdDetenerClick();
        return;
    case IDC_CMDREGISTRAR:
        cmdRegistrarClick();
        return;
    case IDC_CMDREREGISTRAR:
        cmdReRegistrarClick();
        return;
    case IDM_MNUREFRESH:
        mnuRefreshClick();
        return;
    case IDM_REGISTRARTODAS:
        Registrartodaslaslibreras1Click();
        return;
    case IDM_DESCARGARAQUI:
        Descargarlibreraeneldirectorioactual1Click();
        return;
    case IDM_EXPLORARYREGISTRAR:
        Exploraryregistrarotralibrera1Click();
        return;
    case IDM_REPARARTODO:
        Reparartodo1Click();
        return;
    case IDM_REPARARCARPETA:
        Reparardesdeunacarpeta1Click();
        return;
    default:
        return;
    }
}
