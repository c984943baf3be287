// The map browser: where a map and its preview picture lie, and the preview step that shows the
// selected map's picture, or the label that says it has none.
#pragma once

#include <string>
#include <string_view>

#include "platform/runtime.h"

namespace zelvane {

// The map folder, one "\" and the map name.
std::wstring MapPath(std::wstring_view mapFolder, std::wstring_view mapName);

// The map path without its last three characters, followed by "bmp". Fails with 5 when the path
// is shorter than three characters.
std::wstring PreviewPath(std::wstring_view mapPath);

// The preview step: loads the preview of the list's selected map into the image. Only "file not
// found" means there is no preview and shows the label instead; any other failure keeps the image
// visible with the picture it held. Never fails.
void ShowPreview(Runtime& runtime, std::wstring_view mapFolder, const FileListControl& list, ImageControl& image,
                 LabelControl& noPreview);

}  // namespace zelvane
