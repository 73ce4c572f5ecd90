#include "Sonbex/Measurement/ui/LevelsWindow.h"

#include "Platform/NumberText.h"
#include "Platform/WorkerThread.h"
#include "YWave/YLevelMath.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace sonbex::measurement {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
QColor C(const YMeterColor& c) { return QColor(c.r, c.g, c.b); }
constexpr int kShrunkWidth = 66;
constexpr int kHelpTopic = 1610;

// Runs `task` on the GUI thread while `guard` lives.
void OnGui(QObject* guard, std::function<void()> task) {
    QPointer<QObject> p = guard;
    QMetaObject::invokeMethod(
        guard,
        [p, task = std::move(task)] {
            if (p) task();
        },
        Qt::QueuedConnection);
}
}  // namespace

// ---- meter

LevelMeterWidget::LevelMeterWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("id1096");
    setMinimumSize(56, 200);
}

void LevelMeterWidget::SetLevels(double a, double b, bool overload) {
    a_ = a;
    b_ = b;
    overload_ = overload;
    update();
}

void LevelMeterWidget::paintEvent(QPaintEvent*) {
    meter_.Advance(a_, b_);
    QPainter p(this);
    p.fillRect(rect(), C(YLevelMeter::Background(overload_)));
    for (const YMeterSegment& s : meter_.Segments(width(), height(), a_, b_))
        p.fillRect(QRect(s.rect.x, s.rect.y, s.rect.w, s.rect.h), C(s.color));
    QFont font("Arial");
    font.setPixelSize(9);
    p.setFont(font);
    for (const YMeterLabel& l : meter_.Labels(width(), height())) {
        p.setPen(C(l.color));
        p.drawText(QRect(l.x - 12, l.y - 6, 24, 12), Qt::AlignCenter, Q(l.text));
    }
}

// ---- sliders

YVolPanSlider::YVolPanSlider(YMixer& mixer, YMixerRole role, QSlider* volume, QSlider* pan, QObject* parent)
    : QObject(parent), mixer_(mixer), role_(role), volume_(volume), pan_(pan) {
    volume_->setRange(0, 1000);
    volume_->setTickInterval(125);
    volume_->setTickPosition(QSlider::TicksRight);
    pan_->setRange(-1000, 1000);
    for (QSlider* s : {volume_, pan_}) {
        connect(s, &QSlider::valueChanged, this, [this, s] {
            if (showing_) return;
            Apply();
            if (!s->isSliderDown() && onChanged) onChanged();
        });
        connect(s, &QSlider::sliderReleased, this, [this] {
            if (onChanged) onChanged();
        });
    }
}

void YVolPanSlider::Show(bool panLocked, bool enabled) {
    panLocked_ = panLocked;
    MixerLine line;
    std::uint32_t l = 0, r = 0;
    const bool has = mixer_.Line(role_, line) && line.HasVolume() && mixer_.GetVolume(role_, l, r);
    showing_ = true;
    volume_->setValue(has ? YSliderVolume(l, r, line.minimum, line.maximum) : 0);
    pan_->setValue(has && !panLocked ? YSliderPan(l, r, line.minimum, line.maximum) : 0);
    showing_ = false;
    volume_->setEnabled(has && line.settable && enabled);
    pan_->setEnabled(has && line.settable && enabled && !panLocked && line.channels >= 2);
}

void YVolPanSlider::Apply() {
    MixerLine line;
    if (!mixer_.Line(role_, line) || !line.HasVolume()) return;
    std::uint32_t l = 0, r = 0;
    YSlidersToLine(volume_->value(), pan_->value(), panLocked_ || line.channels < 2, line.minimum,
                   line.maximum, l, r);
    mixer_.SetVolume(role_, l, r);
}

// ---- the window

