// Kestrova's side of the helper: it starts the helper suspended, puts it in a job that ends it
// and what it starts when Kestrova ends (or when a call must be ended), hands it exactly its
// own ends of the pipes, and waits for each answer with the caller's limit and stop, handling
// the window's messages meanwhile. A helper that ended is replaced for the next call.
#include "platform/RegistrationHelper.h"

#include "platform/Handles.h"
#include "platform/HelperProtocol.h"
#include "platform/LateBound.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

// What the headers for Windows XP leave out; the calls are reached where Windows has them.
constexpr DWORD_PTR ATTRIBUTE_HANDLE_LIST = 0x00020002; // PROC_THREAD_ATTRIBUTE_HANDLE_LIST
constexpr DWORD EXTENDED_STARTUP_INFO = 0x00080000;     // EXTENDED_STARTUPINFO_PRESENT
constexpr DWORD WAIT_INPUT_AVAILABLE = 0x0004;          // MWMO_INPUTAVAILABLE
struct TStartupInfoEx {
    STARTUPINFOW StartupInfo;
    void* AttributeList;
};
using TInitializeAttributes = BOOL WINAPI(void*, DWORD, DWORD, SIZE_T*);
using TUpdateAttribute = BOOL WINAPI(void*, DWORD, DWORD_PTR, PVOID, SIZE_T, PVOID, SIZE_T*);
using TDeleteAttributes = void WINAPI(void*);

// The exit code of a helper Kestrova ended.
constexpr UINT ENDED_BY_KESTROVA = 1;
// How often a wait asks whether to stop when nothing wakes it.
constexpr DWORD STOP_POLL_MS = 100;

using TOutcome = TPlatform::TEntryCall::TOutcome;

std::wstring OwnExecutable() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

// A handle's value in decimal (by hand: std::to_wstring would bring the C library's wide
// formatted printing, some 20 KB, into the program for this one use).
std::wstring Decimal(HANDLE handle) {
    std::wstring digits;
    auto value = static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(handle));
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

// A job that ends its processes when its last handle closes, with no error box for any of
// them; an empty handle where Windows cannot make one.
TKernelHandle NewJob() {
    TKernelHandle job(CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (job && !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                        sizeof(limits)))
        job.reset();
    return job;
}

struct TLaunched {
    TKernelHandle Process;
    TKernelHandle Thread;
};

// `command` started suspended from `exe`, inheriting `handles` and, where Windows can say so
// (Vista on), nothing else.
TLaunched Launch(const std::wstring& exe, std::wstring command, std::vector<HANDLE> handles,
                 DWORD flags) {
    static auto* initialize =
        LateBound<TInitializeAttributes>("kernel32.dll", "InitializeProcThreadAttributeList");
    static auto* update = LateBound<TUpdateAttribute>("kernel32.dll", "UpdateProcThreadAttribute");
    static auto* remove =
        LateBound<TDeleteAttributes>("kernel32.dll", "DeleteProcThreadAttributeList");
    TStartupInfoEx info = {};
    info.StartupInfo.cb = sizeof(STARTUPINFOW);
    // No standard handles: a library that writes to its output reaches nobody's console.
    info.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    std::vector<char> attributes;
    SIZE_T size = 0;
    if (initialize != nullptr && update != nullptr && remove != nullptr &&
        (initialize(nullptr, 1, 0, &size) || GetLastError() == ERROR_INSUFFICIENT_BUFFER)) {
        attributes.resize(size);
        if (initialize(attributes.data(), 1, 0, &size)) {
            if (update(attributes.data(), 0, ATTRIBUTE_HANDLE_LIST, handles.data(),
                       handles.size() * sizeof(HANDLE), nullptr, nullptr)) {
                info.StartupInfo.cb = sizeof(info);
                info.AttributeList = attributes.data();
                flags |= EXTENDED_STARTUP_INFO;
            } else {
                remove(attributes.data());
                attributes.clear();
            }
        } else {
            attributes.clear();
        }
    }
    PROCESS_INFORMATION started = {};
    const BOOL created =
        CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE,
                       flags | CREATE_SUSPENDED, nullptr, nullptr, &info.StartupInfo, &started);
    const DWORD error = GetLastError();
    if (!attributes.empty()) remove(attributes.data());
    SetLastError(error);
    if (!created) return {};
    return {TKernelHandle(started.hProcess), TKernelHandle(started.hThread)};
}

