#include "YWin/SmoothDial.h"

#include "Platform/NumberText.h"
#include "Platform/YRegistry.h"
#include "YWin/YDialogItems.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace sonbex::ywin {

namespace {

constexpr int kTypedChoice = int(YSmooth::kWidthChoices.size()) - 1;

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The list position that shows N: a fixed width, else the typed entry.
int ChoiceOf(int fraction) {
    for (int i = 0; i < kTypedChoice; ++i)
        if (YSmooth::kWidthChoices[i].fraction == fraction) return i;
    return kTypedChoice;
}

}  // namespace

SmoothDial::SmoothDial(platform::SettingsStore& settings, platform::IPrompt& prompt, int pointsPerOctave,
                       QWidget* parent)
    : YDial(parent), settings_(settings), prompt_(prompt) {
    setWindowTitle(tr("Smoothing"));
    setObjectName(QStringLiteral("SmoothDial"));

    auto* widthBox = new QGroupBox(tr("Width"), this);
    auto* widthGrid = new QGridLayout(widthBox);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < int(widths_.size()); ++i) {
        widths_[i] = new QRadioButton(Text(kWidthChoices[i].caption), widthBox);
        SetItemId(widths_[i], kIdSmoothWidth + i);
        group->addButton(widths_[i], i);
        widthGrid->addWidget(widths_[i], i, 0);
    }
    typedWidth_ = new QLineEdit(widthBox);
    SetItemId(typedWidth_, kIdSmoothTypedWidth);
    widthGrid->addWidget(typedWidth_, kTypedChoice, 1);
    widthGrid->addWidget(new QLabel(tr("Octave"), widthBox), kTypedChoice, 2);
    connect(widths_[kTypedChoice], &QRadioButton::toggled, typedWidth_, &QLineEdit::setEnabled);

    auto* methodBox = new QGroupBox(tr("Method"), this);
    method_ = new QComboBox(methodBox);
    SetItemId(method_, kIdSmoothMethod);
    for (std::string_view caption : kMethodCaptions) method_->addItem(Text(caption));
    auto* methodForm = new QVBoxLayout(methodBox);
    methodForm->addWidget(method_);

    auto* resolution = new QLabel(tr("The curve has %1 points per octave.").arg(pointsPerOctave), this);
    SetItemId(resolution, kIdSmoothResolution);
    resolution->setVisible(pointsPerOctave > 0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    SetItemId(buttons->button(QDialogButtonBox::Ok), 1);
    SetItemId(buttons->button(QDialogButtonBox::Cancel), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &SmoothDial::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SmoothDial::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(widthBox);
    layout->addWidget(methodBox);
    layout->addWidget(resolution);
    layout->addWidget(buttons);
}

int SmoothDial::WidthChoice() const {
    for (int i = 0; i < int(widths_.size()); ++i)
        if (widths_[i]->isChecked()) return i;
    return -1;
}

void SmoothDial::SetWidthChoice(int choice) {
    if (choice >= 0 && choice < int(widths_.size())) widths_[choice]->setChecked(true);
}

void SmoothDial::OnInit() {
    const int shown = fraction >= 1 ? fraction : 1;
    const int choice = ChoiceOf(shown);
    SetWidthChoice(choice);
    typedWidth_->setEnabled(choice == kTypedChoice);
    typedWidth_->setText(QString::number(shown));

    std::int32_t kept = method;
    platform::YRegistry registry(settings_);
    if (registry.Open(platform::SettingsSection(kSettingsSection), false))
        registry.ReadInt(kMethodValue, kept);
    if (kept < 0 || kept >= int(kMethodCaptions.size())) kept = method;
    if (kept < 0 || kept >= int(kMethodCaptions.size())) kept = kAverage;
    method_->setCurrentIndex(kept);
}

void SmoothDial::accept() {
    const int choice = WidthChoice();
    const std::string typed = typedWidth_->text().toStdString();
    if (choice == kTypedChoice) {
        auto n = platform::ParseDoubleWhole(typed, platform::DecimalMark::PointOrComma);
        if (!n || !std::isfinite(*n)) {
            prompt_.Show(kBadSmoothWidthMessage, platform::PromptIcon::Warning);
            typedWidth_->setFocus();
            typedWidth_->selectAll();
            return;
        }
    }
    fraction = FractionFromChoice(choice, typed);
    method = method_->currentIndex();

    platform::YRegistry registry(settings_);
    if (registry.Open(platform::SettingsSection(kSettingsSection), true))
        registry.WriteInt(kMethodValue, method);
    registry.Close();
    YDial::accept();
}

}  // namespace sonbex::ywin
