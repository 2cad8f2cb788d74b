// The scan's two passes and the small file and registry queries they are built from.
#include "inventory/Scan.h"

#include "inventory/WindowsOwn.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// Stored data need not end in NUL: never read past the bytes returned.
std::string TextOf(const std::optional<std::string>& bytes) {
    if (!bytes) return {};
    const std::size_t end = bytes->find('\0');
    return end == std::string::npos ? *bytes : bytes->substr(0, end);
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

} // namespace

std::string ReadClassesRootValue(TPlatform& platform, const std::string& key,
                                 const std::string& valueName) {
    return TextOf(platform.ReadClassesRootBytes(key, valueName));
}

std::optional<TVersionParts> GetFileVersionParts(TPlatform& platform, const std::string& file) {
    return platform.ReadFileVersion(file);
}

std::string GetFileVersionString(TPlatform& platform, const std::string& file) {
    const std::optional<TVersionParts> parts = GetFileVersionParts(platform, file);
    return parts ? FormatVersion(*parts) : std::string("0.0.0.0");
}

std::string GetSystemDir(TPlatform& platform) {
    return platform.SystemDirectory();
}

std::string LocateLibraryFile(TPlatform& platform, const std::string& name, bool systemOnly) {
    if (!systemOnly) {
        std::string here = platform.CurrentDirectory() + "\\" + name;
        if (platform.FileExists(here)) return here;
    }
    std::string system = GetSystemDir(platform) + "\\" + name;
    if (platform.FileExists(system)) return system;
    return {};
}

std::string RegistryKeyOf(const TLibraryEntry& entry) {
    if (!entry.ClsId.empty()) return "CLSID\\{" + entry.ClsId.str() + "}\\InprocServer32";
    if (!entry.TypeLib.empty()) return "TypeLib\\" + entry.TypeLib.str();
    return {};
}

namespace {

// Path from the location search; Present and InstalledVersion follow from it.
void LocateInto(TPlatform& platform, TLibraryEntry& entry, bool systemOnly) {
    entry.Path = LocateLibraryFile(platform, entry.Name.str(), systemOnly);
    entry.Present = !entry.Path.empty();
    if (entry.Present) entry.InstalledVersion = GetFileVersionString(platform, entry.Path.str());
}

} // namespace

void DetectLibrary(TPlatform& platform, TLibraryEntry& entry, bool systemOnly) {
    const std::string key = RegistryKeyOf(entry);
    if (key.empty()) {
        entry.Registered = true; // nothing to register
        LocateInto(platform, entry, systemOnly);
        return;
    }
    entry.Path = ReadClassesRootValue(platform, key);
    if (!entry.Path.empty() && platform.FileExists(entry.Path.str()) &&
        (!systemOnly ||
         platform.SameFile(entry.Path.str(), GetSystemDir(platform) + "\\" + entry.Name.str()))) {
        entry.Registered = true;
        entry.Present = true;
        entry.InstalledVersion = GetFileVersionString(platform, entry.Path.str());
        return;
    }
    entry.Registered = false;
    LocateInto(platform, entry, systemOnly);
}

std::string LoadablePath(TPlatform& platform, const TLibraryEntry& entry, bool systemOnly) {
    const std::string path = entry.Path.str();
    const std::string key = RegistryKeyOf(entry);
    if (!entry.Registered || key.empty() || !platform.Elevated()) return path;
    // The line showed what the merged view names; what runs with our rights is what the
    // machine's classes name, or, where they name no file, what the scan finds without them.
    // Cut as the merged view's path was cut when the record took it.
    const std::string machine =
        decltype(entry.Path)(TextOf(platform.ReadMachineClassesBytes(key, {}))).str();
    if (SameText(machine, path)) return path;
    if (!machine.empty() && platform.FileExists(machine)) return machine;
    return LocateLibraryFile(platform, entry.Name.str(), systemOnly);
}

bool HasRequiredVersion(const TLibraryEntry& entry) {
    // InstalledVersion is the text FormatVersion made of the file's four numbers, so reading
    // it back gives those numbers again.
    const std::optional<TVersionParts> found = ParseVersion(entry.InstalledVersion.str());
    const std::optional<TVersionParts> required = ParseVersion(entry.RequiredVersion.str());
    return found && required && VersionAtLeast(*found, *required);
}

std::string StatusPass(TLibraryEntry& entry) {
    const std::string name = entry.Name.str();
    if (!entry.Present) return name + STATUS_DOWNLOAD;
    if (!HasRequiredVersion(entry)) {
        entry.Present = false; // outdated: may be downloaded, not force-registered
        return name + STATUS_UPDATE;
    }
    return name + (entry.Registered ? STATUS_OK : STATUS_REGISTER);
}

std::string ScanLibrary(TPlatform& platform, std::size_t index) {
    ResetLibrary(index);
    TLibraryEntry& entry = Libraries[index];
    const bool systemOnly = IsKnownDll(platform.KnownDlls(), entry.Name.str());
    DetectLibrary(platform, entry, systemOnly);
    std::string line = StatusPass(entry);
    entry.Path = LoadablePath(platform, entry, systemOnly);
    return line;
}

void ScanLibraries(TPlatform& platform, std::vector<std::string>& list) {
    ResetLibraries();
    const std::vector<std::string> knownDlls = platform.KnownDlls();
    for (TLibraryEntry& entry : Libraries)
        DetectLibrary(platform, entry, IsKnownDll(knownDlls, entry.Name.str()));
    for (TLibraryEntry& entry : Libraries) {
        list.push_back(StatusPass(entry));
        // After the line is made: it shows the registration as it is, the path the file
        // that may be loaded.
        entry.Path = LoadablePath(platform, entry, IsKnownDll(knownDlls, entry.Name.str()));
    }
}
