// The real Windows behind TPlatform; every handle taken for one query is released before
// the query returns.
#include "platform/WinPlatform.h"

#include "platform/FileCopy.h"
#include "platform/Handles.h"
#include "platform/HeldFile.h"
#include "platform/LateBound.h"
#include "platform/LibraryCall.h"
#include "platform/PathSecurity.h"
#include "platform/RegistrationHelper.h"
#include "platform/SystemLibraries.h"

#include <sfc.h>

#include <algorithm>
#include <vector>

namespace {

// TOKEN_ELEVATION, which the headers for Windows XP do not declare.
constexpr auto TOKEN_ELEVATION_CLASS = static_cast<TOKEN_INFORMATION_CLASS>(20);

bool IsAdministrator() {
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    BOOL member = FALSE;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
           CheckTokenMembership(nullptr, administrators, &member) && member;
}

bool ReadElevation() {
    HANDLE raw = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        const TKernelHandle token(raw);
        DWORD elevated = 0;
        DWORD length = 0;
        if (GetTokenInformation(token.get(), TOKEN_ELEVATION_CLASS, &elevated, sizeof(elevated),
                                &length))
            return elevated != 0;
    }
    // Windows before Vista has no elevation: an administrator has all of its rights always.
    return IsAdministrator();
}

// The bytes of value `valueName` ("" is the default value) of `key` under `root`, opened
// with plain KEY_READ: exactly the bytes the second read returned, never more.
std::optional<std::string> ReadValueBytes(HKEY root, const std::string& key,
                                          const std::string& valueName) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return std::nullopt;
    TRegKey opened(raw);
    const char* name = valueName.empty() ? nullptr : valueName.c_str();
    DWORD size = 0;
    if (RegQueryValueExA(opened.get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    // One spare byte so a zero size still gives a valid buffer; only `size` bytes count.
    std::vector<char> buffer(size + 1, '\0');
    DWORD read = size;
    if (RegQueryValueExA(opened.get(), name, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer.data()), &read) != ERROR_SUCCESS)
        return std::nullopt;
    if (read > size) read = size;
    return std::string(buffer.data(), read);
}

class TWinPlatform final : public TPlatform {
public:
    std::optional<std::string> ReadClassesRootBytes(const std::string& key,
                                                    const std::string& valueName) override {
        return ReadValueBytes(HKEY_CLASSES_ROOT, key, valueName);
    }

