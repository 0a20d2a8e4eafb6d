// Test build: a user without administrator rights, which Wine cannot otherwise show.
#include "startup/admin_query_win.h"

namespace qf {

bool UserIsAdministrator() { return false; }

}  // namespace qf
