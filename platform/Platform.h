// The few Windows facts and file operations the decision logic needs, behind one narrow
// interface: the real Windows layer implements it, and native tests use an in-memory one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The four 16-bit numbers of a file's fixed version block.
struct TVersionParts {
    uint16_t Major = 0;
    uint16_t Minor = 0;
    uint16_t Release = 0;
    uint16_t Build = 0;
};

// What GetVersionExA reports about the running Windows.
struct TOsVersion {
    uint32_t PlatformId = 0;
    uint32_t Major = 0;
    uint32_t Minor = 0;
    std::string ServicePack; // szCSDVersion
    uint32_t Build = 0;
    // wProductType: 1 (VER_NT_WORKSTATION) for a desktop Windows, 2 or 3 for a server.
    uint8_t ProductType = 1;
};

// How a caller waits for one library entry's call.
struct TEntryWait {
    // The most the call may take, in seconds; 0: as long as it takes.
    uint32_t LimitSeconds = 0;
    // Told while the call runs, at least every tenth of a second and, when PumpsMessages,
    // whenever window messages arrive for the calling thread (which it then handles):
    // answers true to stop the call.
    std::function<bool()> Waiting;
    bool PumpsMessages = false;
};

class TPlatform {
public:
    virtual ~TPlatform() = default;

    // The bytes of value `valueName` ("" is the default value) of `key` under
    // HKEY_CLASSES_ROOT, opened with plain KEY_READ: exactly the bytes the second read
    // returned, never more. nullopt when the key cannot be opened or the value not read.
    virtual std::optional<std::string> ReadClassesRootBytes(const std::string& key,
                                                            const std::string& valueName) = 0;
    // The same, under the machine's classes alone (HKEY_LOCAL_MACHINE\SOFTWARE\Classes, in
    // this process's view): what administrators registered, without the user's own classes
    // that HKEY_CLASSES_ROOT merges over them.
    virtual std::optional<std::string> ReadMachineClassesBytes(const std::string& key,
                                                               const std::string& valueName) = 0;

    // True only when `path` names an existing file; a directory counts as absent, and so
    // does a path holding the pattern characters "*" or "?".
    virtual bool FileExists(const std::string& path) = 0;

    // The fixed version block of `file`; nullopt when it has none or it cannot be read.
    virtual std::optional<TVersionParts> ReadFileVersion(const std::string& file) = 0;

    // GetSystemDirectoryA: no trailing backslash. Empty on failure.
    virtual std::string SystemDirectory() = 0;

    // GetCurrentDirectoryA, read anew at every call. Empty on failure.
    virtual std::string CurrentDirectory() = 0;

    // GetVersionExA; nullopt when the query fails.
    virtual std::optional<TOsVersion> OsVersion() = 0;

    // True only when kernel32 exports IsWow64Process, the call succeeds and its flag is set.
    virtual bool IsWow64() = 0;

    // True when this process runs with an administrator's rights: the token's elevation
    // (GetTokenInformation, TokenElevation); where Windows cannot say (before Vista) or the
    // query fails, when the user is a member of BUILTIN\Administrators. Read once per run.
    virtual bool Elevated() = 0;

    // DeleteFileA; true when the file was deleted.
    virtual bool RemoveFile(const std::string& path) = 0;

    // Creates `path` create-new, unshared, temporary and delete-on-close, then closes and
    // deletes it. True when the file could be created.
    virtual bool ProbeCreateFile(const std::string& path) = 0;

    // True when `path` is a file that RemoveFile could delete now: not read-only, and
    // openable for delete and write access (nobody holds it without delete or write
    // sharing, and no running program has it loaded). Removes nothing.
    virtual bool CanRemoveFile(const std::string& path) = 0;

    // MoveFileExA with MOVEFILE_REPLACE_EXISTING: `from` takes the place of `to`, in one
    // step when both lie in one folder. False, with both files as they were, on failure.
    virtual bool MoveFileOver(const std::string& from, const std::string& to) = 0;

