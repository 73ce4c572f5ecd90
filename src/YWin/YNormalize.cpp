#include "YWin/YNormalize.h"

#include "Platform/NumberText.h"
#include "Platform/YRegistry.h"
#include "YWin/YDialogItems.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace sonbex::ywin {

namespace {

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

bool IsMethod(std::int32_t m) {
    return m == YNormalizeSettings::kAtFrequency || m == YNormalizeSettings::kAddOffset;
}
bool IsFrequency(double f) { return std::isfinite(f) && f > 0.0; }

}  // namespace

YNormalize::YNormalize(platform::SettingsStore& settings, platform::IPrompt& prompt, QWidget* parent)
    : YDial(parent), store_(settings), prompt_(prompt) {
    setWindowTitle(tr("Normalize"));
    setObjectName(QStringLiteral("YNormalize"));

    method_ = new QComboBox(this);
    SetItemId(method_, kIdNormalizeMethod);
    for (std::string_view caption : YNormalizeSettings::kMethodCaptions) method_->addItem(Text(caption));
    connect(method_, &QComboBox::currentIndexChanged, this, &YNormalize::ChooseMethod);
    label_ = new QLabel(this);
    SetItemId(label_, kIdNormalizeFieldLabel);
    field_ = new QLineEdit(this);
    SetItemId(field_, kIdNormalizeField);
    label_->setBuddy(field_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    SetItemId(buttons->button(QDialogButtonBox::Ok), 1);
    SetItemId(buttons->button(QDialogButtonBox::Cancel), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &YNormalize::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &YNormalize::reject);

    auto* form = new QFormLayout;
    form->addRow(tr("Method"), method_);
    form->addRow(label_, field_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void YNormalize::OnInit() {
    edited_ = settings_;
    if (!IsMethod(edited_.method)) edited_.method = YNormalizeSettings::kAtFrequency;
    platform::YRegistry registry(store_);
    if (registry.Open(platform::SettingsSection(YNormalizeSettings::kSettingsSection), false)) {
        double f = 0.0, offset = 0.0;
        std::int32_t m = 0;
        if (registry.ReadDouble(YNormalizeSettings::kFrequencyValue, f) && IsFrequency(f))
            edited_.frequency = f;
        if (registry.ReadDouble(YNormalizeSettings::kOffsetValue, offset) && std::isfinite(offset))
            edited_.offset = offset;
        if (registry.ReadInt(YNormalizeSettings::kMethodValue, m) && IsMethod(m)) edited_.method = m;
    }
    {
        const QSignalBlocker block(method_);
        method_->setCurrentIndex(edited_.method);
    }
    ShowField();
}

void YNormalize::ChooseMethod(int method) {
    if (!IsMethod(method) || method == edited_.method) return;
    TakeField(false);  // a number that does not read is dropped: the field then shows the kept one
    edited_.method = method;
    ShowField();
}

void YNormalize::ShowField() {
    label_->setText(Text(edited_.FieldLabel()));
    shownText_ = FormatField(edited_.FieldValue(), kNormalizeDecimals);
    field_->setText(shownText_);
}

bool YNormalize::TakeField(bool report) {
    const QString text = field_->text();
    if (text == shownText_) return true;  // untouched: keep every digit of the number shown
    const bool atFrequency = edited_.method == YNormalizeSettings::kAtFrequency;
    auto v = platform::ParseDoubleWhole(text.toStdString(), platform::DecimalMark::PointOrComma);
    if (!v || !std::isfinite(*v) || (atFrequency && !IsFrequency(*v))) {
        if (report)
            prompt_.Show(atFrequency ? kBadNormalizeFrequencyMessage : kBadNormalizeOffsetMessage,
                         platform::PromptIcon::Warning);
        return false;
    }
    edited_.SetFieldValue(*v);
    return true;
}

void YNormalize::accept() {
    if (!TakeField(true)) {
        field_->setFocus();
        field_->selectAll();
        return;
    }
    settings_ = edited_;
    platform::YRegistry registry(store_);
    if (registry.Open(platform::SettingsSection(YNormalizeSettings::kSettingsSection), true)) {
        registry.WriteDouble(YNormalizeSettings::kFrequencyValue, settings_.frequency);
        registry.WriteDouble(YNormalizeSettings::kOffsetValue, settings_.offset);
        registry.WriteInt(YNormalizeSettings::kMethodValue, settings_.method);
    }
    registry.Close();
    YDial::accept();
}

}  // namespace sonbex::ywin