    std::optional<std::string> ReadMachineClassesBytes(const std::string& key,
                                                       const std::string& valueName) override {
        return ReadValueBytes(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\" + key, valueName);
    }

    bool FileExists(const std::string& path) override {
        // FindFirstFileA takes "*" and "?" as a pattern: a registered "C:\Lib\*.OCX" would
        // count as existing whenever the folder holds any OCX. A pattern names no file.
        if (path.find_first_of("*?") != std::string::npos) return false;
        WIN32_FIND_DATAA data;
        TFindHandle found(FindFirstFileA(path.c_str(), &data));
        return found && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    std::optional<TVersionParts> ReadFileVersion(const std::string& file) override {
        static auto* sizeOf =
            LateBound<decltype(GetFileVersionInfoSizeA)>("version.dll", "GetFileVersionInfoSizeA");
        static auto* read =
            LateBound<decltype(GetFileVersionInfoA)>("version.dll", "GetFileVersionInfoA");
        static auto* query = LateBound<decltype(VerQueryValueA)>("version.dll", "VerQueryValueA");
        if (sizeOf == nullptr || read == nullptr || query == nullptr) return std::nullopt;
        DWORD ignored = 0;
        const DWORD size = sizeOf(file.c_str(), &ignored);
        if (size == 0) return std::nullopt;
        std::vector<char> block(size);
        if (!read(file.c_str(), 0, size, block.data())) return std::nullopt;
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedSize = 0;
        if (!query(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
            fixed == nullptr || fixedSize < sizeof(VS_FIXEDFILEINFO))
            return std::nullopt;
        return TVersionParts{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                             HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
    }

    std::string SystemDirectory() override {
        char buffer[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
    }

    std::string CurrentDirectory() override {
        char buffer[MAX_PATH] = {};
        const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
        if (length > 0 && length < MAX_PATH) return std::string(buffer, length);
        if (length == 0) return {};
        std::vector<char> longer(length + 1, '\0');
        const DWORD again = GetCurrentDirectoryA(length + 1, longer.data());
        return again > 0 && again <= length ? std::string(longer.data(), again) : std::string();
    }

    std::optional<TOsVersion> OsVersion() override {
        OSVERSIONINFOEXA info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        // GetVersionExA is deprecated in newer SDKs, but with the manifest's supportedOS
        // entries it reports the real version. The extended block (for the product type)
        // is refused by Windows 9x and NT 4 before SP6, which then get the plain one and
        // count as workstations.
        auto* plain = reinterpret_cast<OSVERSIONINFOA*>(&info);
        if (!GetVersionExA(plain)) {
            info = {};
            info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
            if (!GetVersionExA(plain)) return std::nullopt;
            info.wProductType = VER_NT_WORKSTATION;
        }
        info.szCSDVersion[sizeof(info.szCSDVersion) - 1] = '\0';
        return TOsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                          info.szCSDVersion, info.dwBuildNumber,  info.wProductType};
    }

    bool IsWow64() override {
        using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
        TModule kernel(LoadSystemLibrary("kernel32.dll"));
        if (!kernel) return false;
        const auto query = reinterpret_cast<TIsWow64Process>(
            reinterpret_cast<void*>(GetProcAddress(kernel.get(), "IsWow64Process")));
        BOOL flag = FALSE;
        return query != nullptr && query(GetCurrentProcess(), &flag) && flag;
    }

    bool Elevated() override {
        static const bool elevated = ReadElevation();
        return elevated;
    }

    bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

    bool ProbeCreateFile(const std::string& path) override {
        TFileHandle probe(
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!probe) return false;
        probe.reset();
        DeleteFileA(path.c_str()); // already gone through delete-on-close; harmless
        return true;
    }

    bool CanRemoveFile(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
            return false;
        // Opening for DELETE with full sharing fails when someone holds the file without
        // delete sharing; asking for write access too fails for a library a running program
        // has loaded, whose image Windows keeps from being written, deleted or replaced.
        // Either would make the replacement fail after the whole transfer.
        TFileHandle probe(CreateFileA(path.c_str(), DELETE | FILE_WRITE_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(probe);
    }

    bool MoveFileOver(const std::string& from, const std::string& to) override {
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }

    TCopyOutcome CopyFileReporting(const std::string& from, const std::string& to,
                                   const TCopyProgress& progress) override {
        return ::CopyFileReporting(from, to, progress);
    }

    std::optional<TFileHead> ReadFileHead(const std::string& path, std::size_t maxBytes) override {
        TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return std::nullopt;
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(file.get(), &size)) return std::nullopt;
        TFileHead head;
        head.Size = static_cast<uint64_t>(size.QuadPart);
        head.Bytes.resize(static_cast<std::size_t>(
            std::min<uint64_t>(head.Size, static_cast<uint64_t>(maxBytes))));
        std::size_t done = 0;
        while (done < head.Bytes.size()) {
            DWORD got = 0;
            if (!ReadFile(file.get(), head.Bytes.data() + done,
                          static_cast<DWORD>(head.Bytes.size() - done), &got, nullptr))
                return std::nullopt;
            if (got == 0) break;
            done += got;
        }
        head.Bytes.resize(done);
        return head;
    }

    TEntryCall CallLibraryEntry(const std::string& library, const char* entry,
                                const TEntryWait& wait) override {
#if defined(KESTROVA_IN_PROCESS_BASELINE)
        (void)wait;
        return CallLibraryEntryHere(library, entry);
#else
        return CallLibraryEntryInHelper(library, entry, wait);
#endif
    }

    std::unique_ptr<THeldFile> HoldFile(const std::string& path) override {
        return OpenHeldFile(path, THold::Reading);
    }
    std::unique_ptr<THeldFile> HoldForPlacing(const std::string& path) override {
        return OpenHeldFile(path, THold::Placing);
    }
    std::unique_ptr<THeldFile> HoldForKeeping(const std::string& path) override {
        return OpenHeldFile(path, THold::Keeping);
    }
    std::unique_ptr<THeldFile> HoldForLoading(const std::string& path) override {
        return OpenHeldFile(path, THold::Loading);
    }
    bool IsLinked(const std::string& path) override {
        return IsLinkedPath(path);
    }
    bool OthersCanWrite(const std::string& path) override {
        return OthersCanWritePath(path);
    }

    bool IsProtectedSystemFile(const std::string& path) override {
        static auto* isProtected =
            LateBound<decltype(SfcIsFileProtected)>("sfc.dll", "SfcIsFileProtected");
        if (isProtected == nullptr) return false;
        const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
        if (length <= 0) return false;
        std::vector<wchar_t> wide(static_cast<std::size_t>(length));
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
        return isProtected(nullptr, wide.data()) != FALSE;
    }

    std::vector<std::string> KnownDlls() override {
        // HKLM\SYSTEM is one key for both views today, but the loader reads the 64-bit one.
        const REGSAM view = IsWow64() ? KEY_WOW64_64KEY : 0;
        HKEY raw = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                          "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs", 0,
                          KEY_READ | view, &raw) != ERROR_SUCCESS)
            return {};
        TRegKey key(raw);
        DWORD longestName = 0;
        DWORD longestData = 0;
        if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, &longestName, &longestData, nullptr,
                             nullptr) != ERROR_SUCCESS)
            return {};
        std::vector<std::string> names;
        std::vector<char> name(longestName + 1);
        std::vector<char> data(longestData + 1);
        for (DWORD index = 0;; ++index) {
            DWORD nameSize = static_cast<DWORD>(name.size());
            DWORD dataSize = longestData;
            DWORD type = 0;
            const LONG status =
                RegEnumValueA(key.get(), index, name.data(), &nameSize, nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &dataSize);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
            // Stored text need not end in NUL: never read past the bytes returned.
            const std::string text(data.data(), std::min<DWORD>(dataSize, longestData));
            names.push_back(text.substr(0, text.find('\0')));
        }
        return names;
    }

    bool SameFile(const std::string& a, const std::string& b) override {
        const auto identity =
            [](const std::string& path) -> std::optional<BY_HANDLE_FILE_INFORMATION> {
            // Attributes only, all sharing granted: a file another program holds still answers.
            TFileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            BY_HANDLE_FILE_INFORMATION info = {};
            if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
            return info;
        };
        const auto first = identity(a);
        const auto second = identity(b);
        return first && second && first->dwVolumeSerialNumber == second->dwVolumeSerialNumber &&
               first->nFileIndexHigh == second->nFileIndexHigh &&
               first->nFileIndexLow == second->nFileIndexLow;
    }
};

} // namespace

TPlatform& WindowsPlatform() {
    static TWinPlatform platform;
    return platform;
}
