#include "driver.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>

namespace driver {

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
// The message box's text static has no id of its own: a dialog template's "-1" read back as
// an unsigned 16-bit control id.
constexpr int kBoxTextId = 0xFFFF;
constexpr DWORD kExitWaitMs = 5000;
// How long a shown message box may take to paint its icon before we call the icon unknown.
constexpr DWORD kIconPaintMs = 1500;

ULONGLONG Now() { return GetTickCount64(); }

bool Expired(ULONGLONG start, DWORD timeoutMs) { return Now() - start >= timeoutMs; }

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
    result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0;
}

bool SameText(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

std::wstring StripMnemonics(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;  // "&&" stands for a literal '&'
        out += text[i];
    }
    return out;
}

void Release(Process& p) {
    if (!p.process) return;
    if (WaitForSingleObject(p.process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(p.process, 1);
        WaitForSingleObject(p.process, kExitWaitMs);
    }
    CloseHandle(p.process);
    p.process = nullptr;
    p.pid = 0;
}

struct TopLevelSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<TopLevelSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window)) search->found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    std::function<bool(HWND)> matches;
    int skip;
    HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<ChildSearch*>(lParam);
    if (!search->matches(window)) return TRUE;
    if (search->skip-- > 0) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindDescendant(HWND parent, int nth, std::function<bool(HWND)> matches) {
    if (!parent || nth < 0) return nullptr;
    ChildSearch search{std::move(matches), nth};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ClassMatches(HWND window, const wchar_t* className) { return !className || SameText(ClassOf(window), className); }

// ---- Message box icons ----
//
// The icon static answers STM_GETICON with a handle that only means something inside the
// program that loaded it: under Wine the same stock icon has another handle value in every
// process, and GetIconInfo on a foreign handle fails (ERROR_INVALID_CURSOR_HANDLE). So the
// kind is told by sight: the pixels on screen under the icon static against the stock icons
// drawn here on the dialog colour.

using Pixels = std::vector<DWORD>;

// A top-down 32-bit DIB section selected into a memory DC, freed on scope exit.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    const DWORD* bits = nullptr;
    int width = 0, height = 0;

    Canvas(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        void* memory = nullptr;
        if (dc) bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
        if (bitmap) {
            previous = SelectObject(dc, bitmap);
            bits = static_cast<const DWORD*>(memory);
        }
    }
    ~Canvas() {
        if (previous) SelectObject(dc, previous);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool Ok() const { return bits != nullptr; }
    Pixels Take() const {
        GdiFlush();
        return Pixels(bits, bits + static_cast<size_t>(width) * height);
    }
};

struct StockIcon {
    MsgBox::Icon kind;
    ULONG_PTR resource;  // IDI_* as a number, so that it suits LoadIconW with or without UNICODE
};
const std::array<StockIcon, 4> kStockIcons{{
    {MsgBox::Error, reinterpret_cast<ULONG_PTR>(IDI_HAND)},
    {MsgBox::Warning, reinterpret_cast<ULONG_PTR>(IDI_EXCLAMATION)},
    {MsgBox::Information, reinterpret_cast<ULONG_PTR>(IDI_ASTERISK)},
    {MsgBox::Question, reinterpret_cast<ULONG_PTR>(IDI_QUESTION)},
}};

Pixels DrawStockIcon(ULONG_PTR resource, int w, int h) {
    Canvas canvas(w, h);
    if (!canvas.Ok()) return {};
    RECT all{0, 0, w, h};
    FillRect(canvas.dc, &all, GetSysColorBrush(COLOR_3DFACE));
    DrawIconEx(canvas.dc, 0, 0, LoadIconW(nullptr, MAKEINTRESOURCEW(resource)), w, h, 0, nullptr, DI_NORMAL);
    return canvas.Take();
}

Pixels CaptureScreen(const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    Canvas canvas(w, h);
    if (!canvas.Ok()) return {};
    HDC screen = GetDC(nullptr);
    if (!screen) return {};
    const BOOL copied = BitBlt(canvas.dc, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return copied ? canvas.Take() : Pixels{};
}

size_t CountDifferent(const Pixels& a, const Pixels& b) {
    constexpr int kTolerance = 24;  // per channel; absorbs rounding in alpha blending
    size_t different = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            const int ca = (a[i] >> shift) & 0xFF, cb = (b[i] >> shift) & 0xFF;
            if (std::abs(ca - cb) > kTolerance) {
                ++different;
                break;
            }
        }
    }
    return different;
}

