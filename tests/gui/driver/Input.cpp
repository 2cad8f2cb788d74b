// SendInput wrappers. Absolute mouse coordinates are normalised to 0..65535 over the
// primary screen, rounding to the pixel centre so the pointer lands on the pixel asked for.
#include "Input.h"

#include "Wait.h"

#include <vector>

namespace gui {

namespace {

INPUT MouseInput(POINT screen, DWORD flags) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((screen.x * 65536LL + width / 2) / width);
    input.mi.dy = static_cast<LONG>((screen.y * 65536LL + height / 2) / height);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void Send(std::vector<INPUT>& inputs) {
    if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void AppendKeyStroke(std::vector<INPUT>& inputs, WORD virtualKey, unsigned modifiers) {
    const WORD held[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
    const unsigned bits[] = {WITH_SHIFT, WITH_CTRL, WITH_ALT};
    for (int i = 0; i < 3; ++i)
        if (modifiers & bits[i]) inputs.push_back(KeyInput(held[i], false));
    inputs.push_back(KeyInput(virtualKey, false));
    inputs.push_back(KeyInput(virtualKey, true));
    for (int i = 2; i >= 0; --i)
        if (modifiers & bits[i]) inputs.push_back(KeyInput(held[i], true));
}

} // namespace

void MoveMouseTo(POINT screen) {
    std::vector<INPUT> inputs{MouseInput(screen, 0)};
    Send(inputs);
}

void ClickAt(HWND window, POINT client) {
    POINT screen = client;
    ClientToScreen(window, &screen);
    std::vector<INPUT> inputs{MouseInput(screen, 0), MouseInput(screen, MOUSEEVENTF_LEFTDOWN),
                              MouseInput(screen, MOUSEEVENTF_LEFTUP)};
    Send(inputs);
}

void Click(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    ClickAt(window, POINT{(client.right - client.left) / 2, (client.bottom - client.top) / 2});
}

void Wheel(HWND window, int notches) {
    RECT client{};
    GetClientRect(window, &client);
    POINT screen{client.right / 2, client.bottom / 2};
    ClientToScreen(window, &screen);
    std::vector<INPUT> inputs{MouseInput(screen, 0)};
    INPUT turn{};
    turn.type = INPUT_MOUSE;
    turn.mi.dwFlags = MOUSEEVENTF_WHEEL;
    turn.mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
    inputs.push_back(turn);
    Send(inputs);
}

bool BringToFront(HWND window) {
    if (GetForegroundWindow() == window) return true;
    SetForegroundWindow(window);
    return WaitUntil([&] { return GetForegroundWindow() == window; });
}

void PressKey(WORD virtualKey, unsigned modifiers) {
    std::vector<INPUT> inputs;
    AppendKeyStroke(inputs, virtualKey, modifiers);
    Send(inputs);
}

void TypeText(const std::string& text) {
    std::vector<INPUT> inputs;
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        if (scan == -1) continue;
        const unsigned shiftState = HIBYTE(scan);
        unsigned modifiers = NO_MODIFIER;
        if (shiftState & 1) modifiers |= WITH_SHIFT;
        if (shiftState & 2) modifiers |= WITH_CTRL;
        if (shiftState & 4) modifiers |= WITH_ALT;
        AppendKeyStroke(inputs, LOBYTE(scan), modifiers);
    }
    Send(inputs);
}

bool ClickListLine(HWND list, int index) {
    const int lineHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    if (lineHeight <= 0) return false;
    RECT client{};
    GetClientRect(list, &client);
    const int visible = client.bottom / lineHeight;
    auto top = [&] { return static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0)); };
    for (int turns = 0; turns < 20 && !(top() <= index && index < top() + visible); ++turns) {
        const int before = top();
        Wheel(list, index < before ? 1 : -1);
        WaitUntil([&] { return top() != before; }, 1000);
    }
    if (!(top() <= index && index < top() + visible)) return false;
    ClickAt(list, POINT{client.right / 2, (index - top()) * lineHeight + lineHeight / 2});
    return true;
}

} // namespace gui
