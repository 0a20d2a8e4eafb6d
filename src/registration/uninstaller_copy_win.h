// The uninstaller the registration names: a byte-for-byte copy of the running installer in the
// installation directory, replaced whole or not at all.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/product.h"

namespace qf {

enum class UninstallerCopy {
    Copied,
    // Nothing sensible to copy: the own file is empty, or 4 GiB and more.
    NothingToCopy,
    SourceNotOpened,  // the own file cannot be opened (or its path did not fit)
    // The own file cannot be measured, or no buffer can be had for it.
    SourceUnreadable,
    // The uninstaller's names cannot take the copy: the target cannot be created, is a link, or
    // an old uninstaller there may not be replaced.
    TargetNotOpened,
    WriteFailed,  // the copy or its move over the old one failed (a full disk)
};

// The paths a copy's messages name.
struct UninstallerPaths {
    wchar_t target[PathCapacity];
    wchar_t temporary[PathCapacity];
};

// Copies ownPath (the running program's own file; ownPathFits false when its path did not fit)
// into installDirectory as the uninstaller: written beside it and moved over it, so
// that the uninstaller is the old one or the new one, never a part of either. In a directory
// found there (folderFound), the names are looked at first. ownSize receives the own file's
// size, 0 until it is measured (the registration records what the installation writes). Shows
// nothing.
UninstallerCopy CopyUninstaller(const wchar_t* ownPath, bool ownPathFits, const wchar_t* installDirectory,
                                bool folderFound, UninstallerPaths& paths, std::uint32_t& ownSize);

}  // namespace qf
