// Reads a launch script's batch line back into the text it stands for: the inverse of the
// escaping the launcher writes (a caret before ^ & | < > ", % doubled).
#pragma once

#include <string>
#include <string_view>

namespace zelvane::testing {

inline std::wstring UnescapeBatchLine(std::wstring_view line) {
    std::wstring text;
    text.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const wchar_t c = line[i];
        const bool pair = i + 1 < line.size() && (c == L'^' || (c == L'%' && line[i + 1] == L'%'));
        text += pair ? line[++i] : c;
    }
    return text;
}

}  // namespace zelvane::testing
