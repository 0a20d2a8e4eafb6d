#include "base/process_state_win.h"

namespace qf {

HINSTANCE Instance;
HBRUSH PageBackgroundBrush;
wchar_t AllUsersDesktop[PathCapacity];
InstallProgress InstallProgressState;
std::uint32_t ExtractedFileCount;
MappedResource PayloadArchive;
MappedResource LicenceText;
PagePlacement PageGeometry;
std::uint32_t QuietMode;
std::uint32_t NoCheckMode;
std::uint32_t UpgradeMode;
wchar_t InstallDirectory[InstallDirectoryCapacity];
wchar_t DisplayIconPath[DisplayIconPathCapacity];
std::uint32_t VerifyProgress;
wchar_t CurrentTargetPath[TargetPathCapacity];

}  // namespace qf
