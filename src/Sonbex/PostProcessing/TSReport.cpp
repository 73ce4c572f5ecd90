#include "Sonbex/PostProcessing/TSReport.h"

#include "Platform/NumberText.h"
#include "YLib/YText.h"

#include <algorithm>
#include <string>
#include <vector>

namespace sonbex::postprocessing {

namespace {
struct Row {
    const char* label;
    double value;
    int decimals;
    const char* unit;  // Windows-1252
};
}  // namespace

int DrawTSReport(ywin::ICanvas& canvas, const TSRecord& r, const ywin::YRect& area, int lineHeight) {
    const int h = std::max(2, lineHeight);
    ywin::YFont labelFont{"Arial", h - 1, true};
    ywin::YFont valueFont{"Arial", h - 1, false};
    canvas.SetFont(labelFont);
    const int valueOffset = canvas.MeasureText("SPL @ 2.83V 1m: ").width;
    const int half = area.left + area.Width() / 2;
    const ywin::YColor black = 0;
    int y = area.top;
    auto label = [&](int x, const std::string& text) {
        canvas.SetFont(labelFont);
        canvas.Text({x, y}, text, ywin::kAlignLeft | ywin::kAlignTop, black);
    };
    auto value = [&](int x, const std::string& text) {
        canvas.SetFont(valueFont);
        canvas.Text({x + valueOffset, y}, Utf8FromWindows1252(text), ywin::kAlignLeft | ywin::kAlignTop,
                    black);
    };
    label(area.left, "Driver:");
    y += h * 3 / 2;
    label(area.left, "Brand:");
    value(area.left, r.manufacturer);
    y += h;
    label(area.left, "Model:");
    value(area.left, r.model);
    y += h * 3 / 2;
    label(area.left, "Thiele-Small Parameters:");
    y += h * 3 / 2;

    const std::vector<Row> left = {{"Fs:", r.freeAir.fs, 2, "Hz"},
                                   {"Vas:", r.vas * 1000, 2, "l"},
                                   {"Qms:", r.freeAir.qms, 4, ""},
                                   {"Qes:", r.freeAir.qes, 4, ""},
                                   {"Qts:", r.qts, 4, ""},
                                   {"Sd:", r.sd * 1e4, 2, "cm\xB2"},
                                   {"Vd:", r.xmax * r.sd * 1000, 4, "l"},
                                   {"XMax:", r.xmax * 1000, 2, "\xB1mm"},
                                   {"Revc:", r.revc, 4, "Ohms"},
                                   {"ZMax:", r.freeAir.zmax, 4, "Ohms"},
                                   {"ZNom:", r.freeAir.znom, 1, "Ohms"},
                                   {"Bl:", r.bl, 4, "T*m"},
                                   {"Rms:", r.rms, 4, "kg/s"}};
    std::vector<Row> right = {
        {"Cms:", r.cms * 1000, 4, "mm/N"}, {"Mms:", r.mms * 1000, 4, "g"}, {"Mmd:", r.mmd * 1000, 4, "g"}};
    const char* levc[4] = {"Levc @ 1kHz:", "Levc @ 5kHz:", "Levc @ 10kHz:", "Levc @ 20kHz:"};
    for (int i = 0; i < 4; ++i)
        if (r.freeAir.levc[i] > 0) right.push_back({levc[i], r.freeAir.levc[i] * 1000, 4, "mH"});
    right.push_back({"Levc (Ave):", r.freeAir.levcAverage * 1000, 4, "mH"});
    right.push_back({"no:", r.eta0 * 100, 4, "%"});
    right.push_back({"SPL @ 1W,1m:", r.spl1W, 2, "dB"});
    right.push_back({"SPL @ 2.83V,1m:", r.spl2V83, 2, "dB"});

    const int top = y;
    auto column = [&](const std::vector<Row>& rows, int x) {
        y = top;
        for (const Row& row : rows) {
            label(x, row.label);
            value(x, platform::FormatFixed(row.value, row.decimals) + " " + row.unit);
            y += h;
        }
        return y;
    };
    const int bottom = std::max(column(left, area.left), column(right, half));
    y = bottom + h / 2;
    label(area.left, "Measurement Info:");
    y += h * 3 / 2;
    label(area.left, "Method:");
    value(area.left, r.deltaMass ? "Delta Mass" : "Delta Compliance");
    y += h;
    if (r.deltaMass) {
        label(area.left, "Added weight:");
        value(area.left, platform::FormatFixed(r.added * 1000, 2) + " g");
    } else {
        label(area.left, "Test volume:");
        value(area.left, platform::FormatFixed(r.added * 1000, 2) + " l");
    }
    return y + h;
}

}  // namespace sonbex::postprocessing
