// What the end-to-end tests share: where the built installers are, scratch folders, and
// starting an installer as a user would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "driver/driver.h"

namespace e2e {

inline constexpr DWORD WaitMs = 20000;

// A built installer of the build tree: "qfsetup.exe", "qfsetup-nonadmin.exe", ...
std::wstring Built(const wchar_t* fileName);

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

}  // namespace e2e
