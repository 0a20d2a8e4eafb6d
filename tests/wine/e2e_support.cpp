#include "e2e_support.h"

#include <shellapi.h>

#include <fstream>
#include <iterator>

#include "startup/settings_block.h"

namespace e2e {

std::wstring Built(const wchar_t* fileName) { return std::wstring(QF_BUILD_DIR) + L"\\" + fileName; }

std::wstring ScratchDir(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"qf-" + name;
    SHFILEOPSTRUCTW op{};
    std::wstring from = dir + L'\0';
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
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

driver::Process StartRaw(const std::wstring& commandLine, const std::wstring& workDir,
                         const std::wstring& exePath) {
    driver::Process p{};
    driver::Start(p, commandLine, workDir, exePath);
    return p;
}

driver::Process Start(const std::wstring& exe, const std::wstring& args) {
    return StartRaw(L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args));
}

std::wstring CustomisedCopy(const std::wstring& dir, std::uint8_t mode, const char* server,
                            const char* docPath) {
    std::vector<std::uint8_t> image = ReadAll(Built(L"qfsetup.exe"));
    const auto offset = qf::FindEmbeddedSettings(image, {qf::EmbeddedSettings, qf::SettingsKeySize});
    if (!offset) return L"";
    qf::PatchEmbeddedSettings(image, *offset, mode, server, docPath);
    const std::wstring path = dir + L"\\qfsetup-custom.exe";
    return WriteAll(path, image) ? path : L"";
}

}  // namespace e2e
