#include "ui/form1.h"

#include <array>
#include <optional>

#include "browser/map_browser.h"
#include "ui/layout.h"

namespace zelvane {

std::wstring AboutText() {
    const std::array<std::wstring, 8> lines = {
        std::wstring(kCopyrightLine),
        L"The map editor is the work of Activision and is not the work of Quillmere.",
        L"We simply wrote this application to aid you in editing the maps more easily.",
        L"",
        L"This program is not guarenteed in any way, so you're on your own.",
        L"If you would like to send suggestions or bugs, please email quillmere@quillmere.example.",
        L"",
        L"",
    };
    std::wstring text = lines[0];
    for (std::size_t i = 1; i < lines.size(); ++i) text += L"\r\n" + lines[i];
    return text;
}

bool Form1::Raise(FormEvent event) {
    return RunEventHandler(runtime_, [&] {
        switch (event) {
            case FormEvent::Load:
                return Form_Load();
            case FormEvent::File1Click:
                return File1_Click();
            case FormEvent::File1DblClick:
                return File1_DblClick();
            case FormEvent::Command1Click:
                return Command1_Click();
            case FormEvent::Command2Click:
                return Command2_Click();
            case FormEvent::Command3Click:
                return Command3_Click();
        }
    });
}

// Edit Map: open the selected entry in the editor.
void Form1::Command1_Click() {
    const int index = File1.ListIndex();
    const std::wstring mapName = File1.List(index);
    LaunchEditor(mapName);
}

// New Map: ask for a name, refuse an empty or untouched answer, open the editor on the rest.
void Form1::Command2_Click() {
    const std::wstring answer = runtime_.InputBox(kNewMapPrompt, kNewMapTitle, kMapExtension);
    const std::optional<std::wstring> newName = NewMapName(answer);
    if (!newName) return;
    LaunchEditor(*newName);
}

// Writes run.bat beside the program and runs it minimized; nothing is reported, whatever fails.
void Form1::LaunchEditor(const std::wstring& mapName) { OpenInEditor(runtime_, settings_, mapName); }

// About: the eight lines, with the information icon.
void Form1::Command3_Click() { runtime_.MsgBox(AboutText(), kInformation, kTitle); }

// Shows the selected map's preview picture, or the label where the map has none.
void Form1::File1_Click() { ShowPreview(runtime_, settings_.MapFolder, File1, Image1, Label1); }

void Form1::File1_DblClick() { Command1_Click(); }

// Start-up: no error handling of its own, so a game found nowhere (76) or a map folder without
// maps (380, no entry 0) ends the program before the window shows.
void Form1::Form_Load() {
    settings_.MapFolder = FindMapFolder(runtime_);
    settings_.EditorSwitch = kEditorSwitch;
    File1.SetPath(settings_.MapFolder);
    File1.SetPattern(kMapPattern);
    const ProgramVersion version = runtime_.AppVersion();
    Form.SetCaption(Caption(version));
    File1.SetListIndex(0);
    File1_Click();
}

}  // namespace zelvane
