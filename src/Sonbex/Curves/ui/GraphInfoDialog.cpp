#include "Sonbex/Curves/ui/GraphInfoDialog.h"

#include "YLib/YText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonbex::curves {

namespace {
QString FromStored(const std::string& s) { return QString::fromStdString(Utf8FromWindows1252(s)); }

// Text typed in the dialog as the 8-bit text of the stored record; characters
// Windows-1252 has no code for become '?'.
std::string ToStored(const QString& text) {
    std::string out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        char byte = '?';
        for (int b = 0x80; b < 0xA0; ++b)
            if (QString::fromStdString(Utf8FromWindows1252(std::string(1, static_cast<char>(b)))) ==
                QString(c))
                byte = static_cast<char>(b);
        out += byte;
    }
    return out;
}
}  // namespace

GraphInfoDialog::GraphInfoDialog(DataSetHeader& header, GraphInfoOptions options, QWidget* parent)
    : ywin::YDial(parent), header_(header), options_(std::move(options)) {
    setObjectName(QStringLiteral("graphInfo"));
    setWindowTitle(QStringLiteral("Graph Information"));
    auto* form = new QFormLayout;
    title_ = new QLineEdit(this);
    title_->setObjectName(QStringLiteral("title"));
    title_->setMaxLength(static_cast<int>(kTitleFieldSize) - 1);
    date_ = new QLabel(this);
    date_->setObjectName(QStringLiteral("date"));
    stimulus_ = new QLabel(this);
    stimulus_->setObjectName(QStringLiteral("stimulus"));
    analysis_ = new QLabel(this);
    analysis_->setObjectName(QStringLiteral("analysis"));
    settings_ = new QLabel(this);
    settings_->setObjectName(QStringLiteral("settings"));
    form->addRow(QStringLiteral("Title:"), title_);
    form->addRow(QStringLiteral("Date:"), date_);
    form->addRow(QStringLiteral("Stimulus:"), stimulus_);
    form->addRow(QStringLiteral("Analysis:"), analysis_);
    form->addRow(QStringLiteral("Settings:"), settings_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { End(QDialog::Accepted); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { End(QDialog::Rejected); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString GraphInfoDialog::DateText() const {
    return QString::fromStdString(FormatAcquireDate(header_.acquired, options_.use24Hours));
}

QString GraphInfoDialog::StimulusText() const {
    const std::string name =
        options_.stimulusName ? options_.stimulusName(header_.settings.StimulusId()) : std::string();
    return name.empty() ? QStringLiteral("<Unknown>") : FromStored(name);
}

QString GraphInfoDialog::AnalysisText() const {
    if (options_.impulseGraph) return QStringLiteral("Impulse Response");
    return FromStored(AnalysisKindText(header_.settings));
}

QString GraphInfoDialog::SettingsText() const {
    const bool known = options_.stimulusName && !options_.stimulusName(header_.settings.StimulusId()).empty();
    return QString::fromStdString(SettingsLine(header_.settings, known));
}

void GraphInfoDialog::OnInit() {
    title_->setText(FromStored(header_.title));
    date_->setText(DateText());
    stimulus_->setText(StimulusText());
    analysis_->setText(AnalysisText());
    settings_->setText(SettingsText());
}

void GraphInfoDialog::OnEnd(int result) {
    if (result != QDialog::Accepted) return;
    header_.SetTitle(ToStored(title_->text()));
}

}  // namespace sonbex::curves
