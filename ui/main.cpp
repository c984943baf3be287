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

    // Messages, and the end of a launch's command interpreter where a launch waits for it.
    for (;;) {
        const HANDLE awaited = runtime.AwaitedShell();
        const DWORD woke = ::MsgWaitForMultipleObjectsEx(awaited ? 1 : 0, awaited ? &awaited : nullptr, INFINITE,
                                                         QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (awaited && woke == WAIT_OBJECT_0) {
            RunEventHandler(runtime, [&] { runtime.RunWaiting(); });
            continue;
        }
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            // The dialog manager gives the window Tab and the buttons' access keys.
            if (!::IsDialogMessageW(window.Handle(), &message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
}
