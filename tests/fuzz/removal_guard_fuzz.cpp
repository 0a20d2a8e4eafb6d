// libFuzzer target over the guard that decides which directories the uninstall may remove. The
// location comes from the registry, where anyone with the rights may have changed it. Input: the
// location, a NUL, then windir (without a NUL, windir is "C:\Windows"), each read as UTF-8
// where well-formed (fuzz::Utf16).
//
// The properties hold for any way the guard reads a path, so they stay as it learns more
// spellings:
//   - the answer never depends on ASCII case or on which separator is written, for either path;
//   - windir itself, and every directory its text names on the way down to it, is refused;
//   - windir only adds refusals: a location refused with no windir is refused with any;
//   - below a removable location, a subdirectory is removable too;
//   - a trailing separator names the same directory.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "registration/removal_guard.h"

namespace {

using fuzz::Check;

// The longest path the guard takes; longer ones are refused whatever they name.
constexpr std::size_t Longest = 1023;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The same path spelt otherwise: ASCII case flipped, '\' and '/' swapped.
std::u16string Respelt(std::u16string_view path) {
    std::u16string respelt(path);
    for (char16_t& c : respelt) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
        else if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        else if (c == u'\\') c = u'/';
        else if (c == u'/') c = u'\\';
    }
    return respelt;
}

void CheckSpelling(std::u16string_view location, std::u16string_view windir, bool removable) {
    Check(qf::IsRemovableLocation(Respelt(location), windir) == removable);
    Check(qf::IsRemovableLocation(location, Respelt(windir)) == removable);
}

// With ".." in it, a directory named on the way to windir need not hold it.
void CheckWindirAndAbove(std::u16string_view windir) {
    Check(!qf::IsRemovableLocation(windir, windir));
    if (windir.find(u"..") != windir.npos) return;
    for (std::size_t i = 0; i < windir.size(); ++i) {
        if (IsSeparator(windir[i])) Check(!qf::IsRemovableLocation(windir.substr(0, i), windir));
    }
}

void CheckBelowAndTrailing(std::u16string_view location, std::u16string_view windir, bool removable) {
    if (location.empty() || IsSeparator(location.back()) || location.size() + 2 > Longest) return;
    const std::u16string withSeparator = std::u16string(location) + u'\\';
    Check(qf::IsRemovableLocation(withSeparator, windir) == removable);
    if (removable) Check(qf::IsRemovableLocation(withSeparator + u'x', windir));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::Bytes({data, size});
    const std::size_t nul = input.find('\0');
    const fuzz::Exact exactLocation(fuzz::Utf16(input.substr(0, nul)));
    const fuzz::Exact exactWindir(nul == input.npos ? u"C:\\Windows" : fuzz::Utf16(input.substr(nul + 1)));
    const std::u16string_view location = exactLocation.View(), windir = exactWindir.View();

    const bool removable = qf::IsRemovableLocation(location, windir);
    CheckSpelling(location, windir, removable);
    CheckWindirAndAbove(windir);
    if (removable) Check(qf::IsRemovableLocation(location, u""));
    CheckBelowAndTrailing(location, windir, removable);
    return 0;
}
