// The roads the fault sweep takes through the installer, the machine each starts from, and how
// each is worked to its end as a person would: every message box answered with its first
// button, the wizard's and the customisation page's controls worked, a page that cannot be
// worked closed.
#pragma once

#include <string>
#include <vector>

#include "product_facts.h"
#include "sweep/machine_state.h"

namespace sweep {

enum class Road {
    Fresh,            // quiet install where the product never was (an older release's settings are there)
    Upgrade,          // quiet install over the same release, installed
    Wizard,           // both pages of the wizard, into a folder of its own
    Shared,           // both pages of the wizard, into a folder that already holds someone else's files
    Uninstall,        // the uninstall of an installation
    SharedUninstall,  // the uninstall of an installation into a folder it shares
    Customise,        // the customisation page writing its copy
    SilentInstall,    // the silent mode's install where the product never was, as Fresh
    SilentUninstall,  // the silent mode's uninstall of an installation
};
inline constexpr Road Roads[] = {Road::Fresh,     Road::Upgrade,       Road::Wizard,
                                 Road::Shared,    Road::Uninstall,     Road::SharedUninstall,
                                 Road::Customise, Road::SilentInstall, Road::SilentUninstall};

const wchar_t* NameOf(Road road);

bool IsInstallRoad(Road road);
bool IsUninstallRoad(Road road);
// The roads that show nothing and end with an exit code the run is judged by.
bool IsSilentRoad(Road road);

// Where the sweep works, all on C: of the prefix. The installers are copies of the built ones,
// each named qfsetup.exe in a folder of its own.
namespace place {
inline const wchar_t* const Root = L"C:\\qf-sweep";
inline const wchar_t* const Shipped = L"C:\\qf-sweep\\dist\\qfsetup.exe";
inline const wchar_t* const Faulty = L"C:\\qf-sweep\\faulty\\qfsetup.exe";
inline const wchar_t* const FaultyCopy = L"C:\\qf-sweep\\faulty\\qfsetup-custom.exe";
inline const wchar_t* const WizardTarget = L"C:\\qf-sweep\\apps\\ORIN-6";
// Holds files of someone else's before any installation: a name the archive does not carry, and
// one in a folder ("docs") that the archive has too.
inline const wchar_t* const SharedTarget = L"C:\\qf-sweep\\apps\\Shared Tools";
inline const wchar_t* const QuietTarget = e2e::paths::DefaultInstallDir;  // where /q installs
}  // namespace place

// Which installer a run starts: the shipped one, or the fault-injecting build with a plan.
enum class Program {
    Shipped,
    Faulty,
};

struct Outcome {
    long long exitCode = 0;              // driver::kTimedOut when it did not end and was ended
    std::vector<std::wstring> captions;  // of the message boxes, in order
};

// The installers copied into place; false when a built one is missing.
bool PlaceInstallers();

// What the sweep records of the machine.
Watched WatchedPlaces();

// Whether entry is a file the sweep laid out as someone else's (beside, above or inside an
// installation directory), or a folder holding one: what no road may change or remove.
bool IsOthers(const std::wstring& entry);

// The installation directory of an install road (empty for the customisation page).
std::wstring TargetOf(Road road);

// The machine as the road starts from it: the sentinels, the older release, and for the
// upgrade and the uninstall roads a plain installation (into the folder it shares, for the
// shared folder's uninstall). Assumes nothing of what came before.
void LayOut(Road road);

// Takes the road with the program; for Program::Faulty with QF_FAULTS set to plan (empty: not
// set). Returns once the program has ended, or has been ended after timeoutMs.
Outcome Take(Road road, Program program, const std::wstring& plan, unsigned long timeoutMs);

// Everything the sweep laid out or installed, gone again.
void ClearUp();

// The registered uninstall, run with the shipped installer.
Outcome PlainUninstall();

}  // namespace sweep
