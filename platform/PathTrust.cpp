// The whole path's verdict, and the small rules over path texts that the Windows side needs to
// say whether a handle lies where its name said.
#include "platform/PathTrust.h"

#include <algorithm>

namespace {

char Folded(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '\\')
        path.pop_back();
    return path;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return Folded(a) == Folded(b); });
}

} // namespace

bool OthersMayChangePath(const TPathFacts& facts) {
    if (!facts.Opened || !facts.SamePath || facts.Network || facts.InProfile ||
        facts.Objects.empty())
        return true;
    TPathPart part = facts.Folder ? TPathPart::Folder : TPathPart::File;
    for (const TPathObject& object : facts.Objects) {
        if (object.ReparsePoint || OthersMayChange(object.Security, part)) return true;
        part = part == TPathPart::File ? TPathPart::Folder : TPathPart::Above;
    }
    return false;
}

std::string WithoutLongPrefix(const std::string& path) {
    if (StartsWith(path, "\\\\?\\UNC\\")) return "\\\\" + path.substr(8);
    if (StartsWith(path, "\\\\?\\")) return path.substr(4);
    return path;
}

bool SamePathText(const std::string& a, const std::string& b) {
    const std::string x = WithoutTrailingSeparator(a), y = WithoutTrailingSeparator(b);
    return x.size() == y.size() && StartsWith(x, y);
}

bool IsUnderFolder(const std::string& path, const std::string& folder) {
    const std::string base = WithoutTrailingSeparator(folder);
    if (base.empty() || !StartsWith(path, base)) return false;
    return path.size() == base.size() || path[base.size()] == '\\';
}

bool IsUncPath(const std::string& path) {
    if (StartsWith(path, "\\\\?\\UNC\\")) return true;
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '?' &&
           path[2] != '.';
}

std::string Wow64Redirected(const std::string& path, const std::string& system,
                            const std::string& wow64) {
    const std::string base = WithoutTrailingSeparator(system);
    if (wow64.empty() || base.empty() || !IsUnderFolder(path, base)) return path;
    return WithoutTrailingSeparator(wow64) + path.substr(base.size());
}
