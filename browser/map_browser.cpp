#include "browser/map_browser.h"

#include "platform/errors.h"

namespace zelvane {

std::wstring MapPath(std::wstring_view mapFolder, std::wstring_view mapName) {
    std::wstring path(mapFolder);
    path += L'\\';
    path += mapName;
    return path;
}

std::wstring PreviewPath(std::wstring_view mapPath) {
    if (mapPath.size() < 3) Fail(error::kInvalidProcedureCall);
    return std::wstring(mapPath.substr(0, mapPath.size() - 3)) + L"bmp";
}

void ShowPreview(Runtime& runtime, std::wstring_view mapFolder, const FileListControl& list, ImageControl& image,
                 LabelControl& noPreview) {
    ResumeNext step;
    std::wstring mapPath;
    std::wstring previewPath;
    step([&] { mapPath = MapPath(mapFolder, list.List(list.ListIndex())); });
    step([&] { previewPath = PreviewPath(mapPath); });
    step([&] { image.SetPicture(runtime.LoadPicture(previewPath)); });
    if (step.LastError() == error::kFileNotFound) {
        image.SetVisible(false);
        noPreview.SetVisible(true);
    } else {
        image.SetVisible(true);
        noPreview.SetVisible(false);
    }
}

}  // namespace zelvane
