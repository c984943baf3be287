// Overruns a protected local buffer by as many bytes as its first argument holds, built with the
// program's stack protector and guard: the test that starts it sees how a smashed stack ends a
// program. With "no-fast-fail" as second argument the system seems to lack the fast-fail
// interrupt, as XP and Windows 7 do.
#include <windows.h>

#include <cstring>

#include "tests/support/import_table.h"

namespace {

decltype(&::IsProcessorFeaturePresent) systemIsProcessorFeaturePresent = nullptr;

// PF_FASTFAIL_AVAILABLE (23) is missing; every other feature as the system has it.
BOOL WINAPI NoFastFail(DWORD feature) { return feature != 23 && systemIsProcessorFeaturePresent(feature); }

__attribute__((noinline)) void Overrun(const char* text) {
    char buffer[16];
    std::memcpy(buffer, text, std::strlen(text) + 1);
    ::OutputDebugStringA(buffer);
}

}  // namespace

int main(int argc, char** argv) {
    const bool noFastFail = argc > 2 && std::strcmp(argv[2], "no-fast-fail") == 0;
    zelvane::testing::ReplacedImport isProcessorFeaturePresent(
        "KERNEL32.dll", noFastFail ? "IsProcessorFeaturePresent" : "", reinterpret_cast<const void*>(&NoFastFail));
    systemIsProcessorFeaturePresent =
        reinterpret_cast<decltype(systemIsProcessorFeaturePresent)>(isProcessorFeaturePresent.Original());
    Overrun(argc > 1 ? argv[1] : "");
    return 0;
}
