// The stack protector's guard value and its failure, for the GNU compilers on Windows, in place of
// libssp's. libssp draws the guard in a constructor that calls CryptAcquireContext: that loads a
// cryptographic provider, and the libraries it needs, before the program's first statement can
// keep the DLL search in the system folder. This draws it as the Microsoft compiler's start-up
// code draws its own cookie, from values that need no library: the clocks, the process and thread
// ids and, through address space layout randomisation, where the stack lies.
#include "platform/win32_stack_guard.h"

#include <windows.h>

extern "C" {
// Replaced before any protected function runs: the first constructor draws it.
std::uintptr_t __stack_chk_guard = zelvane::win32::kBuiltInStackGuard;

// A protected function found its guard overwritten: the stack is not to be trusted, so the program
// ends at once, without running anything more of its own (the fast-fail interrupt of Windows 8 and
// later; on Windows 7 the interrupt itself faults, which ends it too).
[[noreturn]] void __stack_chk_fail() {
    __asm__ volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE));
    __builtin_unreachable();
}
}

namespace {

std::uint64_t Mix(std::uint64_t value) {
    value ^= value >> 33;
    value *= 0xFF51AFD7ED558CCDULL;
    value ^= value >> 33;
    value *= 0xC4CEB9FE1A85EC53ULL;
    return value ^ (value >> 33);
}

__attribute__((constructor(101))) void DrawStackGuard() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    std::uint64_t value = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    value = Mix(value ^ static_cast<std::uint64_t>(counter.QuadPart));
    value = Mix(value ^ (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32) ^ ::GetCurrentThreadId());
    value = Mix(value ^ ::GetTickCount() ^ reinterpret_cast<std::uintptr_t>(&counter));
    const auto guard = static_cast<std::uintptr_t>(value);
    __stack_chk_guard = guard != 0 ? guard : __stack_chk_guard;
}

}  // namespace
