// What the end-to-end tests share: where the built installers are, scratch folders, and
// starting an installer as a user would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "driver/driver.h"

namespace e2e {

inline constexpr DWORD WaitMs = 20000;

// Where an installation leaves its traces, written out here rather than taken from the
// installer's own constants, so that a wrong constant cannot pass its own test.
namespace paths {
inline const wchar_t* const FamilyKey = L"Software\\Quenfield\\Lexaris\\2.0";
inline const wchar_t* const ReleaseKey = L"Software\\Quenfield\\Lexaris\\2.0\\20191220";
inline const wchar_t* const ServersKey = L"Software\\Quenfield\\Lexaris\\2.0\\Servers";
inline const wchar_t* const UninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORIN-6";
inline const wchar_t* const DefaultInstallDir = L"C:\\Program Files\\Quenfield";
inline const wchar_t* const Desktop = L"C:\\users\\All Users\\Desktop";
inline const wchar_t* const Shortcut = L"C:\\users\\All Users\\Desktop\\ORIN-6 Client.lnk";
}  // namespace paths

// A built installer of the build tree: "qfsetup.exe", "qfsetup-nonadmin.exe", ...
std::wstring Built(const wchar_t* fileName);

// The payload tree the built installer carries, and its licence text.
std::wstring PayloadTree();
std::wstring LicenceFile();

// A new empty folder under the prefix's temporary folder.
std::wstring ScratchDir(const wchar_t* name);

bool CopyTo(const std::wstring& from, const std::wstring& to);
std::vector<std::uint8_t> ReadAll(const std::wstring& path);
bool WriteAll(const std::wstring& path, const std::vector<std::uint8_t>& bytes);

// Starts exe with the command line `"exe" args` (or exactly commandLine with StartRaw).
driver::Process Start(const std::wstring& exe, const std::wstring& args);
// exePath names the program when the command line alone would not (Wine would otherwise
// quote an unquoted path with a blank).
driver::Process StartRaw(const std::wstring& commandLine, const std::wstring& workDir = L"",
                         const std::wstring& exePath = L"");

// Copies the built installer and writes a customised block into the copy.
std::wstring CustomisedCopy(const std::wstring& dir, std::uint8_t mode, const char* server,
                            const char* docPath);

// Removes what an installation registers: the product family key and the uninstall key.
void ResetRegistry();
// Creates every missing folder of a path.
bool MakeDirs(const std::wstring& path);
// Removes a folder and everything below it.
void RemoveTree(const std::wstring& path);
bool Exists(const std::wstring& path);

// T:, a 256 KiB drive that full_disk_drive.sh maps into the prefix for the full-disk cases.
// EmptySmallDrive removes everything on it (what other cases left included); false when this
// run has no such drive. FillSmallDrive then writes a file of its own until at most `left`
// bytes stay free.
inline const wchar_t* const SmallDrive = L"T:\\";
bool EmptySmallDrive();
bool FillSmallDrive(std::uint64_t left);

// Compares two trees file by file; an empty answer means equal, else the first difference.
std::wstring CompareTrees(const std::wstring& expected, const std::wstring& actual);

// A REG_SZ value under HKLM; nothing when absent.
std::optional<std::wstring> ReadString(const wchar_t* key, const wchar_t* value);
std::optional<DWORD> ReadNumber(const wchar_t* key, const wchar_t* value);
bool KeyExists(const wchar_t* key);
// Creates a key under HKLM with its missing parents. With REG_OPTION_VOLATILE the keys made
// refuse lasting subkeys, which is how a key the installer must create is made uncreatable
// here: Wine's registry has no access control to refuse it with.
bool CreateKey(const wchar_t* key, DWORD options = 0);
bool WriteString(const wchar_t* key, const wchar_t* value, const std::wstring& data);
bool WriteNumber(const wchar_t* key, const wchar_t* value, DWORD data);

}  // namespace e2e
