// The program entry: creates the main window, which scans on creation, shows it and runs
// the message loop until the window is closed. The command line is not read.
#include "ui/MessageLoop.h"
#include "ui/RegLib.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    TfGeneral form;
    if (!form.Create(instance)) return 1;
    form.Show();
    return RunMessageLoop();
}
