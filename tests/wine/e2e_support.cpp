#include "e2e_support.h"

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <fstream>
#include <iterator>

#include "settings/settings_block.h"

namespace e2e {

std::wstring Built(const wchar_t* fileName) { return std::wstring(QF_BUILD_DIR) + L"\\" + fileName; }

std::wstring PayloadTree() { return QF_PAYLOAD_TREE; }
std::wstring LicenceFile() { return QF_LICENCE_FILE; }

void RemoveTree(const std::wstring& path) {
    SHFILEOPSTRUCTW op{};
    const std::wstring from = path + L'\0';
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

bool MakeDirs(const std::wstring& path) {
    return SHCreateDirectoryExW(nullptr, path.c_str(), nullptr) == ERROR_SUCCESS ||
           GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring ScratchDir(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"qf-" + name;
    RemoveTree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void ResetRegistry() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, paths::MakerKey);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, paths::UninstallKey);
}

bool EmptySmallDrive() {
    if (!Exists(SmallDrive)) return false;
    WalkFolder(SmallDrive, Walk::Folder, [](const FolderEntry& entry) {
        SetFileAttributesW(entry.path.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveTree(entry.path);
        return true;
    });
    return true;
}

bool FillSmallDrive(std::uint64_t left) {
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExW(SmallDrive, &free, nullptr, nullptr)) return false;
    if (free.QuadPart <= left) return true;
    const std::vector<std::uint8_t> filler(static_cast<std::size_t>(free.QuadPart - left), 0xF1);
    return WriteAll(std::wstring(SmallDrive) + L"filler.bin", filler) &&
           GetDiskFreeSpaceExW(SmallDrive, &free, nullptr, nullptr) && free.QuadPart <= left;
}

namespace {

std::wstring Below(const std::wstring& folder, const std::wstring& name) {
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return separated ? folder + name : folder + L"\\" + name;
}

// False when the walk was ended.
bool WalkBelow(const std::wstring& dir, const std::wstring& relative, Walk walk, const FolderVisit& visit,
               std::vector<std::wstring>& unlisted) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(Below(dir, L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        unlisted.push_back(dir);
        return true;
    }
    bool going = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const FolderEntry entry{Below(dir, name), relative.empty() ? name : relative + L"\\" + name,
                                found.dwFileAttributes};
        going = visit(entry);
        const bool enter = walk == Walk::TreeThroughLinks || (walk == Walk::Tree && !entry.IsLink());
        if (going && enter && entry.IsFolder()) going = WalkBelow(entry.path, entry.relative, walk, visit, unlisted);
    } while (going && FindNextFileW(search, &found));
    FindClose(search);
    return going;
}

}  // namespace

std::vector<std::wstring> WalkFolder(const std::wstring& dir, Walk walk, const FolderVisit& visit) {
    std::vector<std::wstring> unlisted;
    WalkBelow(dir, L"", walk, visit, unlisted);
    return unlisted;
}

std::wstring CompareTrees(const std::wstring& expected, const std::wstring& actual) {
    std::wstring difference;
    const std::vector<std::wstring> unlisted =
        WalkFolder(expected, Walk::TreeThroughLinks, [&](const FolderEntry& entry) {
            const std::wstring other = actual + L"\\" + entry.relative;
            if (entry.IsFolder()) return true;
            if (!Exists(other)) difference = L"missing " + other;
            else if (ReadAll(entry.path) != ReadAll(other)) difference = L"differs " + other;
            return difference.empty();
        });
    // A folder that could not be listed was met before any difference, which ends the walk.
    return unlisted.empty() ? difference : L"cannot list " + unlisted.front();
}

std::optional<std::wstring> ReadString(const wchar_t* key, const wchar_t* value) {
    wchar_t data[2048];
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

std::optional<DWORD> ReadNumber(const wchar_t* key, const wchar_t* value) {
    DWORD data = 0, size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

bool KeyExists(const std::wstring& key) {
    HKEY k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

bool CreateKey(const wchar_t* key, DWORD options) {
    HKEY k;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

bool WriteString(const wchar_t* key, const wchar_t* value, const std::wstring& data) {
    return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, value, REG_SZ, data.c_str(),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WriteNumber(const wchar_t* key, const wchar_t* value, DWORD data) {
    return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, value, REG_DWORD, &data, sizeof data) == ERROR_SUCCESS;
}

bool CopyTo(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

std::vector<std::uint8_t> ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteAll(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

driver::Process StartRaw(const std::wstring& commandLine, const std::wstring& workDir, const std::wstring& exePath) {
    driver::Process p{};
    driver::Start(p, commandLine, workDir, exePath);
    return p;
}

driver::Process Start(const std::wstring& exe, const std::wstring& args) {
    return StartRaw(L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args));
}

void ExpectBox(const driver::MsgBox& box, const std::wstring& caption, const std::wstring& text,
               driver::MsgBox::Icon icon, HWND owner, std::initializer_list<int> buttons) {
    SCOPED_TRACE(testing::Message() << "message box \"" << caption << "\"");
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, icon);
    EXPECT_EQ(box.owner, owner);
    std::vector<int> ids;
    for (const auto& button : box.buttons) ids.push_back(button.first);
    EXPECT_EQ(ids, std::vector<int>(buttons));
}

int FirstButton(const driver::MsgBox& box) { return box.buttons.empty() ? IDOK : box.buttons[0].first; }

std::vector<driver::MsgBox> AnswerBoxesUntilExit(driver::Process& p, DWORD timeoutMs, const BoxAnswer& answer) {
    std::vector<driver::MsgBox> boxes;
    long long exitCode = driver::kTimedOut;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
        if ((exitCode = driver::WaitExit(p, 0)) != driver::kTimedOut) break;
        driver::MsgBox box;
        if (!driver::WaitMessageBox(p, box, 100)) continue;
        boxes.push_back(box);
        driver::Answer(box, answer(box));
    }
    EXPECT_EQ(exitCode, 0);
    return boxes;
}

std::wstring CustomisedCopy(const std::wstring& dir, std::uint8_t mode, const char* server, const char* docPath) {
    std::vector<std::uint8_t> image = ReadAll(Built(L"qfsetup.exe"));
    const auto offset = qf::FindEmbeddedSettings(image, {qf::EmbeddedSettings, qf::SettingsKeySize});
    if (!offset) return L"";
    qf::PatchEmbeddedSettings(image, *offset, mode, server, docPath);
    const std::wstring path = dir + L"\\qfsetup-custom.exe";
    return WriteAll(path, image) ? path : L"";
}

std::wstring LocalDate() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[16];
    swprintf(text, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

}  // namespace e2e
