#include "Sonbex/Measurement/SettingsRules.h"
#include "Sonbex/Measurement/ui/MeasSettingsIds.h"
#include "Sonbex/Measurement/ui/MeasurementSettings.h"
#include "YWin/YDialogItems.h"
#include "YWin/YSpinButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace sonbex::measurement {

using ywin::WithItemId;

namespace {

constexpr int kModuleLogSweep = 1003;

bool IsPolar(int type) { return type == kTypePolar || type == kTypePolarEt1 || type == kTypePolarEt2; }
bool IsImpedance(int type) { return type >= kTypeImpedance && type <= kTypeDeltaCompliance; }

}  // namespace

AnalyzerPage::AnalyzerPage(MeasSettingsContext& context, QWidget* parent)
    : MeasSettingsPage(context, kAnalyzerOffset, kAnalyzerSize, "analyzer", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    what_ = WithItemId(new QComboBox(this), ids::kWhat);
    form->addRow(tr("What"), what_);
    size_ = WithItemId(new QComboBox(this), ids::kFftSize);
    size_->addItem(QStringLiteral(" Auto"), -1);
    for (int n = 10; n <= 20; ++n) size_->addItem(QStringLiteral(" %1 pts").arg(1L << n), n);
    window_ = WithItemId(new QComboBox(this), ids::kWindow);
    for (int e = 0; e < WindowEntryCount(); ++e) {
        const WindowChoice w = WindowFromEntry(e);
        const QString name = QString::fromStdString(WindowName(w.type));
        window_->addItem(w.half ? QStringLiteral(" ½ %1").arg(name) : QStringLiteral(" %1").arg(name));
    }
    form->addRow(tr("Size"), size_);
    form->addRow(tr("Window"), window_);
    timeWindow_ = WithItemId(new QLineEdit(this), ids::kTimeWindow);
    startMode_ = WithItemId(new QComboBox(this), ids::kStartMode);
    for (const char* t : {" Normal", " Delay Free", " Auto", " Manual"}) startMode_->addItem(t);
    startOffset_ = WithItemId(new QLineEdit(this), ids::kStartOffset);
    addDelay_ = WithItemId(new QCheckBox(tr("Add delay"), this), ids::kAddDelay);
    form->addRow(tr("Time window (ms)"), timeWindow_);
    form->addRow(tr("Start"), startMode_);
    form->addRow(tr("Start offset (ms)"), startOffset_);
    form->addRow(addDelay_);
    layout->addLayout(form);

    auto* polar = new QGroupBox(tr("Polar"), this);
    auto* polarForm = new QFormLayout(polar);
    stepAngle_ = WithItemId(new QLineEdit(polar), ids::kStepAngle);
    symmetric_ = WithItemId(new QCheckBox(tr("-90 - +90 deg"), polar), ids::kSymmetric);
    mirror_ = WithItemId(new QCheckBox(tr("Mirror half"), polar), ids::kMirrorHalf);
    hwSettings_ = WithItemId(new QPushButton(tr("HW Settings"), polar), ids::kHwSettings);
    polarForm->addRow(tr("Step angle (deg)"), stepAngle_);
    polarForm->addRow(symmetric_, mirror_);
    polarForm->addRow(hwSettings_);
    layout->addWidget(polar);
    connect(hwSettings_, &QPushButton::clicked, this, [this] {
        if (!context_.hooks.turntable) return;
        if (std::optional<int> v = context_.hooks.turntable(what_->currentData().toInt()))
            Config().SetI32(off::kTurntable, *v);
    });

    auto* run = new QFormLayout;
    averages_ = WithItemId(new ywin::YIntSpinButton(1, 4096, 1, this), ids::kAverages);
    warmUp_ = WithItemId(new QCheckBox(tr("One &warm up stimulus"), this), ids::kWarmUp);
    accuracy_ = WithItemId(new QComboBox(this), ids::kAccuracy);
    for (const char* t : {" Low", " Medium", " High", " Very High"}) accuracy_->addItem(t);
    inputA_ = WithItemId(new QRadioButton(tr("Channel &A"), this), ids::kInputA);
    inputB_ = WithItemId(new QRadioButton(tr("Channel &B"), this), ids::kInputB);
    auto* limits = WithItemId(new QPushButton(tr("&Limits"), this), ids::kLimits);
    limits->setEnabled(static_cast<bool>(context_.hooks.limits));
    connect(limits, &QPushButton::clicked, this, [this] { context_.hooks.limits(); });
    run->addRow(tr("# Averages"), averages_);
    run->addRow(warmUp_);
    run->addRow(tr("Accuracy"), accuracy_);
    auto* inputs = new QHBoxLayout;
    inputs->addWidget(inputA_);
    inputs->addWidget(inputB_);
    run->addRow(tr("Selected Input"), inputs);
    run->addRow(limits);
    layout->addLayout(run);
    layout->addStretch();
    AddHelp(layout);

    connect(what_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabling(); });
    connect(startMode_, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabling(); });
    Fill();
}

