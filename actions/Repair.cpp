// The repair's order of work and its careful answers. Every download goes through
// RunDownload and every registration through RegisterLibrary, so the repair inherits each
// of their checks; what an action says becomes the reason in the log.
#include "actions/Repair.h"

#include "actions/SelfRegistration.h"
#include "inventory/Scan.h"
#include "inventory/StatusReport.h"
#include "inventory/Version.h"

#include <exception>
#include <utility>
#include <vector>

namespace {

// The download's questions answered and its messages kept; everything else is the
// display's. Only an outdated copy is ever asked about (a newer one is never downloaded
// over), so every replacement is agreed to.
class TCarefulUser final : public TDownloadUi {
public:
    explicit TCarefulUser(TRepairHost& host) : FDisplay(host.Display()) {}

    // The messages since the last call, on one line.
    std::string TakeMessages() {
        while (!FMessages.empty() && FMessages.back() == ' ')
            FMessages.pop_back();
        return std::exchange(FMessages, {});
    }

    // Kept for the log, which has one line per step: breaks become single spaces.
    void ShowMessage(const std::string& text) override {
        for (char c : text + ' ') {
            const bool blank = c == ' ' || c == '\r' || c == '\n' || c == '\t';
            if (!blank)
                FMessages += c;
            else if (!FMessages.empty() && FMessages.back() != ' ')
                FMessages += ' ';
        }
    }
    bool Confirm(const std::string&) override { return true; }
    // A library others may change is skipped, with the reason in the log: agreeing to load
    // it is no answer a careful user gives for someone.
    bool AsksUser() override { return false; }
    void PumpMessages() override { FDisplay.PumpMessages(); }
    void RefreshList() override { FDisplay.RefreshList(); }
    void DisableForAction() override { FDisplay.DisableForAction(); }
    void ShowTransferDisplay() override { FDisplay.ShowTransferDisplay(); }
    TProgressView* ProgressView() override { return FDisplay.ProgressView(); }
    void SetPathField(const std::string& text) override { FDisplay.SetPathField(text); }
    void HideTransferDisplay() override { FDisplay.HideTransferDisplay(); }
    void EnableAfterAction() override { FDisplay.EnableAfterAction(); }
    bool CloseRequested() override { return FDisplay.CloseRequested(); }
    bool StopRequested() override { return FDisplay.StopRequested(); }
    // A library's registration runs as the display runs it: within its limit, its window
    // answering and showing what runs.
    uint32_t RegistrationLimit() override { return FDisplay.RegistrationLimit(); }
    bool PumpsWindowMessages() override { return FDisplay.PumpsWindowMessages(); }
    void RegistrationStarted(const std::string& path) override {
        FDisplay.RegistrationStarted(path);
    }
    void RegistrationEnded() override { FDisplay.RegistrationEnded(); }

private:
    TDownloadUi& FDisplay;
    std::string FMessages;
};

std::string WordOf(std::size_t i, const std::vector<std::string>& lines) {
    return StatusWordOf(Libraries[i], lines[i]);
}

bool NeedsDownload(const std::string& word) {
    return word == "DESCARGAR" || word == "ACTUALIZAR";
}

// Runs one action; a library that faults inside its entry (TLibraryFault) or any other
// error ends that step, not the repair, and its text joins what the action said.
template <typename TAction> void RunStep(TCarefulUser& user, TAction&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        user.ShowMessage(error.what());
    }
}

} // namespace

std::optional<std::string> NewerCopyOf(TPlatform& platform, const TLibraryEntry& entry) {
    const std::optional<TVersionParts> required = ParseVersion(entry.RequiredVersion.str());
    if (!required) return std::nullopt;
    // The located copy is below the required version on every line that needs a download,
    // so only the copies a download would replace can be newer.
    const std::string name = entry.Name.str();
    for (const std::string& path :
         {GetSystemDir(platform) + "\\" + name, platform.CurrentDirectory() + "\\" + name}) {
        if (!platform.FileExists(path)) continue;
        // Elevated, a copy others may change (a stub of version 99 in a folder anyone writes)
        // keeps no line from its repair.
        if (platform.Elevated() && platform.OthersCanWrite(path)) continue;
        const std::optional<TVersionParts> found = GetFileVersionParts(platform, path);
        if (found && !VersionAtLeast(*required, *found)) return path + " " + FormatVersion(*found);
    }
    return std::nullopt;
}

