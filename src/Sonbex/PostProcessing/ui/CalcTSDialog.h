#pragma once
// The "Thiele-Small Parameters" dialog: the entries (Revc with "Scan Revc",
// the diaphragm as area or diameter, Xmax, the added mass or test-box
// volume, manufacturer, model, comment), the results of the free-air and
// loaded curves, and "Recalc T/S", "Print", "Copy", "Insert into driver
// database", OK and Cancel. It works on a copy of the impedance set's
// record; OK after a successful calculation writes it back and tells the
// owner the set changed (so the document becomes unsaved).
// Threads: the GUI thread only.

#include "Platform/IPrompt.h"
#include "Platform/SettingsStore.h"
#include "Sonbex/BoxDesign/YSpeakerData.h"
#include "Sonbex/PostProcessing/CalcTS.h"
#include "YWin/ICanvas.h"
#include "YWin/YDial.h"

#include <functional>
#include <memory>
#include <optional>

namespace sonbex::postprocessing {

inline constexpr int kIdTsRevc = 1100;
inline constexpr int kIdTsScanRevc = 1101;
inline constexpr int kIdTsDiaphragm = 1102;
inline constexpr int kIdTsDiaphragmLabel = 1103;
inline constexpr int kIdTsArea = 1104;
inline constexpr int kIdTsXmax = 1105;
inline constexpr int kIdTsAdded = 1106;
inline constexpr int kIdTsAddedLabel = 1107;
inline constexpr int kIdTsManufacturer = 1108;
inline constexpr int kIdTsModel = 1109;
inline constexpr int kIdTsComment = 1110;
inline constexpr int kIdTsRecalc = 1111;
inline constexpr int kIdTsPrint = 1112;
inline constexpr int kIdTsCopy = 1113;
inline constexpr int kIdTsInsert = 1114;
inline constexpr int kIdTsOk = 1;
inline constexpr int kIdTsCancel = 2;
// Result fields, in the order of the table.
inline constexpr int kIdTsFs = 1120, kIdTsQms = 1121, kIdTsQes = 1122, kIdTsQts = 1123, kIdTsSd = 1124,
                     kIdTsXmaxOut = 1125, kIdTsRevcOut = 1126, kIdTsZmax = 1127, kIdTsZnom = 1128,
                     kIdTsLevc1k = 1129, kIdTsLevc10k = 1130, kIdTsLevcAve = 1131, kIdTsVas = 1132,
                     kIdTsBl = 1133, kIdTsRms = 1134, kIdTsCms = 1135, kIdTsMmd = 1136, kIdTsMms = 1137,
                     kIdTsEta0 = 1138, kIdTsSpl1W = 1139, kIdTsSpl2V83 = 1140;

inline constexpr const char* kTsSection = "Thiele-Small Calculator";
inline constexpr const char* kTsShowAsSd = "Show as SD";

struct CalcTSServices {
    platform::IPrompt* prompt = nullptr;                    // required
    boxdesign::YSpeakerData* database = nullptr;            // null: no insert
    platform::SettingsStore* store = nullptr;               // the "Show as SD" value; null: not kept
    std::function<bool(const std::string& text)> copyText;  // the clipboard; empty: the system clipboard
    // Draws the report on a printer; empty: the print dialog.
    std::function<bool(const std::function<void(ywin::ICanvas&, const ywin::YRect&)>& draw)> print;
    std::function<void()> changed;  // OK wrote the record back
};

class CalcTSDialog : public ywin::YDial {
    Q_OBJECT
public:
    // `record` is the impedance set's own record, written back on OK.
    CalcTSDialog(ImpedanceCurve freeAir, std::optional<ImpedanceCurve> loaded, TSRecord& record,
                 CalcTSServices services, QWidget* parent = nullptr);

    void ScanRevc();
    void ToggleArea();
    void Recalc();
    void Copy();
    void Print();
    void Insert();
    void Accept();
    const CalcTS& Calc() const { return calc_; }

protected:
    void OnInit() override;
    void OnEnd(int result) override;

private:
    void ShowResults();
    void UpdateEnabling();
    void ReadIdentification();

    CalcTS calc_;
    TSRecord& target_;
    CalcTSServices services_;
    bool showAsArea_ = true;
};

// Runs the dialog modally; true when OK wrote the record back.
bool RunCalcTS(ImpedanceCurve freeAir, std::optional<ImpedanceCurve> loaded, TSRecord& record,
               CalcTSServices services, QWidget* parent);

}  // namespace sonbex::postprocessing
