// Small helpers at the boundary between the portable code (char16_t) and the Win32 API
// (wchar_t, the same 16-bit units on Windows).
#pragma once

#include <windows.h>

#include <span>

namespace qf {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* W(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char16_t* U(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* U(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }

// A whole fixed buffer, for the bounded text functions.
template <std::size_t N>
std::span<char16_t> Buffer(wchar_t (&buffer)[N]) {
    return {reinterpret_cast<char16_t*>(buffer), N};
}

inline int ShowMessage(HWND owner, const char16_t* text, const char16_t* caption, UINT style) {
    return MessageBoxW(owner, W(text), W(caption), style);
}

// Paints a page at once, while the install sequence keeps the message loop from running. A
// page not shown has nothing to paint: a quiet install runs while its page is still being
// created, and there each of its 700 calls would only cost a trip to the window manager (some
// 0.1 ms each under Wine) for no paint at all.
inline void RepaintNow(HWND page) {
    if (!IsWindowVisible(page)) return;
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_UPDATENOW);
}

}  // namespace qf
