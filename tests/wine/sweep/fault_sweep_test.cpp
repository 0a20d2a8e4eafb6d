// The fault sweep. On each road the fault-injecting installer (qfsetup-faults) first counts the
// fallible calls the road makes; then, for every such call N, one run makes call N fail and one
// ends the process just before it. After every run: nothing outside the installation changed,
// the run ended (exit code 0, or the stop's own) once its boxes were answered, a reported
// success stands for whole work, a registered uninstaller is a whole installer; then the plain
// installer repairs and its uninstall undoes, each giving exactly what a clean run gives.
//
// Someone else's files (sentinels, two of them inside the folder the shared roads install into)
// are checked after every faulted run: nothing outside the installation changed. The road's
// plain runs are checked once for the same, and for what their uninstall leaves in the
// installation directory; every repair then has to give exactly what they gave.
//
// QF_SWEEP_STRIDE=S sweeps every S-th call only (from call 1 + QF_SWEEP_OFFSET), QF_SWEEP_LAST=L
// none after call L, and QF_SWEEP_ROADS picks roads (a comma list of fresh, upgrade, wizard,
// shared, uninstall, shared-uninstall, customise, silent, silent-uninstall); the test command runs a stride,
// scripts/faults.sh the whole sweep. The kept cases below run in either.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "e2e_support.h"
#include "variants/fault_plan.h"
#include "sweep/invariants.h"
#include "sweep/machine_state.h"
#include "sweep/roads.h"

