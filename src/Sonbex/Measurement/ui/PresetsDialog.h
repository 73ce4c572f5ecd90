#pragma once
// The presets dialog: edits a copy of the ten preset slots (title and
// settings file), one slot at a time chosen with "Preset no."; "&Browse"
// picks the file, "&Edit" opens the slot's settings file in the settings
// sheet and writes the result back to it, leaving the settings in force as
// they were. OK copies the slots back and updates the menu; Cancel discards.
// Threads: the GUI thread only.

#include "Platform/IFileChooser.h"
#include "Platform/IPrompt.h"
#include "Sonbex/Measurement/MeasSettings.h"
#include "Sonbex/Measurement/YPresets.h"
#include "YWin/YDial.h"

#include <functional>

class QLineEdit;
class QPushButton;

namespace sonbex::ywin {
class YIntSpinButton;
}

namespace sonbex::measurement {

inline constexpr const char* kPresetsTitle = "Presets";
inline constexpr const char* kOpenPresetTitle = "Open Preset";
inline constexpr const char* kOpenPresetFilter =
    "Measurement Settings (*.MST)|*.MST|Sonbex 3 Script (*.SXS)|*.SXS|All Files (*.*)|*.*|";
inline constexpr const char* kPresetOpenFailed = "Failed to open the presets file ! ";
inline constexpr const char* kPresetSaveFailed = "Failed to save the presets file ! ";

struct PresetsDialogHost {
    std::function<void()> openSettings;  // runs the settings sheet to its end
    std::function<void()> updateMenu;    // after OK
    std::function<void()> help;
};

class PresetsDialog : public ywin::YDial {
    Q_OBJECT
public:
    PresetsDialog(YPresets& presets, MeasSettings& settings, platform::IPrompt& prompt,
                  platform::IFileChooser& chooser, PresetsDialogHost host, QWidget* parent = nullptr);

    int Shown() const { return shown_; }
    void ShowSlot(int index);  // stores the shown slot's edits first
    void Browse();
    void EditSlot();
    const PresetSlots& Slots() const { return slots_; }

    void accept() override;

private:
    void StoreShown();
    void UpdateEdit();

    YPresets& presets_;
    MeasSettings& settings_;
    platform::IPrompt& prompt_;
    platform::IFileChooser& chooser_;
    PresetsDialogHost host_;
    PresetSlots slots_;
    int shown_ = 0;
    QLineEdit *title_, *file_;
    ywin::YIntSpinButton* number_;
    QPushButton* edit_;
};

}  // namespace sonbex::measurement
