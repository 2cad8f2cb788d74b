// The repair of every line that needs an action: the download and registration actions the
// buttons run, one line after another, with their questions answered as a careful user
// answers them and one log line per step instead of a box per message.
#pragma once

#include "actions/DownloadAction.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Step and outcome words of the repair's log.
inline constexpr const char* STEP_DOWNLOAD = "descarga";
inline constexpr const char* STEP_REGISTER = "registro";
inline constexpr const char* STEP_STATUS = "estado";
inline constexpr const char* OUTCOME_DONE = "hecho";
inline constexpr const char* OUTCOME_FAILED = "fallido";
inline constexpr const char* OUTCOME_SKIPPED = "omitido";
inline constexpr const char* OUTCOME_STOPPED = "detenido";

// One step of the repair as its log records it.
struct TRepairStep {
    std::string Library;
    std::string Step;
    std::string Outcome; // for STEP_STATUS, the status word still shown
    std::string Reason;  // what the action said, on one line; "" when it went well
};

// What the repair asks of whoever runs it.
class TRepairHost {
public:
    virtual ~TRepairHost() = default;
    // The download's display: the window's (its boxes are never shown by the repair), or
    // one without a window. Its StopRequested is the user's stop of the whole repair.
    virtual TDownloadUi& Display() = 0;
    virtual void Log(const TRepairStep& step) = 0;
    // The line the repair works on now, for a window to select.
    virtual void ShowLine(std::size_t) {}
};

enum class TRepairResult { AllOk, NeedsAction, Stopped };

// The path and version of a copy of `entry` that a download would replace (in the system
// directory or in the current one) whose version is higher than the required one; nullopt
// when there is none. Such a download is refused as a rollback, so the repair skips it.
// That copy is not the located one (the line would read OK or REGISTRAR): a registration
// or a copy in the current directory that is below the required version hides it. While
// elevated, a copy others may change (TPlatform::OthersCanWrite) is not such a copy.
std::optional<std::string> NewerCopyOf(TPlatform& platform, const TLibraryEntry& entry);

// Downloads every DESCARGAR and ACTUALIZAR line (one whose download would replace a copy
// newer than the required version is skipped, and that copy kept), then registers every
// REGISTRAR line, a copy above the required version included, and ends with a fresh
// scan: AllOk when it shows OK everywhere, else NeedsAction with a STEP_STATUS line for
// each line left; Stopped as soon as the user stops, asked before each line, with
// OUTCOME_STOPPED logged for the step the stop left untouched. Each download runs every
// check the download button's does, the publisher's signature under `publisherKey` included,
// with its library and signature from `source`.
TRepairResult RunRepair(TPlatform& platform, TRepairHost& host, TLibrarySource& source,
                        const std::string& publisherKey = {});

// The one box that closes a repair shown on the window: stopped, all in order, or each line
// left with the reasons its steps gave.
std::string RepairSummary(TRepairResult result, const std::vector<TRepairStep>& steps);
