#include "YWin/YSpinButton.h"

#include "YWin/YDialogItems.h"

#include <QLineEdit>

#include <algorithm>
#include <cmath>

namespace sonbex::ywin {

YSpinButtonBase::YSpinButtonBase(QWidget* parent) : QAbstractSpinBox(parent) {
    connect(this, &QAbstractSpinBox::editingFinished, this, &YSpinButtonBase::TakeText);
}

void YSpinButtonBase::SetDecimals(int decimals) {
    decimals_ = std::clamp(decimals, 0, 15);
    ShowValue();
}

void YSpinButtonBase::SetValue(double value) {
    if (!std::isfinite(value)) {
        ShowValue();
        return;
    }
    double allowed = Allowed(value);
    bool changed = allowed != value_;
    value_ = allowed;
    ShowValue();
    if (changed) emit ValueChanged(value_);
}

void YSpinButtonBase::ShowValue() {
    lineEdit()->setText(FormatField(value_, decimals_));
    update();
}

void YSpinButtonBase::TakeText() {
    auto v = ParseField(text());
    if (v)
        SetValue(*v);
    else
        ShowValue();
}

void YSpinButtonBase::stepBy(int steps) {
    TakeText();
    SetValue(Stepped(value_, steps));
    selectAll();
}

QAbstractSpinBox::StepEnabled YSpinButtonBase::stepEnabled() const {
    StepEnabled e = StepNone;
    if (CanStepDown()) e |= StepDownEnabled;
    if (CanStepUp()) e |= StepUpEnabled;
    return e;
}

QValidator::State YSpinButtonBase::validate(QString& input, int&) const {
    // Anything that may still become a number while typing; judged when editing ends.
    for (QChar c : input)
        if (!c.isDigit() && c != QLatin1Char('.') && c != QLatin1Char(',') && c != QLatin1Char('-') &&
            c != QLatin1Char('+') && c != QLatin1Char('e') && c != QLatin1Char('E') && !c.isSpace())
            return QValidator::Invalid;
    return ParseField(input) ? QValidator::Acceptable : QValidator::Intermediate;
}

void YSpinButtonBase::fixup(QString& input) const { input = FormatField(value_, decimals_); }

YFloatSpinButton::YFloatSpinButton(double minimum, double maximum, double step, int decimals, QWidget* parent)
    : YSpinButtonBase(parent), min_(minimum), max_(std::max(minimum, maximum)), step_(step > 0 ? step : 1) {
    SetDecimals(decimals);
    SetValue(min_);
}

double YFloatSpinButton::Stepped(double value, int steps) const { return value + steps * step_; }

double YFloatSpinButton::Allowed(double value) const {
    // Kept at the shown precision, so the value is what the field says.
    double scale = std::pow(10.0, Decimals());
    return std::clamp(std::round(value * scale) / scale, min_, max_);
}

YFloatTableSpinButton::YFloatTableSpinButton(std::vector<double> table, int decimals, QWidget* parent)
    : YSpinButtonBase(parent), table_(std::move(table)) {
    if (table_.empty()) table_.push_back(0.0);
    SetDecimals(decimals);
    SetValue(table_.front());
}

int YFloatTableSpinButton::NearestIndex(double value) const {
    auto it = std::lower_bound(table_.begin(), table_.end(), value);
    if (it == table_.end()) return static_cast<int>(table_.size()) - 1;
    if (it != table_.begin() && value - *(it - 1) <= *it - value) --it;
    return static_cast<int>(it - table_.begin());
}

int YFloatTableSpinButton::Index() const { return NearestIndex(Value()); }

double YFloatTableSpinButton::Stepped(double value, int steps) const {
    int i = std::clamp(NearestIndex(value) + steps, 0, static_cast<int>(table_.size()) - 1);
    return table_[i];
}

double YFloatTableSpinButton::Allowed(double value) const { return table_[NearestIndex(value)]; }

}  // namespace sonbex::ywin
