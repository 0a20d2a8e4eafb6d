// libFuzzer target over the guard that decides which directories the uninstall may remove. The
// location comes from the registry, where anyone with the rights may have changed it. Input: the
// location, a NUL, then windir (without a NUL, windir is "C:\Windows"), and after a second NUL
// one more protected directory (a known folder), each read as UTF-8 where well-formed
// (fuzz::Utf16).
//
// The properties hold for any way the guard reads a path, so they stay as it learns more
// spellings:
//   - the answer never depends on ASCII case or on which separator is written, for either path;
//   - windir itself, and every directory its text names on the way down to it, is refused;
//   - windir only adds refusals: a location refused with no windir is refused with any (but for
//     an "ADMIN$" share, which names nothing without a windir);
//   - a known folder only adds refusals, and the folder itself is refused like windir;
//   - a location the guard takes without the folder is refused with it exactly when the folder
//     lies within it (LiesWithin, which the installation page asks of the accounts' folders);
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

bool IsRemovable(std::u16string_view location, const qf::ProtectedDirectories& protect) {
    return qf::JudgeLocation(location, protect) == qf::LocationVerdict::Removable;
}

// The guard with windir as its only protected directory.
bool Removable(std::u16string_view location, std::u16string_view windir) { return IsRemovable(location, {windir, {}}); }

// An administrative share stands for a drive or for the Windows directory; with no Windows
// directory to stand for, "ADMIN$" is refused, so the rules about windir skip share names.
bool NamesAShare(std::u16string_view path) { return path.find(u'$') != path.npos; }

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
    Check(Removable(Respelt(location), windir) == removable);
    Check(Removable(location, Respelt(windir)) == removable);
}

// With ".." in it, a directory named on the way to windir need not hold it.
void CheckWindirAndAbove(std::u16string_view windir) {
    if (NamesAShare(windir)) return;
    Check(!Removable(windir, windir));
    if (windir.find(u"..") != windir.npos) return;
    for (std::size_t i = 0; i < windir.size(); ++i) {
        if (IsSeparator(windir[i])) Check(!Removable(windir.substr(0, i), windir));
    }
}

void CheckBelowAndTrailing(std::u16string_view location, std::u16string_view windir, bool removable) {
    if (location.empty() || IsSeparator(location.back()) || location.size() + 2 > Longest) return;
    const std::u16string withSeparator = std::u16string(location) + u'\\';
    Check(Removable(withSeparator, windir) == removable);
    if (removable) Check(Removable(withSeparator + u'x', windir));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::Bytes({data, size});
    const std::size_t nul = input.find('\0');
    const fuzz::Exact exactLocation(fuzz::Utf16(input.substr(0, nul)));
    const std::string_view rest = nul == input.npos ? std::string_view() : input.substr(nul + 1);
    const std::size_t second = rest.find('\0');
    const fuzz::Exact exactWindir(nul == input.npos ? u"C:\\Windows" : fuzz::Utf16(rest.substr(0, second)));
    const fuzz::Exact exactFolder(second == rest.npos ? u"" : fuzz::Utf16(rest.substr(second + 1)));
    const std::u16string_view location = exactLocation.View(), windir = exactWindir.View();
    const std::u16string_view folders[] = {exactFolder.View()};
    const qf::ProtectedDirectories withFolder{windir, folders};
    if (IsRemovable(location, withFolder)) Check(Removable(location, windir));
    if (!NamesAShare(folders[0]) && IsRemovable(folders[0], {u"", {}})) Check(!IsRemovable(folders[0], withFolder));

    const bool removable = Removable(location, windir);
    if (removable) Check(IsRemovable(location, withFolder) == !qf::LiesWithin(folders[0], location, windir));
    CheckSpelling(location, windir, removable);
    CheckWindirAndAbove(windir);
    if (removable && !NamesAShare(location)) Check(Removable(location, u""));
    CheckBelowAndTrailing(location, windir, removable);
    return 0;
}
