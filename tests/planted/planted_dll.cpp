// A library that stands for one planted beside a program, or in its current folder, under the name
// of a system library (uxtheme.dll, ole32.dll...): the build makes one copy per name. When any
// program loads it, it appends to "<its own path>.loaded" one line naming that program, and then
// refuses to load. A test that finds no such file knows the library was never loaded.
//
// It refuses (DllMain returns FALSE) so that nothing of it stays in the program under test: that
// program never calls into a library that lacks the functions of the one it meant to load.
#include <windows.h>

namespace {

constexpr DWORD kPathCapacity = 1024;

void AppendMarker(HMODULE self) {
    wchar_t marker[kPathCapacity + 8] = {};
    const DWORD length = ::GetModuleFileNameW(self, marker, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) return;
    ::lstrcatW(marker, L".loaded");

    wchar_t program[kPathCapacity] = {};
    const DWORD programLength = ::GetModuleFileNameW(nullptr, program, kPathCapacity - 2);
    if (programLength == 0 || programLength >= kPathCapacity - 2) return;
    ::lstrcatW(program, L"\r\n");
    char line[kPathCapacity * 3] = {};
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, program, -1, line, static_cast<int>(sizeof line), nullptr, nullptr);
    if (bytes <= 1) return;

    // Appending only, with one write: programs that load it at the same moment each get their line.
    const HANDLE file = ::CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(bytes - 1), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    AppendMarker(self);
    return FALSE;
}
