// The block itself. Its first 30 bytes are the key by which the customisation finds it in a
// copy of the executable file; a build step checks that they occur nowhere else in qfsetup.exe.
// The marker in front of it stays when the block is customised, so that tools can still find
// and read the block of a customised copy.
#include "settings/settings_block.h"

namespace qf {

namespace {

struct SettingsCarrier {
    std::uint8_t marker[SettingsMarkerSize];
    std::uint8_t block[SettingsBlockSize];
};

SettingsCarrier Carrier = {
    {'<', 'q', 'f', '-', 's', 'i', 't', 'e', '-', 'b', 'l', 'o', 'c', 'k', '>', '\0'},
    "0QFSITE:ORIN-6/20191220/SETUP! Room for the site settings of a customised copy: "
    "server lock mode, default server and documentation path.........................",
};

}  // namespace

std::uint8_t (&EmbeddedSettings)[SettingsBlockSize] = Carrier.block;
const std::uint8_t (&SettingsMarker)[SettingsMarkerSize] = Carrier.marker;

}  // namespace qf
