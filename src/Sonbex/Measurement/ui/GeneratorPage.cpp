#include "Sonbex/Measurement/SettingsRules.h"
#include "Sonbex/Measurement/ui/MeasSettingsIds.h"
#include "Sonbex/Measurement/ui/MeasurementSettings.h"
#include "Waveform/IWaveform.h"
#include "Waveform/YWaveformModules.h"
#include "YLib/YText.h"
#include "YWin/YDialogItems.h"
#include "YWin/YSpinButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace sonbex::measurement {

using ywin::WithItemId;

namespace {

QString Text1252(const std::string& s) { return QString::fromStdString(Utf8FromWindows1252(s)); }

QString LevelText(double level) {
    const double db = level > 0.0 ? 20.0 * std::log10(level) : -200.0;
    return ywin::FormatField(db, 2) + QStringLiteral(" dBr");
}

constexpr int kModuleAmplitudeSweep = 1006;

}  // namespace

GeneratorPage::GeneratorPage(MeasSettingsContext& context, QWidget* parent)
    : MeasSettingsPage(context, kGeneratorOffset, kGeneratorSize, "generator", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    stimulus_ = WithItemId(new QComboBox(this), ids::kStimulus);
    top->addRow(tr("Stimulus"), stimulus_);
    layout->addLayout(top);

    auto* group = new QGroupBox(tr("Stimulus Settings"), this);
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (int i = 0; i < 3; ++i, ++row) {
        labels_.push_back(WithItemId(new QLabel(group), ids::kLabel1 + i));
        edits_.push_back(WithItemId(new QLineEdit(group), ids::kEdit1 + i));
        grid->addWidget(labels_.back(), row, 0);
        grid->addWidget(edits_.back(), row, 1);
    }
    startLabel_ = WithItemId(new QLabel(tr("Start Value"), group), ids::kStartLabel);
    start_ = WithItemId(new QLineEdit(group), ids::kStartValue);
    stopLabel_ = WithItemId(new QLabel(tr("Stop Value"), group), ids::kStopLabel);
    stop_ = WithItemId(new QLineEdit(group), ids::kStopValue);
    pointsLabel_ = WithItemId(new QLabel(tr("Points per octave"), group), ids::kPointsLabel);
    points_ = WithItemId(new ywin::YIntSpinButton(1, 4096, 1, group), ids::kPoints);
    combo1Label_ = WithItemId(new QLabel(group), ids::kCombo1Label);
    combo1_ = WithItemId(new QComboBox(group), ids::kCombo1);
    grid->addWidget(startLabel_, row, 0);
    grid->addWidget(start_, row++, 1);
    grid->addWidget(stopLabel_, row, 0);
    grid->addWidget(stop_, row++, 1);
    grid->addWidget(pointsLabel_, row, 0);
    grid->addWidget(points_, row++, 1);
    grid->addWidget(combo1Label_, row, 0);
    grid->addWidget(combo1_, row++, 1);
    linear_ = WithItemId(new QCheckBox(tr("&Linear sweep"), group), ids::kLinearSweep);
    reverse_ = WithItemId(new QCheckBox(tr("&Reverse sweep"), group), ids::kReverseSweep);
    random_ = WithItemId(new QCheckBox(tr("Random phase"), group), ids::kRandomPhase);
    grid->addWidget(linear_, row, 0);
    grid->addWidget(reverse_, row++, 1);
    grid->addWidget(random_, row++, 0, 1, 2);
    file_ = WithItemId(new QLineEdit(group), ids::kWaveFile);
    auto* browse = WithItemId(new QPushButton(QStringLiteral("..."), group), ids::kWaveFileBrowse);
    connect(browse, &QPushButton::clicked, this, [this] { BrowseWaveFile(); });
    grid->addWidget(file_, row, 0);
    grid->addWidget(browse, row++, 1);
    layout->addWidget(group);

    auto* levels = new QGroupBox(tr("Output"), this);
    auto* form = new QFormLayout(levels);
    levelA_ = WithItemId(new QLineEdit(levels), ids::kLevelA);
    levelB_ = WithItemId(new QLineEdit(levels), ids::kLevelB);
    dither_ = WithItemId(new QComboBox(levels), ids::kDither);
    for (const char* t : {" None...", " Triangular", " Noise Shaped"}) dither_->addItem(t);
    form->addRow(tr("Ch. A Level"), levelA_);
    form->addRow(tr("Ch. B Level"), levelB_);
    form->addRow(tr("Dither / Type"), dither_);
    auto* chA = WithItemId(new QCheckBox(tr("Channel &A"), levels), ids::kChannelA);
    auto* chB = WithItemId(new QCheckBox(tr("Channel &B"), levels), ids::kChannelB);
    form->addRow(chA, chB);
    auto* buttons = new QHBoxLayout;
    auto* table = WithItemId(new QPushButton(tr("&Table Sweep"), levels), ids::kTableSweep);
    auto* eq = WithItemId(new QPushButton(tr("E&Q"), levels), ids::kEq);
    table->setEnabled(static_cast<bool>(context_.hooks.sweepTable));
    eq->setEnabled(static_cast<bool>(context_.hooks.outputChannels));
    connect(table, &QPushButton::clicked, this, [this] {
        Config().SetFlag(off::kGenFlags, kGenTableSweep, false);
        context_.hooks.sweepTable();
    });
    connect(eq, &QPushButton::clicked, this, [this] { context_.hooks.outputChannels(); });
    buttons->addWidget(table);
    buttons->addWidget(eq);
    form->addRow(buttons);
    layout->addWidget(levels);
    layout->addStretch();
    AddHelp(layout);

    if (YWaveformModules* modules = context_.settings.Modules()) {
        std::vector<IWaveform*> list;
        modules->List(list, kCategoryImpulse, false);
        modules->List(list, kCategoryFrequency, true);
        for (IWaveform* m : list)
            if (OfferedOnGeneratorPage(m->GetId()))
                stimulus_->addItem(" " + Text1252(m->GetName()), m->GetId());
    }
    stimulus_->setCurrentIndex(stimulus_->findData(Config().ModuleId()));
    connect(stimulus_, &QComboBox::currentIndexChanged, this, [this](int i) { ChooseStimulus(i); });
    levelA_->setText(LevelText(Config().LevelA()));
    levelB_->setText(LevelText(Config().LevelB()));
    if (IWaveform* m = Module()) dither_->setCurrentIndex(std::clamp(m->GetDither(), 0, 2));
    Build();

    // The page as it is always shown: no dither choice, both channels, the
    // output chains empty.
    dither_->setEnabled(false);
    chA->hide();
    chB->hide();
    reverse_->hide();
    eq->hide();
    Config().SetFlag(off::kGenChannels, 0x3, true);
    for (int ch = 0; ch < kOutputChannelCount; ++ch) Config().SetOutput(ch, OutputChannel{});
}