namespace {

using namespace sweep;
using namespace e2e::paths;

// Time for one run to end once its boxes are answered; no run of the installer needs a tenth.
constexpr DWORD RunTimeoutMs = 30000;

enum class Mode {
    Fail,
    Stop,
};

const wchar_t* NameOf(Mode mode) { return mode == Mode::Fail ? L"fail" : L"stop"; }

const wchar_t* ShortNameOf(Road road) {
    switch (road) {
        case Road::Fresh: return L"fresh";
        case Road::Upgrade: return L"upgrade";
        case Road::Wizard: return L"wizard";
        case Road::Shared: return L"shared";
        case Road::Uninstall: return L"uninstall";
        case Road::SharedUninstall: return L"shared-uninstall";
        case Road::Customise: return L"customise";
        case Road::SilentInstall: return L"silent";
        case Road::SilentUninstall: return L"silent-uninstall";
    }
    return L"";
}

// Faulted runs that once left the machine broken, run whatever the stride: the road, the
// function whose call it was (its occurrence-th call on that road) and the mode. On the install
// roads the judgement of the directory comes first and reads 3 keys and 11 values of the machine
// (program folders, profile list) in the test prefix; the registry calls below come after those.
struct KeptCase {
    Road road;
    const char* function;
    unsigned occurrence;
    Mode mode;
};
// clang-format off
const KeptCase KeptCases[] = {
    // The installer's own file could not be measured, or read: no uninstaller, and no word of it.
    {Road::Fresh, "GetFileSize", 1, Mode::Fail},
    {Road::Fresh, "ReadFile", 1, Mode::Fail},
    // Stopped between the uninstaller copy and the registration: the repair took the folder,
    // holding nothing but that copy, for one shared with other files.
    {Road::Fresh, "RegQueryValueExW", 14, Mode::Stop},
    {Road::Wizard, "RegCreateKeyExW", 3, Mode::Fail},
    // The older release's settings, or a value of the registration, could not be listed, opened,
    // read or written: the installation went on to its end without them.
    {Road::Fresh, "RegEnumKeyExA", 3, Mode::Fail},
    {Road::Fresh, "RegOpenKeyExW", 17, Mode::Fail},
    {Road::Fresh, "RegQueryValueExW", 13, Mode::Fail},
    {Road::Fresh, "RegSetValueExW", 2, Mode::Fail},
    {Road::Fresh, "RegSetValueExW", 8, Mode::Fail},
    // Stopped once the uninstaller had gone, before the folder and the registration.
    {Road::Uninstall, "SetFileInformationByHandle", 34, Mode::Stop},
    // Stopped while the older release's settings were carried over: this release's key held
    // part of them, and the repair carried over that key instead of the older release's.
    {Road::Fresh, "RegSetValueExW", 2, Mode::Stop},
    // Over an earlier installation, its registered location or the folder could not be read: the
    // folder was recorded as shared with other files, and every later installation kept the mark.
    {Road::Upgrade, "RegQueryValueExW", 12, Mode::Fail},
    {Road::Upgrade, "GetFileInformationByHandle", 2, Mode::Fail},
    // Without the profile in its environment the uninstall did not look for the shortcut, and
    // said it was complete while the shortcut stayed.
    {Road::Uninstall, "GetEnvironmentVariableW", 1, Mode::Fail},
    // A control of the customisation page could not be made: the page wrote its copy from the
    // fields it had, not the ones its user filled in.
    {Road::Customise, "CreateWindowExW", 2, Mode::Fail},
    {Road::Customise, "CreateWindowExW", 6, Mode::Fail},
    // The archive could not be found in the program, or measured: the uninstall of an installation
    // into a folder it shares took it for an archive without names, removed none of its files and
    // said it was complete.
    {Road::SharedUninstall, "FindResourceExW", 1, Mode::Fail},
    {Road::SharedUninstall, "SizeofResource", 1, Mode::Fail},
    // A folder on the way to one of the archive's names could not be examined: it was taken for a
    // link that is not the installation's and kept, with the archive's files in it (or its empty
    // folders), and the uninstall said it was complete.
    {Road::SharedUninstall, "GetFileInformationByHandleEx", 6, Mode::Fail},
    {Road::SharedUninstall, "GetFileInformationByHandleEx", 87, Mode::Fail},
    // Stopped, or failed, after the registration had gone and before the uninstaller: the
    // uninstaller stayed in the shared folder with nothing to name it.
    {Road::SharedUninstall, "NtCreateFile", 43, Mode::Stop},
    {Road::SharedUninstall, "GetFileInformationByHandleEx", 132, Mode::Fail},
};
// clang-format on

struct Settings {
    unsigned stride = 1;
    unsigned offset = 0;
    unsigned last = 0;  // 0: the road's last call
    std::vector<Road> roads;
};

unsigned NumberFromEnvironment(const wchar_t* name, unsigned fallback) {
    wchar_t text[32];
    const DWORD length = GetEnvironmentVariableW(name, text, 32);
    return length > 0 && length < 32 ? static_cast<unsigned>(wcstoul(text, nullptr, 10)) : fallback;
}

Settings SettingsFromEnvironment() {
    Settings settings;
    settings.stride = std::max(1u, NumberFromEnvironment(L"QF_SWEEP_STRIDE", 1));
    settings.offset = NumberFromEnvironment(L"QF_SWEEP_OFFSET", 0);
    settings.last = NumberFromEnvironment(L"QF_SWEEP_LAST", 0);
    wchar_t roads[256] = {};
    const DWORD length = GetEnvironmentVariableW(L"QF_SWEEP_ROADS", roads, 256);
    const std::wstring chosen = length > 0 && length < 256 ? L"," + std::wstring(roads) + L"," : L"";
    for (const Road road : Roads)
        if (chosen.empty() || chosen.find(L"," + std::wstring(ShortNameOf(road)) + L",") != std::wstring::npos)
            settings.roads.push_back(road);
    return settings;
}

// The record a run of the faulty installer appends its calls to (fault_plan.h), in the prefix's
// temporary folder, which the sweep does not watch. Every installer the sweep starts inherits it.
std::wstring RecordPath() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"qf-sweep-calls.txt";
}

void NameTheRecord() {
    SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(faults::RecordVariableName), RecordPath().c_str());
}