// The stock icon the pixels show, or Unknown. A match leaves at most 1/32 of the pixels apart;
// two different stock icons differ in far more (18% for the closest pair under Wine).
MsgBox::Icon Classify(const Pixels& seen, int w, int h) {
    const size_t allowed = seen.size() / 32;
    MsgBox::Icon best = MsgBox::Unknown;
    size_t bestDifferent = allowed + 1;
    for (const StockIcon& stock : kStockIcons) {
        const Pixels drawn = DrawStockIcon(stock.resource, w, h);
        if (drawn.size() != seen.size()) continue;
        const size_t different = CountDifferent(seen, drawn);
        if (different < bestDifferent) {
            best = stock.kind;
            bestDifferent = different;
        }
    }
    return best;
}

MsgBox::Icon ReadIcon(HWND iconStatic) {
    if (!iconStatic) return MsgBox::None;
    DWORD_PTR icon = 0;
    if (!Send(iconStatic, STM_GETICON, 0, 0, icon)) return MsgBox::Unknown;
    if (!icon) return MsgBox::None;

    const int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
    RECT area = WindowRect(iconStatic);
    if (area.right - area.left < w || area.bottom - area.top < h) return MsgBox::Unknown;
    area.right = area.left + w;
    area.bottom = area.top + h;

    // The box is shown before it has painted; look again until the icon is there.
    MsgBox::Icon kind = MsgBox::Unknown;
    WaitUntil(
        [&] {
            const Pixels seen = CaptureScreen(area);
            if (!seen.empty()) kind = Classify(seen, w, h);
            return kind != MsgBox::Unknown;
        },
        kIconPaintMs);
    return kind;
}

// ---- Painted text ----

// The text as a page paints it, clipped to width: the pixels and the height they take.
Pixels DrawPageText(const std::wstring& text, int maxWidth, int& width, int& height) {
    const auto font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    {
        Canvas measure(1, 1);
        if (!measure.Ok()) return {};
        SelectObject(measure.dc, font);
        SIZE extent{};
        TEXTMETRICW tm{};
        GetTextExtentPoint32W(measure.dc, text.c_str(), static_cast<int>(text.size()), &extent);
        GetTextMetricsW(measure.dc, &tm);
        width = std::min<int>(extent.cx, maxWidth);
        height = tm.tmHeight;
    }
    if (width <= 0 || height <= 0) return {};
    Canvas canvas(width, height);
    if (!canvas.Ok()) return {};
    RECT all{0, 0, width, height};
    FillRect(canvas.dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    SelectObject(canvas.dc, font);
    SetTextColor(canvas.dc, RGB(0, 0, 0));
    SetBkMode(canvas.dc, TRANSPARENT);
    TextOutW(canvas.dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    return canvas.Take();
}

// ---- Message boxes ----

struct BoxParts {
    HWND text = nullptr;
    HWND icon = nullptr;
    std::vector<HWND> buttons;
};

// A message box is a dialog made only of statics and push buttons, one static being the text
// without an id. The program's own dialogs have other controls or are not top-level.
bool ReadParts(HWND window, BoxParts& parts) {
    if (!SameText(ClassOf(window), kDialogClass)) return false;
    parts = {};
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::wstring cls = ClassOf(c);
        if (SameText(cls, L"Button")) {
            if (IsWindowVisible(c)) parts.buttons.push_back(c);
        } else if (SameText(cls, L"Static")) {
            if (GetDlgCtrlID(c) == kBoxTextId) parts.text = c;
            else if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) parts.icon = c;
        } else {
            return false;
        }
    }
    return parts.text && !parts.buttons.empty();
}

// Buttons in the order the user reads them: by row, then left to right.
void SortAsSeen(std::vector<HWND>& buttons) {
    std::stable_sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) {
        const RECT ra = WindowRect(a), rb = WindowRect(b);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
}

