#pragma once
// The "Measurement Settings" sheet: the pages "Hardware", "Generator",
// "Analyzer", "Post Proc." and "Microphone" edit the measurement
// configuration record in place. Each page keeps a copy of its block when it
// is built and puts it back when the sheet is cancelled; a successful apply
// makes the applied block the one kept. A page whose fields do not validate
// refuses the apply, focuses the field and the sheet stays open.
// Applying the generator, analyzer, post-processing or microphone page marks
// the settings as changed since they were last saved.
//
// Threads: the GUI thread only.

#include "Platform/IFileChooser.h"
#include "Platform/IPrompt.h"
#include "Sonbex/Measurement/IMicrophoneList.h"
#include "Sonbex/Measurement/MeasSettings.h"
#include "Waveform/WaveformParam.h"
#include "YWin/YPropDlg.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IWaveBackend;
class IWaveform;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sonbex::ywin {
class YIntSpinButton;
}

namespace sonbex::measurement {

inline constexpr const char* kSettingsTitle = "Measurement Settings";
inline constexpr const char* kAdvancedTitle = "Advanced Soundcard Settings";
inline constexpr const char* kNotImpedanceMessage =
    "You must set the analyzer to an impedance method, and then press Apply ! ";
inline constexpr const char* kErrorCaption = "Sonbex 3 Error";
inline constexpr const char* kNotPcmMessage = "This is not a valid PCM Wavefile ! ";
inline constexpr const char* kUpperScaleMessage =
    "The upper limit frequency scale doesn't match the current frequency scale ! \n\nRemoving this limit "
    "test...";
inline constexpr const char* kLowerScaleMessage =
    "The lower limit frequency scale doesn't match the current frequency scale ! \n\nRemoving this limit "
    "test...";
inline constexpr const char* kNoMicrophonesNote = "No microphone calibration files found";
inline constexpr const char* kPostProcNote =
    "Note:\nThe settings above use the last used settings in the output windows.";
// The help page of the sheet; each page has its section there (id = the anchor).
inline constexpr const char* kSettingsHelpPage = "measurement-settings.html";

// What the pages start outside themselves; an empty member leaves its button
// disabled (or, for the checks, accepts).
struct MeasSettingsHooks {
    std::function<void(std::string_view page)> help;
    std::function<void()> mixer;  // mixer selection, stores the mixer devices
    std::function<void()> calibrateLinearity;
    std::function<void()> calibrateLevels;
    std::function<void()> calibrateImpedance;
    std::function<bool()> linearityExists;                  // both directions calibrated
    std::function<void()> sweepTable;                       // the sweep-table dialog on the generator block
    std::function<void()> outputChannels;                   // the output-channel settings
    std::function<void()> limits;                           // the QC limits dialog on the analyzer block
    std::function<std::optional<int>(int type)> turntable;  // properties of the turntable of type 7 or 8
    std::function<bool(const std::string& file)> isPcmWaveFile;
    // Whether a limit file's frequency scale matches the record's.
    std::function<bool(const std::string& file, const MeasConfig& config)> limitScaleMatches;
};

struct MeasSettingsContext {
    MeasSettings& settings;
    platform::IPrompt& prompt;
    platform::IFileChooser& chooser;
    IWaveBackend* devices = nullptr;         // null: only the default device
    IMicrophoneList* microphones = nullptr;  // null: no microphone files
    MeasSettingsHooks hooks;
    bool modal = true;  // tests open the sub-dialogs modeless
};

class MeasSettingsPage : public ywin::YPropSheet {
    Q_OBJECT
public:
    MeasSettingsPage(MeasSettingsContext& context, std::size_t offset, std::size_t size, const char* anchor,
                     QWidget* parent);
    void OnCancel() override;
    bool WasActivated() const { return activated_; }

protected:
    MeasConfig& Config() { return context_.settings.Edit(); }
    // After a successful apply: the applied block is the one kept.
    void Keep();
    void Activated() { activated_ = true; }
    void AddHelp(class QLayout* layout);

    MeasSettingsContext& context_;

private:
    std::size_t offset_, size_;
    const char* anchor_;
    MeasConfig kept_;
    bool activated_ = false;
};

class HardwarePage : public MeasSettingsPage {
    Q_OBJECT
public:
    HardwarePage(MeasSettingsContext& context, QWidget* parent = nullptr);
    void OnActivate() override;
    bool OnApply() override;
    // Lists the formats the selected devices accept.
    void Probe();
    void Advanced();

private:
    void Load();
    void CalibrateImpedance();

