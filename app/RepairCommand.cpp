// The repair's two faces: without a window it has no display and stops on Ctrl+C or Ctrl+Break;
// on the window it shows its work and closes with one box. Both log the same steps.
#include "app/RepairCommand.h"

#include "actions/DownloadFile.h"
#include "actions/Repair.h"
#include "app/OutputFile.h"
#include "app/TextEncoding.h"
#include "app/Unattended.h"
#include "platform/Handles.h"
#include "platform/WinPlatform.h"
#include "ui/MessageBoxes.h"
#include "ui/RegLib.h"

#include <commctrl.h>

#include <atomic>
#include <vector>

namespace {

// `value` in decimal, zero-padded to `width` (no printf: it would add its formatter's code
// to the program).
std::string Digits(unsigned value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(text.size() < width ? width - text.size() : 0, '0') + text;
}

// The log: opened for appending before anything is done; a new file starts with the UTF-8
// byte-order mark.
class TRepairLog {
public:
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
// the console that started the program stops the transfer as the stop button does.
class TNoDisplay final : public TDownloadUi, public TProgressView {
public:
    void ShowMessage(const std::string&) override {}
    bool Confirm(const std::string&) override { return false; }
    void PumpMessages() override {}
    void RefreshList() override {}
    void DisableForAction() override {}
    void ShowTransferDisplay() override {}
    bool Transfer(const std::string& url, const std::string& file) override {
        return Run(DownloadFile, url, file);
    }
    bool TransferSignature(const std::string& url, const std::string& file) override {
        return Run(DownloadSignatureFile, url, file);
    }
    bool ServerUnproven() override { return FServerUnproven; }
    void SetPathField(const std::string&) override {}
    void HideTransferDisplay() override {}
    void EnableAfterAction() override {}
    bool CloseRequested() override { return ConsoleStop; }

    void SetProgressBar(int, int) override {}
    void ShowDownloadingText(const std::string&) override {}
    // Each progress notification is where the transfer hears a stop.
    void RepaintAndPump() override {
        if (ConsoleStop && FTransfer) FTransfer->Cancel();
    }

private:
    bool Run(bool (*fetch)(TTransfer&, const std::string&, const std::string&),
             const std::string& url, const std::string& file) {
        FServerUnproven = false;
        if (ConsoleStop) return false;
        TTransfer transfer(this);
        FTransfer = &transfer;
        const bool stored = fetch(transfer, url, file);
        FTransfer = nullptr;
        FServerUnproven = transfer.ServerUnproven();
        return stored;
    }

    TTransfer* FTransfer = nullptr;
    bool FServerUnproven = false;
};

class TSilentHost final : public TRepairHost {
public:
    explicit TSilentHost(TRepairLog& log) : FLog(log) {}
    TDownloadUi& Display() override { return FDisplay; }
    void Log(const TRepairStep& step) override { FLog.Write(step); }

private:
    TRepairLog& FLog;
    TNoDisplay FDisplay;
};

// The one box that closes a repair on the window.
std::string Summary(TRepairResult result, const std::vector<TRepairStep>& steps) {
    if (result == TRepairResult::Stopped) return "Reparación detenida.";
    if (result == TRepairResult::AllOk)
        return "Reparación terminada: todas las librerías están en orden.";
    std::string text = "Reparación terminada. Siguen necesitando una acción:";
    for (const TRepairStep& left : steps) {
        if (left.Step != STEP_STATUS) continue;
        text += MESSAGE_BREAK + left.Library + ": " + left.Outcome;
        // The reason the library's last step gave, when one failed or was skipped.
        for (const TRepairStep& step : steps)
            if (step.Library == left.Library && step.Step != STEP_STATUS && !step.Reason.empty())
                text += std::string(" (") + step.Reason + ")";
    }
    return text;
}

int ExitCodeOf(TRepairResult result) {
    if (result == TRepairResult::AllOk) return EXIT_ALL_OK;
    return result == TRepairResult::Stopped ? EXIT_STOPPED : EXIT_STILL_NEEDS_ACTION;
}

} // namespace

int RunRepairCommand(const TCommandLine& request, HINSTANCE instance) {
    TRepairLog log;
    if (!request.Log.empty()) {
        const TOutputOpening opened = log.Open(request.Log);
        if (opened != TOutputOpening::Opened) return RefuseOutputFile(opened, request.Log, request);
    }
    if (request.Silent) {
        // A GUI program hears Ctrl+C only in a console it joined.
        AttachConsole(ATTACH_PARENT_PROCESS);
        SetConsoleCtrlHandler(OnConsoleStop, TRUE);
        TSilentHost host(log);
        return ExitCodeOf(RunRepair(WindowsPlatform(), host, LIBRARY_BASE_URL, PublisherKey()));
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    TfGeneral form;
    if (!form.Create(instance)) return EXIT_STILL_NEEDS_ACTION;
    form.Show();
    std::vector<TRepairStep> steps;
    const TRepairResult result = form.Repair([&](const TRepairStep& step) {
        log.Write(step);
        steps.push_back(step);
    });
    // Closing the window was the user's answer already.
    if (!form.CloseDuringRepair()) {
        form.RefreshList();
        ShowPlainMessage(Summary(result, steps));
    }
    return ExitCodeOf(result);
}
