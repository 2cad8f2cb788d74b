// The Wine tests' arrange-and-restore helpers; every handle is owned by an RAII owner and
// every change to the prefix has a matching undo in a destructor.
#include "tests/support/WineSupport.h"

#include "platform/GuardedCall.h"
#include "platform/Handles.h"

#include <tlhelp32.h>

#include <csetjmp>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kestrova_test {

namespace {

[[noreturn]] void Fail(const std::string& what, DWORD code = GetLastError()) {
    throw std::runtime_error(what + " (error " + std::to_string(code) + ")");
}

// RegDeleteKeyExA is the only way to delete in a chosen registry view; it is missing
// from the headers for the Windows version we target, so it is looked up by name.
LONG DeleteKeyInView(HKEY parent, const std::string& subkey, REGSAM view) {
    using TRegDeleteKeyExA = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    static const auto deleteEx = reinterpret_cast<TRegDeleteKeyExA>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    if (deleteEx != nullptr) return deleteEx(parent, subkey.c_str(), view, 0);
    return RegDeleteKeyA(parent, subkey.c_str());
}

TRegKey OpenKey(const std::string& key, REGSAM access) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, access, &raw) != ERROR_SUCCESS)
        return TRegKey();
    return TRegKey(raw);
}

bool DeleteTreeBelow(const std::string& key, REGSAM view) {
    std::vector<std::string> children;
    {
        TRegKey opened = OpenKey(key, KEY_READ | view);
        if (!opened) return false;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof(name);
            if (RegEnumKeyExA(opened.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            children.emplace_back(name, length);
        }
    }
    for (const std::string& child : children)
        DeleteTreeBelow(key + "\\" + child, view);
    return DeleteKeyInView(HKEY_CLASSES_ROOT, key, view) == ERROR_SUCCESS;
}

} // namespace

std::string WinePath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Arch() {
    const std::string arch = Env("KESTROVA_ARCH");
    return arch.empty() ? "win32" : arch;
}

bool InWin64Prefix() {
    return Arch() == "win64";
}

bool In64BitPrefix() {
    return Arch() != "win32";
}

std::string StandInPath(const std::string& variant, const std::string& name) {
    const std::string root = Env("KESTROVA_STANDINS");
    if (root.empty()) throw std::runtime_error("KESTROVA_STANDINS is not set");
    return WinePath(root + "/" + variant + "/" + name);
}

std::string SystemDirectory() {
    char buffer[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) Fail("GetSystemDirectoryA");
    return std::string(buffer, length);
}

std::string NativeSystem32() {
    const std::string prefix = Env("WINEPREFIX");
    if (prefix.empty()) throw std::runtime_error("WINEPREFIX is not set");
    return WinePath(prefix + "/drive_c/windows/system32");
}