IWaveform* GeneratorPage::Module() const { return context_.settings.Module(); }

void GeneratorPage::OnActivate() { Activated(); }

void GeneratorPage::ChooseStimulus(int index) {
    if (index < 0) return;
    Config().SetU16(off::kModuleId, static_cast<std::uint16_t>(stimulus_->itemData(index).toInt()));
    if (IWaveform* m = Module()) dither_->setCurrentIndex(std::clamp(m->GetDither(), 0, 2));
    Build();
}

void GeneratorPage::Build() {
    params_.clear();
    analysis_.clear();
    bound_.clear();
    combo1Values_.clear();
    combo1_->clear();
    context_.settings.RefreshModules();
    if (IWaveform* m = Module()) {
        if (!m->GetParams(params_)) params_.clear();
        if (!m->GetAnalysisParams(analysis_)) analysis_.clear();
    }
    for (QLabel* l : labels_) l->hide();
    for (QLineEdit* e : edits_) e->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{startLabel_, start_, stopLabel_, stop_, pointsLabel_,
                                                      points_, combo1Label_, combo1_, random_, file_,
                                                      ywin::FindItem(this, ids::kWaveFileBrowse)})
        w->hide();
    linear_->hide();
    blockStartStop_ = true;
    blockLinear_ = true;
    startRecord_ = stopRecord_ = -1;
    bool pointsBound = false;
    std::size_t nextEdit = 0;
    const MeasConfig& c = context_.settings.Config();

    auto numeric = [&](bool analysis, std::size_t i, const WaveformParam& r, double scale,
                       const QString& unit) {
        // An analysis record that repeats a generation record shares its field.
        if (analysis)
            for (const Bound& b : std::vector<Bound>(bound_))
                if (!b.analysis && params_[b.index].role == r.role && params_[b.index].name == r.name) {
                    bound_.push_back({true, i, b.control, b.scale});
                    return;
                }
        if (nextEdit >= edits_.size()) return;
        labels_[nextEdit]->setText(QStringLiteral("%1 (%2)").arg(Text1252(r.name), unit));
        edits_[nextEdit]->setText(ywin::FormatField(r.Number() * scale, scale > 1.0 ? 4 : 2));
        labels_[nextEdit]->show();
        edits_[nextEdit]->show();
        bound_.push_back({analysis, i, ids::kEdit1 + static_cast<int>(nextEdit), scale});
        ++nextEdit;
    };
    auto startStop = [&](bool analysis, std::size_t i, const WaveformParam& r, bool isStart) {
        blockStartStop_ = false;
        QLineEdit* edit = isStart ? start_ : stop_;
        QLabel* label = isStart ? startLabel_ : stopLabel_;
        label->setText(isStart ? tr("Start Value") : tr("Stop Value"));
        edit->setText(ywin::FormatField(r.Number(), 2));
        label->show();
        edit->show();
        bound_.push_back({analysis, i, isStart ? ids::kStartValue : ids::kStopValue, 1.0});
    };
    auto bindAll = [&](const WaveformParams& list, bool analysis) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            const WaveformParam& r = list[i];
            const int kind = r.role;
            if (analysis && kind != 2 && kind != 3 && kind != 6 && kind != 10 && kind != 11) continue;
            switch (kind) {
                case 1:
                case 12:
                case 13:
                case 14:
                    numeric(analysis, i, r, 1.0, Text1252(r.unit));
                    break;
                case 7:
                case 8:
                case 19:
                case 20:
                    numeric(analysis, i, r, 1000.0, QStringLiteral("ms"));
                    break;
                case 2:
                case 3:
                    if (!r.name.empty()) {
                        // The module's own start and stop: the block follows them.
                        numeric(analysis, i, r, 1.0, Text1252(r.unit));
                        blockStartStop_ = false;
                        if (!analysis) (kind == 2 ? startRecord_ : stopRecord_) = static_cast<int>(i);
                    } else {
                        startStop(analysis, i, r, kind == 2);
                    }
                    break;
                case 4:
                case 5:
                    startStop(analysis, i, r, kind == 4);
                    break;
                case 6:
                case 9:
                    if (pointsBound) break;
                    pointsBound = true;
                    pointsLabel_->setText(r.name.empty() ? tr("Points per octave") : Text1252(r.name));
                    points_->SetValue(r.Number());
                    pointsLabel_->show();
                    points_->show();
                    bound_.push_back({analysis, i, ids::kPoints, 1.0});
                    break;
                case 10:
                    blockLinear_ = false;
                    linear_->setChecked(r.Number() != 0.0);
                    linear_->show();
                    bound_.push_back({analysis, i, ids::kLinearSweep, 1.0});
                    break;
                case 11:
                    reverse_->setChecked(r.Number() != 0.0);
                    bound_.push_back({analysis, i, ids::kReverseSweep, 1.0});
                    break;
                case 15:
                case 21:
                case 26:
                    random_->setText(r.name.empty() ? tr("Random phase") : Text1252(r.name));
                    random_->setChecked(r.Number() != 0.0);
                    random_->show();
                    bound_.push_back({analysis, i, ids::kRandomPhase, 1.0});
                    break;
                case 17:
                case 22: {
                    if (!combo1Values_.empty()) break;
                    combo1Label_->setText(Text1252(r.name));
                    const int lo = std::clamp(r.isReal ? int(r.min) : r.intMin, 1, 30);
                    const int hi = std::clamp(r.isReal ? int(r.max) : r.intMax, lo, 30);
                    for (int n = lo; n <= hi; ++n) {
                        const long points = kind == 22 ? (1L << n) - 1 : (1L << n);
                        combo1_->addItem(QStringLiteral(" %1 pts").arg(points));
                        combo1Values_.push_back(n);
                    }
                    combo1_->setCurrentIndex(std::clamp(int(r.Number()) - lo, 0, combo1_->count() - 1));
                    combo1Label_->show();
                    combo1_->show();
                    bound_.push_back({analysis, i, ids::kCombo1, 1.0});
                    break;
                }
                case 25:
                    file_->setText(QString::fromStdString(r.text));  // a file name: the file system's bytes
                    file_->show();
                    ywin::FindItem(this, ids::kWaveFileBrowse)->show();
                    bound_.push_back({analysis, i, ids::kWaveFile, 1.0});
                    break;
                default:
                    break;
            }
        }
    };
    bindAll(params_, false);
    bindAll(analysis_, true);

    if (blockStartStop_) {
        startLabel_->setText(tr("Start frequency (Hz)"));
        stopLabel_->setText(tr("Stop frequency (Hz)"));
        start_->setText(ywin::FormatField(c.StartFrequency(), 2));
        stop_->setText(ywin::FormatField(c.StopFrequency(), 2));
        for (QWidget* w : std::initializer_list<QWidget*>{startLabel_, start_, stopLabel_, stop_}) w->show();
    }
    if (blockLinear_ && !pointsBound) {
        const bool linear = c.Has(kGenLinearSweep) || c.ModuleId() == kModuleAmplitudeSweep;
        linear_->setChecked(c.Has(kGenLinearSweep));
        linear_->setVisible(c.ModuleId() != kModuleAmplitudeSweep);
        pointsLabel_->setText(linear ? tr("Number of points") : tr("Points per octave"));
        points_->SetValue(linear ? c.Points() : c.PointsPerOctave());
        pointsLabel_->show();
        points_->show();
    }
}

