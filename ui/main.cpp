#include <windows.h>

#include <commctrl.h>

#include "core/launcher.h"
#include "platform/win32_runtime.h"
#include "ui/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace zelvane;
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

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
