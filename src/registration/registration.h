// Recording an installation in the machine registry.
#pragma once

namespace qf {

// Registers the product: family keys, the newer-release guard, the migration of the previous
// release's settings, a customised copy's settings, the uninstall registration.
// 0 registered, 5 a newer release is installed (the user has been told), 10 failed.
int RegisterProduct();

// Whether a newer release than this one is registered. Reads only; shows nothing.
bool NewerReleaseInstalled();

}  // namespace qf