bool WineProvides(const std::string& name) {
    return FileExistsAt(JoinPath(SystemDirectory(), name));
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

bool FileExistsAt(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DeleteClassesRootTree(const std::string& key, REGSAM view) {
    return DeleteTreeBelow(key, view);
}

TScopedClassesRootKey::TScopedClassesRootKey(std::string key, REGSAM view)
    : FKey(std::move(key)), FView(view) {
    // Find the topmost missing key, so exactly what we create is removed again.
    std::size_t end = 0;
    while (end != std::string::npos) {
        end = FKey.find('\\', end + 1);
        const std::string part = FKey.substr(0, end);
        if (!OpenKey(part, KEY_READ | FView)) {
            FCreatedRoot = part;
            break;
        }
    }
    if (FCreatedRoot.empty()) {
        TRegKey existing = OpenKey(FKey, KEY_READ | FView);
        char name[16384];
        for (DWORD i = 0;; ++i) {
            DWORD nameLength = sizeof(name), type = 0, size = 0;
            if (RegEnumValueA(existing.get(), i, name, &nameLength, nullptr, &type, nullptr,
                              &size) != ERROR_SUCCESS)
                break;
            std::string data(size, '\0');
            nameLength = sizeof(name);
            if (RegEnumValueA(existing.get(), i, name, &nameLength, nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
                Fail("RegEnumValueA " + FKey);
            data.resize(size);
            FSaved.push_back({std::string(name, nameLength), type, data});
        }
    }
    HKEY raw = nullptr;
    const LONG status = RegCreateKeyExA(HKEY_CLASSES_ROOT, FKey.c_str(), 0, nullptr, 0,
                                        KEY_ALL_ACCESS | FView, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) Fail("RegCreateKeyExA " + FKey, status);
    RegCloseKey(raw);
}

TScopedClassesRootKey::~TScopedClassesRootKey() {
    if (!FCreatedRoot.empty()) {
        DeleteTreeBelow(FCreatedRoot, FView);
        return;
    }
    // Created anew when the test deleted it (a DllUnregisterServer, say).
    HKEY raw = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, FKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | FView,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return;
    TRegKey key(raw);
    // Drop every value, then write back the ones that were there.
    std::vector<std::string> names;
    char name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (RegEnumValueA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    for (const std::string& n : names)
        RegDeleteValueA(key.get(), n.c_str());
    for (const TValue& v : FSaved)
        RegSetValueExA(key.get(), v.Name.c_str(), 0, v.Type,
                       reinterpret_cast<const BYTE*>(v.Data.data()),
                       static_cast<DWORD>(v.Data.size()));
}

void TScopedClassesRootKey::SetDefault(const std::string& text, DWORD type) {
    SetBytes("", type, std::string(text.c_str(), text.size() + 1));
}

void TScopedClassesRootKey::SetBytes(const std::string& valueName, DWORD type,
                                     const std::string& bytes) {
    TRegKey key = OpenKey(FKey, KEY_SET_VALUE | FView);
    if (!key) Fail("RegOpenKeyExA " + FKey);
    const LONG status = RegSetValueExA(key.get(), valueName.empty() ? nullptr : valueName.c_str(),
                                       0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size()));
    if (status != ERROR_SUCCESS) Fail("RegSetValueExA " + FKey, status);
}

TScopedRegistryValue::TScopedRegistryValue(HKEY root, std::string key, std::string name)
    : FRoot(root), FKey(std::move(key)), FName(std::move(name)) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(FRoot, FKey.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return;
    TRegKey opened(raw);
    DWORD size = 0;
    if (RegQueryValueExA(opened.get(), FName.c_str(), nullptr, &FType, nullptr, &size) !=
        ERROR_SUCCESS)
        return;
    FData.assign(size, '\0');
    if (RegQueryValueExA(opened.get(), FName.c_str(), nullptr, &FType,
                         reinterpret_cast<BYTE*>(FData.data()), &size) != ERROR_SUCCESS)
        Fail("RegQueryValueExA " + FKey);
    FData.resize(size);
    FExisted = true;
}

TScopedRegistryValue::~TScopedRegistryValue() {
    HKEY raw = nullptr;
    if (RegCreateKeyExA(FRoot, FKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                        nullptr) != ERROR_SUCCESS)
        return;
    TRegKey key(raw);
    if (FExisted)
        RegSetValueExA(key.get(), FName.c_str(), 0, FType,
                       reinterpret_cast<const BYTE*>(FData.data()),
                       static_cast<DWORD>(FData.size()));
    else
        RegDeleteValueA(key.get(), FName.c_str());
}

void TScopedRegistryValue::SetText(const std::string& text) {
    Set(REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void TScopedRegistryValue::SetDword(DWORD value) {
    Set(REG_DWORD, &value, sizeof value);
}

void TScopedRegistryValue::Set(DWORD type, const void* data, DWORD size) {
    HKEY raw = nullptr;
    LONG status =
        RegCreateKeyExA(FRoot, FKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) Fail("RegCreateKeyExA " + FKey, status);
    TRegKey key(raw);
    status =
        RegSetValueExA(key.get(), FName.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    if (status != ERROR_SUCCESS) Fail("RegSetValueExA " + FKey, status);
}

void TScopedRegistryValue::Remove() {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(FRoot, FKey.c_str(), 0, KEY_SET_VALUE, &raw) != ERROR_SUCCESS) return;
    TRegKey key(raw);
    RegDeleteValueA(key.get(), FName.c_str());
}

std::string TemporaryFolder() {
    char temp[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) Fail("GetTempPathA");
    std::string folder(temp, length);
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

TScopedFolder::TScopedFolder(const std::string& parent) {
    std::string base = parent;
    if (base.empty()) {
        base = SystemDirectory().substr(0, 3) + "kestrova-tests";
        if (!CreateDirectoryA(base.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            Fail("CreateDirectoryA " + base);
    }
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = base + "\\kestrova-" + std::to_string(GetCurrentProcessId()) +
                                      "-" + std::to_string(++counter);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            FPath = candidate;
            return;
        }
    }
    Fail("CreateDirectoryA in " + base);
}

TScopedFolder::~TScopedFolder() {
    RemoveTree(FPath);
}

bool RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    {
        TFindHandle found(FindFirstFileA((folder + "\\*").c_str(), &data));
        if (!found) return RemoveDirectoryA(folder.c_str()) != 0;
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(found.get(), &data));
    }
    return RemoveDirectoryA(folder.c_str()) != 0;
}

std::string UnixPathOf(const std::string& windowsPath) {
    using TWineGetUnixFileName = char*(CDECL*)(LPCWSTR);
    static const auto unixName = reinterpret_cast<TWineGetUnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) throw std::runtime_error("not under Wine: no Unix path");
    const std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* name = unixName(wide.c_str());
    if (name == nullptr) throw std::runtime_error("no Unix path for " + windowsPath);
    const std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

bool RunUnix(const std::string& commandLine, const std::function<bool()>& done) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    TFileHandle process(info.hProcess), thread(info.hThread);
    for (int i = 0; i < 1000; ++i) {
        if (done()) return true;
        Sleep(10);
    }
    return false;
}

namespace {

// Whether a Unix path is there (Wine's Z: is the Unix root), following links.
bool UnixPathExists(const std::string& path) {
    return GetFileAttributesA(WinePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TScopedUnixLink::TScopedUnixLink(const std::string& target, std::string link)
    : FLink(std::move(link)) {
    const std::string folder = FLink.substr(0, FLink.find_last_of('/'));
    if (!RunUnix("/bin/mkdir -p \"" + folder + "\"", [&] { return UnixPathExists(folder); }) ||
        !RunUnix("/bin/ln -sfn \"" + target + "\" \"" + FLink + "\"",
                 [&] { return UnixPathExists(FLink); }))
        throw std::runtime_error("ln -s " + target + " " + FLink);
}

TScopedUnixLink::~TScopedUnixLink() {
    RunUnix("/bin/rm -f \"" + FLink + "\"", [&] { return !UnixPathExists(FLink); });
}

TScopedShare::TScopedShare(const std::string& folder)
    : FLink(UnixPathOf(folder), Env("WINEPREFIX") + "/dosdevices/unc/srv/share") {}

TScopedFileCopy::TScopedFileCopy(const std::string& source, std::string destination, bool replace)
    : FPath(std::move(destination)) {
    if (GetFileAttributesA(FPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!replace) throw std::runtime_error("refusing to overwrite " + FPath);
        FBackup = FPath + ".kestrova-saved";
        if (!MoveFileExA(FPath.c_str(), FBackup.c_str(), MOVEFILE_REPLACE_EXISTING))
            Fail("MoveFileExA " + FPath);
    }
    if (!CopyFileA(source.c_str(), FPath.c_str(), TRUE)) {
        const DWORD code = GetLastError();
        if (!FBackup.empty()) MoveFileExA(FBackup.c_str(), FPath.c_str(), 0);
        Fail("CopyFileA " + source + " -> " + FPath, code);
    }
}

TScopedFileCopy::~TScopedFileCopy() {
    SetFileAttributesA(FPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(FPath.c_str());
    if (!FBackup.empty()) MoveFileExA(FBackup.c_str(), FPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::unique_ptr<TScopedFileCopy> PlaceStandIn(const std::string& variant, const std::string& name,
                                              const std::string& folder, bool replace) {
    return std::make_unique<TScopedFileCopy>(StandInPath(variant, name), JoinPath(folder, name),
                                             replace);
}

TScopedCurrentDirectory::TScopedCurrentDirectory(const std::string& folder) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH) Fail("GetCurrentDirectoryA");
    FPrevious.assign(buffer, length);
    if (!SetCurrentDirectoryA(folder.c_str())) Fail("SetCurrentDirectoryA " + folder);
}

TScopedCurrentDirectory::~TScopedCurrentDirectory() {
    SetCurrentDirectoryA(FPrevious.c_str());
}

HRESULT CallRegistrationEntry(const std::string& library, const char* entry) {
    TModule module(LoadLibraryA(library.c_str()));
    if (!module) Fail("LoadLibraryA " + library);
    using TEntry = HRESULT(WINAPI*)();
    const auto call =
        reinterpret_cast<TEntry>(reinterpret_cast<void*>(GetProcAddress(module.get(), entry)));
    if (call == nullptr) Fail(std::string("GetProcAddress ") + entry);
    return call();
}

#if defined(__i386__)

namespace {

// MinGW has no __try: a hand-made SEH frame on the stack whose handler jumps back to a
// setjmp taken just before the call. One guarded call at a time (tests are single-threaded).
jmp_buf GuardJump;
DWORD GuardCode = 0;

EXCEPTION_DISPOSITION GuardHandler(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    GuardCode = record->ExceptionCode;
    longjmp(GuardJump, 1);
}

struct TSehFrame {
    TSehFrame* Previous;
    void* Handler;
};

} // namespace

DWORD CallRegistrationEntryGuarded(const std::string& library, const char* entry, HRESULT* result) {
    TModule module(LoadLibraryA(library.c_str()));
    if (!module) Fail("LoadLibraryA " + library);
    using TEntry = HRESULT(WINAPI*)();
    const auto call =
        reinterpret_cast<TEntry>(reinterpret_cast<void*>(GetProcAddress(module.get(), entry)));
    if (call == nullptr) Fail(std::string("GetProcAddress ") + entry);

    volatile TSehFrame frame = {nullptr, reinterpret_cast<void*>(&GuardHandler)};
    TSehFrame* read = nullptr;
    asm volatile("movl %%fs:0, %0" : "=r"(read));
    TSehFrame* volatile previous = read;
    frame.Previous = previous;
    GuardCode = 0;
    asm volatile("movl %0, %%fs:0" : : "r"(&frame) : "memory");
    if (setjmp(GuardJump) == 0) {
        const HRESULT returned = call();
        if (result != nullptr) *result = returned;
    }
    asm volatile("movl %0, %%fs:0" : : "r"(previous) : "memory");
    return GuardCode; // the module is still loaded after a fault; freed by its owner now
}

#else

// x64 has no handler chain to link a frame into; the program's own guard is the means there.
DWORD CallRegistrationEntryGuarded(const std::string& library, const char* entry, HRESULT* result) {
    TModule module(LoadLibraryA(library.c_str()));
    if (!module) Fail("LoadLibraryA " + library);
    const auto call = reinterpret_cast<TLibraryEntryFn>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), entry)));
    if (call == nullptr) Fail(std::string("GetProcAddress ") + entry);
    HRESULT returned = S_OK;
    DWORD code = 0;
    if (GuardedCall(call, &returned, &code) && result != nullptr) *result = returned;
    return code;
}

#endif

TProcessResult RunProcess(const std::string& commandLine, DWORD timeoutMs) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readRaw = nullptr, writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0)) Fail("CreatePipe");
    TFileHandle readEnd(readRaw), writeEnd(writeRaw);
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info = {};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info))
        Fail("CreateProcessA " + commandLine);
    TFileHandle process(info.hProcess), thread(info.hThread);
    writeEnd.reset(); // the child holds the only write end now, so reading ends with it

    // Read only what is there, so that the bound holds for a child that never ends (a read
    // would wait for it) and a process of its own that kept the pipe does not hold us.
    TProcessResult result;
    const auto drain = [&] {
        char chunk[4096];
        DWORD available = 0, got = 0;
        while (PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) &&
               available > 0 &&
               ReadFile(readEnd.get(), chunk, available < sizeof(chunk) ? available : sizeof(chunk),
                        &got, nullptr) &&
               got > 0)
            result.Output.append(chunk, got);
    };
    const DWORD started = GetTickCount();
    while (WaitForSingleObject(process.get(), 20) != WAIT_OBJECT_0) {
        drain();
        if (GetTickCount() - started >= timeoutMs) {
            TerminateProcess(process.get(), 1);
            throw std::runtime_error("timed out: " + commandLine);
        }
    }
    drain();
    GetExitCodeProcess(process.get(), &result.ExitCode);
    return result;
}

} // namespace kestrova_test

namespace kestrova_test {

DWORD NotedProcessId(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string digits((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    DWORD id = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        id = id * 10 + static_cast<DWORD>(c - '0');
    }
    return id;
}

bool ProcessEnds(DWORD id, DWORD timeoutMs) {
    TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    return !process || WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::vector<DWORD> ProcessesNamed(const std::string& exe) {
    std::vector<DWORD> found;
    TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry))
        if (lstrcmpiA(entry.szExeFile, exe.c_str()) == 0) found.push_back(entry.th32ProcessID);
    return found;
}

} // namespace kestrova_test
