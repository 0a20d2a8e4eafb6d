// How far the install sequence has gone, as the installation page's status line tells it.
#pragma once

#include <cstdint>

namespace qf {

enum class InstallProgress : std::int32_t {
    NotStarted = 0,  // the status line shows nothing
    Verifying = 1,   // the archive's checksum, by offset
    Writing = 2,     // the files, by path
};

}  // namespace qf