bool WriteAll(HANDLE pipe, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(pipe, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                       nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

class THelper {
public:
    // Started and running, or nullptr with the reason in GetLastError.
    static std::unique_ptr<THelper> Start();
    ~THelper() {
        if (Running()) End();
    }

    bool Running() const { return WaitForSingleObject(FProcess.get(), 0) == WAIT_TIMEOUT; }

    // Hands the helper one request; false when it can no longer take one.
    bool Send(const std::string& library, const char* entry, const std::string& folder) {
        THelperRequest request;
        request.Sequence = ++FSequence;
        const std::string name = entry;
        request.LibraryLength = static_cast<uint32_t>(library.size());
        request.EntryLength = static_cast<uint32_t>(name.size());
        request.FolderLength = static_cast<uint32_t>(folder.size());
        return WriteAll(FRequests.get(),
                        std::string(reinterpret_cast<const char*>(&request), sizeof(request)) +
                            library + name + folder);
    }

    // The answer to the last request, or how the wait for it ended.
    TPlatform::TEntryCall Await(const TEntryWait& wait) {
        const DWORD started = GetTickCount();
        const DWORD limit = wait.LimitSeconds * 1000;
        HANDLE events[2] = {FAnswered.get(), FProcess.get()};
        for (;;) {
            DWORD slice = wait.Waiting ? STOP_POLL_MS : INFINITE;
            if (limit != 0) {
                const DWORD elapsed = GetTickCount() - started;
                if (elapsed >= limit) return Ended(TOutcome::TimedOut);
                slice = std::min(slice, limit - elapsed);
            }
            const DWORD woke = wait.PumpsMessages
                                   ? MsgWaitForMultipleObjectsEx(2, events, slice, QS_ALLINPUT,
                                                                 WAIT_INPUT_AVAILABLE)
                                   : WaitForMultipleObjects(2, events, FALSE, slice);
            if (woke == WAIT_OBJECT_0 || woke == WAIT_OBJECT_0 + 1) {
                // A helper that faulted answers, then ends: the answer counts.
                if (auto answer = TakeAnswer()) return *answer;
                if (woke == WAIT_OBJECT_0 + 1) {
                    TPlatform::TEntryCall died{TOutcome::Ended};
                    died.ExitCode = ExitCode();
                    return died;
                }
                continue;
            }
            if (woke == WAIT_FAILED) return Ended(TOutcome::Ended);
            if (wait.Waiting && wait.Waiting()) return Ended(TOutcome::Stopped);
        }
    }

    // Ends the helper and whatever it started.
    void End() {
        if (FJob)
            TerminateJobObject(FJob.get(), ENDED_BY_KESTROVA);
        else
            TerminateProcess(FProcess.get(), ENDED_BY_KESTROVA);
        WaitForSingleObject(FProcess.get(), 5000);
    }

private:
    THelper() = default;

    TPlatform::TEntryCall Ended(TOutcome outcome) {
        End();
        TPlatform::TEntryCall call{outcome};
        call.ExitCode = ExitCode();
        return call;
    }

    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(FProcess.get(), &code);
        return code;
    }

    // The whole answer once it is in the pipe; anything that is not the answer to the last
    // request ends the helper (only a library inside it could have written it).
    std::optional<TPlatform::TEntryCall> TakeAnswer() {
        DWORD available = 0;
        if (!PeekNamedPipe(FAnswers.get(), nullptr, 0, nullptr, &available, nullptr) ||
            available < sizeof(THelperAnswer))
            return std::nullopt;
        THelperAnswer answer;
        DWORD got = 0;
        if (!ReadFile(FAnswers.get(), &answer, sizeof(answer), &got, nullptr) ||
            got != sizeof(answer) || answer.Magic != HELPER_ANSWER_MAGIC ||
            answer.Sequence != FSequence ||
            answer.Outcome > static_cast<uint32_t>(TOutcome::Faulted))
            return Ended(TOutcome::Ended);
        TPlatform::TEntryCall call{static_cast<TOutcome>(answer.Outcome)};
        call.Result = answer.Result;
        call.FaultCode = answer.FaultCode;
        call.LoadError = answer.LoadError;
        return call;
    }

    TKernelHandle FProcess;
    TKernelHandle FJob;
    TKernelHandle FRequests;
    TKernelHandle FAnswers;
    TKernelHandle FAnswered;
    uint32_t FSequence = 0;
};

std::unique_ptr<THelper> THelper::Start() {
    const std::wstring exe = OwnExecutable();
    if (exe.empty()) return nullptr;
    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherited, 0)) return nullptr;
    const TKernelHandle requestsEnd(read);
    TKernelHandle requests(write);
    if (!CreatePipe(&read, &write, &inherited, 0)) return nullptr;
    TKernelHandle answers(read);
    const TKernelHandle answersEnd(write);
    TKernelHandle answered(CreateEventA(&inherited, FALSE, FALSE, nullptr));
    HANDLE self = nullptr;
    if (!answered || !DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(),
                                      &self, SYNCHRONIZE | PROCESS_QUERY_INFORMATION, TRUE, 0))
        return nullptr;
    const TKernelHandle parent(self);
    // Our own ends stay ours.
    SetHandleInformation(requests.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(answers.get(), HANDLE_FLAG_INHERIT, 0);

    std::wstring command = L"\"" + exe + L"\" ";
    for (const char* c = HELPER_SWITCH; *c != '\0'; ++c)
        command += static_cast<wchar_t>(*c);
    for (HANDLE handle : {requestsEnd.get(), answersEnd.get(), answered.get(), parent.get()})
        command += L" " + Decimal(handle);
    const std::vector<HANDLE> handles = {requestsEnd.get(), answersEnd.get(), answered.get(),
                                         parent.get()};

    // Suspended until it is in the job, so nothing it starts escapes it. Before Windows 8 a
    // process in a job of someone else's cannot join a second one: it breaks away where that
    // job allows it, and otherwise runs without a job of ours (it then ends itself with us,
    // and a stopped call ends only the helper, not what its library started).
    TKernelHandle job = NewJob();
    TLaunched helper = Launch(exe, command, handles, 0);
    if (!helper.Process) return nullptr;
    if (job && !AssignProcessToJobObject(job.get(), helper.Process.get())) {
        TerminateProcess(helper.Process.get(), ENDED_BY_KESTROVA);
        helper = Launch(exe, command, handles, CREATE_BREAKAWAY_FROM_JOB);
        if (!helper.Process || !AssignProcessToJobObject(job.get(), helper.Process.get())) {
            if (helper.Process) TerminateProcess(helper.Process.get(), ENDED_BY_KESTROVA);
            job.reset();
            helper = Launch(exe, command, handles, 0);
            if (!helper.Process) return nullptr;
        }
    }
    ResumeThread(helper.Thread.get());
    SetHandleInformation(answered.get(), HANDLE_FLAG_INHERIT, 0);

    std::unique_ptr<THelper> started(new THelper());
    started->FProcess = std::move(helper.Process);
    started->FJob = std::move(job);
    started->FRequests = std::move(requests);
    started->FAnswers = std::move(answers);
    started->FAnswered = std::move(answered);
    return started;
}

