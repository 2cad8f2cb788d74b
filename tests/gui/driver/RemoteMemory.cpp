// Memory placed in the program's process for a message that points at it, freed afterwards.
#include "RemoteMemory.h"

#include "platform/Handles.h"

#include <stdexcept>
#include <string>

namespace gui {

namespace {
void CloseKernelHandle(HANDLE h) {
    CloseHandle(h);
}
using TProcessHandle = TOwned<TNullTraits<HANDLE, CloseKernelHandle>>;
} // namespace

LRESULT SendPointingAt(HWND window, UINT message, WPARAM wParam, void* data, std::size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const TProcessHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) throw std::runtime_error("OpenProcess " + std::to_string(GetLastError()));
    void* remote =
        VirtualAllocEx(process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) throw std::runtime_error("VirtualAllocEx " + std::to_string(GetLastError()));
    SIZE_T moved = 0;
    const bool placed =
        WriteProcessMemory(process.get(), remote, data, size, &moved) && moved == size;
    LRESULT result = 0;
    if (placed) result = SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(remote));
    const bool readBack =
        placed && ReadProcessMemory(process.get(), remote, data, size, &moved) && moved == size;
    VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    if (!readBack) throw std::runtime_error("the message's memory could not be placed or read");
    return result;
}

} // namespace gui
