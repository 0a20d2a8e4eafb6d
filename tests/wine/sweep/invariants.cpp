#include "sweep/invariants.h"

#include <algorithm>

#include "product_facts.h"

namespace sweep {
namespace {

using namespace e2e::paths;
using namespace e2e::texts;

const wchar_t* const ProductKeys[] = {
    L"Software\\Quenfield\\Lexaris\\2.0\\20191220",
    // the release's key while settings are carried into it, left by a run stopped meanwhile
    L"Software\\Quenfield\\Lexaris\\2.0\\~20191220",
    L"Software\\Quenfield\\Lexaris\\2.0\\Servers",
    UninstallKey,
};

bool Shows(const std::vector<std::wstring>& captions, const wchar_t* caption) {
    return std::find(captions.begin(), captions.end(), caption) != captions.end();
}

bool HasHash(const std::wstring& what, const std::wstring& hash) {
    return !hash.empty() && what.size() > hash.size() &&
           what.compare(what.size() - hash.size(), hash.size(), hash) == 0;
}

std::wstring Uninstaller(Road road) { return TargetOf(road) + L"\\qfsetup.exe"; }

// The program path of a command line that quotes it, as the uninstall registration does.
std::wstring QuotedProgram(const std::wstring& value) {
    // A value description reads: sz <size> "<text>".
    const std::size_t open = value.find(L"\"\"");
    if (open == std::wstring::npos) return L"";
    const std::size_t close = value.find(L'"', open + 2);
    return close == std::wstring::npos ? L"" : value.substr(open + 2, close - open - 2);
}

}  // namespace

bool ProductOwned(Road road, const std::wstring& entry) {
    if (IsOthers(entry)) return false;
    if (road == Road::Customise) return Under(entry, place::FaultyCopy);
    if (Under(entry, TargetOf(road)) || Under(entry, Shortcut)) return true;
    return std::any_of(std::begin(ProductKeys), std::end(ProductKeys),
                       [&](const wchar_t* key) { return Under(entry, KeyEntry(key)); });
}

std::wstring ChangedOutside(Road road, const State& start, const State& after) {
    const auto changed = Compare(start, after, [&](const std::wstring& e) { return !ProductOwned(road, e); });
    return changed.empty() ? L"" : L"changed outside the installation:" + Describe(changed);
}

bool ReportsSuccess(Road road, bool quietFailure, const std::vector<std::wstring>& captions, const State& after) {
    switch (road) {
        case Road::Fresh:
        case Road::Upgrade:
            return quietFailure && captions.empty() && after.count(KeyEntry(ProductKeys[0])) != 0 &&
                   after.count(KeyEntry(UninstallKey)) != 0;
        case Road::Wizard:
        case Road::Shared: return Shows(captions, InstallationCompleteCaption);
        case Road::Uninstall:
        case Road::SharedUninstall: return Shows(captions, UninstallCompleteCaption);
        case Road::Customise: return Shows(captions, CompletedCaption);
        // Told by the exit code alone.
        case Road::SilentInstall:
        case Road::SilentUninstall: return false;
    }
    return false;
}

std::wstring NotWhole(Road road, const Reference& reference, const State& after,
                      const std::vector<std::wstring>& captions) {
    std::vector<Difference> missing;
    if (IsUninstallRoad(road)) {
        missing = Compare(reference.done, after, [](const std::wstring&) { return true; });
    } else if (road == Road::Customise) {
        missing = Compare(reference.done, after, [](const std::wstring& e) { return Under(e, place::FaultyCopy); });
    } else if (IsInstallRoad(road)) {
        // A failure of the uninstaller copy is told and the installation goes on: that copy may
        // then be missing, or the one before it still there.
        const bool copyFailureTold =
            Shows(captions, ErrorOpeningFileCaption) || Shows(captions, InstallationNotCompleteCaption);
        for (const Difference& d :
             Compare(reference.done, after, [&](const std::wstring& e) { return ProductOwned(road, e); })) {
            if (Under(d.entry, Shortcut) && d.after.empty()) continue;
            if (_wcsicmp(d.entry.c_str(), Uninstaller(road).c_str()) == 0 &&
                (HasHash(d.after, reference.faultyHash) || HasHash(d.after, reference.shippedHash) ||
                 (d.after.empty() && copyFailureTold)))
                continue;
            missing.push_back(d);
        }
    }
    return missing.empty() ? L"" : L"reported as done, but:" + Describe(missing);
}

std::wstring LeftInFolder(Road road, const State& after) {
    std::vector<Difference> left;
    for (const auto& [entry, what] : after)
        if (Under(entry, TargetOf(road)) && !IsOthers(entry)) left.push_back({entry, L"", what});
    return left.empty() ? L"" : L"the uninstall left in the installation directory:" + Describe(left);
}

std::wstring BrokenUninstaller(const Reference& reference, const State& after) {
    const auto command = after.find(ValueEntry(UninstallKey, L"UninstallString"));
    if (command == after.end()) return L"";
    const std::wstring program = QuotedProgram(command->second);
    const auto file = std::find_if(after.begin(), after.end(), [&](const auto& entry) {
        return _wcsicmp(entry.first.c_str(), program.c_str()) == 0;
    });
    if (file == after.end() || HasHash(file->second, reference.shippedHash) ||
        HasHash(file->second, reference.faultyHash))
        return L"";
    return L"the registered uninstaller " + program + L" is no whole installer: " + file->second;
}

}  // namespace sweep
