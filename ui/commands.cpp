#include <array>

#include "ui/form1.h"
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

void Form1::Command3_Click() { runtime_.MsgBox(AboutText(), kInformation, kTitle); }

void Form1::File1_DblClick() { Command1_Click(); }

}  // namespace zelvane
