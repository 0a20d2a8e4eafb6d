// The block itself. Its first 30 bytes are the key by which the customisation finds it in a
// copy of the executable file; a build step checks that they occur nowhere else in qfsetup.exe.
#include "startup/settings_block.h"

namespace qf {

std::uint8_t EmbeddedSettings[SettingsBlockSize] =
    "0QFSITE:ORIN-6/20191220/SETUP! Room for the site settings of a customised copy: "
    "server lock mode, default server and documentation path.........................";

}  // namespace qf
