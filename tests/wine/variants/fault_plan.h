// What the fault-injecting installer (fault_injection_win.cpp) is asked to do, and what the
// sweep that starts it reads back. Portable: the plan is parsed the same way in the native unit
// tests.
//
// The plan comes from one environment variable, QF_FAULTS:
//
//   count          every listed call goes through
//   fail:N         the N-th listed call (from 1) fails as the system would fail it
//   stop:N         the process ends itself just before the N-th listed call
//
// Every listed call is appended, as it is made, to the file QF_FAULTS_RECORD names (beside the
// executable, its name and ".calls.txt", without it) as one line: "N Function", with " fail" or
// " stop" after the one the plan hits. Imports that are neither hooked nor left out on purpose
// are appended as "unlisted Function". Without QF_FAULTS the variant runs as the installer does
// and records nothing; a value that does not parse ends the process at once with
// BadPlanExitCode, so a typo never passes for a clean run.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace faults {

inline constexpr char16_t VariableName[] = u"QF_FAULTS";
inline constexpr char16_t RecordVariableName[] = u"QF_FAULTS_RECORD";
inline constexpr char16_t RecordSuffix[] = u".calls.txt";

// The exit codes of a run stopped by the plan, and of one whose plan did not parse. Neither is
// 0, the code of every run of the installer itself.
inline constexpr std::uint32_t StopExitCode = 0x5709;
inline constexpr std::uint32_t BadPlanExitCode = 0xBAD;

enum class Mode {
    Count,
    Fail,
    Stop,
};

struct Plan {
    Mode mode = Mode::Count;
    std::uint32_t ordinal = 0;  // the call the plan hits; 0 for Count
};

// The plan a value of QF_FAULTS names; nothing when it names none (an unknown mode, a missing,
// zero or too large ordinal, a stray character).
std::optional<Plan> ParsePlan(std::u16string_view text);

enum class Action {
    Pass,
    Fail,
    Stop,
};

// What to do with the listed call numbered `ordinal` (from 1).
Action ActionAt(const Plan& plan, std::uint32_t ordinal);

}  // namespace faults
