// The registration commands' handlers: each hands what the window shows (the path field,
// the selected line) to its action, with the window's registration interface.
#include "ui/RegLib.h"

#include "inventory/Catalogue.h"
#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/RegistrationWindow.h"

void TfGeneral::cmdRegistrarClick() {
    TRegistrationWindow ui(*this);
    RegisterLibrary(WindowsPlatform(), ui, ControlText(IDC_TPATH));
}

void TfGeneral::cmdReRegistrarClick() {
    TRegistrationWindow ui(*this);
    ReRegisterSelected(WindowsPlatform(), ui, Libraries, SelectedLine());
}

void TfGeneral::Registrartodaslaslibreras1Click() {
    TRegistrationWindow ui(*this);
    RegisterAllLibraries(WindowsPlatform(), ui, Libraries);
}

void TfGeneral::Exploraryregistrarotralibrera1Click() {
    TRegistrationWindow ui(*this);
    BrowseAndRegister(WindowsPlatform(), ui);
}
