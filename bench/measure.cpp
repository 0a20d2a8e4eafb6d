// Runs one command line and reports how long it took and, with --memory, how much memory the
// process held at its peak. A console program for bench/compare_installers.sh.
//   measure [--fresh] [--memory] COMMAND LINE
// --fresh first removes the product's registry keys, so that every run is a first install.
// Prints "seconds S exit E" and with --memory "peak_working_set B peak_private B".
//
// Memory: Wine answers GetProcessMemoryInfo for another process from its /proc status while it
// runs: PeakWorkingSetSize is VmHWM (the resident peak, mapped image pages included) and
// PagefileUsage the private resident bytes now (RssAnon + swap); its PeakPagefileUsage is no
// peak but that same current value. Once the process has ended nothing is left to read, so the
// child is polled every millisecond and the largest values are kept.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The command line after the first n blank-separated words, the first possibly quoted.
const wchar_t* SkipWords(const wchar_t* line, int n) {
    for (int word = 0; word < n; ++word) {
        if (*line == L'"') {
            ++line;
            while (*line && *line != L'"') ++line;
            if (*line) ++line;
        } else {
            while (*line && *line != L' ' && *line != L'\t') ++line;
        }
        while (*line == L' ' || *line == L'\t') ++line;
    }
    return line;
}

void RemoveProductKeys() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Quenfield");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORIN-6");
}

struct Peak {
    SIZE_T workingSet = 0;
    SIZE_T privateBytes = 0;
};

void Sample(HANDLE process, Peak& peak) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return;
    if (counters.PeakWorkingSetSize > peak.workingSet) peak.workingSet = counters.PeakWorkingSetSize;
    if (counters.PagefileUsage > peak.privateBytes) peak.privateBytes = counters.PagefileUsage;
    if (counters.PeakPagefileUsage > peak.privateBytes) peak.privateBytes = counters.PeakPagefileUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool fresh = false;
    bool memory = false;
    int options = 1;
    for (; options < argc && argv[options][0] == L'-' && argv[options][1] == L'-'; ++options) {
        if (std::wcscmp(argv[options], L"--fresh") == 0) fresh = true;
        else if (std::wcscmp(argv[options], L"--memory") == 0) memory = true;
    }
    if (options >= argc) {
        std::fputs("usage: measure [--fresh] [--memory] COMMAND LINE\n", stderr);
        return 2;
    }
    static wchar_t command[32768];
    std::wcsncpy(command, SkipWords(GetCommandLineW(), options), 32767);
    if (fresh) RemoveProductKeys();

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        std::fprintf(stderr, "measure: cannot start %ls (error %lu)\n", command, GetLastError());
        return 1;
    }
    Peak peak;
    if (memory) {
        while (WaitForSingleObject(child.hProcess, 1) == WAIT_TIMEOUT) Sample(child.hProcess, peak);
    } else {
        WaitForSingleObject(child.hProcess, INFINITE);
    }
    QueryPerformanceCounter(&stop);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    std::printf("seconds %.6f exit %lu", Seconds(start, stop), code);
    if (memory) {
        PROCESS_MEMORY_COUNTERS after{};
        after.cb = sizeof after;
        GetProcessMemoryInfo(child.hProcess, &after, sizeof after);
        std::printf(" peak_working_set %lu peak_private %lu after_exit_working_set %lu",
                    static_cast<unsigned long>(peak.workingSet), static_cast<unsigned long>(peak.privateBytes),
                    static_cast<unsigned long>(after.PeakWorkingSetSize));
    }
    std::printf("\n");
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return 0;
}
