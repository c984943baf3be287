// The main window's procedures: its settings and one handler per handled event. The same code runs
// against the Win32 runtime in the program and against a stand-in runtime in the unit tests.
#pragma once

#include <string>

#include "core/launcher.h"
#include "platform/runtime.h"

namespace zelvane {

enum class FormEvent { Load, File1Click, File1DblClick, Command1Click, Command2Click, Command3Click };

// Style of the About box: information icon, one OK button.
inline constexpr int kInformation = 64;

// The eight lines of the About box joined by CR LF.
std::wstring AboutText();

class Form1 {
public:
    Form1(Runtime& runtime, FormControls controls)
        : runtime_(runtime),
          Form(controls.form),
          File1(controls.file1),
          Image1(controls.image1),
          Label1(controls.label1) {}

    // Runs the event's handler as the runtime does: a failure it does not handle goes to the
    // runtime's unhandled-failure path. Returns whether the handler ran to its end.
    bool Raise(FormEvent event);

    const LauncherSettings& settings() const { return settings_; }

private:
    void Command1_Click();
    void Command2_Click();
    void LaunchEditor(const std::wstring& mapName);
    void Command3_Click();
    void File1_Click();
    void File1_DblClick();
    void Form_Load();

    Runtime& runtime_;
    CaptionControl& Form;
    FileListControl& File1;
    ImageControl& Image1;
    LabelControl& Label1;
    LauncherSettings settings_;
};

}  // namespace zelvane
