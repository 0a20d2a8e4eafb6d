// Facts about the product and this release that more than one part of the installer uses.
// Each fact lives here once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qf {

// The release this installer carries.
inline constexpr char16_t ReleaseDateText[] = u"2019 12 20";
inline constexpr char16_t ReleaseKeyName[] = u"20191220";
// This release's key while the settings of another release are carried into it, beside the
// release keys: its name reads as no release.
inline constexpr char16_t ReleaseDraftKeyName[] = u"~20191220";

inline constexpr char16_t InstallerTitleFormat[] = u"Quenfield ORIN-6 Installer - %s";
inline constexpr char16_t InstallerName[] = u"Quenfield ORIN-6 Installer";
inline constexpr char16_t CustomisationTitle[] = u"Quenfield ORIN-6 Installer - Customization";

// Window classes of the three pages. Titles and classes are spelt as the product spells them,
// whatever the spelling of the names that hold them.
inline constexpr char16_t LicenceBoxClass[] = u"LicenseBox";
inline constexpr char16_t LocationBoxClass[] = u"LocationBox";
inline constexpr char16_t CustomBoxClass[] = u"CustomBox";

// Files the installer writes.
inline constexpr char16_t UninstallerFileName[] = u"qfsetup.exe";
// The new uninstaller is written under this name beside the old one and then moved over it,
// so that the registered uninstaller is never a half-written file.
inline constexpr char16_t UninstallerTemporaryName[] = u"qfsetup.tmp";
inline constexpr char16_t ClientFileName[] = u"qfmgr.exe";
inline constexpr char16_t ShortcutFileName[] = u"ORIN-6 Client.lnk";
// Where a shortcut is saved first when a link or a file of several names stands in its place,
// then moved over that name.
inline constexpr char16_t ShortcutTemporaryName[] = u"ORIN-6 Client.lnk.new";
inline constexpr char16_t AllUsersDesktopSuffix[] = u"\\All Users\\Desktop";

// Registry keys, all under HKEY_LOCAL_MACHINE, named level by level as they are opened.
inline constexpr char16_t SoftwareKeyName[] = u"Software";
// Below Software: the product family's key, whose subkeys are the release keys and "Servers".
inline constexpr const char16_t* ProductFamilyKeyPath[] = {u"Quenfield", u"Lexaris", u"2.0"};
// Below Software: the product's key, the family key's parent. That it opens is enough to tell
// an earlier installation, whatever families and releases it holds.
inline constexpr std::span ProductKeyPath = std::span(ProductFamilyKeyPath).first<2>();
inline constexpr char16_t ServersKeyName[] = u"Servers";
// Below Software: the parent of the product's entry, ProductUninstallKeyName.
inline constexpr const char16_t* UninstallKeyPath[] = {u"Microsoft", u"Windows", u"CurrentVersion", u"Uninstall"};
inline constexpr char16_t ProductUninstallKeyName[] = u"ORIN-6";
inline constexpr char16_t InstallLocationValueName[] = u"InstallLocation";
inline constexpr char16_t UninstallStringValueName[] = u"UninstallString";
// REG_DWORD beside the uninstall values, written before them: 0 when the installer made the
// folder or found it empty, 1 when it already held other files. Only 0 lets the uninstall remove
// the folder whole; 1, no mark (an older release's registration) or any other value removes only
// what the installer wrote there.
inline constexpr char16_t SharedFolderValueName[] = u"SharedFolder";
// The program path is quoted: Windows runs the value as a command line, and an unquoted path
// with a blank ("Program Files") would lose "/uninstall" and start the install wizard.
inline constexpr char16_t UninstallCommandFormat[] = u"\"%s\\%s\" /uninstall";
// The same program, quoted alike, for the deployment tools that uninstall with nobody at the
// screen.
inline constexpr char16_t QuietUninstallCommandFormat[] = u"\"%s\\%s\" /silent-uninstall";

// What Apps & features and the deployment tools' detection rules read beside the uninstall
// command, written after it.
inline constexpr char16_t DisplayVersionValueName[] = u"DisplayVersion";
inline constexpr char16_t DisplayVersionText[] = u"2019.12.20";
inline constexpr char16_t PublisherValueName[] = u"Publisher";
inline constexpr char16_t PublisherText[] = u"Quenfield";
// REG_DWORD: KiB the installation writes, the archive's files and the uninstaller.
inline constexpr char16_t EstimatedSizeValueName[] = u"EstimatedSize";
// REG_SZ: the local date of the installation, YYYYMMDD.
inline constexpr char16_t InstallDateValueName[] = u"InstallDate";
inline constexpr char16_t UrlInfoAboutValueName[] = u"URLInfoAbout";
// The maker's release page, where a copy of the installer is to be had.
inline constexpr char16_t ReleasePageUrl[] = u"https://releases.quenfield.example/orin-6/";
// REG_DWORD 1 each: the installation has no change or repair of its own to offer, so that Apps &
// features offers only Uninstall.
inline constexpr char16_t NoModifyValueName[] = u"NoModify";
inline constexpr char16_t NoRepairValueName[] = u"NoRepair";
inline constexpr char16_t QuietUninstallStringValueName[] = u"QuietUninstallString";

// The machine-wide lock that lets one installation or uninstallation run at a time, whichever
// copy of the installer starts it and in whichever session.
inline constexpr char16_t RunLockName[] = u"Global\\Quenfield ORIN-6 Setup";
// How long a silent run waits for another run to finish before it gives up (exit code 1618).
inline constexpr unsigned long SilentRunLockLimitMs = 10 * 60 * 1000;

// The silent modes' logs in the temporary folder, unless "/log=" names another.
inline constexpr char16_t SilentInstallLogName[] = u"orin6-setup.log";
inline constexpr char16_t SilentUninstallLogName[] = u"orin6-uninstall.log";

// Resources of the executable.
inline constexpr int PayloadResourceType = 500;
inline constexpr int PayloadResourceId = 500;
inline constexpr int LicenceResourceType = 501;
inline constexpr int LicenceResourceId = 501;
inline constexpr int PageIconId = 40;
inline constexpr unsigned ResourceLanguage = 1033;

// Page window geometry.
inline constexpr int PageWidth = 500;
inline constexpr int PageHeight = 400;

// Buffer sizes in UTF-16 units, terminator included.
inline constexpr std::size_t PathCapacity = 260;        // AllUsersDesktop, own and output paths
inline constexpr std::size_t TargetPathCapacity = 256;  // CurrentTargetPath, the own file copied
inline constexpr std::size_t DirectoryPathCapacity = 1024;
inline constexpr std::size_t MessageCapacity = 256;
inline constexpr std::size_t InstallDirectoryCapacity = 101;  // 100 characters and the terminator
inline constexpr std::size_t DisplayIconPathCapacity = 255;
inline constexpr std::size_t InstallDateCapacity = 12;  // YYYYMMDD, room for a longer year
// The desktop shortcut's path and the name it is first saved under: a path Windows opens
// without the \\?\ form, as saving the shortcut and deleting it both need.
inline constexpr std::size_t ShortcutPathCapacity = 260;

}  // namespace qf
