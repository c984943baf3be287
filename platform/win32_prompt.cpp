#include "platform/win32_prompt.h"

#include "platform/win32_base.h"
#include "platform/win32_prompt_ids.h"

namespace zelvane::win32 {

namespace {

struct InputBoxData {
    std::wstring prompt;
    std::wstring title;
    std::wstring answer;
};

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* data = reinterpret_cast<InputBoxData*>(lParam);
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            ::SetWindowTextW(dialog, data->title.c_str());
            ::SetDlgItemTextW(dialog, IDC_INPUT_PROMPT, data->prompt.c_str());
            ::SetDlgItemTextW(dialog, IDC_INPUT_ANSWER, data->answer.c_str());
            const HWND edit = ::GetDlgItem(dialog, IDC_INPUT_ANSWER);
            ::SendMessageW(edit, EM_SETSEL, 0, -1);
            ::SetFocus(edit);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* data = reinterpret_cast<InputBoxData*>(::GetWindowLongPtrW(dialog, DWLP_USER));
                const HWND edit = ::GetDlgItem(dialog, IDC_INPUT_ANSWER);
                std::wstring answer(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
                answer.resize(
                    static_cast<std::size_t>(::GetWindowTextW(edit, answer.data(), static_cast<int>(answer.size()))));
                data->answer = std::move(answer);
                ::EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

std::wstring ShowInputBox(HWND owner, std::wstring_view prompt, std::wstring_view title,
                          std::wstring_view defaultAnswer) {
    InputBoxData data{std::wstring(prompt), std::wstring(title), std::wstring(defaultAnswer)};
    const INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_INPUT_BOX), owner,
                                             InputBoxProc, reinterpret_cast<LPARAM>(&data));
    if (result == -1) FailWithLastError();
    return result == IDOK ? data.answer : std::wstring();
}

}  // namespace zelvane::win32
