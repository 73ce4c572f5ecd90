#pragma once
// "Graph Information" (Alt+F1 in every graph): the title of a data set in an
// editable field (OK stores it back), its acquire date, the stimulus, the
// analysis and the settings line.
// Threads: the GUI thread only.

#include "Sonbex/Curves/DataSetHeader.h"
#include "YWin/YDial.h"

#include <functional>
#include <string>

class QLabel;
class QLineEdit;

namespace sonbex::curves {

struct GraphInfoOptions {
    bool use24Hours = false;    // the "24 hour time format" option
    bool impulseGraph = false;  // the analysis reads "Impulse Response"
    // The name of a stimulus module id; empty when the registry knows none.
    std::function<std::string(std::uint16_t id)> stimulusName;
};

class GraphInfoDialog : public ywin::YDial {
    Q_OBJECT
public:
    // `header` must outlive the dialog; OK writes the edited title into it.
    GraphInfoDialog(DataSetHeader& header, GraphInfoOptions options, QWidget* parent = nullptr);

    QString DateText() const;
    QString StimulusText() const;
    QString AnalysisText() const;
    QString SettingsText() const;

protected:
    void OnInit() override;
    void OnEnd(int result) override;

private:
    DataSetHeader& header_;
    GraphInfoOptions options_;
    QLineEdit* title_;
    QLabel* date_;
    QLabel* stimulus_;
    QLabel* analysis_;
    QLabel* settings_;
};

}  // namespace sonbex::curves
