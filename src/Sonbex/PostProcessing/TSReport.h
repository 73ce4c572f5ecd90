#pragma once
// The printed table of Thiele-Small results, drawn on any canvas (printer,
// preview, picture, tests): label and value columns on the left and a second
// pair half-way across, "Measurement Info" below the longer column.
// One thread at a time per canvas.

#include "Sonbex/PostProcessing/TSRecord.h"
#include "YWin/ICanvas.h"

namespace sonbex::postprocessing {

// Draws into `area` with rows `lineHeight` pixels apart; the bottom of the
// table is returned.
int DrawTSReport(ywin::ICanvas& canvas, const TSRecord& record, const ywin::YRect& area, int lineHeight);

}  // namespace sonbex::postprocessing
