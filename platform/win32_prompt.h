// The modal input prompt on Win32: a dialog of the program's resources (win32_prompt.rc).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zelvane::win32 {

// Shows the prompt with its title and the default answer selected; the field's text on OK, the
// empty string on Cancel.
std::wstring ShowInputBox(HWND owner, std::wstring_view prompt, std::wstring_view title,
                          std::wstring_view defaultAnswer);

}  // namespace zelvane::win32