LevelsWindow::LevelsWindow(YMixer& mixer, LevelsWindowServices services, QWidget* parent)
    : YDial(parent), mixer_(mixer), services_(std::move(services)) {
    setWindowTitle("Level's");
    setObjectName("LevelsWindow");
    auto* top = new QHBoxLayout(this);
    meter_ = new LevelMeterWidget(this);
    top->addWidget(meter_);

    auto* panel = new QWidget(this);
    panel->setObjectName("panel");
    auto* grid = new QGridLayout(panel);
    struct Pair {
        const char* caption;
        int volumeId, panId;
        YMixerRole role;
    } pairs[] = {{"Master Out", 1097, 1098, YMixerRole::MasterOut},
                 {"Wave", 1100, 1101, YMixerRole::Wave},
                 {"Master In", 1103, 1104, YMixerRole::MasterIn},
                 {"Input", 1106, 1043, YMixerRole::Input}};
    for (int i = 0; i < 4; ++i) {
        auto* caption = new QLabel(pairs[i].caption, panel);
        auto* volume = new QSlider(Qt::Vertical, panel);
        volume->setObjectName(QString("id%1").arg(pairs[i].volumeId));
        auto* pan = new QSlider(Qt::Horizontal, panel);
        pan->setObjectName(QString("id%1").arg(pairs[i].panId));
        grid->addWidget(caption, 0, i);
        grid->addWidget(volume, 1, i, Qt::AlignHCenter);
        grid->addWidget(pan, 2, i);
        auto* s = new YVolPanSlider(mixer_, pairs[i].role, volume, pan, this);
        s->onChanged = [this] {
            RefreshOutput();
            mixer_.SavePreset(mixer_.Mode());
        };
        sliders_.push_back(s);
    }
    inputs_ = new QComboBox(panel);
    inputs_->setObjectName("id1108");
    grid->addWidget(inputs_, 3, 0, 1, 4);

    auto* form = new QFormLayout;
    output_ = new QLineEdit(panel);
    output_->setObjectName("id1343");
    gainA_ = new QLineEdit(panel);
    gainA_->setObjectName("id1345");
    gainB_ = new QLineEdit(panel);
    gainB_->setObjectName("id1346");
    form->addRow("Output level", output_);
    form->addRow("Ch. A", gainA_);
    form->addRow("Ch. B", gainB_);
    grid->addLayout(form, 4, 0, 1, 4);
    for (QLineEdit* e : {output_, gainA_, gainB_}) e->installEventFilter(this);

    spl_ = new QRadioButton("S&PL", panel);
    spl_->setObjectName("id1109");
    z_ = new QRadioButton("&Z", panel);
    z_->setObjectName("id1110");
    auto* modes = new QButtonGroup(this);
    modes->addButton(spl_, 0);
    modes->addButton(z_, 1);
    grid->addWidget(spl_, 5, 0);
    grid->addWidget(z_, 5, 1);
    panLock_ = new QCheckBox("Lock &pan sliders", panel);
    panLock_->setObjectName("id1158");
    inputLock_ = new QCheckBox("Input locked to calibration", panel);
    inputLock_->setObjectName("id1344");
    grid->addWidget(panLock_, 6, 0, 1, 4);
    grid->addWidget(inputLock_, 7, 0, 1, 4);

    play_ = new QPushButton("&Play", panel);
    play_->setObjectName("id1112");
    autoButton_ = new QPushButton("&Auto", panel);
    autoButton_->setObjectName("id1113");
    stop_ = new QPushButton("&Stop", panel);
    stop_->setObjectName("id2");
    stop_->setEnabled(false);
    auto* mixers = new QPushButton("&Mixer...", panel);
    mixers->setObjectName("mixers");
    auto* help = new QPushButton("Help", panel);
    help->setObjectName("id9");
    grid->addWidget(play_, 8, 0);
    grid->addWidget(autoButton_, 8, 1);
    grid->addWidget(stop_, 8, 2);
    grid->addWidget(mixers, 9, 0, 1, 2);
    grid->addWidget(help, 9, 2);
    top->addWidget(panel);
    shrink_ = new QPushButton("<<", this);
    shrink_->setObjectName("id1114");
    shrink_->setFixedWidth(24);
    top->addWidget(shrink_, 0, Qt::AlignTop);

    connect(inputs_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        mixer_.SelectInputLine(index);
        RefreshSliders();
        RefreshOutput();
    });
    connect(modes, &QButtonGroup::idClicked, this, [this](int mode) {
        if (mode == mixer_.Mode()) return;
        mixer_.SavePreset(mixer_.Mode());
        mixer_.LoadPreset(mode);
        RefreshSliders();
        RefreshOutput();
    });
    connect(panLock_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.lockedPan = on;
        RefreshSliders();
        RefreshOutput();
    });
    connect(inputLock_, &QCheckBox::clicked, this, [this](bool on) {
        mixer_.SetInputLock(on);
        RefreshSliders();
    });
    connect(play_, &QPushButton::clicked, this, [this] { StartLevelTest(YLevelTest::kPlay); });
    connect(autoButton_, &QPushButton::clicked, this, [this] { StartLevelTest(YLevelTest::kAuto); });
    connect(stop_, &QPushButton::clicked, this, [this] { StopLevelTest(); });
    connect(shrink_, &QPushButton::clicked, this, [this] { SetShrinked(!settings_.shrinked); });
    connect(mixers, &QPushButton::clicked, this, [this] { SelectMixers(); });
    connect(help, &QPushButton::clicked, this, [this] {
        if (services_.help) services_.help(kHelpTopic);
    });
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
}

