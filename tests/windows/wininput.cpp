// Keyboard input and the clipboard of a Windows program under Wine, from the Windows side.
// Xvfb has no window manager, so keys sent from X never reach a window Wine has made active
// after start-up (a message box); input sent with SendInput goes through Wine's own queue to
// the window brought to the foreground.
//   pravix-wininput wait TITLE     waits up to 60 s for a visible window titled TITLE
//   pravix-wininput click TITLE X Y   a left click at X,Y of its client area
//   pravix-wininput copy TITLE     Ctrl+C into the window titled TITLE; prints the clipboard
//   pravix-wininput return TITLE   presses Enter in it
//   pravix-wininput close TITLE    asks it to close, as its title bar's close button does
// Exit status 0 when done, 1 when there is no such window, 2 when the clipboard stays empty.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HWND windowTitled(const wchar_t *title, int seconds)
{
    for (int attempt = 0; attempt < seconds * 50; ++attempt) {
        HWND window = FindWindowW(nullptr, title);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(20);
    }
    return nullptr;
}

void click(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
    Sleep(100);
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void press(const WORD *keys, int count)
{
    INPUT inputs[8] = {};
    int n = 0;
    for (int i = 0; i < count; ++i, ++n) {
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wVk = keys[i];
    }
    for (int i = count - 1; i >= 0; --i, ++n) {
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wVk = keys[i];
        inputs[n].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(n, inputs, sizeof(INPUT));
}

std::wstring clipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *chars = static_cast<const wchar_t *>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void printUtf8(const std::wstring &text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    std::fputs(bytes.c_str(), stdout);
    std::fputs("\n", stdout);
}

} // namespace

int wmain(int argc, wchar_t *argv[])
{
    if (argc < 3) {
        std::fputs("usage: pravix-wininput wait|click|copy|return|close TITLE [X Y]\n", stderr);
        return 1;
    }
    const std::wstring action = argv[1];
    HWND window = windowTitled(argv[2], action == L"wait" ? 60 : 5);
    if (!window) {
        std::fputs("no such window\n", stderr);
        return 1;
    }
    if (action == L"wait")
        return 0;
    if (action == L"click" && argc == 5) {
        click(window, _wtoi(argv[3]), _wtoi(argv[4]));
        return 0;
    }
    if (action == L"close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    // Joined to the window's input queue, this process may make it the focus, which Wine's
    // foreground rules otherwise leave to the window manager.
    const DWORD ownThread = GetCurrentThreadId();
    const DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(ownThread, windowThread, TRUE);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetFocus(window);
    AttachThreadInput(ownThread, windowThread, FALSE);
    Sleep(300);
    if (action == L"return") {
        const WORD enter[] = {VK_RETURN};
        press(enter, 1);
        return 0;
    }
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    const WORD copy[] = {VK_CONTROL, 'C'};
    press(copy, 2);
    for (int attempt = 0; attempt < 30; ++attempt) {
        Sleep(100);
        const std::wstring text = clipboardText();
        if (!text.empty()) {
            printUtf8(text);
            return 0;
        }
    }
    return 2;
}
