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
// ends at once as a crash, without running anything more of its own and with no exception that a
// handler could catch. Windows 8 and later (and Wine) have the fast-fail interrupt, which reports
// STATUS_STACK_BUFFER_OVERRUN to the error reporting. XP and Windows 7 lack it: there int 0x29 is
// an ordinary interrupt that raises an access violation, which an exception handler or filter
// could swallow; so where the processor feature says the interrupt is missing the process ends
// itself with that same status.
[[noreturn]] void __stack_chk_fail() {
    constexpr DWORD kFastFailAvailable = 23;          // PF_FASTFAIL_AVAILABLE
    constexpr unsigned kStackCookieCheckFailure = 2;  // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
    constexpr UINT kStackBufferOverrun = 0xC0000409;  // STATUS_STACK_BUFFER_OVERRUN
    if (::IsProcessorFeaturePresent(kFastFailAvailable)) {
        __asm__ volatile("int $0x29" : : "c"(kStackCookieCheckFailure));
    }
    ::TerminateProcess(::GetCurrentProcess(), kStackBufferOverrun);
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
