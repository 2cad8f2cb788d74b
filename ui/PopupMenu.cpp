// pm1, the popup menu that only "[...]" opens: refresh, register all, the force-here check
// mark (read by the selection and the download), browsing for another library, and the
// repair of every line from the library server or from a folder.
#include "ui/RegLib.h"

#include "actions/DownloadFile.h"
#include "ui/ControlIds.h"
#include "ui/Layout.h"
#include "ui/MessageLoop.h"

void TfGeneral::BuildPopupMenu() {
    FPopup.reset(::CreatePopupMenu());
    AppendMenuA(FPopup.get(), MF_STRING, IDM_MNUREFRESH, "Actualizar listado...");
    AppendMenuA(FPopup.get(), MF_STRING, IDM_REGISTRARTODAS, "Registrar todas las librerías...");
    AppendMenuA(FPopup.get(), MF_STRING, IDM_DESCARGARAQUI,
                "Forzar &descargar las librerías en el directorio actual.");
    AppendMenuA(FPopup.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(FPopup.get(), MF_STRING, IDM_EXPLORARYREGISTRAR,
                "&Examinar y registrar otra librería...");
    AppendMenuA(FPopup.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(FPopup.get(), MF_STRING, IDM_REPARARTODO, "Reparar &todo...");
    // Only the publisher's signature vouches for a folder's files.
    AppendMenuA(FPopup.get(), MF_STRING | (PublisherKey().empty() ? MF_GRAYED : 0),
                IDM_REPARARCARPETA, "Reparar desde una &carpeta...");
}

bool TfGeneral::ForceHere() const {
    return (GetMenuState(FPopup.get(), IDM_DESCARGARAQUI, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TfGeneral::btnExtraClick() {
    const TControlRow* button = FindControlRow(IDC_BTNEXTRA);
    POINT at = {Scale(button->Left) + Scale(15), Scale(button->Top) + Scale(15)};
    ClientToScreen(FHandle, &at);
    TrackPopupMenu(FPopup.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, FHandle, nullptr);
}

void TfGeneral::mnuRefreshClick() {
    RefreshList();
    PumpMessages();
}

void TfGeneral::Descargarlibreraeneldirectorioactual1Click() {
    CheckMenuItem(FPopup.get(), IDM_DESCARGARAQUI,
                  MF_BYCOMMAND | (ForceHere() ? MF_UNCHECKED : MF_CHECKED));
}
