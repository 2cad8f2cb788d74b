// What the Wine tests share to arrange a machine and put it back: Wine paths of the build
// tree, the stand-in libraries, and scoped owners for registry keys, folders, copied files
// and the current directory. Each owner restores the prefix in its destructor, so a
// failing test leaves the registry and the system folder as it found them. Setup errors
// throw std::runtime_error (GoogleTest reports it as the test's failure).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrova_test {

// "/work/x/y" -> "Z:\work\x\y" (Wine maps Z: to the Unix root).
std::string WinePath(const std::string& unixPath);

// Environment variable `name`, "" when unset.
std::string Env(const char* name);

// "win32", "win64" or "x64": the prefix this test runs in (env KESTROVA_ARCH, default
// "win32"); x64 is the 64-bit test build's own win64 prefix.
std::string Arch();
// True for our 32-bit process in a 64-bit prefix, under WOW64 (not for a 64-bit process).
bool InWin64Prefix();
// True in any 64-bit prefix, whichever kind of process this is.
bool In64BitPrefix();

// The Wine path of a stand-in library: <KESTROVA_STANDINS>/<variant>/<name>, variant one
// of good, outdated, noversion, fails, crash, text (every catalogue name), category
// and large (MSCOMCTL.OCX), signed-a, signed-a-outdated, signed-b, signed-c, altered,
// malformed (MSINET.OCX), sibling (KORDAN.DLL and the KORDANRT.DLL it imports).
// Throws when KESTROVA_STANDINS is unset.
std::string StandInPath(const std::string& variant, const std::string& name);

// GetSystemDirectoryA of this process: syswow64's contents for a 32-bit one in a win64 prefix.
std::string SystemDirectory();

// The 64-bit system folder of a win64 prefix, reached through Z: so no redirection
// applies: <WINEPREFIX>/drive_c/windows/system32.
std::string NativeSystem32();

// True when Wine has a library of this name of its own (gdi32, oleaut32, quartz...), seen
// as a file of that name in the system directory; ask before placing files there. Wine
// then answers LoadLibrary and version queries for *any* path ending in that name with its
// own module, so a stand-in of that name never shows its own version or entries.
bool WineProvides(const std::string& name);

// "folder\name".
std::string JoinPath(const std::string& folder, const std::string& name);

bool FileExistsAt(const std::string& path);

// A key under HKEY_CLASSES_ROOT for the scope of a test. Keys it had to create (the key and
// any missing parents) are deleted with everything below them at scope end; when the key
// existed, its values are put back as they were. `view` is 0 (the process's own view) or
// KEY_WOW64_64KEY / KEY_WOW64_32KEY.
class TScopedClassesRootKey {
public:
    explicit TScopedClassesRootKey(std::string key, REGSAM view = 0);
    ~TScopedClassesRootKey();
    TScopedClassesRootKey(const TScopedClassesRootKey&) = delete;
    TScopedClassesRootKey& operator=(const TScopedClassesRootKey&) = delete;

    // Writes the default value ("" name) or a named value with raw bytes of any type.
    void SetDefault(const std::string& text, DWORD type = REG_SZ);
    void SetBytes(const std::string& valueName, DWORD type, const std::string& bytes);
    const std::string& Key() const { return FKey; }

private:
    struct TValue {
        std::string Name;
        DWORD Type;
        std::string Data;
    };
    std::string FKey;
    REGSAM FView;
    std::string FCreatedRoot; // topmost key we created, "" when the key already existed
    std::vector<TValue> FSaved;
};

// One value (`name`, "" for the default) of `key` under `root` for the scope of a test:
// what was there before (or its absence) is put back at scope end. The key is created if
// missing, and then left in place (a settings key such as HKCU\Software\Wine).
class TScopedRegistryValue {
public:
    TScopedRegistryValue(HKEY root, std::string key, std::string name);
    ~TScopedRegistryValue();
    TScopedRegistryValue(const TScopedRegistryValue&) = delete;
    TScopedRegistryValue& operator=(const TScopedRegistryValue&) = delete;
    void SetText(const std::string& text);
    void SetDword(DWORD value);
    void Remove();

private:
    void Set(DWORD type, const void* data, DWORD size);
    HKEY FRoot;
    std::string FKey, FName;
    bool FExisted = false;
    DWORD FType = 0;
    std::string FData;
};

// Deletes `key` under HKEY_CLASSES_ROOT in `view` with all its subkeys; false when absent.
bool DeleteClassesRootTree(const std::string& key, REGSAM view = 0);

