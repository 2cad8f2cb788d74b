// A read loop rather than CopyFileExA: the progress and the stop are reported the same way on
// every Windows, the source is read only when its name is no link, and the new file is created
// new, never opened through a name someone else planted.
#include "platform/FileCopy.h"

#include "platform/Handles.h"

#include <vector>

namespace {

// Large enough that a share answers in few round trips, small enough that a stop is heard
// within a fraction of a second on a slow one.
constexpr DWORD COPY_BLOCK = 256 * 1024;

bool Copy(HANDLE source, HANDLE target, const TPlatform::TCopyProgress& progress) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(source, &size)) return false;
    const auto total = static_cast<uint64_t>(size.QuadPart);
    uint64_t copied = 0;
    if (progress(copied, total)) return false;
    std::vector<char> block(COPY_BLOCK);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, block.data(), COPY_BLOCK, &got, nullptr)) return false;
        if (got == 0) return true;
        DWORD written = 0;
        if (!WriteFile(target, block.data(), got, &written, nullptr) || written != got)
            return false;
        copied += got;
        if (progress(copied, total)) return false;
    }
}

} // namespace

TPlatform::TCopyOutcome CopyFileReporting(const std::string& from, const std::string& to,
                                          const TPlatform::TCopyProgress& progress) {
    using TOutcome = TPlatform::TCopyOutcome;
    // Whoever writes to the source meanwhile only spoils what the checks of the copy read. A
    // name in a folder others can write may be a link to a file only we may read: the name's
    // own object is opened, and a link is not read at all.
    TFileHandle source(CreateFileA(
        from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!source) return TOutcome::Failed;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(source.get(), &info)) return TOutcome::Failed;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || info.nNumberOfLinks > 1)
        return TOutcome::Linked;
    TFileHandle target(CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target) return TOutcome::Failed;
    const bool copied = Copy(source.get(), target.get(), progress);
    target.reset();
    if (!copied) DeleteFileA(to.c_str());
    return copied ? TOutcome::Copied : TOutcome::Failed;
}
