#pragma once
// Spin fields: a value stepped by the arrows or the keyboard and typed in,
// shown and read independent of the locale ("%.*lf"; a ',' reads as '.').
//   YIntSpinButton         whole numbers between bounds
//   YFloatSpinButton       a step and a number of decimals between bounds
//   YFloatTableSpinButton  the values of a fixed table, in order
// Typed text that is no number, or outside the bounds, is taken back to
// the last good value when editing ends (values are clamped to the bounds).
// Threads: the GUI thread only.

#include <QAbstractSpinBox>

#include <vector>

namespace sonbex::ywin {

class YSpinButtonBase : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit YSpinButtonBase(QWidget* parent = nullptr);

    double Value() const { return value_; }
    // Clamped (or snapped) to what the field allows; emits ValueChanged on a change.
    void SetValue(double value);
    int Decimals() const { return decimals_; }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

signals:
    void ValueChanged(double value);

protected:
    void SetDecimals(int decimals);
    // The value after `steps` steps from `value`.
    virtual double Stepped(double value, int steps) const = 0;
    // The nearest value the field allows.
    virtual double Allowed(double value) const = 0;
    virtual bool CanStepDown() const = 0;
    virtual bool CanStepUp() const = 0;
    StepEnabled stepEnabled() const override;
    void ShowValue();

private:
    void TakeText();

    double value_ = 0;
    int decimals_ = 0;
};

class YFloatSpinButton : public YSpinButtonBase {
    Q_OBJECT
public:
    YFloatSpinButton(double minimum, double maximum, double step, int decimals, QWidget* parent = nullptr);

protected:
    double Stepped(double value, int steps) const override;
    double Allowed(double value) const override;
    bool CanStepDown() const override { return Value() > min_; }
    bool CanStepUp() const override { return Value() < max_; }

private:
    double min_, max_, step_;
};

// Whole numbers: a float field without decimals.
class YIntSpinButton : public YFloatSpinButton {
    Q_OBJECT
public:
    explicit YIntSpinButton(int minimum, int maximum, int step = 1, QWidget* parent = nullptr)
        : YFloatSpinButton(minimum, maximum, step < 1 ? 1 : step, 0, parent) {}
    int IntValue() const { return static_cast<int>(Value()); }
};

class YFloatTableSpinButton : public YSpinButtonBase {
    Q_OBJECT
public:
    // `table` in ascending order, not empty.
    YFloatTableSpinButton(std::vector<double> table, int decimals, QWidget* parent = nullptr);
    int Index() const;

protected:
    double Stepped(double value, int steps) const override;
    double Allowed(double value) const override;
    bool CanStepDown() const override { return Index() > 0; }
    bool CanStepUp() const override { return Index() + 1 < static_cast<int>(table_.size()); }

private:
    int NearestIndex(double value) const;
    std::vector<double> table_;
};

}  // namespace sonbex::ywin
