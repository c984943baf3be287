#include "core/launcher.h"

#include "platform/text.h"

namespace zelvane {

std::wstring Caption(ProgramVersion version) {
    return std::wstring(kTitle) + L" v" + Decimal(version.major) + L"." + Decimal(version.minor) + L"." +
           Decimal(version.revision);
}

std::wstring GameFolder(std::wstring_view mapFolder) {
    const std::size_t separator = mapFolder.find_last_of(L'\\');
    return std::wstring(mapFolder.substr(0, separator == std::wstring_view::npos ? 0 : separator));
}

std::wstring ChangeToGameFolderLine(std::wstring_view gameFolder, bool shortPathIsGameFolder) {
    if (shortPathIsGameFolder) return L"cd " + std::wstring(kShortGameFolder);
    return L"cd \"" + std::wstring(gameFolder) + L"\"";
}

std::wstring ScriptStartFolder(std::wstring_view gameFolder) { return std::wstring(gameFolder.substr(0, 2)) + L"\\"; }

namespace {

// The characters 0 to 31: no file name holds one, and some would end a line of the script.
bool IsControl(wchar_t c) { return c < 0x20; }

bool TakesCaret(wchar_t c) {
    switch (c) {
        case L'^':
        case L'&':
        case L'|':
        case L'<':
        case L'>':
        case L'"':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::wstring EscapeForBatchLine(std::wstring_view text) {
    std::wstring line;
    line.reserve(text.size() + text.size() / 4);
    for (wchar_t c : text) {
        if (IsControl(c)) continue;
        if (TakesCaret(c)) line += L'^';
        if (c == L'%') line += L'%';
        line += c;
    }
    return line;
}

std::wstring EditorCommandLine(std::wstring_view editorSwitch, std::wstring_view mapName) {
    return std::wstring(kStartGame) + std::wstring(editorSwitch) + EscapeForBatchLine(mapName);
}

std::optional<std::wstring> NewMapName(std::wstring_view typed) {
    // Control characters (a pasted line break, a tab) cannot be part of a file name: drop them first.
    std::wstring kept;
    for (wchar_t c : typed) {
        if (!IsControl(c)) kept += c;
    }
    const std::wstring_view answer = kept;
    if (answer.empty() || answer == kMapExtension) return std::nullopt;
    std::wstring_view base = answer;
    if (answer.ends_with(kMapExtension)) base = answer.substr(0, answer.find(kMapExtension));
    return std::wstring(base.substr(0, kMapBaseLength)) + std::wstring(kMapExtension);
}

}  // namespace zelvane
