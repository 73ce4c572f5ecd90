#pragma once
// The "Global Settings" dialog (103): the temporary folder, the start-up and
// toolbar toggles, the desktop background and the ambient temperature.
// Toggling the clock, the flat toolbar or the background takes effect at
// once through the host; OK keeps the changes, Cancel puts back the flags,
// both paths and the layout that were in force when the dialog opened.
// The temperature field takes numbers only; a temperature outside the
// plausible range is refused with a message and the dialog stays open. Help
// (the button, F1) opens the dialog's help page.
// Threads: the GUI thread only.

#include "Platform/IFileChooser.h"
#include "Platform/IPrompt.h"
#include "Sonbex/Shell/GlobalConfig.h"
#include "Sonbex/Shell/ShellFiles.h"
#include "YWin/YDial.h"

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace sonbex::shell {

// What the dialog changes outside itself; every member may be empty.
struct GlobalSettingsHost {
    std::function<void(bool showTime)> relayoutStatusBar;
    std::function<void(bool flat)> setFlatToolbar;
    std::function<void(const std::string& backgroundPath)> repaintBackground;
    std::function<void()> help;  // empty: the frame's help of the dialog (YDial::ShowHelp)
};

inline constexpr int kIdTempDir = 1007;
inline constexpr int kIdBrowseTempDir = 1008;
inline constexpr int kIdTemperature = 1433;
inline constexpr const char* kNoBackground = " <Windows>";
inline constexpr const char* kLocateTempDirTitle = "Locate a temporary directory";
inline constexpr const char* kTemperatureLabel = "Ambient temperature (°C)";
inline constexpr const char* kTemperatureRangeMessage =
    "The ambient temperature must be between -50 and 60 °C ! ";

class GlobalSettingsDialog : public ywin::YDial {
    Q_OBJECT
public:
    // `config` is the record in force; it and the services must outlive the dialog.
    GlobalSettingsDialog(GlobalConfig& config, std::vector<BackgroundChoice> backgrounds,
                         platform::IFileChooser& chooser, platform::IPrompt& prompt, GlobalSettingsHost host,
                         QWidget* parent = nullptr);

    void BrowseTempDir();
    void ChooseBackground(int index);

public:
    // OK and Cancel (public as in QDialog).
    void accept() override;
    void reject() override;

protected:
    void OnInit() override;

private:
    void Toggle(std::uint32_t flag, bool on);
    void ApplyLayout(const GlobalConfig& c);

    GlobalConfig& config_;
    GlobalConfig before_;
    std::vector<BackgroundChoice> backgrounds_;
    platform::IFileChooser& chooser_;
    platform::IPrompt& prompt_;
    GlobalSettingsHost host_;
    QLineEdit* tempDir_;
    QLineEdit* temperature_;
    QComboBox* background_;
    QCheckBox* splash_;
    QCheckBox* time_;
    QCheckBox* flat_;
    QCheckBox* time24_;
};

}  // namespace sonbex::shell
