#include "browser/map_browser.h"
#include "core/launcher.h"

namespace zelvane {

namespace {

std::wstring ScriptPath(Runtime& runtime) { return runtime.AppPath() + std::wstring(kScriptName); }

// The command interpreter reads the script in its own code page. A map whose name that code page
// cannot hold is passed by its short name, which names the same file; a name with no short name
// (a new map) is written as well as the code page allows.
std::wstring NameForScript(Runtime& runtime, std::wstring_view mapFolder, const std::wstring& mapName) {
    if (runtime.FitsOutputCodePage(mapName)) return mapName;
    const std::wstring shortName = runtime.ShortName(MapPath(mapFolder, mapName));
    if (shortName.empty() || !runtime.FitsOutputCodePage(shortName)) return mapName;
    return shortName;
}

}  // namespace

void OpenInEditor(Runtime& runtime, const LauncherSettings& settings, const std::wstring& mapName) {
    ResumeNext step;
    step([&] {
        runtime.AfterLastShell([&runtime, settings, mapName] { WriteAndRunScript(runtime, settings, mapName); });
    });
}

void WriteAndRunScript(Runtime& runtime, const LauncherSettings& settings, const std::wstring& mapName) {
    ResumeNext step;
    ResumeNext write;
    std::wstring commandLine;
    const std::wstring gameFolder = GameFolder(settings.MapFolder);
    // Asked at every launch: the game may be installed or moved while the program runs.
    bool shortPathIsGameFolder = false;
    step([&] { shortPathIsGameFolder = runtime.SameFolder(kShortGameFolder, gameFolder); });
    write([&] {
        commandLine = EditorCommandLine(settings.EditorSwitch, NameForScript(runtime, settings.MapFolder, mapName));
    });
    step([&] { runtime.Kill(ScriptPath(runtime)); });
    write([&] { runtime.OpenForOutput(kScriptFileNumber, ScriptPath(runtime)); });
    write([&] { runtime.PrintLine(kScriptFileNumber, ChangeToGameFolderLine(gameFolder, shortPathIsGameFolder)); });
    write([&] { runtime.PrintLine(kScriptFileNumber, commandLine); });
    write([&] { runtime.Close(kScriptFileNumber); });
    if (write.LastError() != error::kNone) return;
    step([&] { runtime.Shell(ScriptPath(runtime), kMinimizedFocus, ScriptStartFolder(gameFolder)); });
}

}  // namespace zelvane
