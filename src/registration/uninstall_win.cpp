#include "registration/uninstall.h"

#include "startup/admin_query.h"

namespace qf {

void RunUninstall() {
    if (!AdministratorQuery()) return;
}

}  // namespace qf
