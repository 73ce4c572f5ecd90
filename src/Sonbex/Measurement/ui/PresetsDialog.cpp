#include "Sonbex/Measurement/ui/PresetsDialog.h"

#include "Sonbex/Measurement/ui/MeasSettingsIds.h"
#include "Waveform/IWaveform.h"
#include "YWin/YDialogItems.h"
#include "YWin/YSpinButton.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonbex::measurement {

using ywin::SetItemId;

PresetsDialog::PresetsDialog(YPresets& presets, MeasSettings& settings, platform::IPrompt& prompt,
                             platform::IFileChooser& chooser, PresetsDialogHost host, QWidget* parent)
    : YDial(parent),
      presets_(presets),
      settings_(settings),
      prompt_(prompt),
      chooser_(chooser),
      host_(std::move(host)),
      slots_(presets.Slots()) {
    setWindowTitle(tr(kPresetsTitle));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    title_ = new QLineEdit(this);
    SetItemId(title_, ids::kPresetTitle);
    title_->setMaxLength(static_cast<int>(kPresetTitleLimit));
    file_ = new QLineEdit(this);
    SetItemId(file_, ids::kPresetFile);
    file_->setReadOnly(true);
    number_ = new ywin::YIntSpinButton(1, kPresetSlots, 1, this);
    SetItemId(number_, ids::kPresetNumber);
    form->addRow(tr("Title"), title_);
    form->addRow(tr("File"), file_);
    form->addRow(tr("Preset no."), number_);
    layout->addLayout(form);
    auto* row = new QHBoxLayout;
    edit_ = new QPushButton(tr("&Edit"), this);
    SetItemId(edit_, ids::kPresetEdit);
    auto* browse = new QPushButton(tr("&Browse"), this);
    SetItemId(browse, ids::kPresetBrowse);
    row->addWidget(edit_);
    row->addWidget(browse);
    layout->addLayout(row);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Help)->setEnabled(static_cast<bool>(host_.help));
    connect(buttons, &QDialogButtonBox::accepted, this, &PresetsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PresetsDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (host_.help) host_.help();
    });
    layout->addWidget(buttons);
    connect(edit_, &QPushButton::clicked, this, [this] { EditSlot(); });
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
    connect(number_, &ywin::YSpinButtonBase::ValueChanged, this,
            [this](double v) { ShowSlot(static_cast<int>(v) - 1); });
    number_->SetValue(1);
    ShowSlot(0);
}

void PresetsDialog::StoreShown() {
    slots_[shown_].title = title_->text().toStdString().substr(0, kPresetTitleLimit);
    slots_[shown_].fileName = file_->text().toStdString();
}

void PresetsDialog::UpdateEdit() { edit_->setEnabled(!file_->text().isEmpty()); }

void PresetsDialog::ShowSlot(int index) {
    if (index < 0 || index >= kPresetSlots) return;
    if (index != shown_) StoreShown();
    shown_ = index;
    title_->setText(QString::fromStdString(slots_[index].title));
    file_->setText(QString::fromStdString(slots_[index].fileName));
    if (number_->IntValue() != index + 1) number_->SetValue(index + 1);
    UpdateEdit();
}

void PresetsDialog::Browse() {
    auto chosen = chooser_.OpenFile(kOpenPresetTitle, kOpenPresetFilter);
    if (!chosen) return;
    file_->setText(QString::fromStdString(chosen->string()));
    UpdateEdit();
}

void PresetsDialog::EditSlot() {
    StoreShown();
    const std::string file = slots_[shown_].fileName;
    if (file.empty()) return;
    // What is in force now comes back afterwards, the module's parameters too.
    const MeasConfig kept = settings_.Config();
    WaveformParams params, analysis;
    IWaveform* module = settings_.Module();
    const bool keptLists = module && module->GetParams(params) && module->GetAnalysisParams(analysis);
    if (!settings_.OpenFile(file)) {
        prompt_.Show(kPresetOpenFailed, platform::PromptIcon::Error);
        return;
    }
    if (host_.openSettings) host_.openSettings();
    if (!settings_.SaveFile(file)) prompt_.Show(kPresetSaveFailed, platform::PromptIcon::Error);
    MeasConfig restored = settings_.Config();
    restored.CopyRange(kept, kGeneratorOffset, kGeneratorSize);
    restored.CopyRange(kept, kAnalyzerOffset, kAnalyzerSize);
    restored.SetU32(off::kState, kept.State());
    settings_.Edit() = restored;
    if (keptLists) {
        module->SetParams(params);
        module->SetAnalysisParams(analysis);
    }
    settings_.RefreshModules();
}

void PresetsDialog::accept() {
    StoreShown();
    presets_.SetSlots(slots_);
    if (host_.updateMenu) host_.updateMenu();
    YDial::accept();
}

}  // namespace sonbex::measurement
