#pragma once
// Dialog items by number: every control a dialog names by id carries the
// object name "id<NNNN>" (tests and the owning code find it by that), and
// fields show and read numbers independent of the locale: "%.*lf" formatting,
// a ',' read as '.'.
// Threads: the GUI thread.

#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

namespace sonbex::ywin {

QString ItemName(int id);                  // "id1007"
void SetItemId(QWidget* control, int id);  // sets the object name
// Sets the control's id and returns it, so a dialog is built in one expression.
template <class W>
W* WithItemId(W* control, int id) {
    SetItemId(control, id);
    return control;
}
QWidget* FindItem(const QWidget* dialog, int id);
template <class T>
T* FindItemAs(const QWidget* dialog, int id) {
    return qobject_cast<T*>(FindItem(dialog, id));
}

// "%.*lf": FormatField(12.5, 1) == "12.5" whatever the locale.
QString FormatField(double value, int decimals);
// The leading number of the text, ',' read as '.' ("12,5 C" -> 12.5); empty
// when no number starts it. Non-finite values are refused.
std::optional<double> ParseField(const QString& text);
std::optional<int> ParseIntField(const QString& text);

// On a line edit, spin box, label or button of `dialog` (false when there is none).
bool SetItemText(QWidget* dialog, int id, const QString& text);
QString ItemText(const QWidget* dialog, int id);
bool SetItemDouble(QWidget* dialog, int id, double value, int decimals);
std::optional<double> ItemDouble(const QWidget* dialog, int id);
bool SetItemInt(QWidget* dialog, int id, int value);
std::optional<int> ItemInt(const QWidget* dialog, int id);
bool EnableItem(QWidget* dialog, int id, bool enable);
bool ShowItem(QWidget* dialog, int id, bool show);
// Check boxes and radio buttons.
bool SetItemChecked(QWidget* dialog, int id, bool checked);
bool IsItemChecked(const QWidget* dialog, int id);

}  // namespace sonbex::ywin