void AnalyzerPage::Fill() {
    MeasConfig& c = Config();
    const int module = c.ModuleId();
    if (builtFor_ >= 0 && builtFor_ != module) {
        // Another stimulus: one period of the lowest frequency it plays.
        const double f = std::min(c.StartFrequency(), c.Frequency());
        if (f > 0.0) c.SetF64(off::kTimeWindow, 1.0 / f);
        c.SetF64(off::kStartOffset, 0.0);
    }
    builtFor_ = module;
    {
        QSignalBlocker block(what_);
        what_->clear();
        for (int type : OfferedTypes(module)) what_->addItem(QString::fromStdString(TypeText(type)), type);
        const int i = what_->findData(c.MeasurementType());
        what_->setCurrentIndex(i >= 0 ? i : 0);
    }
    const int fft = c.FftSize();
    size_->setCurrentIndex(std::max(0, size_->findData(fft)));
    window_->setCurrentIndex(WindowEntry({c.FftWindow(), c.Has(kAnaHalfWindow)}));
    timeWindow_->setText(ywin::FormatField(c.TimeWindow() * 1000.0, 4));
    startMode_->setCurrentIndex(std::clamp(c.StartMode(), 0, 3));
    startOffset_->setText(ywin::FormatField(c.StartOffset() * 1000.0, 4));
    addDelay_->setChecked(c.Has(kAnaAddDelay));
    stepAngle_->setText(ywin::FormatField(c.F64(off::kPolarStep), 2));
    symmetric_->setChecked(c.Has(kAnaSymmetricPolar));
    mirror_->setChecked(c.Has(kAnaMirrorHalf));
    averages_->SetValue(std::clamp(c.Averages(), 1, 4096));
    warmUp_->setChecked(c.Has(kAnaWarmUp));
    accuracy_->setCurrentIndex(std::clamp<int>(c.U16(off::kAccuracy), 0, 3));
    (c.SelectedInput() == 2 ? inputB_ : inputA_)->setChecked(true);
    ApplyWindowRule();
    UpdateEnabling();
}

void AnalyzerPage::ApplyWindowRule() {
    const int module = context_.settings.Config().ModuleId();
    const bool logSweep = module == kModuleLogSweep;
    if (logSweep) {
        size_->setCurrentIndex(0);
        window_->setCurrentIndex(0);
    } else {
        window_->setCurrentIndex(
            WindowEntry(HalfWindowRule(module, WindowFromEntry(window_->currentIndex()))));
    }
    size_->setEnabled(!logSweep);
    window_->setEnabled(!logSweep);
}

void AnalyzerPage::UpdateEnabling() {
    const int type = what_->currentData().toInt();
    if (IsImpedance(type)) inputA_->setChecked(true);
    inputB_->setEnabled(!IsImpedance(type));
    const bool polar = IsPolar(type);
    for (QWidget* w : std::initializer_list<QWidget*>{stepAngle_, symmetric_, mirror_}) w->setEnabled(polar);
    hwSettings_->setVisible(type == kTypePolarEt1 || type == kTypePolarEt2);
    hwSettings_->setEnabled(static_cast<bool>(context_.hooks.turntable));
    // The analyzer block's time window serves modules of the impulse group.
    const bool block = ModuleGroup(context_.settings.Config().ModuleId()) == 2000;
    const bool manual = startMode_->currentIndex() == 3;
    timeWindow_->setEnabled(block);
    startMode_->setEnabled(block);
    startOffset_->setEnabled(block && manual);
    addDelay_->setEnabled(block && manual);
}