void Describe(HWND window, BoxParts& parts, MsgBox& box) {
    box.hwnd = window;
    box.owner = GetWindow(window, GW_OWNER);
    box.caption = TextOf(window);
    box.text = TextOf(parts.text);
    SortAsSeen(parts.buttons);
    box.buttons.clear();
    for (HWND b : parts.buttons) box.buttons.emplace_back(GetDlgCtrlID(b), TextOf(b));
    box.icon = ReadIcon(parts.icon);
}

}  // namespace

// ---- Processes ----

Process::Process(Process&& other) noexcept : process(other.process), pid(other.pid) {
    other.process = nullptr;
    other.pid = 0;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Release(*this);
        process = other.process;
        pid = other.pid;
        other.process = nullptr;
        other.pid = 0;
    }
    return *this;
}

Process::~Process() { Release(*this); }

bool Start(Process& p, const std::wstring& commandLine, const std::wstring& workDir, const std::wstring& exePath) {
    Release(p);
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exePath.empty() ? nullptr : exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    p.process = info.hProcess;
    p.pid = info.dwProcessId;
    return true;
}

long long WaitExit(Process& p, DWORD timeoutMs) {
    if (!p.process || WaitForSingleObject(p.process, timeoutMs) != WAIT_OBJECT_0) return kTimedOut;
    DWORD code = 0;
    if (!GetExitCodeProcess(p.process, &code)) return kTimedOut;
    return code;
}

void Kill(Process& p) {
    if (!p.process) return;
    TerminateProcess(p.process, 1);
    WaitForSingleObject(p.process, kExitWaitMs);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG start = Now();
    for (;;) {
        if (done()) return true;
        if (Expired(start, timeoutMs)) return false;
        Sleep(kPollMs);
    }
}

// ---- Windows ----

std::vector<HWND> TopLevelWindows(const Process& p) {
    TopLevelSearch search{p.pid, {}};
    if (p.pid) EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitWindow(const Process& p, const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows(p)) {
                if (!ClassMatches(w, className)) continue;
                if (title && *title && TextOf(w) != title) continue;
                found = w;
                return true;
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[257] = {};  // class names are at most 256 characters
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!window || !Send(window, WM_GETTEXTLENGTH, 0, 0, length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied)) return {};
    text.resize(std::min<size_t>(copied, length));
    return text;
}

RECT WindowRect(HWND window) {
    RECT r{};
    if (!GetWindowRect(window, &r)) r = RECT{};
    return r;
}

bool IsVisible(HWND window) { return window && IsWindowVisible(window); }

bool IsEnabled(HWND window) { return window && IsWindowEnabled(window); }

// ---- Painted text ----

bool ShowsText(HWND window, POINT at, const std::wstring& text, DWORD timeoutMs) {
    RECT client{};
    if (!GetClientRect(window, &client) || at.y >= client.bottom) return false;
    int width = 0, height = 0;
    const Pixels drawn = DrawPageText(text, client.right - at.x, width, height);
    if (drawn.empty()) return false;
    height = std::min<int>(height, client.bottom - at.y);
    POINT origin = at;
    ClientToScreen(window, &origin);
    const RECT area{origin.x, origin.y, origin.x + width, origin.y + height};
    const Pixels expected(drawn.begin(), drawn.begin() + static_cast<std::ptrdiff_t>(width) * height);
    return WaitUntil(
        [&] {
            const Pixels seen = CaptureScreen(area);
            return seen.size() == expected.size() && CountDifferent(seen, expected) == 0;
        },
        timeoutMs);
}

// ---- Message boxes ----

