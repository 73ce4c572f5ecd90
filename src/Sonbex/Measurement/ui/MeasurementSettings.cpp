#include "Sonbex/Measurement/ui/MeasurementSettings.h"

#include "Sonbex/Measurement/SettingsRules.h"
#include "Sonbex/Measurement/ui/MeasSettingsIds.h"
#include "YWave/IWaveBackend.h"
#include "YWin/YDialogItems.h"
#include "YWin/YSpinButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace sonbex::measurement {

using ywin::WithItemId;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPushButton* Button(const QString& text, int id, QWidget* parent, const std::function<void()>& action) {
    auto* b = WithItemId(new QPushButton(text, parent), id);
    b->setEnabled(static_cast<bool>(action));
    if (action) QObject::connect(b, &QPushButton::clicked, parent, [action] { action(); });
    return b;
}

// Selects the entry whose data is `value`, else the first; -1 for an empty list.
int SelectData(QComboBox* box, int value) {
    const int i = box->findData(value);
    box->setCurrentIndex(i >= 0 ? i : (box->count() > 0 ? 0 : -1));
    return box->currentIndex();
}

}  // namespace

// ---------------------------------------------------------------- page base

MeasSettingsPage::MeasSettingsPage(MeasSettingsContext& context, std::size_t offset, std::size_t size,
                                   const char* anchor, QWidget* parent)
    : YPropSheet(parent),
      context_(context),
      offset_(offset),
      size_(size),
      anchor_(anchor),
      kept_(context.settings.Config()) {}

void MeasSettingsPage::OnCancel() { Config().CopyRange(kept_, offset_, size_); }

void MeasSettingsPage::Keep() { kept_ = context_.settings.Config(); }

void MeasSettingsPage::AddHelp(QLayout* layout) {
    auto help = context_.hooks.help;
    std::function<void()> show;
    if (help) show = [help] { help(kSettingsHelpPage); };
    layout->addWidget(Button(tr("Help"), ids::kPageHelp, this, show));
}

// ---------------------------------------------------------------- hardware

HardwarePage::HardwarePage(MeasSettingsContext& context, QWidget* parent)
    : MeasSettingsPage(context, kHardwareEditOffset, kHardwareEditSize, "hardware", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* devices = new QGroupBox(tr("Soundcard"), this);
    auto* form = new QFormLayout(devices);
    in_ = WithItemId(new QComboBox(devices), ids::kInDevice);
    out_ = WithItemId(new QComboBox(devices), ids::kOutDevice);
    rate_ = WithItemId(new QComboBox(devices), ids::kSampleRate);
    bits_ = WithItemId(new QComboBox(devices), ids::kBits);
    channels_ = WithItemId(new QComboBox(devices), ids::kChannels);
    inputLine_ = WithItemId(new QComboBox(devices), ids::kInputLine);
    form->addRow(tr("In device"), in_);
    form->addRow(tr("Out device"), out_);
    form->addRow(tr("Sample rate"), rate_);
    form->addRow(tr("Bits"), bits_);
    form->addRow(tr("Ch"), channels_);
    form->addRow(tr("Input"), inputLine_);
    auto* row = new QHBoxLayout;
    row->addWidget(Button(tr("Advanced"), ids::kAdvanced, devices, [this] { Advanced(); }));
    row->addWidget(Button(tr("&Mixer"), ids::kMixer, devices, context_.hooks.mixer));
    form->addRow(row);
    layout->addWidget(devices);

    auto* cal = new QGroupBox(tr("Calibration"), this);
    auto* calForm = new QFormLayout(cal);
    dual_ = WithItemId(new QCheckBox(tr("&Dual Channel FFT"), cal), ids::kDualChannel);
    linearity_ = WithItemId(new QCheckBox(tr("&Use linearity calibration"), cal), ids::kUseLinearity);
    status_ = WithItemId(new QLabel(cal), ids::kLinearityStatus);
    calForm->addRow(dual_);
    calForm->addRow(linearity_);
    calForm->addRow(tr("Status:"), status_);
    auto* calRow = new QHBoxLayout;
    calRow->addWidget(
        Button(tr("Calibrate Li&nearity"), ids::kCalibrateLinearity, cal, context_.hooks.calibrateLinearity));
    calRow->addWidget(
        Button(tr("Calibrate &Levels"), ids::kCalibrateLevels, cal, context_.hooks.calibrateLevels));
    calForm->addRow(calRow);
    layout->addWidget(cal);

    auto* jig = new QGroupBox(tr("Impedance"), this);
    auto* jigForm = new QFormLayout(jig);
    measBox_ = WithItemId(new QComboBox(jig), ids::kMeasBox);
    for (const char* t : {" None...", " Version 1", " Version 2", " Version 3"}) measBox_->addItem(t);
    zMethod_ = WithItemId(new QComboBox(jig), ids::kZMethod);
    for (const char* t : {" Built in above...", " Constant current", " Constant voltage"})
        zMethod_->addItem(t);
    jigForm->addRow(tr("Meas. box"), measBox_);
    jigForm->addRow(tr("Z Method"), zMethod_);
    jigForm->addRow(Button(tr("Calibrate &Z"), ids::kCalibrateZ, jig, [this] { CalibrateImpedance(); }));
    layout->addWidget(jig);
    layout->addStretch();
    AddHelp(layout);

    in_->addItem(QStringLiteral(" Default device"));
    out_->addItem(QStringLiteral(" Default device"));
    if (context_.devices)
        for (const YWaveDevice& d : context_.devices->Devices()) {
            in_->addItem(Q(" " + d.name));
            out_->addItem(Q(" " + d.name));
        }
    Load();
    connect(in_, &QComboBox::currentIndexChanged, this, [this] { Probe(); });
    connect(out_, &QComboBox::currentIndexChanged, this, [this] { Probe(); });
}

