// Test build: a user without administrator rights, which Wine cannot otherwise show.
#include "startup/admin_query.h"

namespace qf {

bool UserIsAdministrator() { return false; }

}  // namespace qf
