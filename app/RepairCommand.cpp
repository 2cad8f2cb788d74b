// The repair's two faces: without a window it has no display and stops on Ctrl+C or Ctrl+Break;
// on the window it shows its work and closes with one box. Both log the same steps.
#include "app/RepairCommand.h"

#include "actions/DownloadFile.h"
#include "actions/Repair.h"
#include "app/OutputFile.h"
#include "app/ParentOutput.h"
#include "app/TextEncoding.h"
#include "app/Unattended.h"
#include "platform/Handles.h"
#include "platform/OleScope.h"
#include "platform/WinPlatform.h"
#include "ui/RegLib.h"

#include <commctrl.h>

#include <atomic>

namespace {

// `value` in decimal, zero-padded to `width` (no printf: it would add its formatter's code
// to the program).
std::string Digits(unsigned value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(text.size() < width ? width - text.size() : 0, '0') + text;
}

// The log: opened for appending before anything is done; a new file starts with the UTF-8
// byte-order mark; flushed when the run ends.
class TRepairLog {
public:
    TRepairLog() = default;
    TRepairLog(const TRepairLog&) = delete;
    TRepairLog& operator=(const TRepairLog&) = delete;
    // The run's lines reach the disk when the run ends, before a fleet job reads them.
    ~TRepairLog() {
        if (FFile) FlushFileBuffers(FFile.get());
    }
    TOutputOpening Open(const std::string& path) {
        const TOutputOpening opened = OpenOutputFile(path, TOutputMode::Append, FFile);
        if (opened != TOutputOpening::Opened) return opened;
        return GetFileSize(FFile.get(), nullptr) != 0 || WriteAll(FFile.get(), "\xEF\xBB\xBF")
                   ? opened
                   : TOutputOpening::Failed;
    }
    // Time, library, step, outcome, reason: tab-separated, one line.
    void Write(const TRepairStep& step) {
        if (!FFile) return;
        SYSTEMTIME now;
        GetLocalTime(&now);
        const std::string stamp = Digits(now.wYear, 4) + '-' + Digits(now.wMonth, 2) + '-' +
                                  Digits(now.wDay, 2) + ' ' + Digits(now.wHour, 2) + ':' +
                                  Digits(now.wMinute, 2) + ':' + Digits(now.wSecond, 2);
        WriteAll(FFile.get(), Recode(stamp + '\t' + step.Library + '\t' + step.Step + '\t' +
                                         step.Outcome + '\t' + step.Reason + "\r\n",
                                     CP_UTF8));
    }

private:
    TFileHandle FFile;
};

std::atomic<bool> ConsoleStop{false};

BOOL WINAPI OnConsoleStop(DWORD) {
    ConsoleStop = true;
    return TRUE;
}

// The download's display when there is no window: nothing is shown; Ctrl+C or Ctrl+Break in
// the console that started the program stops the transfer as the stop button does, at its
// next progress notification. Each library's registration may take `limitSeconds`.
class TNoDisplay final : public TDownloadUi, public TProgressView {
public:
    explicit TNoDisplay(uint32_t limitSeconds) : FLimit(limitSeconds) {}
    void ShowMessage(const std::string&) override {}
    bool Confirm(const std::string&) override { return false; }
    void PumpMessages() override {}
    void RefreshList() override {}
    void DisableForAction() override {}
    void ShowTransferDisplay() override {}
    TProgressView* ProgressView() override { return this; }
    void SetPathField(const std::string&) override {}
    void HideTransferDisplay() override {}
    void EnableAfterAction() override {}
    bool CloseRequested() override { return ConsoleStop; }
    bool StopRequested() override { return ConsoleStop; }
    uint32_t RegistrationLimit() override { return FLimit; }

    void SetProgressBar(int, int) override {}
    void ShowDownloadingText(const std::string&) override {}
    void RepaintAndPump() override {}

private:
    uint32_t FLimit;
};

class TSilentHost final : public TRepairHost {
public:
    TSilentHost(TRepairLog& log, uint32_t limitSeconds) : FLog(log), FDisplay(limitSeconds) {}
    TDownloadUi& Display() override { return FDisplay; }
    void Log(const TRepairStep& step) override { FLog.Write(step); }

private:
    TRepairLog& FLog;
    TNoDisplay FDisplay;
};

int ExitCodeOf(TRepairResult result) {
    if (result == TRepairResult::AllOk) return EXIT_ALL_OK;
    return result == TRepairResult::Stopped ? EXIT_STOPPED : EXIT_STILL_NEEDS_ACTION;
}

} // namespace

int RunRepairCommand(const TCommandLine& request, HINSTANCE instance) {
    // Only the publisher's signature vouches for a folder's files.
    const std::string key = PublisherKey();
    if (!request.Origin.empty() && key.empty()) {
        TellWhyNothingWasDone(request, FOLDER_NEEDS_KEY);
        return EXIT_BAD_USE;
    }
    TLibraryServer server(WindowsPlatform(), LIBRARY_BASE_URL);
    TLibraryFolder folder(WindowsPlatform(), request.Origin);
    TLibrarySource& source = request.Origin.empty() ? static_cast<TLibrarySource&>(server)
                                                    : static_cast<TLibrarySource&>(folder);
    TRepairLog log;
    if (!request.Log.empty()) {
        const TOutputOpening opened = log.Open(request.Log);
        if (opened != TOutputOpening::Opened) return RefuseOutputFile(opened, request.Log, request);
    }
    if (request.Silent) {
        // A GUI program hears Ctrl+C only in a console it joined.
        AttachConsole(ATTACH_PARENT_PROCESS);
        SetConsoleCtrlHandler(OnConsoleStop, TRUE);
        TSilentHost host(log, request.WaitSeconds);
        // One apartment for the whole run, as the window's thread has one: each registration
        // and transfer then only counts one more use of it instead of making and tearing down
        // its own.
        TOleScope ole;
        return ExitCodeOf(RunRepair(WindowsPlatform(), host, source, key));
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    TfGeneral form;
    if (!form.Create(instance)) return EXIT_STILL_NEEDS_ACTION;
    form.Show();
    return ExitCodeOf(form.Repair(
        source, [&](const TRepairStep& step) { log.Write(step); }, request.WaitSeconds));
}
