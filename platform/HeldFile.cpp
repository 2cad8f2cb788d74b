// The held file: every read seeks back to the start of the one handle, the publisher's
// signature is hashed from it, and the rename goes through it (FileRenameInformation), so
// the name cannot be swapped for another file between the checks and the placing.
#include "platform/HeldFile.h"

#include "platform/Authenticode.h"
#include "platform/Handles.h"
#include "platform/LateBound.h"
#include "platform/PathSecurity.h"
#include "platform/VersionResource.h"

#include <wincrypt.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// The headers offer SHA-256 only to programs for Windows XP SP3 and later; we target XP and
// ask for it by value, where the provider then has it.
constexpr ALG_ID SHA_256_ALGORITHM = ALG_CLASS_HASH | ALG_TYPE_ANY | 12; // CALG_SHA_256
constexpr DWORD RSA_AES_PROVIDER = 24;                                   // PROV_RSA_AES

// CryptoAPI's handles are numbers, 0 when there is none.
template <typename H, BOOL(WINAPI* CloseFn)(H)> struct TCryptTraits {
    using Handle = H;
    static Handle Invalid() { return 0; }
    static void Close(Handle h) { CloseFn(h); }
};
BOOL WINAPI ReleaseProvider(HCRYPTPROV provider) {
    return CryptReleaseContext(provider, 0);
}
using TCryptProvider = TOwned<TCryptTraits<HCRYPTPROV, ReleaseProvider>>;
using TCryptKey = TOwned<TCryptTraits<HCRYPTKEY, CryptDestroyKey>>;
using TCryptHash = TOwned<TCryptTraits<HCRYPTHASH, CryptDestroyHash>>;

// The most Version reads: far above any library a transfer may bring.
constexpr uint64_t VERSION_READ_LIMIT = 256u * 1024 * 1024;

// FILE_RENAME_INFO and IO_STATUS_BLOCK, which the headers for Windows XP do not declare.
struct TRenameInformation {
    BOOLEAN ReplaceIfExists;
    HANDLE RootDirectory;
    DWORD FileNameLength;
    WCHAR FileName[1];
};
struct TIoStatus {
    LONG_PTR Status;
    ULONG_PTR Information;
};
constexpr int FILE_RENAME_INFO_CLASS = 3;          // FileRenameInfo
constexpr ULONG FILE_RENAME_INFORMATION = 10;      // FileRenameInformation
constexpr int FILE_DISPOSITION_INFO_CLASS = 4;     // FileDispositionInfo
constexpr ULONG FILE_DISPOSITION_INFORMATION = 13; // FileDispositionInformation
using TSetFileInformationByHandle = BOOL WINAPI(HANDLE, int, LPVOID, DWORD);
using TNtSetInformationFile = LONG NTAPI(HANDLE, TIoStatus*, PVOID, ULONG, ULONG);

