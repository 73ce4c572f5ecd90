#include "Sonbex/PostProcessing/ui/CalcTSDialog.h"

#include "Platform/YRegistry.h"
#include "Sonbex/BoxDesign/StoredText.h"
#include "Sonbex/PostProcessing/TSReport.h"
#include "YLib/YText.h"
#include "YWin/QPainterCanvas.h"
#include "YWin/YDialogItems.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace sonbex::postprocessing {

using platform::PromptIcon;

namespace {

QString FromStored(const std::string& text) { return QString::fromStdString(Utf8FromWindows1252(text)); }
std::string ToStored(const QString& text, int size) {
    return boxdesign::Windows1252FromUtf8(text.toStdString()).substr(0, static_cast<std::size_t>(size - 1));
}

bool SystemClipboard(const std::string& text) {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(QString::fromStdString(Utf8FromWindows1252(text)));
    return true;
}

bool SystemPrint(const std::function<void(ywin::ICanvas&, const ywin::YRect&)>& draw, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const ywin::YRect area{0, 0, page.width(), page.height()};
    ywin::QPainterCanvas canvas(painter, area, false);
    draw(canvas, area);
    return painter.end();
}

}  // namespace

CalcTSDialog::CalcTSDialog(ImpedanceCurve freeAir, std::optional<ImpedanceCurve> loaded, TSRecord& record,
                           CalcTSServices services, QWidget* parent)
    : YDial(parent),
      calc_(std::move(freeAir), std::move(loaded), record),
      target_(record),
      services_(std::move(services)) {
    setWindowTitle(tr("Thiele-Small Parameters"));
    auto edit = [this](int id) {
        auto* e = new QLineEdit(this);
        ywin::SetItemId(e, id);
        return e;
    };
    auto label = [this](int id, const QString& text) {
        auto* l = new QLabel(text, this);
        ywin::SetItemId(l, id);
        return l;
    };
    auto button = [this](int id, const QString& text, void (CalcTSDialog::*slot)()) {
        auto* b = new QPushButton(text, this);
        ywin::SetItemId(b, id);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };

    auto* inputs = new QGridLayout;
    int row = 0;
    inputs->addWidget(new QLabel(tr("Revc (Ohm)"), this), row, 0);
    inputs->addWidget(edit(kIdTsRevc), row, 1);
    inputs->addWidget(button(kIdTsScanRevc, tr("Scan Re&vc"), &CalcTSDialog::ScanRevc), row++, 2);
    inputs->addWidget(label(kIdTsDiaphragmLabel, QStringLiteral("SD-Area (cm\u00B2)")), row, 0);
    inputs->addWidget(edit(kIdTsDiaphragm), row, 1);
    auto* area = new QCheckBox(tr("Area"), this);
    ywin::SetItemId(area, kIdTsArea);
    connect(area, &QCheckBox::clicked, this, &CalcTSDialog::ToggleArea);
    inputs->addWidget(area, row++, 2);
    inputs->addWidget(new QLabel(QStringLiteral("Xmax (mm)"), this), row, 0);
    inputs->addWidget(edit(kIdTsXmax), row++, 1);
    inputs->addWidget(label(kIdTsAddedLabel, tr("Ma (g)")), row, 0);
    inputs->addWidget(edit(kIdTsAdded), row++, 1);
    inputs->addWidget(new QLabel(tr("Manufacturer"), this), row, 0);
    inputs->addWidget(edit(kIdTsManufacturer), row++, 1, 1, 2);
    inputs->addWidget(new QLabel(tr("Model"), this), row, 0);
    inputs->addWidget(edit(kIdTsModel), row++, 1, 1, 2);
    inputs->addWidget(new QLabel(tr("Comment"), this), row, 0);
    inputs->addWidget(edit(kIdTsComment), row++, 1, 1, 2);

    auto* results = new QGridLayout;
    const std::pair<int, const char*> fields[] = {{kIdTsFs, "fs (Hz)"},
                                                  {kIdTsQms, "Qms"},
                                                  {kIdTsQes, "Qes"},
                                                  {kIdTsQts, "Qts"},
                                                  {kIdTsSd, "Sd (cm\u00B2)"},
                                                  {kIdTsXmaxOut, "Xmax (mm)"},
                                                  {kIdTsRevcOut, "Revc (Ohm)"},
                                                  {kIdTsZmax, "Zmax (Ohm)"},
                                                  {kIdTsZnom, "Znom (Ohm)"},
                                                  {kIdTsLevc1k, "Levc 1k (mH)"},
                                                  {kIdTsLevc10k, "Levc 10k (mH)"},
                                                  {kIdTsLevcAve, "Levc (mH)"},
                                                  {kIdTsVas, "Vas (l)"},
                                                  {kIdTsBl, "Bl (T*m)"},
                                                  {kIdTsRms, "Rms (kg/s)"},
                                                  {kIdTsCms, "Cms (mm/N)"},
                                                  {kIdTsMmd, "Mmd (g)"},
                                                  {kIdTsMms, "Mms (g)"},
                                                  {kIdTsEta0, "no (%)"},
                                                  {kIdTsSpl1W, "SPL 1W (dB)"},
                                                  {kIdTsSpl2V83, "SPL 2.83V (dB)"}};
    int i = 0;
    for (const auto& [id, text] : fields) {
        results->addWidget(new QLabel(QString::fromUtf8(text), this), i % 11, (i / 11) * 2);
        auto* out = edit(id);
        out->setReadOnly(true);
        results->addWidget(out, i % 11, (i / 11) * 2 + 1);
        ++i;
    }
    auto* resultBox = new QGroupBox(tr("Results"), this);
    resultBox->setLayout(results);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button(kIdTsRecalc, tr("&Recalc T/S"), &CalcTSDialog::Recalc));
    buttons->addWidget(button(kIdTsPrint, tr("&Print"), &CalcTSDialog::Print));
    buttons->addWidget(button(kIdTsCopy, tr("Cop&y"), &CalcTSDialog::Copy));
    buttons->addWidget(button(kIdTsInsert, tr("&Insert into driver database"), &CalcTSDialog::Insert));
    buttons->addStretch();
    buttons->addWidget(button(kIdTsOk, tr("OK"), &CalcTSDialog::Accept));
    auto* cancel = new QPushButton(tr("Cancel"), this);
    ywin::SetItemId(cancel, kIdTsCancel);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { End(0); });
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addWidget(resultBox);
    layout->addLayout(buttons);
}

