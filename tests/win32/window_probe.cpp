// The watcher thread and the window readers of window_probe.h.
#include "window_probe.h"

#include <cstdlib>

namespace zelk::test {
namespace {

constexpr DWORD kPollMilliseconds = 20;
constexpr DWORD kShowTimeoutMilliseconds = 20000;
constexpr DWORD kCloseTimeoutMilliseconds = 10000;

// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

bool WaitFor(const std::function<bool()>& condition, DWORD timeout) {
    for (DWORD waited = 0; waited < timeout; waited += kPollMilliseconds) {
        if (condition()) {
            return true;
        }
        Sleep(kPollMilliseconds);
    }
    return condition();
}

}  // namespace

WindowWatcher::WindowWatcher(std::string caption, Action action)
    : m_caption(std::move(caption)), m_action(std::move(action)) {
    m_thread = CreateThread(nullptr, 0, &WindowWatcher::Run, this, 0, nullptr);
}

WindowWatcher::~WindowWatcher() {
    Finished();
}

bool WindowWatcher::Finished() {
    if (m_thread != nullptr) {
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    return m_found && !m_leftOpen;
}

DWORD WINAPI WindowWatcher::Run(void* self) {
    static_cast<WindowWatcher*>(self)->Watch();
    return 0;
}

void WindowWatcher::Watch() {
    HWND window = nullptr;
    m_found = WaitFor(
        [&] {
            window = FindWindowA(nullptr, m_caption.c_str());
            return window != nullptr && IsWindowVisible(window);
        },
        kShowTimeoutMilliseconds);
    if (!m_found) {
        return;
    }
    // For screenshots by hand (take_screenshots.sh): leave the window as it
    // opened for a while before acting on it.
    if (const char* pause = std::getenv("ZELK_WATCH_PAUSE_MS")) {
        Sleep(static_cast<DWORD>(std::strtoul(pause, nullptr, 10)));
    }
    m_action(window);
    if (!WaitFor([&] { return !IsWindow(window); }, kCloseTimeoutMilliseconds)) {
        m_leftOpen = true;
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

std::string ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

std::wstring ItemTextWide(HWND dialog, int id) {
    const HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(item);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(item, text.data(), length + 1)));
    return text;
}

std::string ClassName(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<HWND> ChildrenInCreationOrder(HWND dialog) {
    // A dialog creates its controls in template order, each at the bottom of
    // the z-order, so walking down from the top gives that order.
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        items.push_back(text);
    }
    return items;
}

int ComboSelection(HWND combo) {
    return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

std::string MessageBoxText(HWND box) {
    return ItemText(box, kMessageBoxTextId);
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace zelk::test
