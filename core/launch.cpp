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
    ResumeNext write;
    std::wstring commandLine;
    write([&] {
        commandLine = EditorCommandLine(settings.EditorSwitch, NameForScript(runtime, settings.MapFolder, mapName));
    });
    // The command interpreter reads a script line by line while it runs it: the previous launch's
    // must be done with the script before it is deleted and written anew.
    step([&] { runtime.AwaitLastShell(kScriptReaderWait); });
    step([&] { runtime.Kill(ScriptPath(runtime)); });
    write([&] { runtime.OpenForOutput(kScriptFileNumber, ScriptPath(runtime)); });
    write([&] { runtime.PrintLine(kScriptFileNumber, ChangeToGameFolderLine()); });
    write([&] { runtime.PrintLine(kScriptFileNumber, commandLine); });
    write([&] { runtime.Close(kScriptFileNumber); });
    if (write.LastError() != error::kNone) return;
    step([&] { runtime.Shell(ScriptPath(runtime), kMinimizedFocus, ScriptStartFolder()); });
}

}  // namespace zelvane
