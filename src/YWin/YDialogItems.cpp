#include "YWin/YDialogItems.h"

#include "Platform/NumberText.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace sonbex::ywin {

QString ItemName(int id) { return QStringLiteral("id%1").arg(id); }

void SetItemId(QWidget* control, int id) {
    if (control) control->setObjectName(ItemName(id));
}

QWidget* FindItem(const QWidget* dialog, int id) {
    return dialog ? dialog->findChild<QWidget*>(ItemName(id)) : nullptr;
}

QString FormatField(double value, int decimals) {
    return QString::fromStdString(platform::FormatFixed(value, decimals));
}

std::optional<double> ParseField(const QString& text) {
    auto v = platform::ParseDouble(text.toStdString(), platform::DecimalMark::PointOrComma);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

std::optional<int> ParseIntField(const QString& text) { return platform::ParseInt32(text.toStdString()); }

bool SetItemText(QWidget* dialog, int id, const QString& text) {
    QWidget* w = FindItem(dialog, id);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else if (auto* s = qobject_cast<QAbstractSpinBox*>(w)) {
        if (auto* line = s->findChild<QLineEdit*>()) line->setText(text);
        s->interpretText();
    } else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(text);
    else if (auto* c = qobject_cast<QComboBox*>(w); c && c->isEditable())
        c->setEditText(text);
    else
        return false;
    return true;
}

QString ItemText(const QWidget* dialog, int id) {
    QWidget* w = FindItem(dialog, id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* s = qobject_cast<QAbstractSpinBox*>(w)) return s->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    return {};
}

bool SetItemDouble(QWidget* dialog, int id, double value, int decimals) {
    return SetItemText(dialog, id, FormatField(value, decimals));
}

std::optional<double> ItemDouble(const QWidget* dialog, int id) {
    if (!FindItem(dialog, id)) return std::nullopt;
    return ParseField(ItemText(dialog, id));
}

bool SetItemInt(QWidget* dialog, int id, int value) {
    return SetItemText(dialog, id, QString::number(value));
}

std::optional<int> ItemInt(const QWidget* dialog, int id) {
    if (!FindItem(dialog, id)) return std::nullopt;
    return ParseIntField(ItemText(dialog, id));
}

bool EnableItem(QWidget* dialog, int id, bool enable) {
    QWidget* w = FindItem(dialog, id);
    if (w) w->setEnabled(enable);
    return w != nullptr;
}

bool ShowItem(QWidget* dialog, int id, bool show) {
    QWidget* w = FindItem(dialog, id);
    if (w) w->setVisible(show);
    return w != nullptr;
}

bool SetItemChecked(QWidget* dialog, int id, bool checked) {
    auto* b = FindItemAs<QAbstractButton>(dialog, id);
    if (b) b->setChecked(checked);
    return b != nullptr;
}

bool IsItemChecked(const QWidget* dialog, int id) {
    auto* b = FindItemAs<QAbstractButton>(dialog, id);
    return b && b->isChecked();
}

}  // namespace sonbex::ywin
