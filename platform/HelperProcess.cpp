// The helper's side: it proves it was started by its parent Kestrova (its pipes are pipes, the
// process handle it was given is its parent's, and that parent is this same program), ends
// itself when its parent ends, and serves one request at a time.
#include "platform/HelperProtocol.h"
#include "platform/LibraryCall.h"
#include "platform/RegistrationHelper.h"

#include <windows.h>
#include <winternl.h>

#include <optional>

namespace {

using TNtQueryInformationProcess = LONG NTAPI(HANDLE, ULONG, PVOID, ULONG, PULONG);
constexpr ULONG PROCESS_IMAGE_FILE_NAME = 27; // ProcessImageFileName

TNtQueryInformationProcess* QueryProcess() {
    // ntdll is in every process before any of our code runs.
    static auto* query = reinterpret_cast<TNtQueryInformationProcess*>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    return query;
}

std::optional<PROCESS_BASIC_INFORMATION> BasicInformation(HANDLE process) {
    PROCESS_BASIC_INFORMATION info = {};
    ULONG length = 0;
    if (QueryProcess() == nullptr ||
        QueryProcess()(process, ProcessBasicInformation, &info, sizeof(info), &length) < 0)
        return std::nullopt;
    return info;
}

// The kernel's name of the process's image ("\Device\HarddiskVolume2\...\Kestrova.exe").
std::wstring ImageOf(HANDLE process) {
    alignas(UNICODE_STRING) char buffer[sizeof(UNICODE_STRING) + 2 * 32768] = {};
    ULONG length = 0;
    if (QueryProcess() == nullptr ||
        QueryProcess()(process, PROCESS_IMAGE_FILE_NAME, buffer, sizeof(buffer), &length) < 0)
        return {};
    const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer);
    return std::wstring(name->Buffer, name->Length / sizeof(wchar_t));
}

// A handle value written in decimal; nullptr for anything else.
HANDLE ParseHandle(const std::string& text) {
    if (text.empty() || text.size() > 20) return nullptr;
    unsigned long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return nullptr;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
}

bool FromParent(HANDLE requests, HANDLE answers, HANDLE parent) {
    if (GetFileType(requests) != FILE_TYPE_PIPE || GetFileType(answers) != FILE_TYPE_PIPE)
        return false;
    const auto self = BasicInformation(GetCurrentProcess());
    const auto theirs = BasicInformation(parent);
    if (!self || !theirs || self->InheritedFromUniqueProcessId != theirs->UniqueProcessId)
        return false;
    const std::wstring image = ImageOf(GetCurrentProcess());
    return !image.empty() && image == ImageOf(parent);
}

bool ReadAll(HANDLE pipe, void* data, DWORD size) {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
        DWORD got = 0;
        if (!ReadFile(pipe, at, size, &got, nullptr) || got == 0) return false;
        at += got;
        size -= got;
    }
    return true;
}

std::optional<std::string> ReadText(HANDLE pipe, uint32_t length) {
    if (length > HELPER_TEXT_LIMIT) return std::nullopt;
    std::string text(length, '\0');
    if (length > 0 && !ReadAll(pipe, text.data(), length)) return std::nullopt;
    if (text.find('\0') != std::string::npos) return std::nullopt;
    return text;
}

// Kestrova's job ends the helper with it; where there is no job (Kestrova runs in one that
// allows neither nesting nor breakaway), this does.
DWORD WINAPI EndWithParent(LPVOID parent) {
    WaitForSingleObject(static_cast<HANDLE>(parent), INFINITE);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

} // namespace

bool IsHelperRequest(const std::vector<std::string>& args) {
    return !args.empty() && lstrcmpiA(args[0].c_str(), HELPER_SWITCH) == 0;
}

int RunRegistrationHelper(const std::vector<std::string>& args) {
    if (args.size() != 5) return 1;
    HANDLE requests = ParseHandle(args[1]), answers = ParseHandle(args[2]);
    HANDLE answered = ParseHandle(args[3]), parent = ParseHandle(args[4]);
    if (!FromParent(requests, answers, parent)) return 1;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    CloseHandle(CreateThread(nullptr, 0, &EndWithParent, parent, 0, nullptr));
    for (;;) {
        THelperRequest request;
        if (!ReadAll(requests, &request, sizeof(request)) || request.Magic != HELPER_REQUEST_MAGIC)
            return 0;
        const auto library = ReadText(requests, request.LibraryLength);
        const auto entry = library ? ReadText(requests, request.EntryLength) : std::nullopt;
        const auto folder = entry ? ReadText(requests, request.FolderLength) : std::nullopt;
        if (!folder) return 0;
        // The current folder of the caller's moment, for whatever the library looks up there.
        if (!folder->empty()) SetCurrentDirectoryA(folder->c_str());
        const TPlatform::TEntryCall call = CallLibraryEntryHere(*library, entry->c_str());
        THelperAnswer answer;
        answer.Sequence = request.Sequence;
        answer.Outcome = static_cast<uint32_t>(call.Outcome);
        answer.Result = call.Result;
        answer.FaultCode = call.FaultCode;
        answer.LoadError = call.LoadError;
        DWORD written = 0;
        if (!WriteFile(answers, &answer, sizeof(answer), &written, nullptr) ||
            written != sizeof(answer) || !SetEvent(answered))
            return 0;
        // A library that faulted may have left anything behind in this process.
        if (call.Outcome == TPlatform::TEntryCall::TOutcome::Faulted) return 0;
    }
}
