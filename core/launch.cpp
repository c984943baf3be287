#include "browser/map_browser.h"
#include "core/launcher.h"

namespace zelvane {

namespace {

std::wstring ScriptPath(Runtime& runtime) { return runtime.AppPath() + std::wstring(kScriptName); }

// The command interpreter reads the script in its own code page. A text that code page cannot hold
// is written in its short form, which names the same file or folder, where there is one that fits;
// otherwise (a new map has no short name) as well as the code page allows.
template <class ShortForm>
std::wstring ForScript(Runtime& runtime, const std::wstring& text, ShortForm&& shortForm) {
    if (runtime.FitsOutputCodePage(text)) return text;
    const std::wstring shortText = shortForm();
    if (shortText.empty() || !runtime.FitsOutputCodePage(shortText)) return text;
    return shortText;
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
    std::wstring firstLine;
    std::wstring commandLine;
    const std::wstring gameFolder = GameFolder(settings.MapFolder);
    // Asked at every launch: the game may be installed or moved while the program runs.
    bool shortPathIsGameFolder = false;
    step([&] { shortPathIsGameFolder = runtime.SameFolder(kShortGameFolder, gameFolder); });
    write([&] {
        const std::wstring folder = ForScript(runtime, gameFolder, [&] { return runtime.ShortPath(gameFolder); });
        firstLine = ChangeToGameFolderLine(folder, shortPathIsGameFolder);
        const std::wstring name =
            ForScript(runtime, mapName, [&] { return runtime.ShortName(MapPath(settings.MapFolder, mapName)); });
        commandLine = EditorCommandLine(settings.EditorSwitch, name);
    });
    step([&] { runtime.Kill(ScriptPath(runtime)); });
    write([&] { runtime.OpenForOutput(kScriptFileNumber, ScriptPath(runtime)); });
    write([&] { runtime.PrintLine(kScriptFileNumber, firstLine); });
    write([&] { runtime.PrintLine(kScriptFileNumber, commandLine); });
    write([&] { runtime.Close(kScriptFileNumber); });
    if (write.LastError() != error::kNone) return;
    step([&] { runtime.Shell(ScriptPath(runtime), kMinimizedFocus, ScriptStartFolder(gameFolder)); });
}

}  // namespace zelvane
