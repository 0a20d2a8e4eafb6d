// UI-automation driver for the end-to-end tests: starts the installer as a user would and works
// its windows from outside the process, the way a person at the keyboard sees them.
//
// Every call that talks to a window of the installer either posts (so that a click which opens a
// modal message box never blocks the test) or sends with a timeout (reads, typing). Every wait
// polls with a timeout; nothing here waits forever.
//
// Under Xvfb without a window manager, Wine holds each window shown after another one closed
// for 2 s, waiting for a window manager that never answers; a test prefix with
// HKCU\Software\Wine\X11 Driver "Managed" = "N" shows them at once.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace driver {

// How long a single cross-process read or write may take before it counts as failed.
constexpr DWORD kSendTimeoutMs = 5000;
// Pause between two tries of every polling wait.
constexpr DWORD kPollMs = 25;

// A started program. Owns the process handle; a test that fails half-way does not leave the
// program running, because the destructor ends it.
struct Process {
    HANDLE process = nullptr;
    DWORD pid = 0;

    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();
};

// Starts a program with this command line (what GetCommandLineW shows in the child). The
// program is the first token of the command line unless `exePath` names it. Name it whenever the
// exact line matters: without it Wine puts quotes around an unquoted program path that holds a
// blank. An empty `workDir` keeps the test's own current directory.
bool Start(Process& p, const std::wstring& commandLine, const std::wstring& workDir = L"",
           const std::wstring& exePath = L"");

// Exit code of the program (the DWORD, never negative), or kTimedOut if it still runs.
constexpr long long kTimedOut = -1;
long long WaitExit(Process& p, DWORD timeoutMs);

// Ends the program at once and waits for it to be gone.
void Kill(Process& p);

// Polls `done` every kPollMs until it holds or the time is up; says whether it held.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Visible top-level windows of the program, owned ones (message boxes) included, front first.
std::vector<HWND> TopLevelWindows(const Process& p);

// First visible top-level window of the program with this class (any if null) and this title
// (any if null or empty), polled until it shows up; nullptr when the time is up.
HWND WaitWindow(const Process& p, const wchar_t* className, const wchar_t* title, DWORD timeoutMs);

std::wstring ClassOf(HWND window);
// The window text as WM_GETTEXT gives it (line feeds and '&' kept); empty if the window does
// not answer within kSendTimeoutMs.
std::wstring TextOf(HWND window);
RECT WindowRect(HWND window);  // screen coordinates
bool IsVisible(HWND window);   // the window and all its parents shown
bool IsEnabled(HWND window);

// Whether the window shows this text where its client point `at` is the text's top left, drawn
// as the installer's pages draw theirs: black, in the stock ANSI variable font, on the
// button-face colour. As much of the text as the client area holds is compared. Told by sight,
// polled until it shows or the time is up; the text must not be covered meanwhile.
bool ShowsText(HWND window, POINT at, const std::wstring& text, DWORD timeoutMs);

// A message box as the user sees it.
struct MsgBox {
    enum Icon { None, Error, Warning, Information, Question, Unknown };

    HWND hwnd = nullptr;
    HWND owner = nullptr;  // the window passed to MessageBoxW, nullptr for none
    std::wstring caption;
    std::wstring text;
    std::vector<std::pair<int, std::wstring>> buttons;  // control id (IDOK, IDYES ...), text
    // Told by sight: the screen under the box's icon against the stock icons. Unknown for an
    // icon that is none of them.
    Icon icon = None;
};

// The front message box of the program, polled until one is shown; false when the time is up.
bool WaitMessageBox(const Process& p, MsgBox& box, DWORD timeoutMs);

// Clicks the button with this id (IDOK, IDYES ...) and waits until the box has closed. False if
// the box has no such button or stays open.
bool Answer(const MsgBox& box, int buttonId);

// A control anywhere below `parent` (pages are children of the frame, their controls are
// grandchildren), in creation order: the nth one with this control id, or with this text (an
// exact match, with or without its '&' mnemonic marks). A class narrows the search.
HWND Child(HWND parent, int id, const wchar_t* className = nullptr, int nth = 0);
HWND ChildByText(HWND parent, const std::wstring& text, const wchar_t* className = nullptr, int nth = 0);

// Posts a click to a shown, enabled button. Returns as soon as the click is queued: what the
// click does (a new page, a message box) is for the caller to wait for.
bool Click(HWND button);

// Replaces the text of an edit control as if typed; the control notifies its parent as usual.
bool SetText(HWND edit, const std::wstring& text);

// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE; -1 if the button does not answer.
int CheckState(HWND button);

// Items of a list box or of a combo box's list. ListCount is -1 if the control does not answer.
int ListCount(HWND list);
std::wstring ListItem(HWND list, int index);

// Presses the close box in the caption (SC_CLOSE, posted).
bool ClickClose(HWND window);

}  // namespace driver
