// What the Windows tests expect of the installer as its user and the machine see it: the texts
// of its message boxes, its window titles and classes, and where an installation leaves its
// traces in the registry and on disk.
//
// Written out here rather than taken from the installer's own tables (src/base/texts.h,
// src/base/product.h), so that a wrong text or key in the program fails its tests instead of
// passing them. The wording, typos included, is the product's own: copy it, never correct it.
#pragma once

#include <string>

namespace e2e {

// Registry keys under HKEY_LOCAL_MACHINE, and files and folders of the prefix.
namespace paths {
inline const wchar_t* const MakerKey = L"Software\\Quenfield";
inline const wchar_t* const LexarisKey = L"Software\\Quenfield\\Lexaris";
inline const wchar_t* const FamilyKey = L"Software\\Quenfield\\Lexaris\\2.0";
inline const wchar_t* const ReleaseKey = L"Software\\Quenfield\\Lexaris\\2.0\\20191220";
inline const wchar_t* const ServersKey = L"Software\\Quenfield\\Lexaris\\2.0\\Servers";
inline const wchar_t* const UninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORIN-6";
inline const wchar_t* const DefaultInstallDir = L"C:\\Program Files\\Quenfield";
inline const wchar_t* const Desktop = L"C:\\users\\All Users\\Desktop";
inline const wchar_t* const ShortcutName = L"ORIN-6 Client.lnk";
inline const wchar_t* const Shortcut = L"C:\\users\\All Users\\Desktop\\ORIN-6 Client.lnk";
// The desktop every account shows, which takes the shortcut where the one derived from the
// profile cannot: the system account's (its profile lies below the Windows folder), or one that
// is not there.
inline const wchar_t* const CommonShortcut = L"C:\\users\\Public\\Desktop\\ORIN-6 Client.lnk";
inline const wchar_t* const SystemProfile = L"C:\\windows\\system32\\config\\systemprofile";
// The machine-wide lock that one installation or uninstallation holds at a time.
inline const wchar_t* const RunLockName = L"Global\\Quenfield ORIN-6 Setup";
}  // namespace paths

namespace texts {

// --- Windows ----------------------------------------------------------------------------------
inline const wchar_t* const InstallerTitle = L"Quenfield ORIN-6 Installer - 2019 12 20";
// The licence page's title when Back opens it again.
inline const wchar_t* const InstallerName = L"Quenfield ORIN-6 Installer";
inline const wchar_t* const CustomisationTitle = L"Quenfield ORIN-6 Installer - Customization";
inline const wchar_t* const LicenceBoxClass = L"LicenseBox";
inline const wchar_t* const LocationBoxClass = L"LocationBox";
inline const wchar_t* const CustomBoxClass = L"CustomBox";

// The installation directory's field as the page opens, and the registered display name.
inline const wchar_t* const DefaultInstallDirText = L"C:\\Program Files\\Quenfield\\";
inline const wchar_t* const DisplayName = L"ORIN-6 Version 2019 12 20";
// What the uninstall registration tells Apps & features beside the name.
inline const wchar_t* const DisplayVersion = L"2019.12.20";
inline const wchar_t* const Publisher = L"Quenfield";
inline const wchar_t* const ReleasePage = L"https://releases.quenfield.example/orin-6/";
inline const wchar_t* const ShortcutDescription = L"Shortcut to qfmgr.exe";
// The status line's words before the client's path.
inline const wchar_t* const InstallingPrefix = L"Installing: ";
inline const wchar_t* const UpgradingPrefix = L"Upgrading: ";

// --- Start-up ---------------------------------------------------------------------------------
inline const wchar_t* const AdminRightsCaption = L"Administrator rights needed";
inline const wchar_t* const AdminRightsMessage =
    L"To correctly install/update/uninstall the ORIN-6 software you must run this program with "
    L"ADMINISTRATOR rights. You may continue to run this program without administrator rights, "
    L"however the ORIN-6 software cannot be installed in its standard location, only the "
    L"currently logged in user will be able to access ORIN-6 and previous versions of the "
    L"software installed by other users may not be correctly updated.\n\nIf you understand these "
    L"restrictions and wish to continue installing without ADMINISTRATOR rights choose YES "
    L"below, otherwise choose NO and restart the program with administrator rights.";

inline const wchar_t* const AlreadyCustomisedCaption = L"Can't cutomize";
inline const wchar_t* const AlreadyCustomisedMessage =
    L"This install program has already been customized and may not be used to create "
    L"another customized version.  Please obtain a non-customized copy from "
    L"https://releases.quenfield.example/orin-6/ in order to be able to create a "
    L"customized install file.";

// --- Licence page -----------------------------------------------------------------------------
inline const wchar_t* const LicenceCaption = L"License";
inline const wchar_t* const LicenceMessage =
    L"This software will not be installed unless the software\nlicense is agreed to by "
    L"checking off the `I agree` box\nat the bottom of the page.";

// --- Payload archive --------------------------------------------------------------------------
inline const wchar_t* const CorruptedArchiveCaption = L"Install";
inline const wchar_t* const CorruptedArchiveMessage =
    L"The data contained in this archive appears to be corrupted\n"
    L"Please obtain a new copy and try this installation again.";

inline const wchar_t* const InstallationErrorsCaption = L"Installation Errors";
inline const wchar_t* const InstallationErrorsMessage =
    L"Errors have occured during the installation process.  The ORIN-6 software has not been "
    L"correctly installed.  Please correct the issues and try again";

inline const wchar_t* const CreateDirectoryErrorCaption = L"Create Directory Error";
inline const wchar_t* const CreateDirectoryErrorPrefix = L"Unable to create directory: ";  // the path follows

inline const wchar_t* const InstallErrorCaption = L"Install Error";
inline std::wstring InstallErrorText(const std::wstring& path, unsigned long error) {
    return L"Unable to create/write file: " + path + L"\nError " + std::to_wstring(error) + L", Installation aborted.";
}

// --- Installation page ------------------------------------------------------------------------
inline const wchar_t* const InvalidPathCaption = L"Invalid Path";
inline const wchar_t* const BlankDirectoryMessage =
    L"The installation directory must not be blank and should represent the location you wish "
    L"to install the ORIN-6 system on this station.";
inline const wchar_t* const SystemDirectoryMessage = L"You are not permitted to install into a system directory.";

inline const wchar_t* const InstallationErrorCaption = L"Installation Error";
inline const wchar_t* const DirectoryNotCreatedMessage =
    L"The directory specified for installation could not be created. Check the path you specified and ensure "
    L"that it contains a driveletter and full path to the location you wish to install in";

inline const wchar_t* const ErrorOpeningFileCaption = L"Error opening file";
// The path follows each of these two.
inline const wchar_t* const SourceOpenPrefix = L"Unable to open the source path ";
inline const wchar_t* const UninstallerOpenPrefix =
    L"Unable to open the uninstall program for writing.  Check that you have permission to write into: ";
inline const wchar_t* const InstallationNotCompleteCaption = L"Installation not complete";
inline const wchar_t* const UninstallerWriteMessage = L"Unable to write uninstall program.";

inline const wchar_t* const InstallationCompleteCaption = L"Installation Complete";
inline const wchar_t* const InstallationCompleteMessage =
    L"The ORIN-6 system has been installed, click on the desktop icon to begin using it.";

// --- Registration -----------------------------------------------------------------------------
inline const wchar_t* const RegistryErrorCaption = L"Registry error";
inline const wchar_t* const RegistryErrorMessage = L"Cannot create regisitry keys required";
inline const wchar_t* const NewerVersionCaption = L"Newer Version";
inline const wchar_t* const NewerVersionMessage =
    L"This system already has a newer version of the ORIN-6 software installed than this one.   "
    L"You cannot install this version unless you manually uninstall the current one.";

// --- Customisation page -----------------------------------------------------------------------
inline const wchar_t* const CustomisationRequiredCaption = L"Customization Required";
inline const wchar_t* const CustomisationRequiredMessage =
    L"You must select a customization before pressing the NEXT-> button.  If you do "
    L"not wish to customize the install program then choose CANCEL instead.";
inline const wchar_t* const BadDocPathCaption = L"Bad Documentation Path";
inline const wchar_t* const DocPathMissingMessage =
    L"You have selected to change the documentation path yet have not provided a new path "
    L"specification.  You must enter the path to locate the documentation in the window provided.";
inline const wchar_t* const DocPathTooLongMessage = L"The documentation path must be less than 79 characters";
inline const wchar_t* const BadServerCaption = L"Bad Server Name";
inline const wchar_t* const ServerMissingMessage =
    L"Server name or IP address must be provided when setting the default server.";
inline const wchar_t* const ServerTooLongMessage = L"The server name must be less than 79 characters";

inline const wchar_t* const ErrorCustomisingCaption = L"Error Customizing";
inline std::wstring OwnFileOpenText(const std::wstring& path, unsigned long error) {
    return L"Could not open executable file " + path + L" for reading, errno " + std::to_wstring(error);
}
inline std::wstring OutputOpenText(const std::wstring& path) {
    return L"Unable to open " + path +
           L" file for writing.  Check that you have permission to write into that location.";
}
inline const wchar_t* const FileIoErrorCaption = L"File IO error";
inline const wchar_t* const OutputWriteMessage = L"Unable to write customized file";
inline const wchar_t* const CompletedCaption = L"Completed";
inline std::wstring CopyCreatedText(const std::wstring& path) {
    return L"Customized output file " + path + L" has now been created. Copy this file to the location you need.";
}

// --- Uninstall --------------------------------------------------------------------------------
inline const wchar_t* const UninstallCompleteCaption = L"Uninstall Complete";
inline const wchar_t* const UninstallCompleteMessage = L"The ORIN-6 system has been uninstalled from the system.";

}  // namespace texts

}  // namespace e2e
