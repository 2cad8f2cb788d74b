// An in-memory Windows for native tests: a registry, a file system with versions, the
// two directories and the OS facts, counting every query the code makes.
#pragma once

#include "platform/Platform.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class TFakePlatform : public TPlatform {
public:
    std::map<std::string, std::string> Registry;    // "key" or "key|value" -> bytes
    std::map<std::string, std::string> UserClasses; // the same, the user's own, merged over it
    std::map<std::string, std::optional<TVersionParts>> Files; // Upper(path) -> version
    std::set<std::string> Undeletable;                         // upper-cased paths
    std::map<std::string, std::string> Contents; // upper-cased path -> bytes (empty if unset)
    std::set<std::string> UnwritableFolders;     // upper-cased, no trailing "\"
    std::map<std::string, TEntryCall> Entries;   // upper-cased library path -> what its entry does
    std::vector<std::string> EntryCalls;         // "<path> <entry>" of every call, in order
    // What WinVerifyTrust says per upper-cased path; a file not listed has no signature.
    std::map<std::string, TSignerCheck> Signatures;
    int Held = 0; // files held open right now
    // Upper-cased, one per holder; and per MoveFileOver, whether its `from` was held then, and
    // per CallLibraryEntry, whether its library was.
    std::multiset<std::string> HeldPaths;
    std::vector<bool> MovedWhileHeld, CalledWhileHeld;
    std::vector<uint32_t> EntryLimits; // per CallLibraryEntry, the time limit it was given
    // Every flush and rename through a held file, and every entry called, in order:
    // "flush PATH", "rename FROM -> TO", "call PATH".
    std::vector<std::string> Operations;
    std::set<std::string> Unreadable; // upper-cased: there, but no one can open or read them
    std::set<std::string> Linked;     // upper-cased: reparse points or files with other links
    std::string SystemDir = "C:\\WINDOWS\\system32";
    std::string CurrentDir = "C:\\Program Files\\Client";
    std::optional<TOsVersion> Os = TOsVersion{2, 6, 1, "Service Pack 1"};
    bool Wow64 = false;
    bool ElevatedRun = false; // a standard user's run unless a test says otherwise

    int RegistryReads = 0;
    int ExistenceChecks = 0;
    int VersionReads = 0;

    // A path as the file system knows it, the key of every map above: upper case, with "."
    // and ".." resolved as Windows resolves them before it looks the path up.
    static std::string Upper(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        std::vector<std::string> parts;
        for (std::size_t at = 0; at <= s.size();) {
            const std::size_t end = std::min(s.find('\\', at), s.size());
            const std::string part = s.substr(at, end - at);
            if (part == ".." && parts.size() > 1)
                parts.pop_back();
            else if (part != "." && part != "..")
                parts.push_back(part);
            at = end + 1;
        }
        std::string path;
        for (const std::string& part : parts)
            path += (path.empty() ? "" : "\\") + part;
        return path;
    }
    void AddFile(const std::string& path, std::optional<TVersionParts> version) {
        Files[Upper(path)] = version;
    }
    bool HasFile(const std::string& path) const { return Files.count(Upper(path)) != 0; }

    std::optional<std::string> ReadClassesRootBytes(const std::string& key,
                                                    const std::string& valueName) override {
        ++RegistryReads;
        const std::string name = valueName.empty() ? key : key + "|" + valueName;
        if (auto user = UserClasses.find(name); user != UserClasses.end()) return user->second;
        return ReadMachineClassesBytes(key, valueName);
    }
    std::optional<std::string> ReadMachineClassesBytes(const std::string& key,
                                                       const std::string& valueName) override {
        auto it = Registry.find(valueName.empty() ? key : key + "|" + valueName);
        if (it == Registry.end()) return std::nullopt;
        return it->second;
    }
    bool FileExists(const std::string& path) override {
        ++ExistenceChecks;
        return HasFile(path);
    }
    std::optional<TVersionParts> ReadFileVersion(const std::string& file) override {
        ++VersionReads;
        auto it = Files.find(Upper(file));
        return it == Files.end() ? std::nullopt : it->second;
    }
    std::string SystemDirectory() override { return SystemDir; }
    std::string CurrentDirectory() override { return CurrentDir; }
    std::optional<TOsVersion> OsVersion() override { return Os; }
    bool IsWow64() override { return Wow64; }
    bool Elevated() override { return ElevatedRun; }
    bool RemoveFile(const std::string& path) override {
        if (!HasFile(path) || Undeletable.count(Upper(path))) return false;
        Files.erase(Upper(path));
        Contents.erase(Upper(path));
        return true;
    }
    std::vector<std::string> Probed; // upper-cased folders a probe file was created in
    bool ProbeCreateFile(const std::string& path) override {
        const std::string folder = Upper(path.substr(0, path.rfind('\\')));
        Probed.push_back(folder);
        return !HasFile(path) && UnwritableFolders.count(folder) == 0;
    }
    bool CanRemoveFile(const std::string& path) override {
        return HasFile(path) && Undeletable.count(Upper(path)) == 0;
    }
    bool MoveFileOver(const std::string& from, const std::string& to) override {
        MovedWhileHeld.push_back(HeldPaths.count(Upper(from)) != 0);
        // A file held without delete sharing can be neither replaced nor moved away.
        if (!HasFile(from) || Undeletable.count(Upper(from)) || Undeletable.count(Upper(to)))
            return false;
        Files[Upper(to)] = Files[Upper(from)];
        Contents[Upper(to)] = Contents[Upper(from)];
        Files.erase(Upper(from));
        Contents.erase(Upper(from));
        return true;
    }
    // The whole file in one block, told before and after it; a Linked source is not read.
    TCopyOutcome CopyFileReporting(const std::string& from, const std::string& to,
                                   const TCopyProgress& progress) override {
        if (!HasFile(from) || HasFile(to)) return TCopyOutcome::Failed;
        if (IsLinked(from)) return TCopyOutcome::Linked;
        const uint64_t size = Contents[Upper(from)].size();
        if (progress(0, size)) return TCopyOutcome::Failed;
        AddFile(to, Files[Upper(from)]);
        Contents[Upper(to)] = Contents[Upper(from)];
        if (!progress(size, size)) return TCopyOutcome::Copied;
        RemoveFile(to);
        return TCopyOutcome::Failed;
    }
    std::optional<TFileHead> ReadFileHead(const std::string& path, std::size_t maxBytes) override {
        if (!HasFile(path)) return std::nullopt;
        const std::string& bytes = Contents[Upper(path)];
        return TFileHead{bytes.substr(0, maxBytes), bytes.size()};
    }
    // A library without an outcome of its own cannot be loaded. The caller's wait is told
    // once while the call runs; a stop it answers ends the call as the helper's end would.
    TEntryCall CallLibraryEntry(const std::string& library, const char* entry,
                                const TEntryWait& wait = TEntryWait()) override {
        EntryCalls.push_back(library + " " + entry);
        EntryLimits.push_back(wait.LimitSeconds);
        Operations.push_back("call " + library);
        CalledWhileHeld.push_back(HeldPaths.count(Upper(library)) != 0);
        if (wait.Waiting && wait.Waiting()) return {TEntryCall::TOutcome::Stopped};
        auto it = Entries.find(Upper(library));
        return it == Entries.end() ? TEntryCall{} : it->second;
    }
    std::unique_ptr<THeldFile> HoldFile(const std::string& path) override {
        // Held files read the fake's maps by the name they were held under; a rename moves
        // that name with the file.
        struct THeld : THeldFile {
            TFakePlatform& P;
            std::string Path;
            THeld(TFakePlatform& p, std::string path) : P(p), Path(std::move(path)) {
                ++P.Held;
                P.HeldPaths.insert(Upper(Path));
            }
            bool RemoveOnRelease = false;
            ~THeld() override {
                if (RemoveOnRelease) P.RemoveFile(Path);
                --P.Held;
                P.HeldPaths.erase(P.HeldPaths.find(Upper(Path)));
            }
            TSignerCheck VerifySignature() override {
                auto it = P.Signatures.find(Upper(Path));
                return it == P.Signatures.end() ? TSignerCheck{NO_SIGNATURE, {}, {}} : it->second;
            }
            std::optional<TFileHead> Read(std::size_t maxBytes) override {
                return P.ReadFileHead(Path, maxBytes);
            }
            std::optional<TVersionParts> Version() override { return P.ReadFileVersion(Path); }
            bool VerifyDetachedSignature(const std::string& publicKey, const std::string& prefix,
                                         const std::string& signature) override {
                // Trailing spaces pad a good signature past any size bound.
                const std::string sig = signature.substr(0, signature.find_last_not_of(' ') + 1);
                return sig == FakeSign(publicKey, prefix, P.Contents[Upper(Path)]);
            }
            bool RenameTo(const std::string& to) override {
                P.Operations.push_back("rename " + Path + " -> " + to);
                if (!P.MoveFileOver(Path, to)) return false;
                P.HeldPaths.erase(P.HeldPaths.find(Upper(Path)));
                Path = to;
                P.HeldPaths.insert(Upper(Path));
                return true;
            }
            bool OthersMayChange() override { return P.OthersCanWrite(Path); }
            bool Flush() override {
                P.Operations.push_back("flush " + Path);
                return true;
            }
            bool StopWriting() override { return true; }
            bool RemoveWhenReleased() override { return RemoveOnRelease = true; }
        };
        if (!HasFile(path) || Unreadable.count(Upper(path))) return nullptr;
        return std::make_unique<THeld>(*this, path);
    }
    std::unique_ptr<THeldFile> HoldForPlacing(const std::string& path) override {
        return IsLinked(path) ? nullptr : HoldFile(path);
    }
    std::unique_ptr<THeldFile> HoldForKeeping(const std::string& path) override {
        return IsLinked(path) || Undeletable.count(Upper(path)) ? nullptr : HoldFile(path);
    }
    std::set<std::string> Written; // upper-cased: someone writes them now, so none holds them
    std::unique_ptr<THeldFile> HoldForLoading(const std::string& path) override {
        return Written.count(Upper(path)) != 0 ? nullptr : HoldFile(path);
    }
    bool IsLinked(const std::string& path) override { return Linked.count(Upper(path)) != 0; }
    // Upper-cased paths of libraries and folders others may change (OthersCanWrite's verdict
    // as the Windows layer would give it), and every path checked, in order.
    std::set<std::string> WritableByOthers;
    std::vector<std::string> OthersChecked;
    bool OthersCanWrite(const std::string& path) override {
        OthersChecked.push_back(path);
        return WritableByOthers.count(Upper(path)) != 0;
    }
    static constexpr int32_t NO_SIGNATURE = static_cast<int32_t>(0x800B0100);
    void SignedBy(const std::string& path, const std::string& publisher) {
        Signatures[Upper(path)] = {0, publisher, publisher};
    }
    void Registers(const std::string& library) {
        Entries[Upper(library)] = {TEntryCall::TOutcome::Returned, 0, 0};
    }

    std::set<std::string> Protected;       // upper-cased paths Windows Resource Protection guards
    std::vector<std::string> KnownDllList; // the KnownDLLs values' data
    bool IsProtectedSystemFile(const std::string& path) override {
        return Protected.count(Upper(path)) != 0;
    }
    std::vector<std::string> KnownDlls() override { return KnownDllList; }
    bool SameFile(const std::string& a, const std::string& b) override {
        return HasFile(a) && Upper(a) == Upper(b);
    }
    // A detached signature is good when it reads FakeSign(key, prefix, file's bytes): a
    // digest of the bytes, so a signature stays small however large the library is.
    static std::string FakeSign(const std::string& key, const std::string& prefix,
                                const std::string& bytes) {
        return "signed by " + key + " over " + prefix + " " +
               std::to_string(std::hash<std::string>{}(bytes)) + " " + std::to_string(bytes.size());
    }
};