TRepairResult RunRepair(TPlatform& platform, TRepairHost& host, TLibrarySource& source,
                        const std::string& publisherKey) {
    TCarefulUser user(host);
    std::vector<std::string> lines;
    const auto rescan = [&] {
        lines.clear();
        ScanLibraries(platform, lines);
    };
    rescan();

    // A stop is asked for before each line; "detenido" is logged only for a step that was
    // left untouched.
    const auto stopped = [&](const std::string& name, const char* step) {
        if (!user.StopRequested()) return false;
        host.Log({name, step, OUTCOME_STOPPED, {}});
        return true;
    };

    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        if (!NeedsDownload(WordOf(i, lines))) continue;
        const std::string name = Libraries[i].Name.str();
        if (const auto newer = NewerCopyOf(platform, Libraries[i])) {
            host.Log({name, STEP_DOWNLOAD, OUTCOME_SKIPPED,
                      "hay una copia más nueva que la requerida: " + *newer});
            continue;
        }
        if (stopped(name, STEP_DOWNLOAD)) return TRepairResult::Stopped;
        host.ShowLine(i);
        bool placed = false;
        RunStep(user, [&] {
            placed = RunDownload(platform, user, Libraries[i], false, source, publisherKey);
        });
        const std::string said = user.TakeMessages();
        if (!placed && stopped(name, STEP_DOWNLOAD)) return TRepairResult::Stopped;
        lines[i] = ScanLibrary(platform, i);
        const bool arrived = !NeedsDownload(WordOf(i, lines));
        // A copy can arrive and be registered while the scan still finds another one.
        host.Log({name, STEP_DOWNLOAD, arrived ? OUTCOME_DONE : OUTCOME_FAILED,
                  arrived ? std::string() : said + " La línea sigue en " + WordOf(i, lines) + "."});
        // The download registers what arrived, as the button does.
        if (arrived && Libraries[i].NeedsRegistration()) {
            const bool registered = WordOf(i, lines) == "OK";
            host.Log({name, STEP_REGISTER, registered ? OUTCOME_DONE : OUTCOME_FAILED,
                      registered ? std::string() : said});
        }
    }

    // Once between the two passes, whatever the downloads did.
    rescan();
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        if (WordOf(i, lines) != "REGISTRAR") continue;
        if (stopped(Libraries[i].Name.str(), STEP_REGISTER)) return TRepairResult::Stopped;
        host.ShowLine(i);
        RunStep(user, [&] { RegisterLibrary(platform, user, Libraries[i].Path.str()); });
        const std::string said = user.TakeMessages();
        lines[i] = ScanLibrary(platform, i);
        const bool registered = WordOf(i, lines) == "OK";
        // A call the user stopped left its line as it was.
        if (!registered && stopped(Libraries[i].Name.str(), STEP_REGISTER))
            return TRepairResult::Stopped;
        host.Log({Libraries[i].Name.str(), STEP_REGISTER,
                  registered ? OUTCOME_DONE : OUTCOME_FAILED, registered ? std::string() : said});
    }
    if (user.StopRequested()) return TRepairResult::Stopped;

    rescan();
    bool allOk = true;
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        const std::string word = WordOf(i, lines);
        if (word == "OK") continue;
        allOk = false;
        host.Log({Libraries[i].Name.str(), STEP_STATUS, word, "sigue necesitando una acción"});
    }
    return allOk ? TRepairResult::AllOk : TRepairResult::NeedsAction;
}

std::string RepairSummary(TRepairResult result, const std::vector<TRepairStep>& steps) {
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
