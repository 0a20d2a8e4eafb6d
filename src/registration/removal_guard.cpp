#include "registration/removal_guard.h"

#include <array>
#include <optional>

#include "base/install_paths.h"
#include "base/product.h"
#include "base/text.h"

namespace qf {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The longest path the guard is asked about: the uninstall holds both in buffers of this size.
// Every name takes at least one unit and a separator, so half as many names always fit.
constexpr std::size_t MaxPathLength = DirectoryPathCapacity - 1;

// Names of a path, in place in the path's own text.
template <std::size_t Capacity>
struct Names {
    std::array<std::u16string_view, Capacity> items;
    std::size_t size = 0;
    bool empty() const { return size == 0; }
    void push_back(std::u16string_view name) {
        if (size < Capacity) items[size++] = name;
    }
    void pop_back() { --size; }
};

// A fully qualified path taken apart: its root ("C:", or server and share) and the directories
// below it.
struct SplitPath {
    Names<2> root;
    Names<MaxPathLength / 2 + 1> below;
};

// Takes text up to the next separator off the front of path.
std::u16string_view TakeComponent(std::u16string_view& path) {
    std::size_t end = 0;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::u16string_view component = path.substr(0, end);
    path.remove_prefix(end < path.size() ? end + 1 : end);
    return component;
}

// The directories below a root as Windows resolves them: separators may repeat, ".." goes up
// (never above the root), and trailing dots and blanks of a name are ignored, so that
// "Windows." is Windows and "." or "..." is nothing.
void AddComponents(std::u16string_view rest, SplitPath& split) {
    while (!rest.empty()) {
        std::u16string_view name = TakeComponent(rest);
        if (name == u"..") {
            if (!split.below.empty()) split.below.pop_back();
            continue;
        }
        while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.remove_suffix(1);
        if (!name.empty()) split.below.push_back(name);
    }
}

std::optional<SplitPath> SplitDrivePath(std::u16string_view path) {
    const bool letter =
        path.size() >= 2 && AsciiLower(path[0]) >= u'a' && AsciiLower(path[0]) <= u'z' && path[1] == u':';
    // "C:dir" is relative to the drive's current directory.
    if (!letter || (path.size() > 2 && !IsSeparator(path[2]))) return std::nullopt;
    SplitPath split;
    split.root.push_back(path.substr(0, 2));
    AddComponents(path.substr(2), split);
    return split;
}

std::optional<SplitPath> Split(std::u16string_view path, std::u16string_view windows);

// "\\host\C$" is drive C: and "\\host\ADMIN$" the Windows directory, on whatever host: such a
// share of another machine is still that machine's system drive.
std::optional<SplitPath> SplitSharePath(std::u16string_view path, std::u16string_view windows) {
    SplitPath split;
    for (int i = 0; i < 2; ++i) {
        const std::u16string_view name = TakeComponent(path);
        if (name.empty() || name == u"." || name == u"..") return std::nullopt;
        split.root.push_back(name);
    }
    const std::u16string_view share = split.root.items[1];
    if (EqualsIgnoringAsciiCase(share, u"ADMIN$")) {
        // Without a Windows directory to stand for, it names nothing the guard can judge.
        std::optional<SplitPath> system = Split(windows, {});
        if (!system) return std::nullopt;
        AddComponents(path, *system);
        return system;
    }
    if (share.size() == 2 && share[1] == u'$' && AsciiLower(share[0]) >= u'a' && AsciiLower(share[0]) <= u'z') {
        split.root = {};
        split.root.push_back(std::u16string_view(share.data(), 1));
    }
    AddComponents(path, split);
    return split;
}

// Nothing when the text names neither a drive nor a share.
std::optional<SplitPath> Split(std::u16string_view path, std::u16string_view windows) {
    const bool twoSeparators = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    if (!twoSeparators) return SplitDrivePath(path);
    // "\\?\" and "\\.\" skip Win32's own clean-up of the path; reading them the same way refuses
    // at least everything that would name a root. Only drives and shares are accepted after
    // them: a volume or device name is no installation directory.
    if (path.size() >= 4 && (path[2] == u'?' || path[2] == u'.') && IsSeparator(path[3])) {
        path.remove_prefix(4);
        if (path.size() >= 4 && EqualsIgnoringAsciiCase(path.substr(0, 3), u"UNC") && IsSeparator(path[3]))
            return SplitSharePath(path.substr(4), windows);
        return SplitDrivePath(path);
    }
    return SplitSharePath(path.substr(2), windows);
}

// The root of a drive is its letter alone, "C" of "C:" or of "\\host\C$".
bool SameRoot(const SplitPath& a, const SplitPath& b) {
    if (a.root.size != b.root.size) return false;
    for (std::size_t i = 0; i < a.root.size; ++i) {
        std::u16string_view x = a.root.items[i], y = b.root.items[i];
        if (a.root.size == 1) x = x.substr(0, 1), y = y.substr(0, 1);
        if (!EqualsIgnoringAsciiCase(x, y)) return false;
    }
    return true;
}

// Whether removing target would remove directory: the same root, and target's names the first
// of directory's.
bool Holds(const SplitPath& target, const SplitPath& directory) {
    if (!SameRoot(target, directory) || target.below.size > directory.below.size) return false;
    for (std::size_t i = 0; i < target.below.size; ++i) {
        if (!EqualsIgnoringAsciiCase(target.below.items[i], directory.below.items[i])) return false;
    }
    return true;
}

}  // namespace

LocationVerdict JudgeLocation(std::u16string_view location, const ProtectedDirectories& protect) {
    // Either text longer than the uninstall's buffers is refused rather than judged in part.
    if (location.size() > MaxPathLength || protect.windows.size() > MaxPathLength) return LocationVerdict::Protected;
    if (!IsFullyQualified(location)) return LocationVerdict::Relative;
    const std::optional<SplitPath> target = Split(location, protect.windows);
    if (!target || target->below.empty()) return LocationVerdict::Protected;
    const auto holds = [&](std::u16string_view directory) {
        if (directory.size() > MaxPathLength || !IsFullyQualified(directory)) return false;
        const std::optional<SplitPath> system = Split(directory, protect.windows);
        return system && Holds(*target, *system);
    };
    if (holds(protect.windows)) return LocationVerdict::Protected;
    // Nothing below the Windows directory is anybody's installation: all of it is the system's.
    if (!protect.windows.empty() && protect.windows.size() <= MaxPathLength && IsFullyQualified(protect.windows)) {
        const std::optional<SplitPath> windows = Split(protect.windows, protect.windows);
        if (windows && !windows->below.empty() && Holds(*windows, *target)) return LocationVerdict::Protected;
    }
    for (const std::u16string_view directory : protect.others)
        if (holds(directory)) return LocationVerdict::Protected;
    return LocationVerdict::Removable;
}

bool LiesWithin(std::u16string_view location, std::u16string_view directory, std::u16string_view windows) {
    const auto readable = [](std::u16string_view path) {
        return path.size() <= MaxPathLength && IsFullyQualified(path);
    };
    if (!readable(location) || !readable(directory) || windows.size() > MaxPathLength) return false;
    const std::optional<SplitPath> inner = Split(location, windows);
    const std::optional<SplitPath> outer = Split(directory, windows);
    return inner && outer && Holds(*outer, *inner);
}

}  // namespace qf
