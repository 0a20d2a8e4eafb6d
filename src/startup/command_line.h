// How the installer reads its command line: the tail after the program name, and the one run
// mode that tail selects. Pure; the entry hands in GetCommandLineA's text.
#pragma once

#include <string_view>

namespace qf {

enum class RunMode {
    Install,
    Uninstall,
    Customise,
    // For deployment engines: no window, no box, no question; a log and an exit code.
    SilentInstall,    // "/silent [/dir=PATH] [/log=PATH]"
    SilentUninstall,  // "/silent-uninstall [/log=PATH]"
};

// The modes that make no window and end with an exit code of their own.
constexpr bool IsSilent(RunMode mode) { return mode == RunMode::SilentInstall || mode == RunMode::SilentUninstall; }

struct RunModes {
    RunMode mode = RunMode::Install;
    bool quiet = false;    // "/q", "/quiet", ...
    bool noCheck = false;  // exactly "/nocheck"
};

// The command line after the program name and the blanks that follow it. The program name ends
// at the first character of code 32 or less outside double quotes; every following character of
// code 1 to 32 is skipped. The modes are told from the 8-bit line, the silent modes' paths read
// from the UTF-16 one.
std::string_view CommandLineTail(std::string_view commandLine);
std::u16string_view CommandLineTail(std::u16string_view commandLine);

// The first rule that matches decides; arguments never combine. The silent modes are the only
// ones that take arguments of their own; their first argument is matched whole, so that
// "/silentx" is the wizard as any other unknown text is.
RunModes ClassifyCommandLine(std::string_view tail);

// What follows "/silent" or "/silent-uninstall". Each argument may stand in double quotes
// whole ("/dir=C:\Program Files\X") or around its value (/dir="C:\Program Files\X"); a
// quote ends at the next quote. Keys are compared without regard to ASCII case.
struct SilentArguments {
    bool understood = true;
    std::u16string_view directory;  // /dir=, install only; empty when not given
    std::u16string_view log;        // /log=; empty when not given
    // The first argument not understood (an unknown key, a key given twice, an empty value,
    // /dir= for the uninstall, stray quotes), as it stands, for the log.
    std::u16string_view rejected;
};

// tail: the UTF-16 tail whose first argument chose mode.
SilentArguments ParseSilentArguments(std::u16string_view tail, RunMode mode);

}  // namespace qf
