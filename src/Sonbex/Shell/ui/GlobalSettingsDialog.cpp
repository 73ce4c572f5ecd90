#include "Sonbex/Shell/ui/GlobalSettingsDialog.h"

#include "YWin/YDialogItems.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace sonbex::shell {

using ywin::FormatField;
using ywin::ParseField;
using ywin::SetItemId;

GlobalSettingsDialog::GlobalSettingsDialog(GlobalConfig& config, std::vector<BackgroundChoice> backgrounds,
                                           platform::IFileChooser& chooser, platform::IPrompt& prompt,
                                           GlobalSettingsHost host, QWidget* parent)
    : YDial(parent),
      config_(config),
      backgrounds_(std::move(backgrounds)),
      chooser_(chooser),
      prompt_(prompt),
      host_(std::move(host)) {
    setWindowTitle(tr("Global Settings"));
    setObjectName(QStringLiteral("id103"));

    auto* tempBox = new QGroupBox(tr("Temporary Directory"), this);
    tempDir_ = new QLineEdit(tempBox);
    SetItemId(tempDir_, kIdTempDir);
    tempDir_->setMaxLength(static_cast<int>(kConfigPathSize - 1));
    tempDir_->setPlaceholderText(tr("(a private folder of the running program)"));
    auto* browse = new QPushButton(QStringLiteral("..."), tempBox);
    SetItemId(browse, kIdBrowseTempDir);
    connect(browse, &QPushButton::clicked, this, &GlobalSettingsDialog::BrowseTempDir);
    auto* tempRow = new QHBoxLayout(tempBox);
    tempRow->addWidget(tempDir_);
    tempRow->addWidget(browse);

    auto* toggles = new QGroupBox(tr("Toggles"), this);
    auto* toggleList = new QVBoxLayout(toggles);
    auto makeToggle = [&](const QString& text, const char* name, std::uint32_t flag) {
        auto* box = new QCheckBox(text, toggles);
        box->setObjectName(QLatin1String(name));
        toggleList->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this, flag](bool on) { Toggle(flag, on); });
        return box;
    };
    splash_ = makeToggle(tr("Show splash screen at startup"), "showSplash", kShowSplash);
    time_ = makeToggle(tr("Show time in the statusbar"), "showTime", kShowTime);
    flat_ = makeToggle(tr("Flat buttons on the toolbar"), "flatButtons", kFlatToolbar);
    time24_ = makeToggle(tr("24 hour time format (in printing and info)"), "time24Hour", kTime24Hour);

    auto* desktop = new QGroupBox(tr("Desktop"), this);
    background_ = new QComboBox(desktop);
    background_->setObjectName(QStringLiteral("background"));
    auto* desktopForm = new QFormLayout(desktop);
    desktopForm->addRow(tr("Background"), background_);

    auto* environment = new QGroupBox(tr("Environment"), this);
    temperature_ = new QLineEdit(environment);
    SetItemId(temperature_, kIdTemperature);
    // Numbers only: a sign, up to three digits, a decimal point or comma and two decimals.
    temperature_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[-+]?[0-9]{0,3}([.,][0-9]{0,2})?")), temperature_));
    temperature_->setMaxLength(8);
    auto* envForm = new QFormLayout(environment);
    envForm->addRow(QString::fromUtf8(kTemperatureLabel), temperature_);

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GlobalSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GlobalSettingsDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (host_.help)
            host_.help();
        else
            ShowHelp();
    });

    auto* layout = new QVBoxLayout(this);
    for (QWidget* w :
         {static_cast<QWidget*>(tempBox), static_cast<QWidget*>(toggles), static_cast<QWidget*>(desktop),
          static_cast<QWidget*>(environment), static_cast<QWidget*>(buttons)})
        layout->addWidget(w);
}

void GlobalSettingsDialog::OnInit() {
    before_ = config_;
    const QSignalBlocker blockers[] = {QSignalBlocker(splash_), QSignalBlocker(time_), QSignalBlocker(flat_),
                                       QSignalBlocker(time24_), QSignalBlocker(background_)};
    tempDir_->setText(QString::fromStdString(config_.tempDir));
    splash_->setChecked(config_.Has(kShowSplash));
    time_->setChecked(config_.Has(kShowTime));
    flat_->setChecked(config_.Has(kFlatToolbar));
    time24_->setChecked(config_.Has(kTime24Hour));
    background_->clear();
    background_->addItem(QString::fromLatin1(kNoBackground));
    int current = 0;
    for (std::size_t i = 0; i < backgrounds_.size(); ++i) {
        background_->addItem(QLatin1Char(' ') + QString::fromStdString(backgrounds_[i].name));
        if (backgrounds_[i].file.string() == config_.backgroundPath) current = static_cast<int>(i) + 1;
    }
    background_->setCurrentIndex(current);
    connect(background_, &QComboBox::currentIndexChanged, this, &GlobalSettingsDialog::ChooseBackground,
            Qt::UniqueConnection);
    temperature_->setText(FormatField(config_.temperature, 1));
}

void GlobalSettingsDialog::Toggle(std::uint32_t flag, bool on) {
    config_.Set(flag, on);
    if (flag == kShowTime && host_.relayoutStatusBar) host_.relayoutStatusBar(on);
    if (flag == kFlatToolbar && host_.setFlatToolbar) host_.setFlatToolbar(on);
}

void GlobalSettingsDialog::ChooseBackground(int index) {
    if (index < 0) return;
    config_.backgroundPath = index == 0 || index > static_cast<int>(backgrounds_.size())
                                 ? std::string()
                                 : backgrounds_[index - 1].file.string();
    if (host_.repaintBackground) host_.repaintBackground(config_.backgroundPath);
}

void GlobalSettingsDialog::BrowseTempDir() {
    auto dir = chooser_.ChooseFolder(kLocateTempDirTitle, tempDir_->text().toStdString());
    if (dir) tempDir_->setText(QString::fromStdString(dir->string()));
}

void GlobalSettingsDialog::ApplyLayout(const GlobalConfig& c) {
    if (host_.relayoutStatusBar) host_.relayoutStatusBar(c.Has(kShowTime));
    if (host_.setFlatToolbar) host_.setFlatToolbar(c.Has(kFlatToolbar));
    if (host_.repaintBackground) host_.repaintBackground(c.backgroundPath);
}

void GlobalSettingsDialog::accept() {
    auto t = ParseField(temperature_->text());
    if (!t || !IsPlausibleTemperature(*t)) {
        prompt_.Show(kTemperatureRangeMessage, platform::PromptIcon::Warning);
        temperature_->setFocus();
        temperature_->selectAll();
        return;
    }
    config_.SetTemperature(*t);
    config_.tempDir = tempDir_->text().trimmed().toStdString();
    YDial::accept();
}

void GlobalSettingsDialog::reject() {
    config_.flags = before_.flags;
    config_.tempDir = before_.tempDir;
    config_.backgroundPath = before_.backgroundPath;
    ApplyLayout(config_);
    YDial::reject();
}

}  // namespace sonbex::shell
