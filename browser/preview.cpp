#include "browser/map_browser.h"
#include "ui/form1.h"

namespace zelvane {

// Shows the selected map's preview. Only "file not found" means there is no preview: any other
// failure keeps the image visible with the picture it held.
void Form1::File1_Click() {
    ResumeNext step;
    std::wstring mapPath;
    std::wstring previewPath;
    step([&] { mapPath = MapPath(settings_.MapFolder, File1.List(File1.ListIndex())); });
    step([&] { previewPath = PreviewPath(mapPath); });
    step([&] { Image1.SetPicture(runtime_.LoadPicture(previewPath)); });
    if (step.LastError() == error::kFileNotFound) {
        Image1.SetVisible(false);
        Label1.SetVisible(true);
    } else {
        Image1.SetVisible(true);
        Label1.SetVisible(false);
    }
}

}  // namespace zelvane