LevelsWindow::~LevelsWindow() {
    mixer_.SetListener({});
    if (testThread_) {
        StopLevelTest();
        testThread_->Stop();
    }
}

void LevelsWindow::Open() {
    if (IsOpen()) {
        if (settings_.shrinked) SetShrinked(false);
        raise();
        activateWindow();
        return;
    }
    Create(false);
}

void LevelsWindow::OnInit() {
    settings_ = mixer_.Settings();
    if (services_.store) settings_.Load(*services_.store);
    settings_.shrinked = false;
    mixer_.SetSettings(settings_);
    panLock_->setChecked(settings_.lockedPan);
    QPointer<LevelsWindow> self = this;
    mixer_.SetListener([self](std::uint32_t m) {
        if (self) OnGui(self, [self, m] { self->OnMixerMessage(m); });
    });
    const YMixerHardware hw = mixer_.Hardware();
    gainA_->setText(Q(YTrimmedNumber(hw.inputGainA, 2) + " dBg"));
    gainB_->setText(Q(YTrimmedNumber(hw.inputGainB, 2) + " dBg"));
    mixer_.SelectLines();
    RefillInputs();
    RefreshSliders();
    RefreshOutput();
    (mixer_.Mode() == 0 ? spl_ : z_)->setChecked(true);
    if (settings_.screenX > -9999 && settings_.screenY > -9999) {
        QRect desk(0, 0, 1920, 1080);
        if (QScreen* s = QGuiApplication::primaryScreen()) desk = s->availableGeometry();
        move(std::min(settings_.screenX, desk.right() - 32), std::min(settings_.screenY, desk.bottom() - 32));
    }
    timer_->start(500);
    WatchChanges();
    ApplyLockUi();
    inputs_->setEnabled(!(hw.flags & kHwDontSelectInput));
}

void LevelsWindow::OnEnd(int) {
    StopLevelTest();
    mixer_.SavePreset(mixer_.Mode());
    for (QSocketNotifier* n : notifiers_) delete n;
    notifiers_.clear();
    mixer_.CloseMixers();
    timer_->stop();
    settings_.screenX = x();
    settings_.screenY = y();
    const YMixerSettings logic = mixer_.Settings();
    settings_.inputLocked = logic.inputLocked;
    mixer_.SetSettings(settings_);
    if (services_.store) settings_.Save(*services_.store);
    mixer_.SetListener({});
    // The mixers stay open for the measurement without the window.
    mixer_.SelectLines();
}

bool LevelsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && watched == output_) {
            RefreshOutput();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab) {
            if (watched == output_)
                ApplyOutputText();
            else if (watched == gainA_ || watched == gainB_)
                ApplyGains();
            else
                return YDial::eventFilter(watched, event);
            return key != Qt::Key_Tab;  // Tab goes on to the next field
        }
    }
    return YDial::eventFilter(watched, event);
}

void LevelsWindow::OnMixerMessage(std::uint32_t message) {
    switch (message) {
        case kMixerRefill:
            RefillInputs();
            RefreshSliders();
            break;
        case kMixerLevels: {
            double a = 0, b = 0;
            const bool over = mixer_.GetPeaks(a, b);
            meter_->SetLevels(a, b, over);
            break;
        }
        case kMixerEndLevelTest:
            StopLevelTest();
            break;
        case kMixerOutputLevel:
            RefreshOutput();
            break;
        case kMixerControlChanged:
        case kMixerLockChanged:
            RefreshSliders();
            break;
        default:
            break;
    }
}

