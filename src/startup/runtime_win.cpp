// What the installer takes instead of the C and C++ runtimes' start-up and exception support.
// Each copy of the installer carries their code, and the program needs none of it: no
// command-line parsing, no atexit, no threads, no exceptions, and only those functions of the
// C library that need no set-up (memcpy, memchr, wcslen). Linked with -nostartfiles, into the
// installer and into programs linked like it.
#include <windows.h>

#include <bits/functexcept.h>

#include <cstddef>
#include <cstdlib>

#include "startup/command_line.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int);

// Constructors of static objects, should the program ever have one: the linker lists them
// between a -1 and a 0, and they run last to first.
extern "C" void (*__CTOR_LIST__[])();

// The process entry of a GUI program: the constructors, WinMain, then the end of the process
// with its result.
extern "C" void WinMainCRTStartup() {
    std::size_t count = 1;
    while (__CTOR_LIST__[count]) ++count;
    while (--count > 0) __CTOR_LIST__[count]();
    ExitProcess(
        static_cast<UINT>(WinMain(GetModuleHandleW(nullptr), nullptr,
                                  // The tail runs to the end of the command line, so it is terminated.
                                  const_cast<char*>(qf::CommandLineTail(GetCommandLineA()).data()), SW_SHOWDEFAULT)));
}

// Built without exceptions, the program still reaches the library's throwing helpers from a
// few checks in its headers: a string_view position past its end, a length past a container's
// limit. Each is a fault of our own code, and ending the process is what the uncaught
// exception would do; defined here, they keep the runtime's exception support (some 300 KB)
// out of the executable.
namespace std {

void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }

}  // namespace std
