#include "core/launcher.h"

#include <algorithm>
#include <vector>

#include "platform/file_list.h"
#include "platform/text.h"

namespace zelvane {

std::wstring Caption(ProgramVersion version) {
    return std::wstring(kTitle) + L" v" + Decimal(version.major) + L"." + Decimal(version.minor) + L"." +
           Decimal(version.revision);
}

std::optional<std::wstring> UnderDrivePath(std::wstring_view folder, std::wstring_view name) {
    // The longest path the system takes, with room for the name.
    constexpr std::size_t kLongestPath = 32767;
    // Past the drive, a colon would name a stream of a file.
    constexpr std::wstring_view kNeverInAPath = L"\"*?<>|:";
    const auto never = [&](wchar_t c) { return c < 0x20 || kNeverInAPath.find(c) != std::wstring_view::npos; };
    if (!IsDrivePath(folder) || std::any_of(folder.begin() + 2, folder.end(), never) ||
        folder.size() + 1 + name.size() > kLongestPath) {
        return std::nullopt;
    }
    while (folder.size() > 3 && folder.back() == L'\\') folder.remove_suffix(1);
    std::wstring path(folder);
    if (path.back() != L'\\') path += L'\\';
    return path + std::wstring(name);
}

std::wstring FindMapFolder(Runtime& runtime) {
    std::vector<std::wstring> lookedIn;
    // Looks in a folder once, whichever way it was named.
    const auto exists = [&](const std::optional<std::wstring>& folder) {
        if (!folder) return false;
        const std::wstring folded = FoldAscii(*folder);
        if (std::any_of(lookedIn.begin(), lookedIn.end(), [&](const auto& f) { return FoldAscii(f) == folded; })) {
            return false;
        }
        lookedIn.push_back(*folder);
        return runtime.IsFolder(*folder);
    };
    // The candidates in order; each asks the system only when those before it are missing.
    if (exists(std::wstring(kMapFolder))) return lookedIn.back();
    const std::wstring programFolder = runtime.AppPath();
    const std::optional<std::wstring> executable = UnderDrivePath(programFolder, kGameExecutable);
    if (executable && runtime.IsFile(*executable) && exists(UnderDrivePath(programFolder, kMapFolderName))) {
        return lookedIn.back();
    }
    for (std::wstring_view variable : kProgramFilesVariables) {
        // Where it names "C:\Program Files", the fixed folder was looked in already.
        const std::optional<std::wstring> game = UnderDrivePath(runtime.Environ(variable), kInstallUnderProgramFiles);
        if (game && exists(UnderDrivePath(*game, kMapFolderName))) return lookedIn.back();
    }
    const std::wstring gog = runtime.MachineText32(kGogGameKey, kGogPathValue);
    if (exists(UnderDrivePath(gog, kMapFolderName))) return lookedIn.back();

    std::wstring where;
    for (const std::wstring& folder : lookedIn) where += folder + L"\r\n";
    Fail(error::kPathNotFound, where + L"\r\n" + std::wstring(kFindGameAdvice));
}

std::wstring GameFolder(std::wstring_view mapFolder) {
    const std::size_t separator = mapFolder.find_last_of(L'\\');
    return std::wstring(mapFolder.substr(0, separator == std::wstring_view::npos ? 0 : separator));
}

std::wstring ChangeToGameFolderLine(std::wstring_view gameFolder, bool shortPathIsGameFolder) {
    if (shortPathIsGameFolder) return L"cd " + std::wstring(kShortGameFolder);
    // Inside quotes only "%" means anything to the interpreter (no path holds a quote).
    std::wstring line = L"cd \"";
    for (wchar_t c : gameFolder) {
        if (c == L'%') line += L'%';
        line += c;
    }
    return line + L"\"";
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