void LevelsWindow::RefillInputs() {
    inputs_->clear();
    const std::vector<MixerLine> lines = mixer_.InputLines();
    for (const MixerLine& l : lines) inputs_->addItem(Q(" " + l.name));
    if (lines.empty()) inputs_->addItem(" <none available>");
    inputs_->setCurrentIndex(std::max(0, mixer_.SelectedInputLine()));
}

void LevelsWindow::RefreshSliders() {
    const bool locked = mixer_.InputLocked();
    for (YVolPanSlider* s : sliders_) {
        const bool input = s->Role() == YMixerRole::MasterIn || s->Role() == YMixerRole::Input;
        s->Show(settings_.lockedPan, !(input && locked));
    }
    ApplyLockUi();
}

void LevelsWindow::ApplyLockUi() {
    MixerLine line;
    bool settable = false;
    if (mixer_.Line(YMixerRole::Input, line))
        settable = line.settable;
    else if (mixer_.Line(YMixerRole::MasterIn, line))
        settable = line.settable;
    const QSignalBlocker block(inputLock_);
    inputLock_->setChecked(mixer_.InputLocked());
    inputLock_->setEnabled(settable);
}

void LevelsWindow::RefreshOutput() {
    output_->setText(Q(YFormatOutputLevel(mixer_.GetOutputVoltage(), settings_.outputLevelUnit)));
    output_->selectAll();
}

void LevelsWindow::ApplyOutputText() {
    int unit = settings_.outputLevelUnit;
    double volts = 0;
    if (!YParseOutputLevel(output_->text().toStdString(), unit, volts)) {
        output_->setText(" Error!");
        return;
    }
    settings_.outputLevelUnit = unit;
    if (!mixer_.SetOutputVoltage(volts, false)) {
        output_->setText(" Error!");
        return;
    }
    settings_.outputLevelVolt = mixer_.GetOutputVoltage();
    mixer_.SetSettings([&] {
        YMixerSettings s = mixer_.Settings();
        s.outputLevelUnit = unit;
        s.outputLevelVolt = settings_.outputLevelVolt;
        return s;
    }());
    RefreshOutput();
    RefreshSliders();
    mixer_.SavePreset(mixer_.Mode());
}

void LevelsWindow::ApplyGains() {
    YMixerHardware hw = mixer_.Hardware();
    const auto a = platform::ParseDouble(gainA_->text().toStdString());
    const auto b = platform::ParseDouble(gainB_->text().toStdString());
    if (a && std::isfinite(*a)) hw.inputGainA = *a;
    if (b && std::isfinite(*b)) hw.inputGainB = *b;
    mixer_.SetHardware(hw);
    gainA_->setText(Q(YTrimmedNumber(hw.inputGainA, 2) + " dBg"));
    gainB_->setText(Q(YTrimmedNumber(hw.inputGainB, 2) + " dBg"));
}

void LevelsWindow::WatchChanges() {
    for (QSocketNotifier* n : notifiers_) delete n;
    notifiers_.clear();
    for (int fd : mixer_.ChangeDescriptors()) {
        auto* n = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(n, &QSocketNotifier::activated, this, [this] { mixer_.OnChangeEvents(); });
        notifiers_.push_back(n);
    }
}

void LevelsWindow::Tick() {
    double a = 0, b = 0;
    mixer_.GetPeaks(a, b);
    if (!test_ && meter_->Meter().Falling(a, b)) meter_->update();
    inputs_->setEnabled(!(mixer_.Hardware().flags & kHwDontSelectInput));
}

void LevelsWindow::SetShrinked(bool shrinked) {
    if (shrinked == settings_.shrinked) return;
    settings_.shrinked = shrinked;
    if (shrinked) {
        fullWidth_ = width();
        findChild<QWidget*>("panel")->hide();
        setFixedWidth(kShrunkWidth);
        shrink_->setText(">>");
    } else {
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        findChild<QWidget*>("panel")->show();
        if (fullWidth_ > 0) resize(fullWidth_, height());
        shrink_->setText("<<");
    }
}

