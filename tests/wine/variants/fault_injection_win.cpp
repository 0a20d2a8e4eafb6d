// Test build: the installer whose fallible system calls fail, or before which the process ends,
// one at a time, as the plan in QF_FAULTS says (fault_plan.h). Added to the installer's own
// objects, which stay as they are: before WinMain runs, a static initialiser points every import
// of the executable that can fail at a wrapper of the same signature. The shipped installer
// carries none of this.
//
// Only the executable's own import address table is changed: the calls the program makes. What
// a system DLL calls on its behalf (the shell link object saving the shortcut, the message box
// making its window) goes through that DLL's own imports and is not counted.
#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "fault_plan.h"

namespace {

faults::Plan Plan;
std::uint32_t Calls;
HANDLE Record = INVALID_HANDLE_VALUE;
// Set while the injection does its own work (its record, its own failure values), whose calls
// go through the same table and are neither counted nor failed.
bool Busy;

// The real functions, in the order of the hook table below; filled from the import table.
constexpr std::size_t HookCapacity = 64;
void* Reals[HookCapacity];

bool Intercepted(std::size_t id);

// A wrapper of exactly the imported function's type (on i686 that includes __stdcall, so the
// wrapper pops the arguments as the caller expects). Failure makes the failed call's result.
template <typename Function>
struct Wrap;
template <typename Result, typename... Args>
struct Wrap<Result(WINAPI*)(Args...)> {
    template <std::size_t Id, auto Failure>
    static Result WINAPI Call(Args... args) {
        if (Intercepted(Id)) return Failure(args...);
        return reinterpret_cast<Result(WINAPI*)(Args...)>(Reals[Id])(args...);
    }
};

template <typename Function, std::size_t Id, auto Failure>
void* WrapperOf() {
    return reinterpret_cast<void*>(&Wrap<Function>::template Call<Id, Failure>);
}

// How a call fails: most return `value` and leave the system's reason as the last error; the
// registry, the shell's directory creation and COM return their reason; a few have only a
// result to tell it by.
template <auto Value, DWORD Error>
constexpr auto SetsError = [](auto...) {
    SetLastError(Error);
    return Value;
};
template <auto Value>
constexpr auto Returns = [](auto...) { return Value; };

// The run lock's wait: one with a limit runs out (another run holds the lock that long); one
// without fails as the system does for a handle gone bad.
constexpr auto LockWaitEnds = [](DWORD, const HANDLE*, BOOL, DWORD limitMs, DWORD) -> DWORD {
    if (limitMs != INFINITE) return WAIT_TIMEOUT;
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
};

// Reading and writing as a full disk, a share that went away, a file another program holds or
// a folder without the right give them.
constexpr auto FailedRead = [](HANDLE, LPVOID, DWORD, LPDWORD done, LPOVERLAPPED) {
    if (done) *done = 0;
    SetLastError(ERROR_NETNAME_DELETED);
    return FALSE;
};
constexpr auto FailedWrite = [](HANDLE, LPCVOID, DWORD, LPDWORD done, LPOVERLAPPED) {
    if (done) *done = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
};
constexpr auto FailedOpen = [](LPCWSTR, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE) {
    // An existing file opened to change or delete it is held by another program; anything else
    // (creating, reading) is refused by the folder's rights.
    const bool changes = (access & (GENERIC_WRITE | DELETE)) != 0;
    SetLastError(disposition == OPEN_EXISTING && changes ? ERROR_SHARING_VIOLATION : ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
};
// The same for an entry opened by name below a folder's handle, as the file system answers it.
constexpr auto FailedRelativeOpen = [](PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                       PLARGE_INTEGER, ULONG, ULONG, ULONG disposition, ULONG, PVOID, ULONG) {
    *handle = INVALID_HANDLE_VALUE;
    const bool changes = (access & (GENERIC_WRITE | DELETE)) != 0;
    constexpr NTSTATUS SharingViolation = static_cast<NTSTATUS>(0xC0000043);
    constexpr NTSTATUS AccessDenied = static_cast<NTSTATUS>(0xC0000022);
    return disposition == FILE_OPEN && changes ? SharingViolation : AccessDenied;
};
constexpr auto FailedSearch = [](LPCWSTR, LPWIN32_FIND_DATAW) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
};
constexpr auto FailedDirectory = [](HWND, LPCWSTR, const SECURITY_ATTRIBUTES*) {
    SetLastError(ERROR_ACCESS_DENIED);
    return int{ERROR_ACCESS_DENIED};
};
constexpr auto FailedKnownFolder = [](auto, auto, auto, PWSTR* path) {
    *path = nullptr;
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
};
constexpr auto FailedInstance = [](REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* object) {
    *object = nullptr;
    return REGDB_E_CLASSNOTREG;
};
constexpr LONG RegistryRefusal = ERROR_ACCESS_DENIED;

struct Hook {
    const char* name;
    void* (*wrapper)();
};

constexpr std::size_t FirstHookId = __COUNTER__ + 1;
#define QF_HOOK(function, ...) \
    Hook { #function, &WrapperOf < decltype(&function), __COUNTER__ - FirstHookId, __VA_ARGS__> }

// Every imported function that can fail by a condition of the machine or of the moment: rights,
// room, sharing, memory, a missing object, a system without the function. A function listed here
// that the program does not import is simply not hooked.
const Hook Hooks[] = {
    // Files and directories.
    QF_HOOK(CreateFileW, FailedOpen),
    QF_HOOK(NtCreateFile, FailedRelativeOpen),
    QF_HOOK(ReadFile, FailedRead),
    QF_HOOK(WriteFile, FailedWrite),
    QF_HOOK(FlushFileBuffers, SetsError<FALSE, ERROR_DISK_FULL>),
    QF_HOOK(SetEndOfFile, SetsError<FALSE, ERROR_USER_MAPPED_FILE>),
    QF_HOOK(GetFileSize, SetsError<INVALID_FILE_SIZE, ERROR_ACCESS_DENIED>),
    QF_HOOK(GetFileSizeEx, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    QF_HOOK(GetFileAttributesW, SetsError<INVALID_FILE_ATTRIBUTES, ERROR_ACCESS_DENIED>),
    QF_HOOK(SetFileAttributesW, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    QF_HOOK(GetFileInformationByHandle, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    QF_HOOK(GetFileInformationByHandleEx, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    QF_HOOK(SetFileInformationByHandle, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    QF_HOOK(GetFinalPathNameByHandleW, SetsError<0u, ERROR_PATH_NOT_FOUND>),
    QF_HOOK(MoveFileExW, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    QF_HOOK(DeleteFileW, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    QF_HOOK(CreateDirectoryW, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    QF_HOOK(RemoveDirectoryW, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    QF_HOOK(FindFirstFileW, FailedSearch),
    QF_HOOK(FindNextFileW, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    // Mappings and memory.
    QF_HOOK(CreateFileMappingW, SetsError<nullptr, ERROR_NOT_ENOUGH_MEMORY>),
    QF_HOOK(MapViewOfFile, SetsError<nullptr, ERROR_NOT_ENOUGH_MEMORY>),
    QF_HOOK(HeapAlloc, Returns<nullptr>),
    // Paths and the environment.
    QF_HOOK(GetFullPathNameW, SetsError<0u, ERROR_FILENAME_EXCED_RANGE>),
    QF_HOOK(GetModuleFileNameW, SetsError<0u, ERROR_NOT_ENOUGH_MEMORY>),
    QF_HOOK(GetEnvironmentVariableW, SetsError<0u, ERROR_ENVVAR_NOT_FOUND>),
    QF_HOOK(GetSystemWindowsDirectoryW, SetsError<0u, ERROR_NOT_ENOUGH_MEMORY>),
    QF_HOOK(GetTempPathW, SetsError<0u, ERROR_NOT_ENOUGH_MEMORY>),
    QF_HOOK(GetVolumePathNameW, SetsError<FALSE, ERROR_ACCESS_DENIED>),
    // Resources of the image, and DLLs loaded or asked for by name.
    QF_HOOK(FindResourceExW, SetsError<nullptr, ERROR_RESOURCE_TYPE_NOT_FOUND>),
    QF_HOOK(LoadResource, SetsError<nullptr, ERROR_NOT_ENOUGH_MEMORY>),
    QF_HOOK(LockResource, Returns<nullptr>),
    QF_HOOK(SizeofResource, SetsError<0u, ERROR_RESOURCE_DATA_NOT_FOUND>),
    QF_HOOK(LoadIconW, SetsError<nullptr, ERROR_RESOURCE_NAME_NOT_FOUND>),
    QF_HOOK(LoadLibraryW, SetsError<nullptr, ERROR_MOD_NOT_FOUND>),
    QF_HOOK(GetProcAddress, SetsError<nullptr, ERROR_PROC_NOT_FOUND>),
    QF_HOOK(SetDllDirectoryW, SetsError<FALSE, ERROR_NOT_ENOUGH_MEMORY>),
    // The run lock.
    QF_HOOK(CreateMutexExW, SetsError<nullptr, ERROR_ACCESS_DENIED>),
    QF_HOOK(MsgWaitForMultipleObjects, LockWaitEnds),
    // The registry.
    QF_HOOK(RegOpenKeyExW, Returns<RegistryRefusal>),
    QF_HOOK(RegCreateKeyExW, Returns<RegistryRefusal>),
    QF_HOOK(RegQueryInfoKeyW, Returns<RegistryRefusal>),
    QF_HOOK(RegEnumKeyExA, Returns<RegistryRefusal>),
    QF_HOOK(RegQueryValueExW, Returns<RegistryRefusal>),
    QF_HOOK(RegGetValueW, Returns<RegistryRefusal>),
    QF_HOOK(RegSetValueExW, Returns<RegistryRefusal>),
    QF_HOOK(RegDeleteValueW, Returns<RegistryRefusal>),
    QF_HOOK(RegDeleteKeyW, Returns<RegistryRefusal>),
    QF_HOOK(RegRenameKey, Returns<RegistryRefusal>),
    QF_HOOK(RegDeleteTreeW, Returns<RegistryRefusal>),
    QF_HOOK(RegEnumKeyExW, Returns<RegistryRefusal>),
    // The variables in a registry value's text.
    QF_HOOK(ExpandEnvironmentStringsW, SetsError<0u, ERROR_NOT_ENOUGH_MEMORY>),
    // The shell, known folders and COM.
    QF_HOOK(SHCreateDirectoryExW, FailedDirectory),
    QF_HOOK(SHGetKnownFolderPath, FailedKnownFolder),
    QF_HOOK(CoInitialize, Returns<E_OUTOFMEMORY>),
    QF_HOOK(CoCreateInstance, FailedInstance),
    // Windows, classes and message boxes.
    QF_HOOK(RegisterClassW, SetsError<ATOM{0}, ERROR_NOT_ENOUGH_MEMORY>),
    QF_HOOK(CreateWindowExW, SetsError<nullptr, ERROR_NOT_ENOUGH_MEMORY>),
    QF_HOOK(MessageBoxW, SetsError<0, ERROR_NOT_ENOUGH_MEMORY>),
};
#undef QF_HOOK
static_assert(std::size(Hooks) <= HookCapacity);

// Imports left out on purpose. Each fails only when the program passes a wrong argument (a
// fault of the code that no condition of the machine brings about), or cannot fail, or only
// draws; see the README ("Fault sweep") for the groups and why.
// clang-format off
constexpr std::string_view LeftOut[] = {
    // Handles, keys, searches and memory given back; their failure means a wrong handle.
    "CloseHandle", "RegCloseKey", "FindClose", "HeapFree", "CoTaskMemFree", "CoUninitialize", "ReleaseMutex",
    "DestroyWindow",
    // Security descriptor of the run lock, built in buffers sized for it.
    "CreateWellKnownSid", "InitializeAcl", "AddAccessAllowedAce", "InitializeSecurityDescriptor",
    "SetSecurityDescriptorDacl",
    // Cannot fail: the process's own values, waits and pure computations.
    "GetCommandLineA", "GetCommandLineW", "GetModuleHandleW", "GetProcessHeap", "GetLastError", "SetLastError",
    "ExitProcess", "Sleep", "lstrlenW", "CompareStringOrdinal", "GetTickCount64", "abort", "memchr",
    "memmove", "memcpy", "memset", "memcmp", "strlen", "wcslen", "RtlNtStatusToDosError",
    // The time (of a log line, the installation date) and the system's text of an error, for a
    // log line that is written without it.
    "GetLocalTime", "FormatMessageW",
    // The program's own windows and its message loop.
    "DefWindowProcW", "DispatchMessageW", "TranslateMessage", "GetMessageW", "PeekMessageW", "PostQuitMessage",
    "SendMessageA", "SendMessageW", "EnableWindow", "ShowWindow", "UpdateWindow", "RedrawWindow",
    "InvalidateRect", "IsWindowVisible", "GetWindowTextW", "GetWindowTextLengthW", "GetClientRect",
    "ClientToScreen", "GetSysColor", "GetSystemMetrics", "LoadCursorW",
    // Drawing: a failure changes what a page shows, never a file or a key.
    "BeginPaint", "EndPaint", "FillRect", "GetDC", "ReleaseDC", "CreateSolidBrush", "GetStockObject",
    "GetTextMetricsW", "SelectObject", "SetBkColor", "SetBkMode", "SetBrushOrgEx", "SetTextColor", "TextOutW",
    "UnrealizeObject",
    // The injection's own.
    "VirtualProtect", "TerminateProcess", "GetCurrentProcess",
};
// clang-format on

// Appends text to the record, if there is one. Called only while Busy.
void Append(std::string_view text) {
    if (Record == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(Record, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void AppendLine(std::uint32_t ordinal, std::string_view name, std::string_view tail) {
    char line[128];
    std::size_t length = 0;
    char digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + ordinal % 10);
        ordinal /= 10;
    } while (ordinal != 0);
    while (count > 0) line[length++] = digits[--count];
    for (const std::string_view part : {std::string_view(" "), name, tail, std::string_view("\n")}) {
        const std::size_t room = sizeof line - length;
        const std::size_t taken = part.size() < room ? part.size() : room;
        part.copy(line + length, taken);
        length += taken;
    }
    Append({line, length});
}

bool Intercepted(std::size_t id) {
    if (Busy) return false;
    Busy = true;
    const std::uint32_t ordinal = ++Calls;
    const faults::Action action = faults::ActionAt(Plan, ordinal);
    switch (action) {
        case faults::Action::Pass: AppendLine(ordinal, Hooks[id].name, ""); break;
        case faults::Action::Fail: AppendLine(ordinal, Hooks[id].name, " fail"); break;
        case faults::Action::Stop:
            AppendLine(ordinal, Hooks[id].name, " stop");
            // As a power cut or a killed task ends it: no clean-up, no handle closed in order.
            TerminateProcess(GetCurrentProcess(), faults::StopExitCode);
            break;
    }
    Busy = false;
    return action == faults::Action::Fail;
}

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// Where the calls are recorded: the file QF_FAULTS_RECORD names, or the executable's path with
// RecordSuffix. False when neither fits its buffer.
bool RecordPath(wchar_t (&path)[MAX_PATH]) {
    const DWORD named = GetEnvironmentVariableW(Wide(faults::RecordVariableName), path, MAX_PATH);
    if (named != 0) return named < MAX_PATH;
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::size_t suffix = std::size(faults::RecordSuffix);
    if (length == 0 || length + suffix > MAX_PATH) return false;
    for (std::size_t i = 0; i < suffix; ++i) path[length + i] = static_cast<wchar_t>(faults::RecordSuffix[i]);
    return true;
}

// Reads QF_FAULTS into Plan and opens its record. False when the variable does not parse or the
// record cannot be opened.
bool TakePlan() {
    wchar_t text[32];
    const DWORD length = GetEnvironmentVariableW(Wide(faults::VariableName), text, std::size(text));
    if (length == 0) return true;
    if (length >= std::size(text)) return false;
    const auto parsed = faults::ParsePlan({reinterpret_cast<const char16_t*>(text), length});
    if (!parsed) return false;
    Plan = *parsed;
    wchar_t path[MAX_PATH];
    if (!RecordPath(path)) return false;
    Record = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    return Record != INVALID_HANDLE_VALUE;
}

// The executable's image as loaded.
BYTE* Image;

template <typename T>
T* At(DWORD rva) {
    return reinterpret_cast<T*>(Image + rva);
}

const Hook* FindHook(std::string_view name, std::size_t& id) {
    for (id = 0; id < std::size(Hooks); ++id)
        if (name == Hooks[id].name) return &Hooks[id];
    return nullptr;
}

bool IsLeftOut(std::string_view name) {
    for (const std::string_view left : LeftOut)
        if (name == left) return true;
    return false;
}

void Patch(ULONG_PTR& slot, void* wrapper) {
    DWORD protection = 0;
    VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &protection);
    slot = reinterpret_cast<ULONG_PTR>(wrapper);
    VirtualProtect(&slot, sizeof slot, protection, &protection);
}

// Points each listed import at its wrapper; records each import that is neither listed nor
// left out, so that the lists follow the program as it changes.
void InstallHooks() {
    Image = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = At<const IMAGE_NT_HEADERS>(static_cast<DWORD>(At<const IMAGE_DOS_HEADER>(0)->e_lfanew));
    const IMAGE_DATA_DIRECTORY imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.Size == 0) return;
    for (auto* library = At<const IMAGE_IMPORT_DESCRIPTOR>(imports.VirtualAddress); library->Name != 0; ++library) {
        const auto* names =
            At<const IMAGE_THUNK_DATA>(library->OriginalFirstThunk ? library->OriginalFirstThunk : library->FirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(library->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                Append("unlisted ");
                Append(At<const char>(library->Name));
                Append(" by ordinal\n");
                continue;
            }
            const std::string_view name(
                At<const IMAGE_IMPORT_BY_NAME>(static_cast<DWORD>(names->u1.AddressOfData))->Name);
            std::size_t id = 0;
            if (const Hook* hook = FindHook(name, id)) {
                Reals[id] = reinterpret_cast<void*>(slots->u1.Function);
                Patch(slots->u1.Function, hook->wrapper());
            } else if (!IsLeftOut(name)) {
                Append("unlisted ");
                Append(name);
                Append("\n");
            }
        }
    }
}

// Reads the plan and points the imports at their wrappers; a plan that does not parse ends the
// process before the program has done anything.
bool Install() {
    Busy = true;
    if (!TakePlan()) ExitProcess(faults::BadPlanExitCode);
    InstallHooks();
    Busy = false;
    return true;
}

// Run by the start-up code with the other static initialisers, before WinMain.
const bool Installed = Install();

}  // namespace