void HardwarePage::Load() {
    const MeasConfig& c = context_.settings.Config();
    QSignalBlocker a(in_), b(out_);
    in_->setCurrentIndex(std::min<int>(c.U16(off::kInDevice), in_->count() - 1));
    out_->setCurrentIndex(std::min<int>(c.U16(off::kOutDevice), out_->count() - 1));
    inputLine_->clear();
    const int line = c.U16(off::kMixerInputLine);
    for (int i = 0; i <= std::max(line, 7); ++i) inputLine_->addItem(QStringLiteral(" Line %1").arg(i + 1));
    inputLine_->setCurrentIndex(line);
    inputLine_->setEnabled(!c.Has(kHwNoInputSelect));
    dual_->setChecked(c.Has(kHwDualChannel));
    const bool exists = context_.hooks.linearityExists && context_.hooks.linearityExists();
    linearity_->setEnabled(exists);
    linearity_->setChecked(exists && c.Has(kHwLinearityCal));
    status_->setText(exists ? QStringLiteral("Yes") : QStringLiteral("No"));
    const int box = c.I16(off::kMeasBox);
    measBox_->setCurrentIndex(box >= 0 && box <= 3 ? box : 0);
    ywin::EnableItem(this, ids::kMixer, context_.hooks.mixer && box != 4 && box != 5);
    const int z = c.I16(off::kZMethod);
    zMethod_->setCurrentIndex(z >= 0 && z <= 2 ? z : 0);
    Probe();
}

void HardwarePage::Probe() {
    const MeasConfig& c = context_.settings.Config();
    rate_->clear();
    bits_->clear();
    channels_->clear();
    FormatChoices f;
    if (context_.devices)
        f = ProbeFormats(*context_.devices, in_->currentIndex() - 1, out_->currentIndex() - 1,
                         c.Has(kHwCheck192k));
    for (int r : f.rates) rate_->addItem(QStringLiteral("%1 Hz").arg(r), r);
    for (int b : f.bits) bits_->addItem(QStringLiteral(" %1").arg(b), b);
    for (int ch : f.channels) channels_->addItem(QStringLiteral(" 2 : %1").arg(ch), ch);
    SelectData(rate_, static_cast<int>(std::lround(c.SampleRate())));
    SelectData(bits_, c.Bits());
    SelectData(channels_, c.OutChannels());
}