void CalcTSDialog::OnInit() {
    if (services_.store) {
        platform::YRegistry reg(*services_.store);
        bool v = true;
        if (reg.Open(platform::SettingsSection(kTsSection), false) && reg.ReadBool(kTsShowAsSd, v))
            showAsArea_ = v;
    }
    const TSRecord& r = calc_.Record();
    if (!r.deltaMass) ywin::SetItemText(this, kIdTsAddedLabel, tr("Vt (l)"));
    ShowResults();
    if (r.revc > 0) ywin::SetItemDouble(this, kIdTsRevc, r.revc, 2);
    if (r.sd > 0) {
        const double v = showAsArea_ ? r.sd * 1e4 : std::sqrt(r.sd / 0.6) * 100;
        ywin::SetItemDouble(this, kIdTsDiaphragm, v, 2);
    }
    if (r.xmax > 0) ywin::SetItemDouble(this, kIdTsXmax, r.xmax * 1000, 4);
    if (r.added > 0) ywin::SetItemDouble(this, kIdTsAdded, r.added * 1000, 4);
    ywin::SetItemChecked(this, kIdTsArea, showAsArea_);
    ywin::SetItemText(this, kIdTsDiaphragmLabel,
                      showAsArea_ ? QStringLiteral("SD-Area (cm\u00B2)") : QStringLiteral("DD-Dia (cm)"));
    ywin::SetItemText(this, kIdTsManufacturer, FromStored(r.manufacturer));
    ywin::SetItemText(this, kIdTsModel, FromStored(r.model));
    ywin::SetItemText(this, kIdTsComment, FromStored(r.comment));
    UpdateEnabling();
    if (QWidget* revc = ywin::FindItem(this, kIdTsRevc)) revc->setFocus();
}

void CalcTSDialog::UpdateEnabling() {
    const TSRecord& r = calc_.Record();
    const bool loaded = calc_.HasLoaded();
    ywin::EnableItem(this, kIdTsAdded, loaded);
    ywin::EnableItem(this, kIdTsAddedLabel, loaded);
    ywin::EnableItem(
        this, kIdTsInsert,
        loaded && services_.database && r.vas != 0 && !r.manufacturer.empty() && !r.model.empty());
    ywin::EnableItem(this, kIdTsPrint, r.vas != 0);
    ywin::EnableItem(this, kIdTsCopy, r.vas != 0);
}

void CalcTSDialog::ShowResults() {
    const TSRecord& r = calc_.Record();
    const bool freeAir = r.freeAir.fs != 0, mass = r.vas != 0;
    auto set = [this](int id, bool shown, double v, int decimals) {
        ywin::SetItemText(this, id, shown ? ywin::FormatField(v, decimals) : QString());
    };
    set(kIdTsFs, freeAir, r.freeAir.fs, 2);
    set(kIdTsQms, freeAir, r.freeAir.qms, 4);
    set(kIdTsQes, freeAir, r.freeAir.qes, 4);
    set(kIdTsQts, freeAir, r.qts, 4);
    set(kIdTsSd, freeAir, r.sd * 1e4, 2);
    set(kIdTsXmaxOut, freeAir, r.xmax * 1000, 2);
    set(kIdTsRevcOut, freeAir, r.revc, 2);
    set(kIdTsZmax, freeAir, r.freeAir.zmax, 2);
    set(kIdTsZnom, freeAir, r.freeAir.znom, 2);
    set(kIdTsLevc1k, freeAir, r.freeAir.levc[0] * 1000, 4);
    set(kIdTsLevc10k, freeAir, r.freeAir.levc[2] * 1000, 4);
    set(kIdTsLevcAve, freeAir, r.freeAir.levcAverage * 1000, 4);
    set(kIdTsVas, mass, r.vas * 1000, 2);
    set(kIdTsBl, mass, r.bl, 2);
    set(kIdTsRms, mass, r.rms, 2);
    set(kIdTsCms, mass, r.cms * 1000, 4);
    set(kIdTsMmd, mass, r.mmd * 1000, 2);
    set(kIdTsMms, mass, r.mms * 1000, 2);
    set(kIdTsEta0, mass, r.eta0 * 100, 4);
    set(kIdTsSpl1W, mass, r.spl1W, 2);
    set(kIdTsSpl2V83, mass, r.spl2V83, 2);
}

