#include "startup/admin_query.h"

#include "base/texts.h"
#include "base/win32.h"

namespace qf {

bool AdministratorQuery() {
    if (UserIsAdministrator()) return true;
    return ShowMessage(nullptr, text::AdminRightsMessage, text::AdminRightsCaption,
                       MB_YESNO | MB_ICONERROR) != IDNO;
}

}  // namespace qf
