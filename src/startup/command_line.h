// How the installer reads its command line: the tail after the program name, and the one run
// mode that tail selects. Pure; the entry hands in GetCommandLineA's text.
#pragma once

#include <string_view>

namespace qf {

enum class RunMode {
    Install,
    Uninstall,
    Customise,
};

struct RunModes {
    RunMode mode = RunMode::Install;
    bool quiet = false;    // "/q", "/quiet", ...
    bool noCheck = false;  // exactly "/nocheck"
};

// The 8-bit command line after the program name and the blanks that follow it. The program name
// ends at the first character of code 32 or less outside double quotes; every following
// character of code 1 to 32 is skipped.
std::string_view CommandLineTail(std::string_view commandLine);

// The first rule that matches decides; arguments never combine.
RunModes ClassifyCommandLine(std::string_view tail);

}  // namespace qf
