// What the elevated rules cost, each beside the work it guards, in one run: the scan with
// the machine's classes read for every registered line against the scan without, the check of
// a library's path per handle against the check by name it replaced, the registration of a
// library held and checked against without, and the download's checks and rename through one
// held handle against the same checks by name.
//   elevated_rules_bench.exe <work folder> <rounds>   (KESTROVA_STANDINS: the stand-ins)
#include "actions/LibraryImage.h"
#include "inventory/Scan.h"
#include "platform/RegistrationHelper.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include "bench/BenchClock.h"

#include <aclapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace kestrova_test;

namespace {

// The real platform, but not elevated: the scan as it was before the machine-classes rule.
class TUnelevated final : public TPlatform {
public:
    explicit TUnelevated(TPlatform& inner) : I(inner) {}
    bool Elevated() override { return false; }
    std::optional<std::string> ReadClassesRootBytes(const std::string& k,
                                                    const std::string& v) override {
        return I.ReadClassesRootBytes(k, v);
    }
    std::optional<std::string> ReadMachineClassesBytes(const std::string& k,
                                                       const std::string& v) override {
        return I.ReadMachineClassesBytes(k, v);
    }
    bool FileExists(const std::string& p) override { return I.FileExists(p); }
    std::optional<TVersionParts> ReadFileVersion(const std::string& f) override {
        return I.ReadFileVersion(f);
    }
    std::string SystemDirectory() override { return I.SystemDirectory(); }
    std::string CurrentDirectory() override { return I.CurrentDirectory(); }
    std::optional<TOsVersion> OsVersion() override { return I.OsVersion(); }
    bool IsWow64() override { return I.IsWow64(); }
    bool RemoveFile(const std::string& p) override { return I.RemoveFile(p); }
    bool ProbeCreateFile(const std::string& p) override { return I.ProbeCreateFile(p); }
    bool CanRemoveFile(const std::string& p) override { return I.CanRemoveFile(p); }
    bool MoveFileOver(const std::string& f, const std::string& t) override {
        return I.MoveFileOver(f, t);
    }
    std::optional<TFileHead> ReadFileHead(const std::string& p, std::size_t m) override {
        return I.ReadFileHead(p, m);
    }
    TEntryCall CallLibraryEntry(const std::string& l, const char* e, const TEntryWait& w) override {
        return I.CallLibraryEntry(l, e, w);
    }
    std::unique_ptr<THeldFile> HoldFile(const std::string& p) override { return I.HoldFile(p); }
    std::unique_ptr<THeldFile> HoldForPlacing(const std::string& p) override {
        return I.HoldForPlacing(p);
    }
    std::unique_ptr<THeldFile> HoldForLoading(const std::string& p) override {
        return I.HoldForLoading(p);
    }
    bool IsLinked(const std::string& p) override { return I.IsLinked(p); }
    bool OthersCanWrite(const std::string& p) override { return I.OthersCanWrite(p); }
    bool IsProtectedSystemFile(const std::string& p) override { return I.IsProtectedSystemFile(p); }
    std::vector<std::string> KnownDlls() override { return I.KnownDlls(); }
    bool SameFile(const std::string& a, const std::string& b) override { return I.SameFile(a, b); }

private:
    TPlatform& I;
};

// The check as it was, kept as the baseline: the owner and access list of the file, its folder
// and each folder above it read by name (GetNamedSecurityInfoA), which a junction on the way
// answers with its target's. Only its reads: the verdict costs nothing beside them.
void CheckByName(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) return;
    for (std::string object(buffer, length); !object.empty();) {
        PSID owner = nullptr;
        PACL acl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (GetNamedSecurityInfoA(object.c_str(), SE_FILE_OBJECT,
                                  OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                  nullptr, &acl, nullptr, &descriptor) == ERROR_SUCCESS) {
            for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
                void* ace = nullptr;
                GetAce(acl, i, &ace);
            }
            LocalFree(descriptor);
        }
        const std::size_t slash = object.find_last_of('\\');
        if (slash == std::string::npos || slash + 1 >= object.size()) break;
        object = object.substr(0, slash);
        if (object.size() == 2 && object[1] == ':') object += '\\';
    }
}

