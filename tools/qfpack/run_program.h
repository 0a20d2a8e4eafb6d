// Starting another program, such as the signing tool, and collecting what it says.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qfpack {

struct ProgramRun {
    bool started = false;  // false: the program was not found or could not be started
    int status = -1;       // its exit status; -1 when it did not exit normally
    std::string output;    // what it wrote to its standard output and standard error, together
};

// Runs argv[0], looked up on PATH, with the given arguments, and waits for it. Input goes to its
// standard input, so that a secret such as a password never appears among the arguments, where
// any user of the machine could read it.
ProgramRun RunProgram(const std::vector<std::string>& argv, std::string_view input);

}  // namespace qfpack
