// GetNamedSecurityInfoA on each object of the path, turned into the rule's terms: the
// well-known administrators' accounts, the running user, everyone else.
#include "platform/PathSecurity.h"

#include "platform/Handles.h"
#include "platform/WriteRights.h"

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

TObjectSecurity SecurityOf(const std::string& path) {
    TObjectSecurity object;
    PSID owner = nullptr;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
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

// The folder holding `path` ("C:\a\b" for "C:\a\b\c"), with the root keeping its backslash;
// empty when `path` is a root already.
std::string Parent(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash + 1 >= path.size()) return {};
    // "C:\x" gives "C:\"; "\\server\share\x" gives "\\server\share\".
    std::string parent = path.substr(0, slash);
    const bool drive = parent.size() == 2 && parent[1] == ':';
    const bool share = parent.rfind("\\\\", 0) == 0 && parent.find('\\', 2) != std::string::npos &&
                       parent.find('\\', parent.find('\\', 2) + 1) == std::string::npos;
    if (drive || share) parent += '\\';
    return parent;
}

} // namespace

bool OthersCanWritePath(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) return true;
    std::string object(buffer, length);
    if (OthersMayChange(SecurityOf(object), TPathPart::File)) return true;
    TPathPart part = TPathPart::Folder;
    for (object = Parent(object); !object.empty(); object = Parent(object)) {
        if (OthersMayChange(SecurityOf(object), part)) return true;
        part = TPathPart::Above;
    }
    return false;
}