double Median(int rounds, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const double start = SecondsNow();
        work();
        times.push_back(SecondsNow() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2] * 1000.0;
}

void Print(const char* what, double before, double after) {
    std::printf("%-58s %9.3f ms  before %9.3f ms  (%+.3f ms, x%.2f)\n", what, after, before,
                after - before, before > 0 ? after / before : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    // Each registration runs in a helper: a copy of this program started so.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (IsHelperRequest(args)) return RunRegistrationHelper(args);
    if (argc < 3) {
        std::fprintf(stderr, "usage: elevated_rules_bench <work folder> <rounds>\n");
        return 2;
    }
    const std::string work = argv[1];
    const int rounds = std::max(1, std::atoi(argv[2]));
    TPlatform& platform = WindowsPlatform();
    if (!platform.Elevated()) std::printf("not elevated: the rules cost nothing here\n");
    TUnelevated before(platform);
    ResetLibraries();

    // Start-up's scan, every catalogue library with a registration in place (the stand-ins
    // register their own path), the worst case for the machine-classes reads.
    std::vector<std::unique_ptr<TScopedFileCopy>> copies;
    for (const TLibraryEntry& entry : Libraries) {
        copies.push_back(PlaceStandIn("good", entry.Name.str(), work));
        if (entry.NeedsRegistration())
            platform.CallLibraryEntry(copies.back()->Path(), "DllRegisterServer");
    }
    std::vector<std::string> lines;
    const auto scan = [&](TPlatform& p) {
        return [&] {
            lines.clear();
            ScanLibraries(p, lines);
        };
    };
    Print("scan, machine's classes read for each registered line", Median(rounds, scan(before)),
          Median(rounds, scan(platform)));

    // The check of a library's path, per handle (held for its load, its final path, the kind
    // and lists of each object through its own handle, the profile) against the check by name
    // it replaced; then a whole registration with it against the registration alone.
    const std::string library = JoinPath(work, "MSINET.OCX");
    const auto checkByHandle = [&] { platform.HoldForLoading(library)->OthersMayChange(); };
    Print("check of MSINET.OCX's path, per handle (before: by name)",
          Median(rounds, [&] { CheckByName(library); }), Median(rounds, checkByHandle));
    const auto registration = [&] { platform.CallLibraryEntry(library, "DllRegisterServer"); };
    Print("registration of MSINET.OCX, held and checked per handle", Median(rounds, registration),
          Median(rounds, [&] {
              const auto held = platform.HoldForLoading(library);
              held->OthersMayChange();
              registration();
          }));
    for (const auto& copy : copies)
        platform.CallLibraryEntry(copy->Path(), "DllUnregisterServer");
    copies.clear();

    // A download's checks and rename, on the largest stand-in (1.5 MB): by name as before
    // (image head, version and the copy's head by name, Authenticode on a handle, a rename by
    // name), and through the one held handle now.
    const std::string target = JoinPath(work, "MSCOMCTL.OCX"), part = target + ".part";
    TScopedFileCopy arrived(StandInPath("large", "MSCOMCTL.OCX"), part);
    const auto byName = [&] {
        const auto held = platform.HoldFile(part);
        platform.ReadFileHead(part, LIBRARY_IMAGE_HEAD);
        platform.ReadFileVersion(part);
        held->VerifySignature();
        platform.MoveFileOver(part, target);
        MoveFileExA(target.c_str(), part.c_str(), 0);
    };
    const auto throughHandle = [&] {
        {
            const auto held = platform.HoldForPlacing(part);
            held->Read(LIBRARY_IMAGE_HEAD);
            held->Version();
            held->VerifySignature();
            platform.IsLinked(target);
            held->RenameTo(target);
        }
        MoveFileExA(target.c_str(), part.c_str(), 0);
    };
    Print("download checks and rename of MSCOMCTL.OCX, one held handle", Median(rounds, byName),
          Median(rounds, throughHandle));
    return 0;
}