    // Up to `maxBytes` from the start of the file, and the file's whole size. nullopt
    // when the file cannot be opened or read.
    struct TFileHead {
        std::string Bytes;
        uint64_t Size = 0;
    };
    virtual std::optional<TFileHead> ReadFileHead(const std::string& path,
                                                  std::size_t maxBytes) = 0;

    // What calling a library's exported entry (no arguments, an HRESULT back) came to.
    struct TEntryCall {
        enum class TOutcome {
            NotLoaded, // the library could not be loaded (LoadError says why)
            NoEntry,   // the library does not export the entry
            Returned,  // the entry returned Result
            Faulted,   // the entry raised structured exception FaultCode
            Ended,     // the process that ran the call ended during it, with ExitCode
            TimedOut,  // the call ran past its time limit, and its process was ended
            Stopped,   // the caller asked to stop, and the call's process was ended
        };
        TOutcome Outcome = TOutcome::NotLoaded;
        int32_t Result = 0;
        uint32_t FaultCode = 0;
        uint32_t LoadError = 0;
        uint32_t ExitCode = 0;
    };
    // Calls the entry `entry` of the library at `library` (a path that is not a full one is
    // taken from the current folder; its dependencies come from its own folder and the system
    // folder) under a guard that catches a fault inside it, and unloads the library again in
    // every case; OLE is initialized around the load, as regsvr32 does. The call runs in a
    // helper process, so a library that never returns, or ends its process, costs that call
    // only; `wait` says how long it may take and how the caller waits meanwhile.
    virtual TEntryCall CallLibraryEntry(const std::string& library, const char* entry,
                                        const TEntryWait& wait = TEntryWait()) = 0;

    // What WinVerifyTrust (generic Authenticode policy, no user interface, no revocation
    // check) said of a file, and when it said 0, who signed it: the organization and the
    // common name of the leaf certificate.
    struct TSignerCheck {
        int32_t Status = 0;
        std::string Organization;
        std::string CommonName;
    };
    // A file held open until the owner lets go: no one changes its bytes meanwhile, and
    // every check reads it through the one handle, never by its name again.
    class THeldFile {
    public:
        virtual ~THeldFile() = default;
        // Verifies the held file itself, not a file opened again by its name.
        virtual TSignerCheck VerifySignature() = 0;
        // Up to `maxBytes` from the start of the held file, and its whole size; nullopt when
        // it cannot be read.
        virtual std::optional<TFileHead> Read(std::size_t maxBytes) = 0;
        // The fixed version block of the held bytes; nullopt when they have none or cannot
        // be read.
        virtual std::optional<TVersionParts> Version() = 0;
        // Whether `signature` (big-endian, as openssl writes it) is an RSA PKCS#1 v1.5
        // signature over SHA-256 of `prefix` followed by every held byte, under `publicKey`
        // (a CryptoAPI PUBLICKEYBLOB). False when the key cannot be imported or the bytes
        // read; a platform that cannot check says false.
        virtual bool VerifyDetachedSignature(const std::string& /*publicKey*/,
                                             const std::string& /*prefix*/,
                                             const std::string& /*signature*/) {
            return false;
        }
        // Gives the held file the name `to`, replacing a file of that name, through the
        // handle: it is this file that moves, whatever its old name points at by now. Only
        // for a file held by HoldForPlacing. False, with both files as they were, on failure.
        virtual bool RenameTo(const std::string& /*to*/) { return false; }
        // TPlatform::OthersCanWrite's rule for the held file, read through this handle: its
        // final path must be the path it was held by. A platform that cannot tell says true.
        virtual bool OthersMayChange() { return true; }
        // FlushFileBuffers on the held handle: the file's bytes and its name as they are now
        // reach the disk before this returns. Only for a file held by HoldForPlacing, whose
        // hold may write. False when the flush failed.
        virtual bool Flush() { return false; }
        // Ends the write access a flush needed (a library is not loaded from a file someone
        // holds for writing) and holds the same file as HoldForKeeping does: true when the
        // file held again by its name is still this one. False, and nothing held, otherwise.
        virtual bool StopWriting() { return false; }
        // Removes the held file when the hold ends, whatever its name is by then. Only for a
        // file held with delete access. False when it cannot be marked so.
        virtual bool RemoveWhenReleased() { return false; }
    };
    // Holds `path` for reading, reading and deleting shared but not writing; nullptr when it
    // cannot be opened so.
    virtual std::unique_ptr<THeldFile> HoldFile(const std::string& path) = 0;
    // Holds `path` for checking, flushing and placing: read, write and delete access, reading
    // shared only, so no one else writes, renames or deletes it until the owner lets go
    // (StopWriting then lets a library be loaded from it). Never through a link: nullptr when
    // `path` is a reparse point, has more than one hard link, or cannot be opened so.
    virtual std::unique_ptr<THeldFile> HoldForPlacing(const std::string& path) = 0;
    // Holds `path` as a replacement keeps the copy it replaces: read and delete access,
    // reading shared only (a library may be loaded from it, and it may be renamed back through
    // the hold), never through a link. nullptr when it cannot be held so.
    virtual std::unique_ptr<THeldFile> HoldForKeeping(const std::string& /*path*/) {
        return nullptr;
    }
    // Holds the library at `path` for loading it: read access, reading shared only, its own
    // link not followed. While the holder lives no one writes, renames or deletes the file, nor
    // renames a folder on its path, so a load that takes `path` meanwhile (in this process or
    // another) loads this file. nullptr when it cannot be opened so.
    virtual std::unique_ptr<THeldFile> HoldForLoading(const std::string& path) = 0;
    // True when `path` is a reparse point or a file with more than one hard link (a write
    // or a rename there may reach another file); false for a plain file and for none.
    virtual bool IsLinked(const std::string& path) = 0;