    QComboBox *in_, *out_, *rate_, *bits_, *channels_, *inputLine_, *measBox_, *zMethod_;
    QCheckBox *dual_, *linearity_;
    QLabel* status_;
    MeasConfig advanced_;  // what the advanced dialog edits
};

// The advanced hardware settings on a copy of the record; OK copies the
// hardware block back.
class AdvancedHardwareDialog : public ywin::YDial {
    Q_OBJECT
public:
    AdvancedHardwareDialog(MeasConfig& config, QWidget* parent = nullptr);
    void accept() override;

private:
    MeasConfig& config_;
    QLineEdit* bufferSize_;
    ywin::YIntSpinButton* bufferCount_;
    std::vector<std::pair<QCheckBox*, std::uint32_t>> flags_;
    QRadioButton *vxd_, *wdm_;
};

class GeneratorPage : public MeasSettingsPage {
    Q_OBJECT
public:
    GeneratorPage(MeasSettingsContext& context, QWidget* parent = nullptr);
    void OnActivate() override;
    bool OnApply() override;
    // The stimulus chosen in the list: the module id goes into the block and
    // the stimulus settings are built from the module's records.
    void ChooseStimulus(int index);
    void BrowseWaveFile();

private:
    struct Bound {  // a record shown in a control
        bool analysis;
        std::size_t index;
        int control;
        double scale;  // shown = value x scale
    };
    void Build();
    bool ReadBack(WaveformParams& params, WaveformParams& analysis);
    IWaveform* Module() const;

    QComboBox *stimulus_, *combo1_, *dither_;
    QLineEdit *levelA_, *levelB_, *start_, *stop_, *file_;
    ywin::YIntSpinButton* points_;
    QCheckBox *linear_, *reverse_, *random_;
    std::vector<QLineEdit*> edits_;
    std::vector<QLabel*> labels_;
    QLabel *startLabel_, *stopLabel_, *pointsLabel_, *combo1Label_;
    std::vector<Bound> bound_;
    WaveformParams params_, analysis_;
    bool blockStartStop_ = true, blockLinear_ = true;
    int startRecord_ = -1, stopRecord_ = -1;  // the module's own start and stop records
    std::vector<long> combo1Values_;
};

class AnalyzerPage : public MeasSettingsPage {
    Q_OBJECT
public:
    AnalyzerPage(MeasSettingsContext& context, QWidget* parent = nullptr);
    void OnActivate() override;
    bool OnApply() override;

private:
    void Fill();
    void UpdateEnabling();
    void ApplyWindowRule();

    QComboBox *what_, *size_, *window_, *startMode_, *accuracy_;
    QLineEdit *timeWindow_, *startOffset_, *stepAngle_;
    QCheckBox *addDelay_, *symmetric_, *mirror_, *warmUp_;
    QRadioButton *inputA_, *inputB_;
    QPushButton* hwSettings_;
    ywin::YIntSpinButton* averages_;
    int builtFor_ = -1;  // the module the page was filled for
};

class PostProcPage : public MeasSettingsPage {
    Q_OBJECT
public:
    PostProcPage(MeasSettingsContext& context, QWidget* parent = nullptr);
    void OnActivate() override;
    bool OnApply() override;

private:
    void Load();
    QCheckBox *adaptive_, *smoothFrequency_, *smoothImpedance_;
};

class MicrophonePage : public MeasSettingsPage {
    Q_OBJECT
public:
    MicrophonePage(MeasSettingsContext& context, QWidget* parent = nullptr);
    void OnActivate() override;
    bool OnApply() override;
    void ChooseMicrophone(int index);

private:
    void Load();
    QComboBox* microphone_;
    QLineEdit* sensitivity_;
    QCheckBox* use_;
    std::vector<MicrophoneEntry> entries_;
};

class MeasurementSettings : public ywin::YPropDlg {
    Q_OBJECT
public:
    // The context must outlive the sheet.
    explicit MeasurementSettings(MeasSettingsContext& context, QWidget* parent = nullptr);
    HardwarePage* Hardware() const { return hardware_; }
    GeneratorPage* Generator() const { return generator_; }
    AnalyzerPage* Analyzer() const { return analyzer_; }
    PostProcPage* PostProc() const { return postProc_; }
    MicrophonePage* Microphone() const { return microphone_; }

private:
    HardwarePage* hardware_;
    GeneratorPage* generator_;
    AnalyzerPage* analyzer_;
    PostProcPage* postProc_;
    MicrophonePage* microphone_;
};

}  // namespace sonbex::measurement
