// The credits line at the foot of the window: drawn lime on black, bold and centred by the
// window itself, and a link that opens the maker's web site, never with an elevated run's
// rights.
#include "ui/RegLib.h"

#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/Credits.h"
#include "ui/Layout.h"
#include "ui/MessageBoxes.h"
#include "ui/ShellCalls.h"

#include <vector>

void TfGeneral::DrawCredits(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, static_cast<HBRUSH>(FBlackBrush.get()));
    SetTextColor(item.hDC, RGB(0, 255, 0));
    SetBkMode(item.hDC, TRANSPARENT);
    const TControlRow* row = FindControlRow(IDC_LABEL3);
    TSelection font(item.hDC, FontFor(row->FontHeight, row->Bold));
    const std::string text = ControlText(IDC_LABEL3);
    DrawTextA(item.hDC, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TfGeneral::Label3Click() {
    const bool elevated = WindowsPlatform().Elevated();
    bool desktopShellFailed = false;
    for (;;) {
        switch (SiteOpening(elevated, desktopShellFailed)) {
        case TSiteOpening::ShellOpen:
            ShellOpen(FHandle, CREDITS_SITE);
            return;
        case TSiteOpening::DesktopShell:
            if (OpenAsDesktopUser(CREDITS_SITE)) return;
            desktopShellFailed = true;
            break;
        case TSiteOpening::AddressBox:
            ShowPlainMessage(std::string(CREDITS_ADDRESS_TEXT) + CREDITS_SITE);
            return;
        }
    }
}
