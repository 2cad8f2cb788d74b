// Each object on a path read through a handle that does not follow a link (GetSecurityInfo,
// GetFileInformationByHandle), where the path's own object lies (its final path), and which
// volume and profile it is in, turned into the rule's terms: the well-known administrators'
// accounts, the running user, everyone else.
#include "platform/PathSecurity.h"

#include "platform/FinalPath.h"
#include "platform/Handles.h"
#include "platform/LateBound.h"
#include "platform/PathTrust.h"

#include <aclapi.h>

#include <vector>

namespace {

constexpr BYTE ALLOWED_CALLBACK_TYPE = 9; // ACCESS_ALLOWED_CALLBACK_ACE_TYPE

// A SID in a buffer of its own.
using TSidBytes = std::vector<BYTE>;

TSidBytes WellKnown(WELL_KNOWN_SID_TYPE type) {
    TSidBytes sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) return {};
    sid.resize(size);
    return sid;
}

// NT SERVICE\TrustedInstaller: S-1-5-80 and the hash of the service's name.
TSidBytes TrustedInstaller() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID raw = nullptr;
    if (!AllocateAndInitializeSid(&nt, 6, 80, 956008885u, 3418522649u, 1831038044u, 1853292631u,
                                  2271478464u, 0, 0, &raw))
        return {};
    const TSidBytes sid(static_cast<BYTE*>(raw), static_cast<BYTE*>(raw) + GetLengthSid(raw));
    FreeSid(raw);
    return sid;
}

TSidBytes RunningUser() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const TKernelHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
        return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    return TSidBytes(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
}

TTrustee TrusteeOf(PSID sid) {
    static const struct {
        TSidBytes Sid;
        TTrustee Trustee;
    } known[] = {
        {WellKnown(WinBuiltinAdministratorsSid), TTrustee::Administrators},
        {WellKnown(WinLocalSystemSid), TTrustee::System},
        {TrustedInstaller(), TTrustee::TrustedInstaller},
        {RunningUser(), TTrustee::RunningUser},
    };
    if (sid == nullptr || !IsValidSid(sid)) return TTrustee::Other;
    for (const auto& k : known)
        if (!k.Sid.empty() && EqualSid(sid, const_cast<BYTE*>(k.Sid.data()))) return k.Trustee;
    return TTrustee::Other;
}

// The owner and access list of the object open as `handle` (with READ_CONTROL).
TObjectSecurity SecurityOf(HANDLE handle) {
    TObjectSecurity object;
    PSID owner = nullptr;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return object;
    object.Readable = true;
    object.Owner = TrusteeOf(owner);
    object.NullAcl = acl == nullptr;
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        void* raw = nullptr;
        if (!GetAce(acl, i, &raw)) {
            object.Readable = false;
            break;
        }
        const auto* header = static_cast<ACE_HEADER*>(raw);
        TAccessEntry entry;
        entry.InheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
            header->AceType == ACCESS_DENIED_ACE_TYPE) {
            const auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
            entry.Allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
            entry.Mask = ace->Mask;
            entry.Trustee = TrusteeOf(const_cast<DWORD*>(&ace->SidStart));
        } else if (header->AceType == ALLOWED_CALLBACK_TYPE) {
            // Granted on a condition this rule cannot weigh: taken as granted to anyone.
            entry.Mask = ~0u;
        } else {
            continue; // audit, alarm and deny kinds grant nothing
        }
        object.Entries.push_back(entry);
    }
    LocalFree(descriptor);
    return object;
}

// An object of the path for reading its facts only: no data access, so it opens even while
// someone holds the file unshared; the object itself, never what a link on it leads to.
TFileHandle OpenObject(const std::string& path) {
    return TFileHandle(
        CreateFileA(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// FILE_BASIC_INFO, declared here: the headers declare it only for programs that need Vista.
struct TBasicInfo {
    LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime;
    DWORD FileAttributes;
};
constexpr int FILE_BASIC_INFO_CLASS = 0; // FileBasicInfo
using TGetFileInformationByHandleEx = BOOL WINAPI(HANDLE, int, LPVOID, DWORD);

// The attributes of the object open as `handle`, and nothing more where Windows can say
// (Vista on): GetFileInformationByHandle asks the volume for its serial number too, which under
// Wine was most of the time of a whole path's check.
bool AttributesOf(HANDLE handle, DWORD& attributes) {
    static auto* basic =
        LateBound<TGetFileInformationByHandleEx>("kernel32.dll", "GetFileInformationByHandleEx");
    if (basic != nullptr) {
        TBasicInfo info = {};
        if (!basic(handle, FILE_BASIC_INFO_CLASS, &info, sizeof info)) return false;
        attributes = info.FileAttributes;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(handle, &info)) return false;
    attributes = info.dwFileAttributes;
    return true;
}

// The object open as `handle`, and its attributes; false when either cannot be read.
bool ReadObject(HANDLE handle, TPathObject& object, DWORD& attributes) {
    if (!AttributesOf(handle, attributes)) return false;
    object.ReparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    object.Security = SecurityOf(handle);
    return true;
}

// The folder holding `path` ("C:\a\b" for "C:\a\b\c"), with a root keeping its backslash;
// empty when `path` is a root already ("C:\", "\\server\share\").
std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash + 1 >= path.size()) return {};
    std::string parent = path.substr(0, slash);
    const bool drive = parent.size() == 2 && parent[1] == ':';
    const bool share = IsUncPath(parent) && parent.find('\\', 2) != std::string::npos &&
                       parent.find('\\', parent.find('\\', 2) + 1) == std::string::npos;
    if (drive || share) parent += '\\';
    return parent;
}

// A share, a network drive, or a volume that keeps no access lists (FAT, say), or one whose
// kind cannot be read.
bool OnNetworkVolume(const std::string& path) {
    if (IsUncPath(path)) return true;
    if (path.size() < 3 || path[1] != ':') return true;
    const std::string root = path.substr(0, 3);
    if (GetDriveTypeA(root.c_str()) == DRIVE_REMOTE) return true;
    DWORD flags = 0;
    return !GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
           (flags & FILE_PERSISTENT_ACLS) == 0;
}

// The facts of `path`, its own object read through `held` when one is given. Gathering stops as
// soon as the verdict is yes whatever else is read: a share is not even opened.
TPathFacts FactsOf(const std::string& path, HANDLE held) {
    TPathFacts facts;
    const std::string checked = CheckedPathOf(path);
    if (checked.empty()) return facts;
    facts.Network = OnNetworkVolume(checked);
    if (facts.Network) return facts;
    TFileHandle own;
    if (held == nullptr) {
        own = OpenObject(checked);
        if (!own) return facts;
        held = own.get();
    }
    facts.SamePath = LiesAt(held, checked);
    facts.InProfile = InProfile(checked);
    if (!facts.SamePath || facts.InProfile) return facts;
    TPathObject object;
    DWORD attributes = 0;
    if (!ReadObject(held, object, attributes)) return facts;
    facts.Folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.Objects.push_back(object);
    for (std::string folder = ParentOf(checked); !folder.empty(); folder = ParentOf(folder)) {
        const TFileHandle opened = OpenObject(folder);
        if (!opened || !ReadObject(opened.get(), object, attributes)) return facts;
        facts.Objects.push_back(object);
    }
    facts.Opened = true;
    return facts;
}

} // namespace

bool OthersCanWritePath(const std::string& path) {
    return OthersMayChangePath(FactsOf(path, nullptr));
}

bool OthersMayChangeHeld(HANDLE held, const std::string& path) {
    return OthersMayChangePath(FactsOf(path, held));
}
