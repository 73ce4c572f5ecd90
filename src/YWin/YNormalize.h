#pragma once
// The normalisation dialog: chooses how a curve is normalised, at a
// frequency (the curve's level there becomes 0 dB) or by adding an offset.
// One field shows the number of the chosen method; both numbers are kept.
//
// The dialog opens on the settings kept under "Normalize" ("Freq", "Add",
// "Method"); a missing or unusable stored value (not a number, a method
// outside the list, a frequency not above 0, a value that is not finite)
// keeps the last choice, at first the defaults of YNormalizeSettings. OK
// makes the choice Settings() and keeps it in the settings; Cancel leaves
// Settings() as it was and writes nothing. A field that is not a number (or
// a frequency not above 0) is refused with a message and the dialog stays
// open. A number shown and left as it stands is kept with all its digits.
// A settings file that cannot be saved is not reported: the choice still
// holds for this run.
//
// Threads: the GUI thread only.

#include "Platform/IPrompt.h"
#include "YLib/YNormalizeSettings.h"
#include "YWin/YDial.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace sonbex::platform {
class SettingsStore;
}

namespace sonbex::ywin {

inline constexpr int kIdNormalizeMethod = 1121;
inline constexpr int kIdNormalizeFieldLabel = 1122;
inline constexpr int kIdNormalizeField = 1123;
inline constexpr int kNormalizeDecimals = 2;
inline constexpr const char* kBadNormalizeFrequencyMessage = "The frequency must be a number above 0 Hz ! ";
inline constexpr const char* kBadNormalizeOffsetMessage = "The offset must be a number of dB ! ";

class YNormalize : public YDial {
    Q_OBJECT
public:
    // The store and the prompt service must outlive the dialog.
    YNormalize(platform::SettingsStore& settings, platform::IPrompt& prompt, QWidget* parent = nullptr);

    // The choice: after OK the one made; else as it was before the dialog
    // opened (the defaults, or what SetSettings gave).
    const YNormalizeSettings& Settings() const { return settings_; }
    void SetSettings(const YNormalizeSettings& settings) { settings_ = settings; }

    // OK (public as in QDialog).
    void accept() override;

protected:
    void OnInit() override;

private:
    void ChooseMethod(int method);
    void ShowField();
    // Reads the field into the edited choice: false (with the message) when
    // it does not hold a valid number for the shown method.
    bool TakeField(bool report);

    platform::SettingsStore& store_;
    platform::IPrompt& prompt_;
    YNormalizeSettings settings_;
    YNormalizeSettings edited_;
    QString shownText_;  // the field's text as formatted from edited_
    QComboBox* method_;
    QLabel* label_;
    QLineEdit* field_;
};

}  // namespace sonbex::ywin
