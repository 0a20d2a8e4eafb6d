// The installer's extraction of an archive against a minimal writer of the same files (create
// each directory, CreateFileW and one WriteFile per file), in one process, round after round
// with the order alternating. Prints each round and the ratio of the medians.
//   extract_bench ARCHIVE WORKDIR [ROUNDS]
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "archive/extract_rules.h"
#include "archive/payload_win.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/ui_win.h"
#include "base/wide_win.h"
#include "minimal_writer.h"

namespace {

// The installation the extraction works for.
qf::InstallRun Installation;

std::vector<std::uint8_t> ReadArchive(const wchar_t* path) {
    std::vector<std::uint8_t> bytes;
    const HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        bytes.clear();
    CloseHandle(file);
    return bytes;
}

void RemoveTree(const std::wstring& dir) {
    std::wstring from = dir + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(page, message, wParam, lParam);
    PAINTSTRUCT ps;
    BeginPaint(page, &ps);
    EndPaint(page, &ps);
    return 0;
}

HWND MakePage() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PageProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchPage";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

bool Installer(HWND page) {
    qf::ExtractedFileCount = 0;
    // Each round writes into a directory made for it, as a fresh installation does.
    qf::StepFailure failure;
    return qf::ExtractPayloadArchive(page, Installation, failure) == qf::ExtractResult::Completed;
}

bool MinimalWriter(HWND) {
    return WriteTreeMinimally(qf::PayloadArchive.Bytes(), qf::U(Installation.InstallDirectory));
}

// The repaints the installer forces over this archive, alone: one before every 13th file.
bool RepaintsAlone(HWND page) {
    qf::ArchiveWalk walk{qf::PayloadArchive.Bytes()};
    qf::ArchiveRecord record;
    std::uint32_t files = 0;
    while (qf::NextRecord(walk, record) == qf::WalkStep::Record) {
        if (record.type != qf::RecordType::File) continue;
        if (qf::RepaintsBeforeFile(files++)) qf::RepaintNow(page);
    }
    return true;
}

// The desktop shortcut alone, for every executable of the archive; run after the installer,
// while its files are there.
bool ShortcutAlone(HWND) {
    qf::ArchiveWalk walk{qf::PayloadArchive.Bytes()};
    qf::ArchiveRecord record;
    wchar_t path[qf::TargetPathCapacity];
    while (qf::NextRecord(walk, record) == qf::WalkStep::Record) {
        if (record.type != qf::RecordType::File ||
            !qf::JoinArchiveName(qf::Buffer(path), qf::U(Installation.InstallDirectory), record.name) ||
            !qf::IsClientExecutable(qf::U(path)))
            continue;
        qf::CreateClientShortcut(path);
    }
    return true;
}

struct Contender {
    const char* name;
    bool (*run)(HWND page);
    std::vector<double> seconds;
};

bool Timed(const Contender& c, HWND page, double& seconds) {
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    const bool ok = c.run(page);
    QueryPerformanceCounter(&stop);
    seconds = Seconds(start, stop);
    if (!ok) std::fprintf(stderr, "extract_bench: %s failed\n", c.name);
    return ok;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: extract_bench ARCHIVE WORKDIR [ROUNDS]\n", stderr);
        return 2;
    }
    const std::vector<std::uint8_t> archive = ReadArchive(argv[1]);
    if (!qf::VerifyArchive(archive, nullptr, nullptr)) {
        std::fputs("extract_bench: the archive cannot be read or is corrupted\n", stderr);
        return 1;
    }
    const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 5;
    qf::PayloadArchive = {archive.data(), static_cast<std::uint32_t>(archive.size())};
    const std::wstring work = argv[2];
    const std::wstring target = work + L"\\tree";
    const std::wstring desktop = work + L"\\desktop";
    CreateDirectoryW(work.c_str(), nullptr);
    CreateDirectoryW(desktop.c_str(), nullptr);
    if (!qf::CopyText(qf::Buffer(Installation.InstallDirectory), qf::U(target.c_str())) ||
        !qf::CopyText(qf::Buffer(qf::AllUsersDesktop), qf::U(desktop.c_str()))) {
        std::fputs("extract_bench: WORKDIR is too long\n", stderr);
        return 1;
    }
    const HWND page = MakePage();

    Contender contenders[] = {{"installer", Installer, {}}, {"minimal writer", MinimalWriter, {}}};
    Contender parts[] = {{"repaints alone", RepaintsAlone, {}}, {"shortcut alone", ShortcutAlone, {}}};
    // Each round runs both, in alternating order, so that the two times of a round share the
    // machine's state; the ratio is taken per round and its median reported. Round 0 warms the
    // caches and loads the shell link code and is not counted.
    std::vector<double> ratios;
    for (int round = 0; round <= rounds; ++round) {
        for (int k = 0; k < 2; ++k) {
            Contender& c = contenders[(round + k) % 2];
            RemoveTree(target);
            CreateDirectoryW(target.c_str(), nullptr);
            double seconds = 0;
            if (!Timed(c, page, seconds)) return 1;
            if (round > 0) c.seconds.push_back(seconds);
            std::printf("round %d  %-14s %.3f s\n", round, c.name, seconds);
            // What the installer does beyond writing the files, measured on its own.
            if (&c != &contenders[0]) continue;
            for (Contender& part : parts) {
                if (!Timed(part, page, seconds)) return 1;
                if (round > 0) part.seconds.push_back(seconds);
            }
        }
        if (round > 0) ratios.push_back(contenders[0].seconds.back() / contenders[1].seconds.back());
    }
    RemoveTree(target);
    const double installer = Median(contenders[0].seconds);
    const double writer = Median(contenders[1].seconds);
    std::printf(
        "median: installer %.3f s, minimal writer %.3f s; median of the rounds' ratios %.3f"
        " (%u bytes, %d rounds)\n",
        installer, writer, Median(ratios), static_cast<unsigned>(archive.size()), rounds);
    std::printf("of the installer's time: forced repaints %.3f s, desktop shortcut %.3f s\n", Median(parts[0].seconds),
                Median(parts[1].seconds));
    return 0;
}
