// What the Windows tests share: where the built installers are, scratch folders, starting an
// installer as a user would, its message boxes, and the registry it leaves.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "product_facts.h"

namespace e2e {

inline constexpr DWORD WaitMs = 20000;

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

// That a message box shows this caption, text and icon, is owned by `owner` (nullptr for none),
// and offers exactly these buttons (IDOK, IDYES ...), in this order.
void ExpectBox(const driver::MsgBox& box, const std::wstring& caption, const std::wstring& text,
               driver::MsgBox::Icon icon, HWND owner, std::initializer_list<int> buttons = {IDOK});

// Answers every message box of the program until it ends, each with the button `answer` picks
// (by default the box's first), and expects exit code 0 within timeoutMs. The boxes, in order.
using BoxAnswer = std::function<int(const driver::MsgBox&)>;
int FirstButton(const driver::MsgBox& box);
std::vector<driver::MsgBox> AnswerBoxesUntilExit(driver::Process& p, DWORD timeoutMs,
                                                 const BoxAnswer& answer = FirstButton);

// Copies the built installer and writes a customised block into the copy.
std::wstring CustomisedCopy(const std::wstring& dir, std::uint8_t mode, const char* server, const char* docPath);

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
bool KeyExists(const std::wstring& key);
// Creates a key under HKLM with its missing parents. With REG_OPTION_VOLATILE the keys made
// refuse lasting subkeys, which is how a key the installer must create is made uncreatable
// here: Wine's registry has no access control to refuse it with.
bool CreateKey(const wchar_t* key, DWORD options = 0);
bool WriteString(const wchar_t* key, const wchar_t* value, const std::wstring& data);
bool WriteNumber(const wchar_t* key, const wchar_t* value, DWORD data);

}  // namespace e2e
