#include <windows.h>

#include "core/launcher.h"
#include "platform/win32_dll_search.h"
#include "platform/win32_runtime.h"
#include "ui/main_window.h"

#include <cstdlib>

#if defined(__GLIBCXX__)
// libstdc++'s default terminate handler names the uncaught exception on standard error, which a
// window program does not have, and brings the C++ name demangler and printf with it: some 70 KB
// of the program. This one only ends the program, as that one does once it has printed.
void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace zelvane;
    // First of all, before any DLL that the loader did not load already.
    win32::RestrictDllSearch();
    win32::LoadCommonControls();

    win32::Win32Runtime runtime(kTitle);
    win32::MainWindow window(runtime);
    const bool ready = RunEventHandler(runtime, [&] { window.Create(); }) && window.Load();
    if (!ready) return 1;
    window.Show();

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The dialog manager gives the window Tab and the buttons' access keys.
        if (!::IsDialogMessageW(window.Handle(), &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
