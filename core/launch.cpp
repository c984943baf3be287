#include "browser/map_browser.h"
#include "ui/form1.h"

namespace zelvane {

std::wstring Form1::ScriptPath() { return runtime_.AppPath() + std::wstring(kScriptName); }

// The command interpreter reads the script in its own code page. A map whose name that code page
// cannot hold is passed by its short name, which names the same file; a name with no short name
// (a new map) is written as well as the code page allows.
std::wstring Form1::NameForScript(const std::wstring& mapName) {
    if (runtime_.FitsOutputCodePage(mapName)) return mapName;
    const std::wstring shortName = runtime_.ShortName(MapPath(settings_.MapFolder, mapName));
    if (shortName.empty() || !runtime_.FitsOutputCodePage(shortName)) return mapName;
    return shortName;
}

// Writes run.bat beside the program and runs it minimized. Every step skips on failure and nothing
// is reported; but a script that could not be built and written in full is never run, so a failed
// write cannot start the game on the map of an earlier launch.
void Form1::LaunchEditor(const std::wstring& mapName) {
    ResumeNext step;
    ResumeNext write;
    std::wstring commandLine;
    write([&] { commandLine = EditorCommandLine(settings_.EditorSwitch, NameForScript(mapName)); });
    // The command interpreter reads a script line by line while it runs it: the previous launch's
    // must be done with the script before it is deleted and written anew.
    step([&] { runtime_.AwaitLastShell(kScriptReaderWait); });
    step([&] { runtime_.Kill(ScriptPath()); });
    write([&] { runtime_.OpenForOutput(kScriptFileNumber, ScriptPath()); });
    write([&] { runtime_.PrintLine(kScriptFileNumber, ChangeToGameFolderLine()); });
    write([&] { runtime_.PrintLine(kScriptFileNumber, commandLine); });
    write([&] { runtime_.Close(kScriptFileNumber); });
    if (write.LastError() != error::kNone) return;
    step([&] { runtime_.Shell(ScriptPath(), kMinimizedFocus, ScriptStartFolder()); });
}

// New Map: ask for a name, refuse an empty or untouched answer, open the editor on the rest.
void Form1::Command2_Click() {
    const std::wstring answer = runtime_.InputBox(kNewMapPrompt, kNewMapTitle, kMapExtension);
    const std::optional<std::wstring> newName = NewMapName(answer);
    if (!newName) return;
    LaunchEditor(*newName);
}

}  // namespace zelvane