void HardwarePage::OnActivate() { Activated(); }

void HardwarePage::Advanced() {
    advanced_ = context_.settings.Config();
    auto* dialog = new AdvancedHardwareDialog(advanced_, this);
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        if (result == QDialog::Accepted) {
            Config().CopyRange(advanced_, kHardwareEditOffset, kHardwareEditSize);
            Probe();
            inputLine_->setEnabled(!Config().Has(kHwNoInputSelect));
        }
        dialog->deleteLater();
    });
    dialog->Create(context_.modal);
}

void HardwarePage::CalibrateImpedance() {
    const int type = Config().MeasurementType();
    if (type < kTypeImpedance || type > kTypeDeltaCompliance) {
        context_.prompt.Show(kNotImpedanceMessage, platform::PromptIcon::Error, platform::PromptButtons::Ok,
                             kErrorCaption);
        return;
    }
    if (context_.hooks.calibrateImpedance) context_.hooks.calibrateImpedance();
}

bool HardwarePage::OnApply() {
    MeasConfig& c = Config();
    c.SetU16(off::kInDevice, static_cast<std::uint16_t>(std::max(0, in_->currentIndex())));
    c.SetU16(off::kOutDevice, static_cast<std::uint16_t>(std::max(0, out_->currentIndex())));
    if (rate_->currentIndex() >= 0) c.SetF64(off::kSampleRate, rate_->currentData().toInt());
    if (bits_->currentIndex() >= 0)
        c.SetU16(off::kBits, static_cast<std::uint16_t>(bits_->currentData().toInt()));
    if (channels_->currentIndex() >= 0)
        c.SetU16(off::kOutChannels, static_cast<std::uint16_t>(channels_->currentData().toInt()));
    if (inputLine_->currentIndex() >= 0)
        c.SetU16(off::kMixerInputLine, static_cast<std::uint16_t>(inputLine_->currentIndex()));
    const int box = c.I16(off::kMeasBox);
    if (box >= 0 && box <= 3) c.SetI16(off::kMeasBox, static_cast<std::int16_t>(measBox_->currentIndex()));
    int z = zMethod_->currentIndex();
    if (c.F64(off::kCcResistor) <= 0.0 && c.F64(off::kCvResistor) <= 0.0) z = 0;
    c.SetI16(off::kZMethod, static_cast<std::int16_t>(z));
    zMethod_->setCurrentIndex(z);
    c.Set(kHwDualChannel, dual_->isChecked());
    if (linearity_->isEnabled())
        c.Set(kHwLinearityCal, linearity_->isChecked());
    else
        c.Set(kHwLinearityCal, false);
    context_.settings.RefreshModules();
    Keep();
    return true;
}

// ---------------------------------------------------------------- advanced

