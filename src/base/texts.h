// Every text the installer shows to its user, in one table. The wording, typos included, is the
// product's own and is relied on by documentation and by people who recognise the messages; do
// not "fix" it.
#pragma once

namespace qf::text {

// --- Start-up -------------------------------------------------------------------------------
inline constexpr char16_t AdminRightsCaption[] = u"Administrator rights needed";
inline constexpr char16_t AdminRightsMessage[] =
    u"To correctly install/update/uninstall the ORIN-6 software you must run this program with "
    u"ADMINISTRATOR rights. You may continue to run this program without administrator rights, "
    u"however the ORIN-6 software cannot be installed in its standard location, only the "
    u"currently logged in user will be able to access ORIN-6 and previous versions of the "
    u"software installed by other users may not be correctly updated."
    u"\n\n"
    u"If you understand these restrictions and wish to continue installing without "
    u"ADMINISTRATOR rights choose YES below, otherwise choose NO and restart the program with "
    u"administrator rights.";

inline constexpr char16_t AlreadyCustomisedCaption[] = u"Can't cutomize";
// %s: the maker's release page (ReleasePageUrl), which the uninstall registration names too.
inline constexpr char16_t AlreadyCustomisedFormat[] =
    u"This install program has already been customized and may not be used to create another "
    u"customized version.  Please obtain a non-customized copy from %s"
    u" in order to be able to create a customized install file.";

// --- Page controls -------------------------------------------------------------------------
inline constexpr char16_t CancelButton[] = u"Cancel";
inline constexpr char16_t NextButton[] = u"Next >";
inline constexpr char16_t InstallButton[] = u"Install";
inline constexpr char16_t BackButton[] = u"< Back";

// --- Licence page ---------------------------------------------------------------------------
inline constexpr char16_t AcceptBox[] = u"I Accept This Agreement";
inline constexpr char16_t LicenceIntro[] =
    u"Before installing this software you must read and understand the complete license agreement.";
inline constexpr char16_t LicenceHint[] = u"Click the box at the bottom if you agree with the license agreement.";
inline constexpr char16_t LicenceCaption[] = u"License";
inline constexpr char16_t LicenceMessage[] =
    u"This software will not be installed unless the software\n"
    u"license is agreed to by checking off the `I agree` box\n"
    u"at the bottom of the page.";

// --- Payload archive ------------------------------------------------------------------------
inline constexpr char16_t CorruptedArchiveCaption[] = u"Install";
inline constexpr char16_t CorruptedArchiveMessage[] =
    u"The data contained in this archive appears to be corrupted\n"
    u"Please obtain a new copy and try this installation again.";

inline constexpr char16_t InstallationErrorsCaption[] = u"Installation Errors";
inline constexpr char16_t InstallationErrorsMessage[] =
    u"Errors have occured during the installation process.  The ORIN-6 software has not been "
    u"correctly installed.  Please correct the issues and try again";

inline constexpr char16_t CreateDirectoryErrorCaption[] = u"Create Directory Error";
inline constexpr char16_t CreateDirectoryErrorFormat[] = u"Unable to create directory: %s";

inline constexpr char16_t InstallErrorCaption[] = u"Install Error";
inline constexpr char16_t InstallErrorFormat[] = u"Unable to create/write file: %s\nError %d, Installation aborted.";

inline constexpr char16_t ShortcutDescription[] = u"Shortcut to qfmgr.exe";

// --- Installation page ----------------------------------------------------------------------
inline constexpr char16_t DefaultInstallDirectory[] = u"C:\\Program Files\\Quenfield\\";
inline constexpr char16_t LocationLine1[] = u"The software will now be installed in the directory shown below.";
inline constexpr char16_t LocationLine2[] = u"You may change this directory if it is not suitable for your system.";
inline constexpr char16_t LocationLine3[] = u"When you are ready, click the Install button to begin the installation.";
inline constexpr char16_t LocationLabel[] = u"Installation Directory:";
inline constexpr char16_t VerifyingFormat[] = u"Verifying Contents of archive: %d";
inline constexpr char16_t InstallingFormat[] = u"Installing: %s";
inline constexpr char16_t UpgradingFormat[] = u"Upgrading: %s";

inline constexpr char16_t InvalidPathCaption[] = u"Invalid Path";
inline constexpr char16_t BlankDirectoryMessage[] =
    u"The installation directory must not be blank and should represent the location you wish "
    u"to install the ORIN-6 system on this station.";
inline constexpr char16_t SystemDirectoryMessage[] = u"You are not permitted to install into a system directory.";

inline constexpr char16_t InstallationErrorCaption[] = u"Installation Error";
inline constexpr char16_t DirectoryNotCreatedMessage[] =
    u"The directory specified for installation could not be created. Check the path you "
    u"specified and ensure that it contains a driveletter and full path to the location you "
    u"wish to install in";

inline constexpr char16_t ErrorOpeningFileCaption[] = u"Error opening file";
inline constexpr char16_t SourceOpenFormat[] = u"Unable to open the source path %s";
inline constexpr char16_t UninstallerOpenFormat[] =
    u"Unable to open the uninstall program for writing.  Check that you have permission to "
    u"write into: %s";
inline constexpr char16_t InstallationNotCompleteCaption[] = u"Installation not complete";
inline constexpr char16_t UninstallerWriteMessage[] = u"Unable to write uninstall program.";

inline constexpr char16_t InstallationCompleteCaption[] = u"Installation Complete";
inline constexpr char16_t InstallationCompleteMessage[] =
    u"The ORIN-6 system has been installed, click on the desktop icon to begin using it.";

// --- Registration ---------------------------------------------------------------------------
inline constexpr char16_t RegistryErrorCaption[] = u"Registry error";
inline constexpr char16_t RegistryErrorMessage[] = u"Cannot create regisitry keys required";
inline constexpr char16_t SystemErrorCaption[] = u"System Error";
inline constexpr char16_t SubkeyCountMessage[] = u"Unable to open registry key for writing.";
inline constexpr char16_t NewerVersionCaption[] = u"Newer Version";
inline constexpr char16_t NewerVersionMessage[] =
    u"This system already has a newer version of the ORIN-6 software installed than this one."
    u"   You cannot install this version unless you manually uninstall the current one.";
inline constexpr char16_t DisplayNameFormat[] = u"ORIN-6 Version %s";

// --- Customisation page ---------------------------------------------------------------------
inline constexpr char16_t CustomLine1[] = u"This option creates a customized copy of the ORIN-6 installer.";
inline constexpr char16_t CustomLine2[] = u"Choose the options you wish to customize below.  Select the NEXT";
inline constexpr char16_t CustomLine3[] = u"button when you are ready to create the customized setup program.";
inline constexpr char16_t ServerBox[] = u"Default ORIN-6 server to use";
inline constexpr char16_t ServerLabel[] = u"Default Server name or IP address:";
inline constexpr char16_t LockMode0[] = u"Allow contents of server field to be changed";
inline constexpr char16_t LockMode1[] = u"Display server field but lock its contents";
inline constexpr char16_t LockMode2[] = u"Hide server field";
inline constexpr char16_t DocPathBox[] = u"Documentation Path";
inline constexpr char16_t DocPathLabel[] = u"URL or absolute path to documentation files:";

inline constexpr char16_t BadDocPathCaption[] = u"Bad Documentation Path";
inline constexpr char16_t DocPathMissingMessage[] =
    u"You have selected to change the documentation path yet have not provided a new path "
    u"specification.  You must enter the path to locate the documentation in the window provided.";
inline constexpr char16_t DocPathTooLongMessage[] = u"The documentation path must be less than 79 characters";
inline constexpr char16_t BadServerCaption[] = u"Bad Server Name";
inline constexpr char16_t ServerMissingMessage[] =
    u"Server name or IP address must be provided when setting the default server.";
inline constexpr char16_t ServerTooLongMessage[] = u"The server name must be less than 79 characters";
inline constexpr char16_t CustomisationRequiredCaption[] = u"Customization Required";
inline constexpr char16_t CustomisationRequiredMessage[] =
    u"You must select a customization before pressing the NEXT-> button.  If you do not wish to "
    u"customize the install program then choose CANCEL instead.";
inline constexpr char16_t ErrorCustomisingCaption[] = u"Error Customizing";
inline constexpr char16_t OwnFileOpenFormat[] = u"Could not open executable file %s for reading, errno %d";
inline constexpr char16_t CustomisationErrorCaption[] = u"Customization Error";
inline constexpr char16_t CopyMemoryMessage[] = u"Could not allocate memory to create copy";
inline constexpr char16_t OutputOpenFormat[] =
    u"Unable to open %s file for writing.  Check that you have permission to write into that "
    u"location.";
inline constexpr char16_t FileIoErrorCaption[] = u"File IO error";
inline constexpr char16_t OutputWriteMessage[] = u"Unable to write customized file";
inline constexpr char16_t CompletedCaption[] = u"Completed";
inline constexpr char16_t CopyCreatedFormat[] =
    u"Customized output file %s has now been created. Copy this file to the location you need.";

inline constexpr char16_t UninstallCompleteCaption[] = u"Uninstall Complete";
inline constexpr char16_t UninstallCompleteMessage[] = u"The ORIN-6 system has been uninstalled from the system.";

// --- The silent modes' log ------------------------------------------------------------------
// Each line is the parts named, one after another; a failure's line ends in the system's error
// number and text.
inline constexpr char16_t LogInstallStart[] = u"silent installation of ORIN-6 Version ";
inline constexpr char16_t LogUninstallStart[] = u"silent uninstall of ORIN-6 Version ";
inline constexpr char16_t LogArguments[] = u", arguments: ";
inline constexpr char16_t LogArgumentRejected[] = u"argument not understood: ";
inline constexpr char16_t LogNotAdministrator[] =
    u"not run as an administrator: the installation needs an administrator's rights";
inline constexpr char16_t LogLockTimedOut[] =
    u"another installation or uninstallation still runs after ten minutes: nothing done";
inline constexpr char16_t LogDirectory[] = u"installation directory: ";
inline constexpr char16_t LogDirectoryBlank[] = u"no installation directory given";
inline constexpr char16_t LogDirectoryTooLong[] = u"installation directory too long (at most 100 characters): ";
inline constexpr char16_t LogDirectoryRefused[] =
    u"directory refused: a root, the Windows folder or one below it, a known folder or a folder "
    u"holding one, or a link: ";
inline constexpr char16_t LogArchiveVerified[] = u"archive verified";
inline constexpr char16_t LogArchiveCorrupted[] =
    u"the installer's archive is damaged: get a new copy of the installer";
inline constexpr char16_t LogNewerRelease[] =
    u"a newer release of ORIN-6 is installed: nothing written; uninstall it first to install this one";
inline constexpr char16_t LogSharingUntold[] =
    u"cannot tell whether the directory holds other files (registration or directory unreadable)";
inline constexpr char16_t LogDirectoryMade[] = u"directory created: ";
inline constexpr char16_t LogDirectoryFound[] = u"directory already there: ";
inline constexpr char16_t LogDirectoryShared[] =
    u"the directory holds other files: its uninstall removes only what this installation writes";
inline constexpr char16_t LogDirectoryNotCreated[] = u"cannot create the installation directory ";
inline constexpr char16_t LogUninstallerWritten[] = u"uninstaller written";
inline constexpr char16_t LogUninstallerNotWritten[] = u"cannot write the uninstaller ";
inline constexpr char16_t LogUpgrade[] = u"an earlier installation is there: its settings are carried over";
inline constexpr char16_t LogRegistered[] = u"registered in the machine registry";
inline constexpr char16_t LogRegistryFailed[] = u"cannot write the product's registry keys";
inline constexpr char16_t LogReleasesUncounted[] = u"cannot list the product's release keys";
inline constexpr char16_t LogFilesWritten[] = u" files written";
inline constexpr char16_t LogFolderNotCreated[] = u"cannot create the folder ";
inline constexpr char16_t LogFileNotWritten[] = u"cannot write the file ";
inline constexpr char16_t LogShortcutWritten[] = u"desktop shortcut written: ";
inline constexpr char16_t LogShortcutNotWritten[] = u"cannot write the desktop shortcut ";
inline constexpr char16_t LogRegistrationMissing[] = u"ORIN-6 is not installed: no uninstall registration";
inline constexpr char16_t LogRegistrationUnreadable[] = u"cannot read the uninstall registration";
inline constexpr char16_t LogInstallationFound[] = u"installation at ";
inline constexpr char16_t LogInstallationGone[] =
    u"installation directory gone, removing what is left of the installation: ";
inline constexpr char16_t LogInstallationRefused[] =
    u"the installation directory is not removed: refused, on a drive or share that is not there, or "
    u"changed since it was judged: ";
inline constexpr char16_t LogWholeFolder[] = u"removing the whole directory";
inline constexpr char16_t LogWrittenFilesOnly[] = u"removing only the files the installation wrote";
inline constexpr char16_t LogNotRemoved[] = u"cannot remove ";
inline constexpr char16_t LogFilesRemoved[] = u"files removed";
inline constexpr char16_t LogFilesLeft[] =
    u"some files could not be removed: run the uninstall again once they are free";
inline constexpr char16_t LogShortcutNotRemoved[] = u"cannot remove the desktop shortcut ";
inline constexpr char16_t LogShortcutRemoved[] = u"desktop shortcut removed";
inline constexpr char16_t LogReleaseKeyNotRemoved[] = u"cannot remove this release's registry key";
inline constexpr char16_t LogReleaseKeyRemoved[] = u"release key removed";
inline constexpr char16_t LogUninstallerNotRemoved[] = u"cannot remove the uninstaller or its directory";
inline constexpr char16_t LogUninstallerRemoved[] = u"uninstaller and directory removed";
inline constexpr char16_t LogRegistrationNotRemoved[] = u"cannot remove the uninstall registration";
inline constexpr char16_t LogRegistrationRemoved[] = u"uninstall registration removed";
inline constexpr char16_t LogOutcome[] = u"outcome: ";
inline constexpr char16_t LogExitCode[] = u", exit code ";

}  // namespace qf::text