// `path` as the kernel names it ("\??\C:\..." or "\??\UNC\server\..."); empty on failure.
std::wstring NtPathOf(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::vector<wchar_t> wide(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    const DWORD needed = GetFullPathNameW(wide.data(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::vector<wchar_t> full(needed);
    const DWORD got = GetFullPathNameW(wide.data(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return {};
    const std::wstring text(full.data(), got);
    if (text.rfind(L"\\\\?\\", 0) == 0) return L"\\??\\" + text.substr(4);
    if (text.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + text.substr(2);
    return L"\\??\\" + text;
}

// Renames the file open as `file` (with DELETE access) to `to`, replacing what is there:
// SetFileInformationByHandle where kernel32 has it (Vista on), else ntdll's call beneath it.
bool RenameByHandle(HANDLE file, const std::string& to) {
    const std::wstring target = NtPathOf(to);
    if (target.empty()) return false;
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(offsetof(TRenameInformation, FileName) + nameBytes +
                                  sizeof(wchar_t));
    auto* info = reinterpret_cast<TRenameInformation*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(target.begin(), target.end(), info->FileName);
    static auto* byHandle =
        LateBound<TSetFileInformationByHandle>("kernel32.dll", "SetFileInformationByHandle");
    if (byHandle != nullptr)
        return byHandle(file, FILE_RENAME_INFO_CLASS, info, static_cast<DWORD>(buffer.size())) !=
               FALSE;
    static auto* native = LateBound<TNtSetInformationFile>("ntdll.dll", "NtSetInformationFile");
    TIoStatus status = {};
    return native != nullptr && native(file, &status, info, static_cast<ULONG>(buffer.size()),
                                       FILE_RENAME_INFORMATION) >= 0;
}

// Sets FileDispositionInfo (FileDispositionInformation on Windows XP) of `file`.
bool SetDisposition(HANDLE file, BOOLEAN remove) {
    static auto* byHandle =
        LateBound<TSetFileInformationByHandle>("kernel32.dll", "SetFileInformationByHandle");
    if (byHandle != nullptr)
        return byHandle(file, FILE_DISPOSITION_INFO_CLASS, &remove, sizeof remove) != FALSE;
    static auto* native = LateBound<TNtSetInformationFile>("ntdll.dll", "NtSetInformationFile");
    TIoStatus status = {};
    return native != nullptr &&
           native(file, &status, &remove, sizeof remove, FILE_DISPOSITION_INFORMATION) >= 0;
}

// Reads up to `maxBytes` from the start of `file` into `head`; false when a read fails.
bool ReadFromStart(HANDLE file, std::size_t maxBytes, TPlatform::TFileHead& head) {
    LARGE_INTEGER size = {};
    const LARGE_INTEGER start = {};
    if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    head.Size = static_cast<uint64_t>(size.QuadPart);
    head.Bytes.resize(
        static_cast<std::size_t>(std::min<uint64_t>(head.Size, static_cast<uint64_t>(maxBytes))));
    std::size_t done = 0;
    while (done < head.Bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file, head.Bytes.data() + done, static_cast<DWORD>(head.Bytes.size() - done),
                      &got, nullptr))
            return false;
        if (got == 0) break;
        done += got;
    }
    head.Bytes.resize(done);
    return true;
}

bool IsLinkedFile(const BY_HANDLE_FILE_INFORMATION& info) {
    return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || info.nNumberOfLinks > 1;
}

TFileHandle OpenHold(const std::string& path, THold kind);

class THeld final : public TPlatform::THeldFile {
public:
    THeld(TFileHandle file, std::string path) : FFile(std::move(file)), FPath(std::move(path)) {}

    TPlatform::TSignerCheck VerifySignature() override {
        return VerifyFileSignature(FFile.get(), FPath);
    }

    std::optional<TPlatform::TFileHead> Read(std::size_t maxBytes) override {
        TPlatform::TFileHead head;
        if (!ReadFromStart(FFile.get(), maxBytes, head)) return std::nullopt;
        return head;
    }

    std::optional<TVersionParts> Version() override {
        const auto whole = Read(VERSION_READ_LIMIT);
        if (!whole || whole->Size != whole->Bytes.size()) return std::nullopt;
        return ReadFixedVersion(whole->Bytes);
    }

    bool VerifyDetachedSignature(const std::string& publicKey, const std::string& prefix,
                                 const std::string& signature) override {
        // The AES provider is the one that knows SHA-256 (Windows XP SP3 and later). Acquired
        // once for the run: a repair checks a signature per library, and every acquisition
        // loads the provider's DLL again.
        static const TCryptProvider provider = [] {
            HCRYPTPROV raw = 0;
            return TCryptProvider(
                CryptAcquireContextA(&raw, nullptr, nullptr, RSA_AES_PROVIDER, CRYPT_VERIFYCONTEXT)
                    ? raw
                    : 0);
        }();
        if (!provider) return false;
        HCRYPTKEY rawKey = 0;
        if (!CryptImportKey(provider.get(), reinterpret_cast<const BYTE*>(publicKey.data()),
                            static_cast<DWORD>(publicKey.size()), 0, 0, &rawKey))
            return false;
        const TCryptKey key(rawKey);
        HCRYPTHASH rawHash = 0;
        if (!CryptCreateHash(provider.get(), SHA_256_ALGORITHM, 0, 0, &rawHash)) return false;
        const TCryptHash hash(rawHash);
        const LARGE_INTEGER start = {};
        if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(prefix.data()),
                           static_cast<DWORD>(prefix.size()), 0) ||
            !SetFilePointerEx(FFile.get(), start, nullptr, FILE_BEGIN))
            return false;
        std::vector<BYTE> buffer(1 << 20);
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(FFile.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                          nullptr))
                return false;
            if (read == 0) break;
            if (!CryptHashData(hash.get(), buffer.data(), read, 0)) return false;
        }
        // CryptoAPI reads signatures little-endian.
        std::vector<BYTE> reversed(signature.rbegin(), signature.rend());
        return CryptVerifySignatureA(hash.get(), reversed.data(),
                                     static_cast<DWORD>(reversed.size()), key.get(), nullptr,
                                     0) != FALSE;
    }

    bool RenameTo(const std::string& to) override {
        if (!RenameByHandle(FFile.get(), to)) return false;
        FPath = to;
        return true;
    }

    bool OthersMayChange() override { return OthersMayChangeHeld(FFile.get(), FPath); }

    bool Flush() override { return FlushFileBuffers(FFile.get()) != FALSE; }

    bool StopWriting() override {
        // A handle's access cannot be lowered, and the loader's own open shares no writing,
        // so the file is held again by its name. Nothing can take that name meanwhile without
        // writing to a folder only the same rights could write to; the identity says if it did.
        BY_HANDLE_FILE_INFORMATION before = {};
        if (!GetFileInformationByHandle(FFile.get(), &before)) return false;
        FFile = TFileHandle();
        FFile = OpenHold(FPath, THold::Keeping);
        BY_HANDLE_FILE_INFORMATION after = {};
        if (FFile && GetFileInformationByHandle(FFile.get(), &after) &&
            after.dwVolumeSerialNumber == before.dwVolumeSerialNumber &&
            after.nFileIndexHigh == before.nFileIndexHigh &&
            after.nFileIndexLow == before.nFileIndexLow)
            return true;
        FFile = TFileHandle();
        return false;
    }

    bool RemoveWhenReleased() override { return FFile && RemoveWhenClosed(FFile.get()); }

private:
    TFileHandle FFile;
    std::string FPath;
};