AdvancedHardwareDialog::AdvancedHardwareDialog(MeasConfig& config, QWidget* parent)
    : YDial(parent), config_(config) {
    setWindowTitle(tr(kAdvancedTitle));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    bufferSize_ = WithItemId(new QLineEdit(this), ids::kBufferSize);
    bufferSize_->setText(QString::number(config.BufferFrames()));
    bufferCount_ = WithItemId(new ywin::YIntSpinButton(4, 256, 1, this), ids::kBufferCount);
    bufferCount_->SetValue(std::clamp(config.BufferCount(), 4, 256));
    form->addRow(tr("Buffer size (samples)"), bufferSize_);
    form->addRow(tr("No. Buffers"), bufferCount_);
    layout->addLayout(form);
    const struct {
        const char* text;
        std::uint32_t bit;
        int id;
    } checks[] = {{"Reverse channels", kHwReverseChannels, ids::kReverse},
                  {"Invert waveform", kHwInvert, ids::kInvert},
                  {"Phase correction (ICE 1712 chip)", kHwPhaseCorrection, ids::kPhaseCorrection},
                  {"Check for 192 kHz support", kHwCheck192k, ids::kCheck192k},
                  {"Don't select input on soundcard", kHwNoInputSelect, ids::kNoInputSelect},
                  {"Don't mute inputs on soundcard", kHwNoInputMute, ids::kNoInputMute}};
    for (const auto& c : checks) {
        auto* box = WithItemId(new QCheckBox(tr(c.text), this), c.id);
        box->setChecked((config.HardwareFlags() & c.bit) != 0);
        flags_.push_back({box, c.bit});
        layout->addWidget(box);
    }
    auto* engine = new QGroupBox(tr("Wave engine"), this);
    auto* engineRow = new QHBoxLayout(engine);
    vxd_ = WithItemId(new QRadioButton(QStringLiteral("VXD (Win 9x/Me)"), engine), ids::kVxd);
    wdm_ = WithItemId(new QRadioButton(QStringLiteral("WDM (Win 2K/XP)"), engine), ids::kWdm);
    auto* asio = WithItemId(new QRadioButton(QStringLiteral("ASIO"), engine), ids::kAsio);
    asio->setEnabled(false);
    engineRow->addWidget(vxd_);
    engineRow->addWidget(wdm_);
    engineRow->addWidget(asio);
    (config.U16(off::kDriverModel) == 0 ? vxd_ : wdm_)->setChecked(true);
    layout->addWidget(engine);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AdvancedHardwareDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AdvancedHardwareDialog::reject);
    layout->addWidget(buttons);
}

void AdvancedHardwareDialog::accept() {
    if (std::optional<int> frames = ywin::ParseIntField(bufferSize_->text()))
        config_.SetI32(off::kBufferFrames, std::max(*frames, 20));
    config_.SetU16(off::kBufferCount, static_cast<std::uint16_t>(bufferCount_->IntValue()));
    for (const auto& [box, bit] : flags_) config_.SetFlag(off::kHardwareFlags, bit, box->isChecked());
    config_.SetU16(off::kDriverModel, vxd_->isChecked() ? 0 : 1);
    YDial::accept();
}

// ---------------------------------------------------------------- post processing

PostProcPage::PostProcPage(MeasSettingsContext& context, QWidget* parent)
    : MeasSettingsPage(context, kAnalyzerOffset, kAnalyzerSize, "post-processing", parent) {
    auto* layout = new QVBoxLayout(this);
    adaptive_ = WithItemId(new QCheckBox(tr("Adaptive filter on PIR"), this), ids::kAdaptiveFilter);
    smoothFrequency_ =
        WithItemId(new QCheckBox(tr("Smooth frequency response"), this), ids::kSmoothFrequency);
    smoothImpedance_ = WithItemId(new QCheckBox(tr("Smooth impedance"), this), ids::kSmoothImpedance);
    layout->addWidget(adaptive_);
    layout->addWidget(smoothFrequency_);
    layout->addWidget(smoothImpedance_);
    layout->addWidget(WithItemId(new QLabel(tr(kPostProcNote), this), ids::kPostNote));
    layout->addStretch();
    AddHelp(layout);
    Load();
}

void PostProcPage::Load() {
    const MeasConfig& c = context_.settings.Config();
    adaptive_->setChecked(c.Has(kAnaAdaptiveFilter));
    smoothFrequency_->setChecked(c.Has(kAnaSmoothFrequency));
    smoothImpedance_->setChecked(c.Has(kAnaSmoothImpedance));
}

void PostProcPage::OnActivate() { Activated(); }

bool PostProcPage::OnApply() {
    MeasConfig& c = Config();
    c.Set(kAnaAdaptiveFilter, adaptive_->isChecked());
    c.Set(kAnaSmoothFrequency, smoothFrequency_->isChecked());
    c.Set(kAnaSmoothImpedance, smoothImpedance_->isChecked());
    if (WasActivated()) context_.settings.MarkChanged();
    Keep();
    return true;
}

