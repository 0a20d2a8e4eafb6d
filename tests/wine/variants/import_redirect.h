// For the test builds that change one system call of the installer: the executable's import
// address table holds the address the loader found for each imported function, and pointing a
// slot elsewhere changes what the program's own calls reach (not what a system DLL calls).
#pragma once

#include <windows.h>

#include <cstddef>

namespace variants {

// Points every slot of the executable's import address table that holds kernel32's function
// name at replacement; real receives the function's own address. False when there is none.
inline bool RedirectKernel32Import(const char* name, void* replacement, ULONG_PTR& real) {
    auto* const base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* const nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    real = reinterpret_cast<ULONG_PTR>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name));
    auto* const slots = reinterpret_cast<ULONG_PTR*>(base + table.VirtualAddress);
    DWORD protection = 0;
    if (!real || !table.Size || !VirtualProtect(slots, table.Size, PAGE_READWRITE, &protection)) return false;
    bool redirected = false;
    for (std::size_t i = 0; i < table.Size / sizeof *slots; ++i) {
        if (slots[i] != real) continue;
        slots[i] = reinterpret_cast<ULONG_PTR>(replacement);
        redirected = true;
    }
    VirtualProtect(slots, table.Size, protection, &protection);
    return redirected;
}

}  // namespace variants
