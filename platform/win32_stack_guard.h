// The stack protector's guard value, which win32_stack_guard.cpp draws anew for each process before any
// checked function runs (the GNU compilers on Windows).
#pragma once

#include <cstdint>

namespace zelvane::win32 {
// What the guard holds until it is drawn.
inline constexpr std::uintptr_t kBuiltInStackGuard = static_cast<std::uintptr_t>(0x2B992DDFA232ULL);
}  // namespace zelvane::win32

extern "C" std::uintptr_t __stack_chk_guard;