bool GeneratorPage::ReadBack(WaveformParams& params, WaveformParams& analysis) {
    for (const Bound& b : bound_) {
        WaveformParam& r = (b.analysis ? analysis : params).at(b.index);
        double v = 0.0;
        switch (b.control) {
            case ids::kLinearSweep:
                v = linear_->isChecked();
                break;
            case ids::kReverseSweep:
                v = reverse_->isChecked();
                break;
            case ids::kRandomPhase:
                v = random_->isChecked();
                break;
            case ids::kPoints:
                v = points_->Value();
                break;
            case ids::kCombo1:
                v = combo1_->currentIndex() >= 0 ? double(combo1Values_.at(combo1_->currentIndex()))
                                                 : r.Number();
                break;
            case ids::kWaveFile:
                r.text = file_->text().toStdString();
                continue;
            default: {
                const std::optional<double> typed = ywin::ItemDouble(this, b.control);
                if (!typed) {
                    if (QWidget* w = ywin::FindItem(this, b.control)) w->setFocus();
                    return false;
                }
                v = *typed / b.scale;
            }
        }
        if (r.isReal)
            r.value = v;
        else
            r.intValue = static_cast<std::int32_t>(std::lround(v));
    }
    return true;
}

void GeneratorPage::BrowseWaveFile() {
    auto chosen = context_.chooser.OpenFile("Select Wave File", "PCM Wavefile (*.WAV)|*.WAV|");
    if (!chosen) return;
    const std::string path = chosen->string();
    if (context_.hooks.isPcmWaveFile && !context_.hooks.isPcmWaveFile(path)) {
        context_.prompt.Show(kNotPcmMessage, platform::PromptIcon::Error);
        return;
    }
    file_->setText(QString::fromStdString(path));
}

