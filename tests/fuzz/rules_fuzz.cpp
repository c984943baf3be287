// Fuzzes the launcher's pure rules with properties that must hold for any text: new-map naming,
// the escaping of a name in the launch script, and the preview path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "browser/map_browser.h"
#include "core/launcher.h"
#include "tests/support/batch_line.h"

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

bool IsControl(wchar_t c) { return c < 0x20; }

std::wstring WithoutControls(const std::wstring& text) {
    std::wstring kept;
    for (wchar_t c : text) {
        if (!IsControl(c)) kept += c;
    }
    return kept;
}

// Each pair of input bytes is one UTF-16 code unit, so every character can turn up.
std::wstring TextOf(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    }
    return text;
}

void CheckNaming(const std::wstring& answer) {
    using namespace zelvane;
    const std::optional<std::wstring> name = NewMapName(answer);
    const std::wstring kept = WithoutControls(answer);
    Require(name.has_value() == !(kept.empty() || kept == kMapExtension));
    if (!name) return;
    Require(name->ends_with(kMapExtension));
    Require(name->size() - kMapExtension.size() <= kMapBaseLength);
    Require(WithoutControls(*name) == *name);
    // The base is always where the answer starts.
    const std::wstring base = name->substr(0, name->size() - kMapExtension.size());
    Require(kept.starts_with(base));
}

void CheckScript(const std::wstring& mapName) {
    using namespace zelvane;
    const std::wstring line = EditorCommandLine(kEditorSwitch, mapName);
    const std::wstring script = ChangeToGameFolderLine(GameFolder(kMapFolder), true) + L"\r\n" + line + L"\r\n";
    std::size_t breaks = 0;
    for (wchar_t c : script) {
        Require(c != 0x1A && c != 0);
        if (c == L'\n') ++breaks;
    }
    Require(breaks == 2);
    Require(line.starts_with(L"start armada2.exe ~/edit "));
    const std::wstring escaped = line.substr(std::wstring_view(L"start armada2.exe ~/edit ").size());
    Require(testing::UnescapeBatchLine(escaped) == WithoutControls(mapName));
    // Outside a caret pair, no character the interpreter acts on is left bare.
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const wchar_t c = escaped[i];
        if (c == L'^') {
            Require(i + 1 < escaped.size());
            ++i;
        } else if (c == L'%') {
            Require(i + 1 < escaped.size() && escaped[i + 1] == L'%');
            ++i;
        } else {
            Require(c != L'&' && c != L'|' && c != L'<' && c != L'>' && c != L'"');
        }
    }
}

void CheckPreviewPath(const std::wstring& mapName) {
    using namespace zelvane;
    const std::wstring mapPath = MapPath(kMapFolder, mapName);
    Require(mapPath.size() == kMapFolder.size() + 1 + mapName.size());
    const std::wstring preview = PreviewPath(mapPath);
    Require(preview.size() == mapPath.size());
    Require(preview.ends_with(L"bmp"));
    Require(preview.compare(0, preview.size() - 3, mapPath, 0, mapPath.size() - 3) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = TextOf(data, size);
    CheckNaming(text);
    CheckScript(text);
    CheckPreviewPath(text);
    return 0;
}