void CalcTSDialog::ScanRevc() { ywin::SetItemDouble(this, kIdTsRevc, calc_.ScanRevc(), 2); }

void CalcTSDialog::ToggleArea() {
    showAsArea_ = ywin::IsItemChecked(this, kIdTsArea);
    const double v = ywin::ItemDouble(this, kIdTsDiaphragm).value_or(0);
    if (showAsArea_)
        ywin::SetItemDouble(this, kIdTsDiaphragm, 6000 * (v / 100) * (v / 100), 2);
    else if (v != 0)
        ywin::SetItemDouble(this, kIdTsDiaphragm, std::sqrt(v * 1e-4 / 0.6) * 100, 2);
    ywin::SetItemText(this, kIdTsDiaphragmLabel,
                      showAsArea_ ? QStringLiteral("SD-Area (cm\u00B2)") : QStringLiteral("DD-Dia (cm)"));
}

void CalcTSDialog::ReadIdentification() {
    TSRecord& r = calc_.Record();
    r.manufacturer = ToStored(ywin::ItemText(this, kIdTsManufacturer), 128);
    r.model = ToStored(ywin::ItemText(this, kIdTsModel), 128);
    r.comment = ToStored(ywin::ItemText(this, kIdTsComment), 256);
}

void CalcTSDialog::Recalc() {
    TSEntry e;
    e.revc = ywin::ItemDouble(this, kIdTsRevc).value_or(0);
    e.xmaxMm = ywin::ItemDouble(this, kIdTsXmax).value_or(0);
    e.added = ywin::ItemDouble(this, kIdTsAdded).value_or(0);
    e.diaphragm = ywin::ItemDouble(this, kIdTsDiaphragm).value_or(0);
    e.areaEntry = showAsArea_;
    if (e.xmaxMm < 0) ywin::SetItemText(this, kIdTsXmax, QStringLiteral("0"));
    std::string message;
    const TSOutcome outcome = calc_.Recalc(e, message);
    if (!calc_.HasLoaded() && !(e.diaphragm > 0))
        ywin::SetItemText(this, kIdTsDiaphragm, QStringLiteral("0"));
    ShowResults();
    ReadIdentification();
    UpdateEnabling();
    if (outcome == TSOutcome::Refused) services_.prompt->Show(message, PromptIcon::Error);
}

void CalcTSDialog::Copy() {
    ReadIdentification();
    const std::string text = calc_.CopyReport();
    const bool ok = services_.copyText ? services_.copyText(text) : SystemClipboard(text);
    if (!ok) services_.prompt->Show("Failed to copy the data to the clipboard ! ", PromptIcon::Error);
}

void CalcTSDialog::Print() {
    ReadIdentification();
    const TSRecord record = calc_.Record();
    auto draw = [record](ywin::ICanvas& canvas, const ywin::YRect& area) {
        const int line = std::max(12, area.Height() / 60);
        DrawTSReport(canvas, record, area, line);
    };
    if (services_.print)
        services_.print(draw);
    else
        SystemPrint(draw, this);
}

void CalcTSDialog::Insert() {
    ReadIdentification();
    if (!services_.database) return;
    std::string message;
    if (!calc_.InsertIntoDatabase(*services_.database, message))
        services_.prompt->Show(message, PromptIcon::Error);
}

void CalcTSDialog::Accept() {
    if (calc_.Calculated()) {
        ReadIdentification();
        target_ = calc_.Record();
        if (services_.changed) services_.changed();
    }
    End(1);
}

void CalcTSDialog::OnEnd(int result) {
    if (result != 1 || !services_.store) return;
    platform::YRegistry reg(*services_.store);
    if (reg.Open(platform::SettingsSection(kTsSection), true)) reg.WriteBool(kTsShowAsSd, showAsArea_);
}

bool RunCalcTS(ImpedanceCurve freeAir, std::optional<ImpedanceCurve> loaded, TSRecord& record,
               CalcTSServices services, QWidget* parent) {
    CalcTSDialog dialog(std::move(freeAir), std::move(loaded), record, std::move(services), parent);
    return dialog.Create(true) && dialog.Result() == 1 && dialog.Calc().Calculated();
}

}  // namespace sonbex::postprocessing
