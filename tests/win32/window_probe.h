// Driving the plug-in's modal windows from a test: a watcher thread waits for
// a window that a call on the main thread opens (found by its caption), acts
// on it as an operator would and makes sure it closes; helpers read what a
// window shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace zelk::test {

class WindowWatcher {
  public:
    using Action = std::function<void(HWND)>;

    // Starts watching for a visible top-level window with this caption; runs
    // `action` on it from the watcher thread once it shows.
    WindowWatcher(std::string caption, Action action);
    ~WindowWatcher();
    WindowWatcher(const WindowWatcher&) = delete;
    WindowWatcher& operator=(const WindowWatcher&) = delete;

    // Waits for the watcher; true when the window showed, was acted on and
    // closed. A window the action left open is closed with WM_CLOSE.
    bool Finished();

  private:
    static DWORD WINAPI Run(void* self);
    void Watch();

    std::string m_caption;
    Action m_action;
    HANDLE m_thread = nullptr;
    bool m_found = false;
    bool m_leftOpen = false;
};

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
std::wstring ItemTextWide(HWND dialog, int id);
std::string ClassName(HWND window);
// The child windows in creation order (the order of the template).
std::vector<HWND> ChildrenInCreationOrder(HWND dialog);
// A combo box's list in displayed order, and the index of its selection
// (CB_ERR when none).
std::vector<std::string> ComboItems(HWND combo);
int ComboSelection(HWND combo);
// The text of a standard message box.
std::string MessageBoxText(HWND box);

// Sends a command as its button would (from the watcher thread: posted, so
// the dialog handles it in its own loop).
void PressButton(HWND dialog, int id);

}  // namespace zelk::test
