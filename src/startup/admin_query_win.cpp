#include "startup/admin_query_win.h"

#include "base/texts.h"
#include "base/ui_win.h"
#include "base/wide_win.h"

namespace qf {

bool AdministratorQuery() {
    if (UserIsAdministrator()) return true;
    return ShowMessage(nullptr, text::AdminRightsMessage, text::AdminRightsCaption, MB_YESNO | MB_ICONERROR) != IDNO;
}

}  // namespace qf