// ---------------------------------------------------------------- microphone

MicrophonePage::MicrophonePage(MeasSettingsContext& context, QWidget* parent)
    : MeasSettingsPage(context, kMicrophoneOffset, kMicrophoneSize, "microphone", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    microphone_ = WithItemId(new QComboBox(this), ids::kMicrophone);
    sensitivity_ = WithItemId(new QLineEdit(this), ids::kSensitivity);
    use_ = WithItemId(new QCheckBox(tr("Use microphone comp..."), this), ids::kUseMicComp);
    form->addRow(tr("Microphone"), microphone_);
    form->addRow(tr("Sensitivity (mV/Pa)"), sensitivity_);
    form->addRow(use_);
    layout->addLayout(form);
    auto* note = WithItemId(new QLabel(this), ids::kMicNote);
    layout->addWidget(note);
    layout->addStretch();
    AddHelp(layout);
    if (context_.microphones) entries_ = context_.microphones->List();
    for (const MicrophoneEntry& e : entries_) microphone_->addItem(Q(" " + e.name));
    microphone_->setEnabled(!entries_.empty());
    note->setText(entries_.empty() ? tr(kNoMicrophonesNote) : QString());
    Load();
    connect(microphone_, &QComboBox::currentIndexChanged, this, [this](int i) { ChooseMicrophone(i); });
}

void MicrophonePage::Load() {
    const MeasConfig& c = context_.settings.Config();
    const QString stored = Q(c.MicFile());
    QSignalBlocker block(microphone_);
    int chosen = entries_.empty() ? -1 : 0;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (Q(entries_[i].name).compare(stored, Qt::CaseInsensitive) == 0) chosen = static_cast<int>(i);
    microphone_->setCurrentIndex(chosen);
    sensitivity_->setText(ywin::FormatField(c.MicSensitivity() * 1000.0, 2));
    use_->setChecked(c.UseMicCompensation());
}

void MicrophonePage::ChooseMicrophone(int index) {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return;
    const double s = entries_[index].sensitivity.value_or(context_.settings.Config().MicSensitivity());
    sensitivity_->setText(ywin::FormatField(s * 1000.0, 2));
}

void MicrophonePage::OnActivate() { Activated(); }

bool MicrophonePage::OnApply() {
    const std::optional<double> mv = ywin::ParseField(sensitivity_->text());
    if (!mv || *mv < 0.0) {
        sensitivity_->setText(QStringLiteral("0"));
        sensitivity_->setFocus();
        return false;
    }
    MeasConfig& c = Config();
    const int i = microphone_->currentIndex();
    if (i >= 0 && i < static_cast<int>(entries_.size()))
        c.SetText(off::kMicFile, kPathField, entries_[i].name);
    c.SetF64(off::kMicSensitivity, *mv / 1000.0);
    c.SetFlag(off::kMicFlags, 1, use_->isChecked());
    if (context_.microphones && !c.MicFile().empty()) context_.microphones->LoadCompensation(c.MicFile());
    if (WasActivated()) {
        context_.settings.SaveToRegistry();
        context_.settings.MarkChanged();
    }
    Keep();
    return true;
}

// ---------------------------------------------------------------- the sheet

MeasurementSettings::MeasurementSettings(MeasSettingsContext& context, QWidget* parent)
    : YPropDlg(tr(kSettingsTitle), parent) {
    hardware_ = new HardwarePage(context);
    generator_ = new GeneratorPage(context);
    analyzer_ = new AnalyzerPage(context);
    postProc_ = new PostProcPage(context);
    microphone_ = new MicrophonePage(context);
    AddPage(hardware_, tr("Hardware"));
    AddPage(generator_, tr("Generator"));
    AddPage(analyzer_, tr("Analyzer"));
    AddPage(postProc_, tr("Post Proc."));
    AddPage(microphone_, tr("Microphone"));
}

}  // namespace sonbex::measurement
