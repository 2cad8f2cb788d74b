// Final paths by handle, with Windows XP's fallback and WOW64's system folder, and the profile
// folders read once. Every newer call is looked up at run time: the program still runs on XP.
#include "platform/FinalPath.h"

#include "platform/Handles.h"
#include "platform/LateBound.h"
#include "platform/PathTrust.h"

#include <cstring>

namespace {

constexpr LCID INVARIANT_LOCALE = 0x007F; // LOCALE_INVARIANT
constexpr ULONG FILE_NAME_INFORMATION_CLASS = 9;
constexpr DWORD FINAL_PATH_DOS_NORMALIZED = 0; // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS

struct TIoStatus {
    LONG_PTR Status;
    ULONG_PTR Information;
};
using TGetFinalPathNameByHandleA = DWORD WINAPI(HANDLE, LPSTR, DWORD, DWORD);
using TNtQueryInformationFile = LONG NTAPI(HANDLE, TIoStatus*, PVOID, ULONG, ULONG);
using TIsWow64Process = BOOL WINAPI(HANDLE, PBOOL);
using TGetSystemWow64DirectoryA = UINT WINAPI(LPSTR, UINT);
using TGetUserProfileDirectoryA = BOOL WINAPI(HANDLE, LPSTR, LPDWORD);

// Letters as the file system matches them.
std::string Upper(std::string text) {
    if (!text.empty())
        LCMapStringA(INVARIANT_LOCALE, LCMAP_UPPERCASE, text.c_str(), static_cast<int>(text.size()),
                     text.data(), static_cast<int>(text.size()));
    return text;
}

// Room for the longest path the ANSI calls give (32767 characters and the closing NUL).
constexpr DWORD LONGEST_PATH = 32768;

// The system folder and, in a 32-bit process under WOW64 only, the 32-bit one it reaches.
struct TSystemFolders {
    std::string System, Wow64;
};
const TSystemFolders& SystemFolders() {
    static const TSystemFolders folders = [] {
        TSystemFolders found;
        char buffer[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return found;
        found.System.assign(buffer, length);
        static auto* isWow64 = LateBound<TIsWow64Process>("kernel32.dll", "IsWow64Process");
        static auto* wow64Folder =
            LateBound<TGetSystemWow64DirectoryA>("kernel32.dll", "GetSystemWow64DirectoryA");
        BOOL wow64 = FALSE;
        if (isWow64 == nullptr || wow64Folder == nullptr || !isWow64(GetCurrentProcess(), &wow64) ||
            !wow64)
            return found;
        const UINT wowLength = wow64Folder(buffer, MAX_PATH);
        if (wowLength != 0 && wowLength < MAX_PATH) found.Wow64.assign(buffer, wowLength);
        return found;
    }();
    return folders;
}

// Windows XP: the handle's name within its volume, on `checked`'s drive when the volume is
// that drive's. A share is a network location whatever its name says, so none is told there.
std::optional<std::string> NameWithinVolume(HANDLE file, const std::string& checked) {
    static auto* query = LateBound<TNtQueryInformationFile>("ntdll.dll", "NtQueryInformationFile");
    if (query == nullptr || checked.size() < 3 || checked[1] != ':') return std::nullopt;
    std::vector<BYTE> buffer(sizeof(ULONG) + 32768 * sizeof(WCHAR));
    TIoStatus status = {};
    if (query(file, &status, buffer.data(), static_cast<ULONG>(buffer.size()),
              FILE_NAME_INFORMATION_CLASS) < 0)
        return std::nullopt;
    ULONG bytes = 0;
    std::memcpy(&bytes, buffer.data(), sizeof bytes);
    if (bytes > buffer.size() - sizeof(ULONG)) return std::nullopt;
    const auto* wide = reinterpret_cast<const WCHAR*>(buffer.data() + sizeof(ULONG));
    const int chars = static_cast<int>(bytes / sizeof(WCHAR));
    std::vector<char> name(static_cast<std::size_t>(chars) * 2 + 1);
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, chars, name.data(),
                                           static_cast<int>(name.size()), nullptr, &lossy);
    DWORD serial = 0;
    BY_HANDLE_FILE_INFORMATION info = {};
    if ((chars != 0 && length == 0) || lossy ||
        !GetVolumeInformationA(checked.substr(0, 3).c_str(), nullptr, 0, &serial, nullptr, nullptr,
                               nullptr, 0) ||
        !GetFileInformationByHandle(file, &info) || info.dwVolumeSerialNumber != serial)
        return std::nullopt;
    return checked.substr(0, 2) + std::string(name.data(), static_cast<std::size_t>(length));
}

} // namespace

std::string CheckedPathOf(const std::string& path) {
    if (path.empty()) return {};
    std::vector<char> buffer(LONGEST_PATH);
    DWORD length = GetFullPathNameA(path.c_str(), LONGEST_PATH, buffer.data(), nullptr);
    if (length == 0 || length >= LONGEST_PATH) return {};
    std::string checked(buffer.data(), length);
    // Long names where the path exists: a short 8.3 name is the same folder.
    length = GetLongPathNameA(checked.c_str(), buffer.data(), LONGEST_PATH);
    if (length != 0 && length < LONGEST_PATH) checked.assign(buffer.data(), length);
    checked = WithoutLongPrefix(checked);
    // A folder named with its closing separator is the folder itself ("C:\" keeps it).
    while (checked.size() > 3 && checked.back() == '\\')
        checked.pop_back();
    const TSystemFolders& folders = SystemFolders();
    return Wow64Redirected(checked, folders.System, folders.Wow64);
}

std::optional<std::string> FinalPathOf(HANDLE file, const std::string& checked) {
    static auto* finalPath =
        LateBound<TGetFinalPathNameByHandleA>("kernel32.dll", "GetFinalPathNameByHandleA");
    if (finalPath == nullptr) return NameWithinVolume(file, checked);
    std::vector<char> buffer(LONGEST_PATH);
    const DWORD length = finalPath(file, buffer.data(), LONGEST_PATH, FINAL_PATH_DOS_NORMALIZED);
    if (length == 0 || length >= LONGEST_PATH) return std::nullopt;
    return WithoutLongPrefix(std::string(buffer.data(), length));
}

bool LiesAt(HANDLE file, const std::string& checked) {
    const std::optional<std::string> final = FinalPathOf(file, checked);
    // A name the code page could not spell reads "?", which no path of a file has.
    return final && !checked.empty() && final->find('?') == std::string::npos &&
           SamePathText(Upper(*final), Upper(checked));
}

const std::vector<std::string>& ProfileFolders() {
    static const std::vector<std::string> folders = [] {
        std::vector<std::string> found;
        static auto* profile =
            LateBound<TGetUserProfileDirectoryA>("userenv.dll", "GetUserProfileDirectoryA");
        HANDLE raw = nullptr;
        if (profile != nullptr && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
            const TKernelHandle token(raw);
            char buffer[MAX_PATH] = {};
            DWORD size = MAX_PATH;
            if (profile(token.get(), buffer, &size) && buffer[0] != '\0')
                found.push_back(CheckedPathOf(buffer));
        }
        char temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathA(MAX_PATH + 1, temp);
        if (length != 0 && length <= MAX_PATH) found.push_back(CheckedPathOf(temp));
        return found;
    }();
    return folders;
}

bool InProfile(const std::string& path) {
    for (const std::string& folder : ProfileFolders())
        if (!folder.empty() && IsUnderFolder(Upper(path), Upper(folder))) return true;
    return false;
}