// A fresh empty folder, removed with its contents at scope end: under `parent`, or by default
// in a tests folder at the root of the system drive, outside the running user's profile (an
// elevated Kestrova asks before it loads anything from the profile, the temporary folder
// included; TemporaryFolder() gives that one).
class TScopedFolder {
public:
    explicit TScopedFolder(const std::string& parent = {});
    ~TScopedFolder();
    TScopedFolder(const TScopedFolder&) = delete;
    TScopedFolder& operator=(const TScopedFolder&) = delete;
    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& name) const { return JoinPath(FPath, name); }

private:
    std::string FPath;
};

// Removes a folder and everything in it; false when it was not there.
bool RemoveTree(const std::string& folder);

// The running user's temporary folder, without its closing backslash.
std::string TemporaryFolder();

// The Unix path of a Windows path (Wine's wine_get_unix_file_name); throws when Wine cannot
// say.
std::string UnixPathOf(const std::string& windowsPath);

// Starts the Unix program `commandLine` as Wine starts one, then waits up to 10 s for `done`:
// Wine gives no handle to wait on for a Unix process, so what it was to do is looked for.
// False when it could not be started or `done` never came.
bool RunUnix(const std::string& commandLine, const std::function<bool()>& done);

// A Unix symbolic link `link` (a Unix path, its folder made when missing) to `target` (a Unix
// path), made by /bin/ln, which Wine starts as it starts a Windows program; removed at scope
// end. Wine follows one inside a path as Windows follows a junction.
class TScopedUnixLink {
public:
    TScopedUnixLink(const std::string& target, std::string link);
    ~TScopedUnixLink();
    TScopedUnixLink(const TScopedUnixLink&) = delete;
    TScopedUnixLink& operator=(const TScopedUnixLink&) = delete;

private:
    std::string FLink;
};

// \\srv\share leading to `folder` for the scope of a test: a link in the prefix's
// dosdevices/unc/srv/share, which Wine reads for that share.
class TScopedShare {
public:
    explicit TScopedShare(const std::string& folder);
    static constexpr const char* PATH = "\\\\srv\\share";

private:
    TScopedUnixLink FLink;
};

// A file copied to `destination` for the scope of a test and deleted at scope end. A file
// already at the destination (Wine's own copy in the system folder, say) is refused unless
// `replace` is set; then it is moved aside and put back at scope end.
class TScopedFileCopy {
public:
    TScopedFileCopy(const std::string& source, std::string destination, bool replace = false);
    ~TScopedFileCopy();
    TScopedFileCopy(const TScopedFileCopy&) = delete;
    TScopedFileCopy& operator=(const TScopedFileCopy&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
    std::string FBackup; // "" when nothing was there before
};

// Stand-in `variant` of `name` copied into `folder` under its own name.
std::unique_ptr<TScopedFileCopy> PlaceStandIn(const std::string& variant, const std::string& name,
                                              const std::string& folder, bool replace = false);

// The process's current directory set to `folder`, the previous one restored at scope end.
class TScopedCurrentDirectory {
public:
    explicit TScopedCurrentDirectory(const std::string& folder);
    ~TScopedCurrentDirectory();
    TScopedCurrentDirectory(const TScopedCurrentDirectory&) = delete;
    TScopedCurrentDirectory& operator=(const TScopedCurrentDirectory&) = delete;

private:
    std::string FPrevious;
};

// Loads `library`, calls its `entry` (DllRegisterServer / DllUnregisterServer) and frees it.
// The entry's result; throws when the library cannot be loaded or lacks the entry.
HRESULT CallRegistrationEntry(const std::string& library, const char* entry);

// Calls `entry` of `library` like CallRegistrationEntry, but a fault inside the library
// (an access violation, say) is caught: its exception code is returned (0 when none) and
// the entry's result stored in `result` when it returned.
DWORD CallRegistrationEntryGuarded(const std::string& library, const char* entry, HRESULT* result);

// Runs `commandLine` as a child process of this Wine session, waits at most `timeoutMs`
// and returns its exit code with everything it wrote to standard output.
struct TProcessResult {
    DWORD ExitCode = 0;
    std::string Output;
};
TProcessResult RunProcess(const std::string& commandLine, DWORD timeoutMs = 60000);

// The process id a stand-in noted in `file` (its NAME.child); 0 when there is none yet.
DWORD NotedProcessId(const std::string& file);
// Whether process `id` is gone, or goes within `timeoutMs`.
bool ProcessEnds(DWORD id, DWORD timeoutMs);
// The ids of the running processes whose program file is named `exe`, in any case.
std::vector<DWORD> ProcessesNamed(const std::string& exe);

} // namespace kestrova_test
