#pragma once

namespace qf {

// Whether the user has administrator rights. Its own file so that a test build can link one
// that answers no (Wine always answers yes).
bool UserIsAdministrator();

// Asks IsUserAnAdmin; a user without the rights is warned and chooses. True: go on.
bool AdministratorQuery();

}  // namespace qf