bool GeneratorPage::OnApply() {
    // Levels: dBr in the field, linear in the record, never above 0 dBr.
    double levels[2];
    QLineEdit* fields[2] = {levelA_, levelB_};
    for (int i = 0; i < 2; ++i) {
        const std::optional<double> db = ywin::ParseField(fields[i]->text());
        const double level = db ? std::pow(10.0, *db / 20.0) : 2.0;
        if (!(level <= 1.0)) {
            fields[i]->setText(QStringLiteral("0 dBr"));
            fields[i]->setFocus();
            return false;
        }
        levels[i] = level;
    }
    WaveformParams params = params_, analysis = analysis_;
    if (!ReadBack(params, analysis)) return false;
    MeasConfig& c = Config();
    if (blockStartStop_) {
        const std::optional<double> start = ywin::ParseField(start_->text());
        const std::optional<double> stop = ywin::ParseField(stop_->text());
        if (!start || !stop) {
            (!start ? start_ : stop_)->setFocus();
            return false;
        }
        const StartStop s = ClampStartStop(*start, *stop, c.SampleRate());
        c.SetF64(off::kStart, s.start);
        c.SetF64(off::kStop, s.stop);
    }
    if (blockLinear_ && ywin::FindItem(this, ids::kPoints) &&
        bound_.end() == std::find_if(bound_.begin(), bound_.end(),
                                     [](const Bound& b) { return b.control == ids::kPoints; })) {
        const bool amplitude = c.ModuleId() == kModuleAmplitudeSweep;
        if (!amplitude) c.SetFlag(off::kGenFlags, kGenLinearSweep, linear_->isChecked());
        if (amplitude || linear_->isChecked())
            c.SetI32(off::kPoints, points_->IntValue());
        else
            c.SetI32(off::kPointsPerOctave, points_->IntValue());
    }
    if (startRecord_ >= 0 && stopRecord_ >= 0) {
        const StartStop s =
            ClampStartStop(params.at(startRecord_).Number(), params.at(stopRecord_).Number(), c.SampleRate());
        c.SetF64(off::kStart, s.start);
        c.SetF64(off::kStop, s.stop);
    }
    c.SetF64(off::kLevelA, levels[0]);
    c.SetF64(off::kLevelB, levels[1]);
    context_.settings.RefreshModules();
    if (IWaveform* m = Module()) {
        if (!m->SetParams(params)) m->SetParams(params);
        if (!m->SetAnalysisParams(analysis)) m->SetAnalysisParams(analysis);
        m->SetDither(dither_->currentIndex());
    }
    if (WasActivated()) context_.settings.MarkChanged();
    Keep();
    Build();
    levelA_->setText(LevelText(levels[0]));
    levelB_->setText(LevelText(levels[1]));
    return true;
}

}  // namespace sonbex::measurement