    // Whether anyone but administrators, SYSTEM, TrustedInstaller and the running user may
    // change the file or folder at `path`, or what the path leads to (OthersMayChangePath):
    // each object from it up to the volume's root opened without following a link and read
    // through its handle, a link anywhere on the way, a path whose object lies elsewhere (its
    // final path), a network location, and the running user's profile and temporary folder
    // all count as yes, as does anything that cannot be read.
    virtual bool OthersCanWrite(const std::string& path) = 0;

    // SfcIsFileProtected(nullptr, path): true when Windows Resource Protection guards the
    // file at `path`. False where sfc.dll or the function is missing.
    virtual bool IsProtectedSystemFile(const std::string& path) = 0;

    // The data of every text value of the key KnownDLLs (HKEY_LOCAL_MACHINE, below
    // SYSTEM\CurrentControlSet\Control\Session Manager), read through the 64-bit view
    // under WOW64 as the loader reads it: the names Windows loads from the system folder
    // only. Empty when the key cannot be read.
    virtual std::vector<std::string> KnownDlls() = 0;

    // True when both paths name one existing file, however each spells it (another case,
    // a short name, the 32-bit system folder under its own name under WOW64).
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;

    // Told the bytes copied so far and the size the source had when it was opened; answers
    // true to stop the copy.
    using TCopyProgress = std::function<bool(uint64_t copied, uint64_t size)>;
    enum class TCopyOutcome {
        Copied, // every byte up to the end of `from`, and no answer said stop
        Failed, // nothing stays under `to`
        Linked, // `from` is a reparse point or a file with more than one hard link: nothing read
    };
    // Copies the file `from`, opened without following a link, into `to`, which is created
    // new (a name already there fails the copy, so a link planted under it is never written
    // through), telling `progress` before the first block and after each one. A platform that
    // cannot copy says Failed.
    virtual TCopyOutcome CopyFileReporting(const std::string& /*from*/, const std::string& /*to*/,
                                           const TCopyProgress& /*progress*/) {
        return TCopyOutcome::Failed;
    }
};
