// The main window's seams for the download: the download and stop buttons, the progress
// callback created with the window, and what closing the window does. The download action
// fills these in; until then the buttons do nothing and the window closes at once.
#include "ui/RegLib.h"

void TfGeneral::cmdDescargarClick() {}

void TfGeneral::cmdDetenerClick() {}

void TfGeneral::CreateBindCallback() {}

bool TfGeneral::FormCloseQuery() {
    return true;
}
