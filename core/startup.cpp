#include "ui/form1.h"

namespace zelvane {

// Start-up: no error handling of its own, so a missing map folder (76) or a folder without maps
// (380, no entry 0) ends the program before the window shows.
void Form1::Form_Load() {
    settings_.MapFolder = kMapFolder;
    settings_.EditorSwitch = kEditorSwitch;
    File1.SetPath(settings_.MapFolder);
    File1.SetPattern(kMapPattern);
    const ProgramVersion version = runtime_.AppVersion();
    Form.SetCaption(Caption(version));
    File1.SetListIndex(0);
    File1_Click();
}

}  // namespace zelvane
