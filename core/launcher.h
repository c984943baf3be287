// The launcher core: its fixed settings, the rules that need no window (the caption, the launch
// script's lines, the naming of new maps) and the launch itself, which writes and runs the script
// through the runtime. Builds on any platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime.h"

namespace zelvane {

inline constexpr std::wstring_view kTitle = L"Zelvane";
inline constexpr std::wstring_view kMapFolder = L"C:\\Program Files\\Activision\\Star Trek Armada II\\bzn";
inline constexpr std::wstring_view kEditorSwitch = L" ~/edit ";
inline constexpr std::wstring_view kMapPattern = L"*.bzn";

// Where else a player may have the game: below the folder for 32-bit programs the system names, and
// the GOG edition's folder, which its installer records in the 32-bit view of the machine's
// registry. The program's own folder counts where it holds the game's executable.
inline constexpr std::wstring_view kInstallUnderProgramFiles = L"Activision\\Star Trek Armada II";
inline constexpr std::wstring_view kProgramFilesVariables[] = {L"ProgramFiles(x86)", L"ProgramFiles"};
inline constexpr std::wstring_view kGogGameKey = L"SOFTWARE\\GOG.com\\Games\\1174788223";
inline constexpr std::wstring_view kGogPathValue = L"path";
inline constexpr std::wstring_view kGameExecutable = L"armada2.exe";
inline constexpr std::wstring_view kMapFolderName = L"bzn";
inline constexpr std::wstring_view kFindGameAdvice = L"Put zelvane.exe into the game's folder, beside armada2.exe.";

// The game's install folder in its short (8.3) form, and the launch script's name and file number.
inline constexpr std::wstring_view kShortGameFolder = L"C:\\PROGRA~1\\ACTIVI~1\\STARTR~1";
inline constexpr std::wstring_view kScriptName = L"\\run.bat";
inline constexpr std::wstring_view kStartGame = L"start armada2.exe";
inline constexpr int kScriptFileNumber = 1;
// "Minimized with focus": the window style the script runs in.
inline constexpr int kMinimizedFocus = 2;

inline constexpr std::wstring_view kMapExtension = L".bzn";
inline constexpr std::wstring_view kNewMapPrompt = L"Enter map file name";
inline constexpr std::wstring_view kNewMapTitle = L"New Map";
inline constexpr std::size_t kMapBaseLength = 8;

// The two settings of the window, set once at start-up and read by the launch and the preview.
struct LauncherSettings {
    std::wstring MapFolder;
    std::wstring EditorSwitch;
};

// "Zelvane v1.0.1": title, blank, "v" and the three numbers in plain decimal.
std::wstring Caption(ProgramVersion version);

// The map folder, found once at start-up: the first of these that exists as a folder. The fixed
// folder; "bzn" in the program's own folder where that folder holds armada2.exe; the game's folder
// below the folders for 32-bit programs that the system names, where they differ from the fixed
// "C:\Program Files"; "bzn" in the GOG edition's folder. A candidate that is no drive path ("X:\...":
// a network share, a relative path, junk from the registry) is passed over unseen. Where none
// exists, fails with 76, listing the folders it looked in and how to make it find the game.
std::wstring FindMapFolder(Runtime& runtime);

// A folder, one "\" and a name, or nothing where the folder is no drive path ("X:\...") that a
// command interpreter can make current, or holds a character no path holds.
std::optional<std::wstring> UnderDrivePath(std::wstring_view folder, std::wstring_view name);

// The game's install folder: the folder that holds the map folder.
std::wstring GameFolder(std::wstring_view mapFolder);

// First line of the launch script: makes the game folder current. It names the game folder by its
// fixed short path where that path is the game folder (shortPathIsGameFolder), and by its long path,
// quoted and with "%" doubled, where it names another folder or none: 8.3 names follow the order
// folders were made in, may be turned off, and are hashes under Wine.
std::wstring ChangeToGameFolderLine(std::wstring_view gameFolder, bool shortPathIsGameFolder);

// The folder the command interpreter starts in: the root of the game folder's drive, so that the
// script's "cd" (which never changes the drive) lands on the game folder.
std::wstring ScriptStartFolder(std::wstring_view gameFolder);

// Writes a text so that the command interpreter reads it back, in a batch file line, as exactly
// that text: ^ & | < > " get a caret, % is doubled, and the control characters 0 to 31 (line
// breaks, tabs, end-of-file marks) are dropped, since none can be part of a file name and any could
// end the line. DEL (127) can be part of a file name, and is kept.
std::wstring EscapeForBatchLine(std::wstring_view text);

// Second line of the launch script: "start armada2.exe", the editor switch and the map name,
// the name escaped so that it stays one argument string and never becomes a command.
std::wstring EditorCommandLine(std::wstring_view editorSwitch, std::wstring_view mapName);

// The map name a typed answer to the New Map prompt stands for, or nothing when the answer is
// empty or the untouched default ".bzn". The control characters 0 to 31 in the answer are dropped
// first.
std::optional<std::wstring> NewMapName(std::wstring_view answer);

// Opens a map in the game's editor: writes run.bat beside the program and runs it minimized. Every
// step skips on failure and nothing is reported; but a script that could not be built and written
// in full is never run, so a failed write cannot start the game on the map of an earlier launch.
// The command interpreter reads a script while it runs it, so the script is written only once the
// interpreter of the launch before has ended; until then the launch waits, and the window does not.
void OpenInEditor(Runtime& runtime, const LauncherSettings& settings, const std::wstring& mapName);

// The launch itself, once no interpreter reads the script: deletes, writes and runs it.
void WriteAndRunScript(Runtime& runtime, const LauncherSettings& settings, const std::wstring& mapName);

}  // namespace zelvane
