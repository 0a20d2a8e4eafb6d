#include "base/process_state_win.h"

namespace qf {

HINSTANCE Instance;
HBRUSH PageBackgroundBrush;
wchar_t AllUsersDesktop[PathCapacity];
wchar_t CommonDesktop[PathCapacity];
const wchar_t* ShortcutDesktop = AllUsersDesktop;
InstallProgress InstallProgressState;
std::uint32_t ExtractedFileCount;
MappedResource PayloadArchive;
MappedResource LicenceText;
PagePlacement PageGeometry;
std::uint32_t QuietMode;
std::uint32_t SilentMode;
std::uint32_t NoCheckMode;
std::uint32_t UpgradeMode;
std::uint32_t VerifyProgress;

}  // namespace qf
