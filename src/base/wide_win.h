// The boundary between the portable code's text (char16_t) and the Win32 API's (wchar_t, the
// same 16-bit units on Windows).
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

}  // namespace qf
