#pragma once
// The smoothing dialog: chooses the width (1/N octave, from the width list or
// typed after "1/") and the method of a fractional-octave smoothing.
//
// The choice is the YSmooth base's `fraction` and `method`. The dialog opens
// on them, the method taken from the settings ("Smooth", "Method") when a
// valid one is kept there. OK sets both and keeps the method in the
// settings; Cancel leaves both as they were and writes nothing. A typed width
// that is not a number is refused with a message and the dialog stays open;
// a typed width not above 0 is taken as 1, a fractional one is truncated.
// A settings file that cannot be saved is not reported: the choice still
// holds for this run.
//
// Threads: the GUI thread only.

#include "Platform/IPrompt.h"
#include "YLib/YSmooth.h"
#include "YWin/YDial.h"

#include <array>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace sonbex::platform {
class SettingsStore;
}

namespace sonbex::ywin {

// The width list's buttons are kIdSmoothWidth + their position (0 = "1 Octave",
// 5 = "1/", which takes the typed N).
inline constexpr int kIdSmoothWidth = 1101;
inline constexpr int kIdSmoothTypedWidth = 1107;
inline constexpr int kIdSmoothMethod = 1108;
inline constexpr int kIdSmoothResolution = 1109;  // the curve's points per octave, for reference
inline constexpr const char* kBadSmoothWidthMessage =
    "The smoothing width must be a number N (1/N octave) ! ";

class SmoothDial : public YDial, public YSmooth {
    Q_OBJECT
public:
    // `pointsPerOctave` is the resolution of the curve to be smoothed (0 when
    // not known); a width N at or above it leaves the curve as it is. The store
    // and the prompt service must outlive the dialog.
    SmoothDial(platform::SettingsStore& settings, platform::IPrompt& prompt, int pointsPerOctave = 0,
               QWidget* parent = nullptr);

    // Position in the width list of the checked button (-1 when none).
    int WidthChoice() const;
    void SetWidthChoice(int choice);

    // OK (public as in QDialog).
    void accept() override;

protected:
    void OnInit() override;

private:
    platform::SettingsStore& settings_;
    platform::IPrompt& prompt_;
    std::array<QRadioButton*, kWidthChoices.size()> widths_{};
    QLineEdit* typedWidth_;
    QComboBox* method_;
};

}  // namespace sonbex::ywin
