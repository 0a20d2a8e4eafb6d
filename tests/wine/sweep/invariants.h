// What must hold after every faulted run of a road, judged from the machine's state before and
// after it and from the boxes it showed. Each check returns what is wrong, empty when it holds.
#pragma once

#include <string>
#include <vector>

#include "sweep/machine_state.h"
#include "sweep/roads.h"

namespace sweep {

// What the road's plain runs left, taken once before its sweep: the machine it starts from,
// after the plain road (done), and after the plain uninstall that follows (undone; unused for
// the uninstall roads, whose done it is, and for the customised copy). The boxes of the plain
// road and of the plain uninstall. The hashes of the two installers (ContentHash).
struct Reference {
    State start;
    State done;
    State undone;
    std::vector<std::wstring> doneCaptions;
    std::vector<std::wstring> undoneCaptions;
    std::wstring shippedHash;
    std::wstring faultyHash;
};

// What the road may change: its installation directory (for the customised copy, the copy),
// the desktop shortcut and the product's keys; never the files laid out there as someone
// else's, nor the folders holding them (IsOthers).
bool ProductOwned(Road road, const std::wstring& entry);

// Anything else that changed.
std::wstring ChangedOutside(Road road, const State& start, const State& after);

// Whether the run told the user it succeeded: the completion box; for a quiet install that was
// made to fail, ending without any box with the product registered (both keys there), which is
// how a deployment tool tells an installation.
bool ReportsSuccess(Road road, bool quietFailure, const std::vector<std::wstring>& captions, const State& after);

// What of the work a success report stands for is not whole: the installed tree, the registry
// and the uninstaller; everything gone after an uninstall; the copy. The shortcut is made on a
// best effort and never reported, so its absence is not counted.
std::wstring NotWhole(Road road, const Reference& reference, const State& after,
                      const std::vector<std::wstring>& captions);

// What a completed uninstall left in the installation directory besides someone else's files and
// the folders holding them: in a folder the installation shared, those stay as they were and
// nothing else does; a folder of its own goes whole.
std::wstring LeftInFolder(Road road, const State& after);

// A registered uninstaller that is there but is no whole copy of either installer.
std::wstring BrokenUninstaller(const Reference& reference, const State& after);

}  // namespace sweep
