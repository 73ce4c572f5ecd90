#include "Sonbex/Shell/AppearanceColors.h"

namespace sonbex::shell {

void RestoreCurveColors(std::vector<ColorPage>& pages) {
    for (ColorPage& page : pages)
        for (ColorItem& item : page.items) item.color = item.defaultColor;
}

void RestoreWindowColors(GlobalConfig& config) {
    config.colors = WindowColors{};
    config.fontFace = kFontArial;
    config.solidGrid = false;
}

}  // namespace sonbex::shell