struct Call {
    std::uint32_t ordinal;
    std::string function;
    std::string mark;  // "fail" or "stop" on the call the plan hit
};

struct Record {
    std::vector<Call> calls;
    std::vector<std::string> unlisted;
};

Record ReadRecord() {
    Record record;
    const std::vector<std::uint8_t> bytes = e2e::ReadAll(RecordPath());
    std::string line;
    for (const std::uint8_t b : bytes) {
        if (b != '\n') {
            line += static_cast<char>(b);
            continue;
        }
        if (line.rfind("unlisted ", 0) == 0) {
            record.unlisted.push_back(line.substr(9));
        } else {
            Call call{};
            char function[64] = {}, mark[8] = {};
            unsigned ordinal = 0;
            if (sscanf(line.c_str(), "%u %63s %7s", &ordinal, function, mark) >= 2)
                record.calls.push_back({ordinal, function, mark});
        }
        line.clear();
    }
    return record;
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Captions(const std::vector<std::wstring>& captions) {
    std::wstring text;
    for (const std::wstring& caption : captions) text += (text.empty() ? L"\"" : L", \"") + caption + L"\"";
    return text.empty() ? L"none" : text;
}

// A run that broke the machine, as the report names it.
struct Broken {
    Road road;
    std::string function;
    std::uint32_t ordinal;
    Mode mode;
    std::wstring what;
};

struct Figures {
    std::size_t calls = 0;     // listed calls the road reached in its count
    std::size_t swept = 0;     // of them, the calls swept
    std::size_t runs = 0;      // faulted runs made, kept cases included
    std::size_t repairs = 0;   // repairs run
    std::size_t reused = 0;    // faulted runs that left a state already repaired once
    std::size_t broken = 0;    // runs that broke an invariant
    std::size_t diverged = 0;  // runs whose N-th call was not the counted one
};

// One road's sweep: its reference, the calls it counted, and what every repair of a state left
// by a faulted run found (a state repaired once is not repaired again: repair and uninstall
// depend on nothing but what the state records).
struct RoadSweep {
    Road road;
    Watched watched = WatchedPlaces();
    Reference reference;
    Record counted;
    std::map<std::uint64_t, std::wstring> repaired;
    Figures figures;
    std::vector<Broken> broken;
};

// The codes a silent run may end a failure with where the machine fails under it: failed, another
// run holding the lock (its wait failed), or the rights that could not be told.
bool IsSilentFailureCode(long long code) { return code == 1603 || code == 1618 || code == 740; }

std::wstring EndProblem(const Outcome& outcome, long long expected, const wchar_t* what) {
    if (outcome.exitCode == driver::kTimedOut)
        return std::wstring(what) + L" did not end once its boxes were answered (boxes: " + Captions(outcome.captions) +
               L")";
    if (outcome.exitCode != expected)
        return std::wstring(what) + L" ended with exit code " + std::to_wstring(outcome.exitCode) + L" (boxes: " +
               Captions(outcome.captions) + L")";
    return L"";
}

std::wstring Join(std::initializer_list<std::wstring> problems) {
    std::wstring text;
    for (const std::wstring& problem : problems)
        if (!problem.empty()) text += (text.empty() ? L"" : L"\n  ") + problem;
    return text;
}

std::wstring Expect(const State& expected, const State& actual, const wchar_t* what) {
    const auto differences = Compare(expected, actual, [](const std::wstring&) { return true; });
    return differences.empty() ? L"" : std::wstring(what) + Describe(differences);
}

std::wstring ExpectBoxes(const Outcome& outcome, const std::vector<std::wstring>& expected, const wchar_t* what) {
    if (outcome.exitCode == driver::kTimedOut || outcome.exitCode != 0) return EndProblem(outcome, 0, what);
    if (outcome.captions == expected) return L"";
    return std::wstring(what) + L" showed " + Captions(outcome.captions) + L" where a clean run shows " +
           Captions(expected);
}

// The plain runs after a faulted one: the road again (the uninstall again while it is still
// registered), then for an installation its uninstall. What is wrong, or empty.
std::wstring Repair(RoadSweep& sweep, const State& after) {
    const Reference& ref = sweep.reference;
    switch (sweep.road) {
        case Road::Fresh:
        case Road::Upgrade:
        case Road::Wizard:
        case Road::Shared: {
            const Outcome installed = Take(sweep.road, Program::Shipped, L"", RunTimeoutMs);
            const State repaired = Capture(sweep.watched);
            const Outcome removed = PlainUninstall();
            return Join({ExpectBoxes(installed, ref.doneCaptions, L"the repair"),
                         Expect(ref.done, repaired, L"the repair does not give a clean installation:"),
                         ExpectBoxes(removed, ref.undoneCaptions, L"the uninstall after the repair"),
                         Expect(ref.undone, Capture(sweep.watched), L"the uninstall after the repair leaves:")});
        }
        case Road::SilentInstall: {
            const Outcome installed = Take(sweep.road, Program::Shipped, L"", RunTimeoutMs);
            const State repaired = Capture(sweep.watched);
            const Outcome removed = Take(Road::SilentUninstall, Program::Shipped, L"", RunTimeoutMs);
            return Join({ExpectBoxes(installed, {}, L"the repair"),
                         Expect(ref.done, repaired, L"the repair does not give a clean installation:"),
                         ExpectBoxes(removed, {}, L"the uninstall after the repair"),
                         Expect(ref.undone, Capture(sweep.watched), L"the uninstall after the repair leaves:")});
        }
        case Road::Uninstall:
        case Road::SharedUninstall:
        case Road::SilentUninstall: {
            if (after.count(KeyEntry(UninstallKey)) == 0)
                return Expect(ref.done, after, L"its registration is gone, but not all of the installation:");
            const Outcome removed = sweep.road == Road::SilentUninstall
                                        ? Take(sweep.road, Program::Shipped, L"", RunTimeoutMs)
                                        : PlainUninstall();
            return Join({ExpectBoxes(removed, ref.doneCaptions, L"the uninstall run again"),
                         Expect(ref.done, Capture(sweep.watched), L"the uninstall run again leaves:")});
        }
        case Road::Customise: {
            const Outcome copied = Take(Road::Customise, Program::Faulty, L"", RunTimeoutMs);
            return Join({ExpectBoxes(copied, ref.doneCaptions, L"the customisation run again"),
                         Expect(ref.done, Capture(sweep.watched), L"the customisation run again leaves:")});
        }
    }
    return L"";
}

// One faulted run and its checks.
std::wstring RunFaulted(RoadSweep& sweep, Mode mode, std::uint32_t ordinal) {
    const Reference& ref = sweep.reference;
    LayOut(sweep.road);
    const State start = Capture(sweep.watched);
    if (const std::wstring moved = Expect(ref.start, start, L"the machine could not be laid out again:");
        !moved.empty())
        return {moved};
    DeleteFileW(RecordPath().c_str());
    const std::wstring plan = std::wstring(NameOf(mode)) + L":" + std::to_wstring(ordinal);
    const Outcome outcome = Take(sweep.road, Program::Faulty, plan, RunTimeoutMs);
    const State after = Capture(sweep.watched);
    ++sweep.figures.runs;

    const Record record = ReadRecord();
    const Call* hit = nullptr;
    for (const Call& call : record.calls)
        if (!call.mark.empty()) hit = &call;
    if (!hit || hit->ordinal != ordinal || hit->function != sweep.counted.calls[ordinal - 1].function)
        ++sweep.figures.diverged;

    const bool silent = IsSilentRoad(sweep.road);
    long long expectedExit = mode == Mode::Stop && hit ? faults::StopExitCode : 0;
    // A silent run tells a failure by its exit code alone, and never shows a box: exit code 0 is
    // its report of success, which the work must then bear out.
    if (silent && expectedExit == 0 && IsSilentFailureCode(outcome.exitCode)) expectedExit = outcome.exitCode;
    const bool ended = outcome.exitCode != driver::kTimedOut;
    const bool reportsSuccess =
        silent ? outcome.exitCode == 0 : ReportsSuccess(sweep.road, mode == Mode::Fail, outcome.captions, after);
    const std::wstring success = ended && reportsSuccess ? NotWhole(sweep.road, ref, after, outcome.captions) : L"";
    const std::wstring boxes =
        silent && !outcome.captions.empty() ? L"the silent run showed " + Captions(outcome.captions) : L"";
    std::wstring problems =
        Join({EndProblem(outcome, expectedExit, L"the run"), boxes, ChangedOutside(sweep.road, ref.start, after),
              success, BrokenUninstaller(ref, after)});

    const std::uint64_t fingerprint = Fingerprint(after);
    auto known = sweep.repaired.find(fingerprint);
    if (known == sweep.repaired.end()) {
        known = sweep.repaired.emplace(fingerprint, Repair(sweep, after)).first;
        ++sweep.figures.repairs;
    } else {
        ++sweep.figures.reused;
    }
    return Join({problems, known->second});
}

void Note(RoadSweep& sweep, Mode mode, std::uint32_t ordinal, const std::wstring& what) {
    if (what.empty()) return;
    const std::string function = sweep.counted.calls[ordinal - 1].function;
    ++sweep.figures.broken;
    sweep.broken.push_back({sweep.road, function, ordinal, mode, what});
    wprintf(L"BROKEN %ls, %ls at call %u (%ls):\n  %ls\n", ShortNameOf(sweep.road), NameOf(mode), ordinal,
            Wide(function).c_str(), what.c_str());
    fflush(stdout);
}

// The road's reference runs and its count. False when they do not look as a clean road does.
bool Prepare(RoadSweep& sweep) {
    Reference& ref = sweep.reference;
    ref.shippedHash = ContentHash(place::Shipped);
    ref.faultyHash = ContentHash(place::Faulty);

    LayOut(sweep.road);
    ref.start = Capture(sweep.watched);
    DeleteFileW(RecordPath().c_str());
    const Outcome counting = Take(sweep.road, Program::Faulty, L"count", RunTimeoutMs);
    sweep.counted = ReadRecord();
    // Kept beside it for a look at what the road calls.
    CopyFileW(RecordPath().c_str(), (RecordPath() + L"." + ShortNameOf(sweep.road)).c_str(), FALSE);
    EXPECT_EQ(counting.exitCode, 0) << "the count run";
    for (const std::string& name : sweep.counted.unlisted)
        ADD_FAILURE() << "imported but neither hooked nor left out in fault_injection_win.cpp: " << name;

    LayOut(sweep.road);
    // The copy is made by the program that is swept; everything else by the shipped installer.
    const Program plain = sweep.road == Road::Customise ? Program::Faulty : Program::Shipped;
    const Outcome done = Take(sweep.road, plain, L"", RunTimeoutMs);
    ref.done = Capture(sweep.watched);
    ref.doneCaptions = done.captions;
    EXPECT_EQ(ChangedOutside(sweep.road, ref.start, ref.done), L"") << "the plain road";
    if (IsInstallRoad(sweep.road)) {
        const Outcome undone = PlainUninstall();
        ref.undone = Capture(sweep.watched);
        ref.undoneCaptions = undone.captions;
        EXPECT_EQ(ref.undoneCaptions, std::vector<std::wstring>{e2e::texts::UninstallCompleteCaption});
        EXPECT_EQ(ref.done.count(KeyEntry(UninstallKey)), 1u);
        EXPECT_EQ(ChangedOutside(sweep.road, ref.start, ref.undone), L"") << "the plain uninstall";
        EXPECT_EQ(LeftInFolder(sweep.road, ref.undone), L"") << "the plain uninstall";
    }
    if (IsUninstallRoad(sweep.road)) {
        EXPECT_EQ(ref.doneCaptions, IsSilentRoad(sweep.road)
                                        ? std::vector<std::wstring>{}
                                        : std::vector<std::wstring>{e2e::texts::UninstallCompleteCaption});
        EXPECT_EQ(LeftInFolder(sweep.road, ref.done), L"") << "the plain uninstall";
    }
    EXPECT_EQ(done.exitCode, 0);
    sweep.figures.calls = sweep.counted.calls.size();
    return done.exitCode == 0 && !sweep.counted.calls.empty() && !testing::Test::HasFailure();
}

// The ordinal of a kept case on its road, from the count.
std::optional<std::uint32_t> OrdinalOf(const RoadSweep& sweep, const KeptCase& kept) {
    unsigned seen = 0;
    for (const Call& call : sweep.counted.calls)
        if (call.function == kept.function && ++seen == kept.occurrence) return call.ordinal;
    return std::nullopt;
}

TEST(FaultSweep, EveryRoadEndsSoundAtEveryFallibleCall) {
    ASSERT_TRUE(PlaceInstallers());
    NameTheRecord();
    CoInitialize(nullptr);
    const Settings settings = SettingsFromEnvironment();
    Figures total;
    std::size_t keptRuns = 0;
    std::vector<Broken> broken;
    for (const Road road : settings.roads) {
        const ULONGLONG began = GetTickCount64();
        RoadSweep sweep{road};
        ASSERT_TRUE(Prepare(sweep)) << "the reference runs of the road: " << NameOf(road);
        for (const KeptCase& kept : KeptCases) {
            if (kept.road != road) continue;
            const std::optional<std::uint32_t> ordinal = OrdinalOf(sweep, kept);
            EXPECT_TRUE(ordinal) << "a kept case is no longer reached: " << kept.function << " #" << kept.occurrence;
            if (!ordinal) continue;
            Note(sweep, kept.mode, *ordinal, RunFaulted(sweep, kept.mode, *ordinal));
            ++keptRuns;
        }
        const auto counted = static_cast<std::uint32_t>(sweep.counted.calls.size());
        const std::uint32_t calls = settings.last != 0 ? std::min(settings.last, counted) : counted;
        for (std::uint32_t n = 1 + settings.offset; n <= calls; n += settings.stride) {
            ++sweep.figures.swept;
            for (const Mode mode : {Mode::Fail, Mode::Stop}) Note(sweep, mode, n, RunFaulted(sweep, mode, n));
        }
        const Figures& f = sweep.figures;
        wprintf(
            L"road %ls: %zu calls listed, %zu swept, %zu runs, %zu broken (%zu repairs run, %zu states "
            L"already repaired, %zu runs diverged from the count), %llu s\n",
            NameOf(road), f.calls, f.swept, f.runs, f.broken, f.repairs, f.reused, f.diverged,
            (GetTickCount64() - began) / 1000);
        fflush(stdout);
        total.calls += f.calls;
        total.swept += f.swept;
        total.runs += f.runs;
        total.broken += f.broken;
        broken.insert(broken.end(), sweep.broken.begin(), sweep.broken.end());
        EXPECT_EQ(f.diverged, 0u) << "runs whose faulted call was not the one counted";
    }
    ClearUp();
    const std::wstring stride =
        settings.stride == 1 ? L"" : L" (every " + std::to_wstring(settings.stride) + L"th call)";
    wprintf(L"fault sweep%ls: %zu roads, %zu calls, %zu runs, %zu broken (%zu runs of kept cases among the runs)\n",
            stride.c_str(), settings.roads.size(), total.swept, total.runs, total.broken, keptRuns);
    EXPECT_TRUE(broken.empty()) << broken.size() << " faulted runs left the machine broken (listed above)";
}

}  // namespace