TFileHandle OpenHold(const std::string& path, THold kind) {
    // For placing: no one else may write, rename or delete it; the hold may write, for the
    // flush. For keeping the same without writing: the loader, which opens it for reading and
    // shares deleting, still can. For loading, read only, and its folders cannot be renamed
    // while it is open. For reading, others may still read, rename or delete it. Read access
    // brings READ_CONTROL, which the access-list check reads through the handle.
    const bool moves = kind == THold::Placing || kind == THold::Keeping;
    const DWORD access =
        GENERIC_READ | (moves ? DELETE : 0) | (kind == THold::Placing ? FILE_WRITE_DATA : 0);
    const DWORD share = FILE_SHARE_READ | (kind == THold::Reading ? FILE_SHARE_DELETE : 0);
    const DWORD flags =
        FILE_ATTRIBUTE_NORMAL | (kind == THold::Reading ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    TFileHandle file(
        CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
    if (!file) return file;
    if (moves) {
        BY_HANDLE_FILE_INFORMATION info = {};
        if (!GetFileInformationByHandle(file.get(), &info) || IsLinkedFile(info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return TFileHandle();
    }
    return file;
}

} // namespace

std::unique_ptr<TPlatform::THeldFile> OpenHeldFile(const std::string& path, THold kind) {
    TFileHandle file = OpenHold(path, kind);
    if (!file) return nullptr;
    return std::make_unique<THeld>(std::move(file), path);
}

bool RemoveWhenClosed(HANDLE file) {
    return SetDisposition(file, TRUE);
}

bool IsLinkedPath(const std::string& path) {
    // Attributes only, all sharing granted, the name's own link not followed.
    TFileHandle file(
        CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (file && GetFileInformationByHandle(file.get(), &info)) return IsLinkedFile(info);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
