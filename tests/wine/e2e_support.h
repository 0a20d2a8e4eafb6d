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

// An entry a folder walk finds.
struct FolderEntry {
    std::wstring path;
    std::wstring relative;  // below the folder walked, as docs\img\a.gif
    DWORD attributes;
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

enum class Walk {
    Folder,            // the folder's own entries
    Tree,              // and everything below them; a link is named but not entered
    TreeThroughLinks,  // and what links lead to as well
};

// Calls visit with every entry of dir but "." and "..", in the order the system lists them,
// each folder before what it holds; visit answers false to end the walk. The answer: the
// folders that could not be listed, in the order met (the walk goes on past them).
using FolderVisit = std::function<bool(const FolderEntry&)>;
std::vector<std::wstring> WalkFolder(const std::wstring& dir, Walk walk, const FolderVisit& visit);

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

// Today's local date as the uninstall registration records it, YYYYMMDD.
std::wstring LocalDate();

}  // namespace e2e