void AnalyzerPage::OnActivate() {
    Activated();
    Fill();
}

bool AnalyzerPage::OnApply() {
    MeasConfig& c = Config();
    const std::optional<double> window = ywin::ParseField(timeWindow_->text());
    if (!window || !(*window > 0.0)) {
        timeWindow_->setText(ywin::FormatField(c.TimeWindow() * 1000.0, 4));
        timeWindow_->setFocus();
        return false;
    }
    const std::optional<double> offset = ywin::ParseField(startOffset_->text());
    if (!offset) {
        startOffset_->setText(ywin::FormatField(c.StartOffset() * 1000.0, 4));
        startOffset_->setFocus();
        return false;
    }
    const std::optional<double> step = ywin::ParseField(stepAngle_->text());
    if (builtFor_ != c.ModuleId()) Fill();
    ApplyWindowRule();
    const int type = what_->currentData().toInt();
    c.SetU16(off::kMeasType, static_cast<std::uint16_t>(type));
    c.SetI16(off::kFftSize, static_cast<std::int16_t>(size_->currentData().toInt()));
    const WindowChoice w = WindowFromEntry(window_->currentIndex());
    c.SetI16(off::kFftWindow, static_cast<std::int16_t>(w.type));
    c.Set(kAnaHalfWindow, w.half);
    c.SetF64(off::kTimeWindow, *window / 1000.0);
    const int mode = startMode_->currentIndex();
    c.SetU16(off::kStartMode, static_cast<std::uint16_t>(mode));
    c.SetF64(off::kStartOffset, *offset / 1000.0);
    c.Set(kAnaAddDelay, mode == 3 && addDelay_->isChecked());
    if (step) c.SetF64(off::kPolarStep, ClampPolarStep(*step));
    stepAngle_->setText(ywin::FormatField(c.F64(off::kPolarStep), 2));
    c.Set(kAnaSymmetricPolar, symmetric_->isChecked());
    c.Set(kAnaMirrorHalf, mirror_->isChecked());
    c.SetU16(off::kAverages, static_cast<std::uint16_t>(averages_->IntValue()));
    c.Set(kAnaWarmUp, warmUp_->isChecked());
    c.SetU16(off::kAccuracy, static_cast<std::uint16_t>(accuracy_->currentIndex()));
    c.SetI16(off::kInput, inputB_->isChecked() && !IsImpedance(type) ? 2 : 1);

    // QC limits: a test of the wrong kind is switched off, a limit file on
    // another frequency scale removed.
    const int qc = c.I16(off::kQcTest);
    if ((qc == 1 && type != kTypeFrequency) || (qc == 2 && type != kTypeImpedance)) c.SetI16(off::kQcTest, 0);
    if (c.I16(off::kQcTest) != 0 && context_.hooks.limitScaleMatches) {
        const struct {
            std::size_t file;
            const char* message;
        } limits[] = {{off::kUpperFile, kUpperScaleMessage}, {off::kLowerFile, kLowerScaleMessage}};
        for (const auto& l : limits) {
            const std::string file = c.Text(l.file, kPathField);
            if (!file.empty() && !context_.hooks.limitScaleMatches(file, c)) {
                context_.prompt.Show(l.message, platform::PromptIcon::Warning);
                c.SetText(l.file, kPathField, "");
            }
        }
        if (c.Text(off::kUpperFile, kPathField).empty() && c.Text(off::kLowerFile, kPathField).empty())
            c.SetI16(off::kQcTest, 0);
    }
    context_.settings.RefreshModules();
    if (WasActivated()) context_.settings.MarkChanged();
    Keep();
    return true;
}

}  // namespace sonbex::measurement