void LevelsWindow::StartLevelTest(int mode) {
    if (!services_.waves || !services_.prompt) return;
    StopLevelTest();
    if (!testThread_) {
        testThread_ = std::make_unique<platform::WorkerThread>("level test");
        if (!testThread_->Start()) {
            services_.prompt->Show(kLevelTestCantStart, platform::PromptIcon::Error);
            testThread_.reset();
            return;
        }
    }
    YLevelTestSetup setup = services_.testSetup;
    const YMixerHardware hw = mixer_.Hardware();
    setup.inputDevice = hw.inputDevice - 1;
    setup.outputDevice = hw.outputDevice - 1;
    setup.ceilingVolts = mixer_.GetOutputVoltage();
    auto holder = std::make_shared<std::unique_ptr<YLevelTest>>();
    test_ = holder;
    QPointer<LevelsWindow> self = this;
    auto ended = [self, holder](YLevelTest::Outcome) {
        OnGui(self, [self, holder] {
            if (!self || self->test_ != holder) return;
            self->StopLevelTest();
            self->RefreshSliders();
            self->RefreshOutput();
        });
    };
    YMixer& mixer = mixer_;
    IWaveBackend& waves = *services_.waves;
    platform::IPrompt& prompt = *services_.prompt;
    platform::MessageLoop& loop = testThread_->Loop();
    play_->setEnabled(false);
    autoButton_->setEnabled(false);
    stop_->setEnabled(true);
    loop.PostTask([holder, ended, &mixer, &waves, &prompt, &loop, setup, mode] {
        *holder = std::make_unique<YLevelTest>(mixer, loop, waves, setup, mode, prompt);
        (*holder)->SetOnEnd(ended);
        (*holder)->Start();
    });
}

void LevelsWindow::StopLevelTest() {
    if (!test_ || !testThread_) return;
    std::shared_ptr<std::unique_ptr<YLevelTest>> holder = std::move(test_);
    test_.reset();
    testThread_->Loop().PostTask([holder] {
        if (*holder) (*holder)->End();
        holder->reset();
    });
    play_->setEnabled(true);
    autoButton_->setEnabled(true);
    stop_->setEnabled(false);
}

void LevelsWindow::SelectMixers() {
    std::vector<std::string> names;
    for (const YMixerInfo& m : mixer_.Mixers()) names.push_back(m.name);
    YMixerHardware hw = mixer_.Hardware();
    MixerSelect dialog(names, hw.inputMixer, hw.outputMixer, services_.help, this);
    if (!dialog.Create(true) || dialog.Result() != QDialog::Accepted) return;
    hw.inputMixer = dialog.Input();
    hw.outputMixer = dialog.Output();
    mixer_.SetHardware(hw);
    mixer_.SelectLines();
    WatchChanges();
    RefillInputs();
    RefreshSliders();
    RefreshOutput();
}

// ---- "Mixer Settings"

MixerSelect::MixerSelect(std::vector<std::string> mixers, int input, int output,
                         std::function<void(int)> help, QWidget* parent)
    : YDial(parent), input_(input), output_(output) {
    setWindowTitle("Mixer Settings");
    setObjectName("MixerSelect");
    auto* form = new QFormLayout(this);
    in_ = new QComboBox(this);
    in_->setObjectName("id1038");
    out_ = new QComboBox(this);
    out_->setObjectName("id1039");
    const int count = static_cast<int>(mixers.size());
    for (QComboBox* box : {in_, out_}) {
        box->addItem(" <Automatic...>", -1);
        for (int i = 0; i < count; ++i) box->addItem(Q(" " + mixers[static_cast<std::size_t>(i)]), i);
    }
    if (input_ >= count) input_ = -1;
    if (output_ >= count) output_ = -1;
    in_->setCurrentIndex(std::max(-1, input_) + 1);
    out_->setCurrentIndex(std::max(-1, output_) + 1);
    form->addRow("Input", in_);
    form->addRow("Output", out_);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Ok)->setText("&OK");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("id1");
    buttons->button(QDialogButtonBox::Cancel)->setText("&Cancel");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("id2");
    buttons->button(QDialogButtonBox::Help)->setText("&Help");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { End(QDialog::Accepted); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { End(QDialog::Rejected); });
    connect(buttons, &QDialogButtonBox::helpRequested, this, [help] {
        if (help) help(1470);
    });
    form->addRow(buttons);
}

void MixerSelect::OnEnd(int result) {
    if (result != QDialog::Accepted) return;
    input_ = in_->currentData().toInt();
    output_ = out_->currentData().toInt();
}

}  // namespace sonbex::measurement