// The run's one helper.
std::unique_ptr<THelper> RunHelper;

std::optional<std::string> FullPath(const std::string& path) {
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::vector<char> full(needed + 1, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), needed + 1, full.data(), nullptr);
    if (length == 0 || length > needed) return std::nullopt;
    return std::string(full.data(), length);
}

std::string CurrentFolder() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    std::vector<char> folder(needed + 1, '\0');
    const DWORD length = GetCurrentDirectoryA(needed + 1, folder.data());
    return length > 0 && length <= needed ? std::string(folder.data(), length) : std::string();
}

TPlatform::TEntryCall NotLoaded(DWORD error) {
    TPlatform::TEntryCall call;
    call.LoadError = error;
    return call;
}

} // namespace

TPlatform::TEntryCall CallLibraryEntryInHelper(const std::string& library, const char* entry,
                                               const TEntryWait& wait) {
    static bool calling = false;
    if (calling) return NotLoaded(ERROR_BUSY);
    calling = true;
    struct TCalling {
        ~TCalling() { calling = false; }
    } scope;
    // A path that is not a full one is the current folder's, as the scan found it there.
    const std::optional<std::string> full = FullPath(library);
    if (!full) return NotLoaded(GetLastError());
    for (int attempt = 0;; ++attempt) {
        if (!RunHelper || !RunHelper->Running()) {
            RunHelper = THelper::Start();
            if (!RunHelper) return NotLoaded(GetLastError());
        }
        if (RunHelper->Send(*full, entry, CurrentFolder())) break;
        const DWORD error = GetLastError();
        RunHelper.reset();
        if (attempt == 1) return NotLoaded(error);
    }
    const TPlatform::TEntryCall call = RunHelper->Await(wait);
    // A helper that faulted, died or was ended serves no one again.
    if (call.Outcome != TOutcome::Returned && call.Outcome != TOutcome::NoEntry &&
        call.Outcome != TOutcome::NotLoaded)
        RunHelper.reset();
    return call;
}

void EndRegistrationHelper() {
    RunHelper.reset();
}
