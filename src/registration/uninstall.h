#pragma once

namespace qf {

// The uninstall mode: asks AdministratorQuery, then removes the installed tree, the desktop
// shortcut, this release's key and the uninstall registration. Silent on every stop; its only
// message is the completion message.
void RunUninstall();

}  // namespace qf