bool WaitMessageBox(const Process& p, MsgBox& box, DWORD timeoutMs) {
    HWND found = nullptr;
    BoxParts parts;
    WaitUntil(
        [&] {
            // A box raised over another box leaves the lower one disabled; the enabled one is
            // the one the user faces.
            HWND disabled = nullptr;
            BoxParts disabledParts;
            for (HWND w : TopLevelWindows(p)) {
                BoxParts candidate;
                if (!ReadParts(w, candidate)) continue;
                if (IsWindowEnabled(w)) {
                    found = w;
                    parts = std::move(candidate);
                    return true;
                }
                if (!disabled) {
                    disabled = w;
                    disabledParts = std::move(candidate);
                }
            }
            found = disabled;
            parts = std::move(disabledParts);
            return found != nullptr;
        },
        timeoutMs);
    if (!found) return false;
    Describe(found, parts, box);
    return true;
}

bool Answer(const MsgBox& box, int buttonId) {
    const auto& b = box.buttons;
    if (std::none_of(b.begin(), b.end(), [&](const auto& button) { return button.first == buttonId; })) return false;
    HWND button = GetDlgItem(box.hwnd, buttonId);
    if (!button || !IsWindowEnabled(button)) return false;
    // What the button itself tells the box when clicked; posted, since the box's owner may
    // answer it with the next modal box.
    if (!PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
        return false;
    return WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, kSendTimeoutMs);
}

// ---- Controls ----

HWND Child(HWND parent, int id, const wchar_t* className, int nth) {
    return FindDescendant(parent, nth, [&](HWND w) { return GetDlgCtrlID(w) == id && ClassMatches(w, className); });
}

HWND ChildByText(HWND parent, const std::wstring& text, const wchar_t* className, int nth) {
    return FindDescendant(parent, nth, [&](HWND w) {
        if (!ClassMatches(w, className)) return false;
        const std::wstring own = TextOf(w);
        return own == text || StripMnemonics(own) == text;
    });
}

bool Click(HWND button) {
    if (!IsWindow(button) || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
    return PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

bool SetText(HWND edit, const std::wstring& text) {
    if (!IsWindow(edit) || !IsWindowEnabled(edit)) return false;
    if (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) return false;
    // Select all, then replace the selection: like typing over it, this keeps the edit's
    // length limit and notifies the parent with EN_CHANGE.
    DWORD_PTR ignored = 0;
    return Send(edit, EM_SETSEL, 0, -1, ignored) &&
           Send(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()), ignored);
}

int CheckState(HWND button) {
    DWORD_PTR state = 0;
    if (!button || !Send(button, BM_GETCHECK, 0, 0, state)) return -1;
    return static_cast<int>(state);
}

namespace {

struct ListMessages {
    UINT count, textLength, text;
};

bool ListMessagesOf(HWND list, ListMessages& m) {
    const std::wstring cls = ClassOf(list);
    if (SameText(cls, L"ListBox") || SameText(cls, L"ComboLBox")) {
        m = {LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT};
        return true;
    }
    if (SameText(cls, L"ComboBox")) {
        m = {CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT};
        return true;
    }
    return false;
}

}  // namespace

int ListCount(HWND list) {
    ListMessages m;
    DWORD_PTR count = 0;
    if (!ListMessagesOf(list, m) || !Send(list, m.count, 0, 0, count)) return -1;
    return static_cast<int>(count);
}

std::wstring ListItem(HWND list, int index) {
    ListMessages m;
    DWORD_PTR length = 0;
    if (!ListMessagesOf(list, m) || !Send(list, m.textLength, index, 0, length)) return {};
    const auto signedLength = static_cast<LRESULT>(length);
    if (signedLength < 0) return {};
    // The item text message carries no buffer size. The buffer holds the length just asked plus
    // headroom; across processes Wine sizes the reply by its own length query made right before
    // it sends, so only an item that grows by more than the headroom in between could overrun.
    constexpr size_t kHeadroom = 64;
    std::wstring text(static_cast<size_t>(signedLength) + 1 + kHeadroom, L'\0');
    DWORD_PTR copied = 0;
    if (!Send(list, m.text, index, reinterpret_cast<LPARAM>(text.data()), copied)) return {};
    const auto signedCopied = static_cast<LRESULT>(copied);
    if (signedCopied < 0) return {};
    text.resize(std::min(static_cast<size_t>(signedCopied), text.size() - 1));
    return text;
}

bool ClickClose(HWND window) {
    if (!IsWindow(window)) return false;
    return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != 0;
}

}  // namespace driver
