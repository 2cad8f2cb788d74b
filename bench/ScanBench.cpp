// How much the inventory code adds to a full scan under Wine: the median time of
// ScanLibraries on a crafted machine, beside the median time of the very same Windows
// calls made bare (recorded from one scan, then replayed with no inventory code around
// them), and of the whole work of "/estado FILE" (the scan, the report, its file), measured
// interleaved in one run. Not a test: it prints figures.
#include "app/Unattended.h"
#include "inventory/Scan.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"
#include "tests/support/WrittenKey.h"

#include <windows.h>

#include "bench/BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

using namespace kestrova_test;

namespace {

enum class TCallKind { Registry, Exists, Version, SystemDir, CurrentDir, KnownDlls, SameFile };

struct TCall {
    TCallKind Kind;
    std::string Text;
};

// Passes every query to the real platform and notes which Windows calls it stands for.
class TRecordingPlatform final : public TPlatform {
public:
    explicit TRecordingPlatform(TPlatform& inner) : FInner(inner) {}
    std::vector<TCall> Calls;

    std::optional<std::string> ReadClassesRootBytes(const std::string& key,
                                                    const std::string& valueName) override {
        Calls.push_back({TCallKind::Registry, key});
        return FInner.ReadClassesRootBytes(key, valueName);
    }
    std::optional<std::string> ReadMachineClassesBytes(const std::string& key,
                                                       const std::string& valueName) override {
        return FInner.ReadMachineClassesBytes(key, valueName);
    }
    bool FileExists(const std::string& path) override {
        Calls.push_back({TCallKind::Exists, path});
        return FInner.FileExists(path);
    }
    std::optional<TVersionParts> ReadFileVersion(const std::string& file) override {
        Calls.push_back({TCallKind::Version, file});
        return FInner.ReadFileVersion(file);
    }
    std::string SystemDirectory() override {
        Calls.push_back({TCallKind::SystemDir, {}});
        return FInner.SystemDirectory();
    }
    std::string CurrentDirectory() override {
        Calls.push_back({TCallKind::CurrentDir, {}});
        return FInner.CurrentDirectory();
    }
    std::optional<TOsVersion> OsVersion() override { return FInner.OsVersion(); }
    bool IsWow64() override { return FInner.IsWow64(); }
    bool Elevated() override { return FInner.Elevated(); }
    bool RemoveFile(const std::string& path) override { return FInner.RemoveFile(path); }
    bool ProbeCreateFile(const std::string& path) override { return FInner.ProbeCreateFile(path); }
    bool CanRemoveFile(const std::string& path) override { return FInner.CanRemoveFile(path); }
    bool MoveFileOver(const std::string& from, const std::string& to) override {
        return FInner.MoveFileOver(from, to);
    }
    std::optional<TFileHead> ReadFileHead(const std::string& path, std::size_t maxBytes) override {
        return FInner.ReadFileHead(path, maxBytes);
    }
    TEntryCall CallLibraryEntry(const std::string& library, const char* entry,
                                const TEntryWait& wait) override {
        return FInner.CallLibraryEntry(library, entry, wait);
    }
    std::unique_ptr<THeldFile> HoldFile(const std::string& path) override {
        return FInner.HoldFile(path);
    }
    std::unique_ptr<THeldFile> HoldForPlacing(const std::string& path) override {
        return FInner.HoldForPlacing(path);
    }
    std::unique_ptr<THeldFile> HoldForLoading(const std::string& path) override {
        return FInner.HoldForLoading(path);
    }
    bool IsLinked(const std::string& path) override { return FInner.IsLinked(path); }
    bool OthersCanWrite(const std::string& path) override { return FInner.OthersCanWrite(path); }
    bool IsProtectedSystemFile(const std::string& path) override {
        return FInner.IsProtectedSystemFile(path);
    }
    std::vector<std::string> KnownDlls() override {
        Calls.push_back({TCallKind::KnownDlls, {}});
        return FInner.KnownDlls();
    }
    bool SameFile(const std::string& a, const std::string& b) override {
        Calls.push_back({TCallKind::SameFile, a + "|" + b});
        return FInner.SameFile(a, b);
    }

private:
    TPlatform& FInner;
};

// The recorded calls, made bare; buffers are reused so only Windows' own work remains.
void ReplayBare(const std::vector<TCall>& calls) {
    static char value[4096];
    static std::vector<char> block(1 << 16);
    char folder[MAX_PATH];
    for (const TCall& c : calls) {
        switch (c.Kind) {
        case TCallKind::Registry: {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, c.Text.c_str(), 0, KEY_READ, &key) !=
                ERROR_SUCCESS)
                break;
            DWORD size = 0;
            if (RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
                size <= sizeof(value))
                RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                                 &size);
            RegCloseKey(key);
            break;
        }
        case TCallKind::Exists: {
            WIN32_FIND_DATAA data;
            HANDLE found = FindFirstFileA(c.Text.c_str(), &data);
            if (found != INVALID_HANDLE_VALUE) FindClose(found);
            break;
        }
        case TCallKind::Version: {
            DWORD ignored = 0;
            const DWORD size = GetFileVersionInfoSizeA(c.Text.c_str(), &ignored);
            if (size == 0 || size > block.size()) break;
            if (!GetFileVersionInfoA(c.Text.c_str(), 0, size, block.data())) break;
            void* fixed = nullptr;
            UINT fixedSize = 0;
            VerQueryValueA(block.data(), "\\", &fixed, &fixedSize);
            break;
        }
        case TCallKind::SystemDir:
            GetSystemDirectoryA(folder, MAX_PATH);
            break;
        case TCallKind::CurrentDir:
            GetCurrentDirectoryA(MAX_PATH, folder);
            break;
        case TCallKind::KnownDlls: {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                              "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs", 0,
                              KEY_READ, &key) != ERROR_SUCCESS)
                break;
            char name[256];
            for (DWORD index = 0;; ++index) {
                DWORD nameSize = sizeof(name), size = sizeof(value);
                if (RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(value), &size) == ERROR_NO_MORE_ITEMS)
                    break;
            }
            RegCloseKey(key);
            break;
        }
        case TCallKind::SameFile: {
            const std::size_t bar = c.Text.find('|');
            for (const std::string& path : {c.Text.substr(0, bar), c.Text.substr(bar + 1)}) {
                HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
                BY_HANDLE_FILE_INFORMATION info;
                if (file != INVALID_HANDLE_VALUE) {
                    GetFileInformationByHandle(file, &info);
                    CloseHandle(file);
                }
            }
            break;
        }
        }
    }
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const std::size_t i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[i];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    try {
        // A machine like a user's: libraries in the system directory and beside the
        // client, most registered, some outdated, some missing with stale registrations.
        TScopedFolder here, elsewhere;
        const std::string sys = SystemDirectory();
        std::vector<std::unique_ptr<TScopedFileCopy>> files;
        std::vector<std::unique_ptr<TScopedClassesRootKey>> keys;
        ResetLibraries();
        int i = 0;
        for (const TLibraryEntry& e : Libraries) {
            const std::string name = e.Name.str();
            if (WineProvides(name)) continue; // Wine's own copy stays as it is
            const bool keyed = e.NeedsRegistration();
            if (keyed) keys.push_back(std::make_unique<TScopedClassesRootKey>(WrittenKeyOf(e)));
            const int slot = i++ % 4;
            switch (slot) {
            case 0:
            case 1:
                files.push_back(PlaceStandIn("good", name, slot == 0 ? sys : here.Path()));
                if (keyed) CallRegistrationEntry(files.back()->Path(), "DllRegisterServer");
                break;
            case 2:
                files.push_back(PlaceStandIn("outdated", name, sys));
                break;
            case 3:
                if (keyed) keys.back()->SetDefault(elsewhere / name);
                break;
            }
        }
        TScopedCurrentDirectory cwd(here.Path());

        TRecordingPlatform recorder(WindowsPlatform());
        std::vector<std::string> lines;
        ScanLibraries(recorder, lines);
        std::map<std::string, int> statuses;
        for (const std::string& line : lines)
            ++statuses[line.substr(line.rfind(" - "))];
        std::map<TCallKind, int> counts;
        for (const TCall& c : recorder.Calls)
            ++counts[c.Kind];

        const std::string reportPath = elsewhere / "Kestrova-estado.txt";
        // What "/estado FILE" does once its switches are read.
        const auto statusRun = [&] {
            bool allOk = false;
            WriteReportFile(reportPath, ScanReport(WindowsPlatform(), allOk));
        };
        for (int w = 0; w < 10; ++w) { // warm Wine's caches for every side alike
            ScanLibraries(WindowsPlatform(), lines = {});
            ReplayBare(recorder.Calls);
            statusRun();
        }
        enum { SCAN, BARE, STATUS, SIDES };
        std::vector<double> times[SIDES];
        for (int r = 0; r < runs; ++r) {
            // Interleaved, rotating which goes first, so drift hits every side alike.
            for (int step = 0; step < SIDES; ++step) {
                const int side = (step + r) % SIDES;
                lines.clear();
                const double start = MillisecondsNow();
                if (side == SCAN)
                    ScanLibraries(WindowsPlatform(), lines);
                else if (side == BARE)
                    ReplayBare(recorder.Calls);
                else
                    statusRun();
                times[side].push_back(MillisecondsNow() - start);
            }
        }

        // The build goes with every figure: the x64 test build's are not the program's.
        std::printf("full scan on a crafted machine (%s, %s prefix), %d interleaved runs each\n",
                    sizeof(void*) == 8 ? "x64 test build" : "32-bit program", Arch().c_str(), runs);
        std::printf("  lines:");
        for (const auto& [status, n] : statuses) // the status words without their 0xA1
            std::printf("  %d x %s", n, status.substr(status.find('\xA1') + 1).c_str());
        std::printf("\n  Windows queries per scan: %d registry, %d existence, %d version, %d "
                    "folder\n",
                    counts[TCallKind::Registry], counts[TCallKind::Exists],
                    counts[TCallKind::Version],
                    counts[TCallKind::SystemDir] + counts[TCallKind::CurrentDir]);
        const char* const names[SIDES] = {"ScanLibraries", "bare Windows calls", "/estado FILE"};
        for (int side = 0; side < SIDES; ++side)
            std::printf("  %-22s median %8.3f ms   p10 %8.3f   p90 %8.3f\n", names[side],
                        Percentile(times[side], 0.5), Percentile(times[side], 0.1),
                        Percentile(times[side], 0.9));
        // Each side ran right beside the others: the ratio within one round cancels load
        // from other processes on the machine, which moves the medians between modes.
        const auto report = [&](const char* what, int side, int base) {
            std::vector<double> paired;
            for (std::size_t r = 0; r < times[side].size(); ++r)
                paired.push_back(times[side][r] / times[base][r]);
            std::printf("  %-32s ratio of medians %.3f, median of paired ratios %.3f (goal: at "
                        "most 1.10)\n",
                        what, Percentile(times[side], 0.5) / Percentile(times[base], 0.5),
                        Percentile(paired, 0.5));
        };
        report("ScanLibraries / bare calls:", SCAN, BARE);
        report("/estado FILE / bare calls:", STATUS, BARE);
        std::printf("  /estado FILE / ScanLibraries: ratio of medians %.3f\n",
                    Percentile(times[STATUS], 0.5) / Percentile(times[SCAN], 0.5));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
