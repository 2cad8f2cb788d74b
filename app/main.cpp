// The program entry: reads the switches before any window exists, keeps to one running
// Kestrova per machine, settles a replacement a power cut interrupted, and either does the
// unattended work or creates the main window, which scans on creation, and runs the message
// loop until it is closed. Started by itself as a registration helper, it does only that.
#include "actions/KeptCopy.h"
#include "app/CommandLine.h"
#include "app/ParentOutput.h"
#include "app/RepairCommand.h"
#include "app/SingleInstance.h"
#include "app/Unattended.h"
#include "platform/RegistrationHelper.h"
#include "platform/SystemLibraries.h"
#include "platform/WinPlatform.h"
#include "ui/MessageLoop.h"
#include "ui/RegLib.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearch();
    const std::vector<std::string> args = ProgramArguments();
    // Kestrova started by itself to run libraries' registration entries: nothing else.
    if (IsHelperRequest(args)) return RunRegistrationHelper(args);
    const TCommandLine request = ParseCommandLine(args);
    if (request.Mode == TRunMode::Help) return ShowUsage(EXIT_ALL_OK);
    if (request.Mode == TRunMode::BadUse) return ShowUsage(EXIT_BAD_USE);
    const TSingleInstance instanceLock;
    if (!instanceLock.First()) return instanceLock.ReportWhyNot(request);
    if (request.Mode == TRunMode::Status) return RunStatus(request);
    // A replacement a power cut interrupted is settled before anything is scanned; the status
    // report only looks, and changes nothing.
    RecoverKeptCopies(WindowsPlatform());
    if (request.Mode == TRunMode::Repair) return RunRepairCommand(request, instance);

    // The manifest's Common Controls 6: buttons, edit fields, list, labels and progress bar
    // in the running Windows' visual style.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    TfGeneral form;
    if (!form.Create(instance)) return 1;
    form.Show();
    return RunMessageLoop();
}
