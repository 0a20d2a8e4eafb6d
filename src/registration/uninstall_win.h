#pragma once

namespace qf {

// The uninstall mode, once the user has answered the rights question: removes the installed tree, the desktop
// shortcut, this release's key and the uninstall registration. Silent on every stop; its only
// message is the completion message. Anything of the tree that could not be removed (other
// than what stays by design) stops it before the shortcut and the registry are touched.
void RunUninstall();

}  // namespace qf
