// Small text helpers shared by the rules and the runtime.
#pragma once

#include <string>

namespace zelvane {

// Plain decimal with no leading zeros. (std::to_wstring would bring the C library's whole
// formatter into the program for a few small numbers.)
inline std::wstring Decimal(int number) {
    unsigned magnitude = number < 0 ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return number < 0 ? L"-" + digits : digits;
}

}  // namespace zelvane
