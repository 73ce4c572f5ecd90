#include "Sonbex/BoxDesign/ui/YSpkDbaseMgr.h"

#include "Sonbex/BoxDesign/StoredText.h"
#include "YLib/YText.h"
#include "YWin/YDialogItems.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sonbex::boxdesign {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

// Stored text is Windows-1252; the dialog shows and reads Unicode.
QString FromStored(const std::string& text) { return QString::fromStdString(Utf8FromWindows1252(text)); }
std::string ToStored(const QString& text) { return Windows1252FromUtf8(text.toStdString()); }

std::optional<double> FieldValue(const QWidget* dialog, int id) {
    const QString text = ywin::ItemText(dialog, id).trimmed();
    if (text.isEmpty()) return std::nullopt;
    return ywin::ParseField(text);
}

}  // namespace

SpeakerDatabaseDialog::SpeakerDatabaseDialog(YSpeakerData& db, platform::IPrompt& prompt,
                                             platform::IFileChooser& chooser, std::function<void()> help,
                                             DriverId current, QWidget* parent)
    : YDial(parent), db_(db), prompt_(prompt), chooser_(chooser), help_(std::move(help)), current_(current) {
    setWindowTitle(tr("Speaker Driver Database"));
    tree_ = new QTreeWidget(this);
    ywin::SetItemId(tree_, kIdDriverTree);
    tree_->setHeaderHidden(true);
    tree_->setMinimumSize(240, 360);
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { SelectItem(item); });

    auto* form = new QFormLayout;
    auto line = [this, form](int id, const QString& label) {
        auto* edit = new QLineEdit(this);
        ywin::SetItemId(edit, id);
        form->addRow(label, edit);
        return edit;
    };
    line(kIdManufacturer, tr("Manufacturer"))->setMaxLength(127);
    line(kIdModel, tr("Model"))->setMaxLength(127);
    line(kIdFs, tr("fs (Hz)"));
    line(kIdVas, tr("Vas (liter)"));
    line(kIdQms, tr("Qms"));
    line(kIdQes, tr("Qes"));
    line(kIdQts, tr("Qts"));
    line(kIdSd, QStringLiteral("Sd (cm\u00B2)"));
    line(kIdVd, QStringLiteral("Vd (\u00B1liter)"));
    line(kIdXmax, QStringLiteral("Xmax (\u00B1mm)"));
    line(kIdRevc, tr("Revc (Ohm)"));
    line(kIdLevc, tr("Levc (m.H)"));
    auto* comment = new QPlainTextEdit(this);
    ywin::SetItemId(comment, kIdComment);
    comment->setMaximumHeight(70);
    form->addRow(tr("Comment"), comment);

    auto button = [this](int id, const QString& text, void (SpeakerDatabaseDialog::*slot)()) {
        auto* b = new QPushButton(text, this);
        ywin::SetItemId(b, id);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(button(kIdNewDriver, tr("&New"), &SpeakerDatabaseDialog::NewDriver));
    buttons->addWidget(button(kIdAddUpdate, tr("&Add/Update"), &SpeakerDatabaseDialog::AddOrUpdate));
    buttons->addWidget(button(kIdDeleteDriver, tr("&Delete"), &SpeakerDatabaseDialog::DeleteDriver));
    buttons->addSpacing(8);
    buttons->addWidget(button(kIdImportDir, tr("Import &Dir."), &SpeakerDatabaseDialog::ImportDirectory));
    buttons->addWidget(button(kIdImportFile, tr("Import &File"), &SpeakerDatabaseDialog::ImportFile));
    buttons->addWidget(button(kIdExportList, tr("&Export List"), &SpeakerDatabaseDialog::ExportList));
    buttons->addStretch();
    auto* helpButton = new QPushButton(tr("&Help"), this);
    ywin::SetItemId(helpButton, kIdDriverHelp);
    helpButton->setAutoDefault(false);
    connect(helpButton, &QPushButton::clicked, this, [this] {
        if (help_) help_();
    });
    buttons->addWidget(helpButton);
    auto* select = new QPushButton(tr("&Select"), this);
    ywin::SetItemId(select, kIdSelect);
    connect(select, &QPushButton::clicked, this, [this] { End(1); });
    buttons->addWidget(select);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    ywin::SetItemId(cancel, kIdCancelDriver);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { End(0); });
    buttons->addWidget(cancel);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(tree_, 1);
    layout->addLayout(form, 1);
    layout->addLayout(buttons);
}

void SpeakerDatabaseDialog::OnInit() {
    ywin::EnableItem(this, kIdDeleteDriver, false);
    if (!db_.Contains(current_)) current_ = kNoDriver;
    FillTree();
}

void SpeakerDatabaseDialog::FillTree() {
    const QSignalBlocker block(tree_);
    tree_->clear();
    QTreeWidgetItem* maker = nullptr;
    std::string previous;
    QTreeWidgetItem* selected = nullptr;
    const QIcon folder = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon file = style()->standardIcon(QStyle::SP_FileIcon);
    for (DriverId id : db_.Ids()) {
        const DriverRecord& r = *db_.Get(id);
        if (!maker || CompareNoCase(r.manufacturer, previous) != 0) {
            maker = new QTreeWidgetItem(tree_, QStringList{FromStored(r.manufacturer)});
            maker->setIcon(0, folder);
            previous = r.manufacturer;
        }
        auto* item = new QTreeWidgetItem(maker, QStringList{FromStored(r.model)});
        item->setIcon(0, file);
        item->setData(0, kIdRole, QVariant::fromValue<qulonglong>(id));
        if (id == current_) selected = item;
    }
    if (selected) {
        tree_->setCurrentItem(selected);
        tree_->scrollToItem(selected);
        ShowDriver(db_.Get(current_));
        ywin::EnableItem(this, kIdDeleteDriver, true);
    }
}

void SpeakerDatabaseDialog::SelectItem(QTreeWidgetItem* item) {
    if (!item || !item->parent()) return;  // a manufacturer item
    const DriverId id = item->data(0, kIdRole).toULongLong();
    if (!db_.Contains(id)) return;
    current_ = id;
    ShowDriver(db_.Get(id));
    ywin::EnableItem(this, kIdDeleteDriver, true);
}

void SpeakerDatabaseDialog::ShowDriver(const DriverRecord* r) {
    const DriverFields f = r ? FieldsOf(*r) : DriverFields{};
    ywin::SetItemText(this, kIdManufacturer, r ? FromStored(r->manufacturer) : QString());
    ywin::SetItemText(this, kIdModel, r ? FromStored(r->model) : QString());
    const std::pair<int, const std::optional<double>*> numbers[] = {
        {kIdFs, &f.fs}, {kIdVas, &f.vas}, {kIdQms, &f.qms},   {kIdQes, &f.qes}, {kIdQts, &f.qts},
        {kIdSd, &f.sd}, {kIdVd, &f.vd},   {kIdXmax, &f.xmax}, {kIdRevc, &f.re}, {kIdLevc, &f.le}};
    for (const auto& [id, value] : numbers)
        ywin::SetItemText(this, id, *value ? ywin::FormatField(**value, 4) : QString());
    if (auto* comment = ywin::FindItemAs<QPlainTextEdit>(this, kIdComment))
        comment->setPlainText(r ? FromStored(r->comment) : QString());
}

DriverFields SpeakerDatabaseDialog::ReadFields() const {
    DriverFields f;
    f.manufacturer = ToStored(ywin::ItemText(this, kIdManufacturer).trimmed());
    f.model = ToStored(ywin::ItemText(this, kIdModel).trimmed());
    if (auto* comment = ywin::FindItemAs<QPlainTextEdit>(this, kIdComment))
        f.comment = ToStored(comment->toPlainText());
    f.fs = FieldValue(this, kIdFs);
    f.vas = FieldValue(this, kIdVas);
    f.qms = FieldValue(this, kIdQms);
    f.qes = FieldValue(this, kIdQes);
    f.qts = FieldValue(this, kIdQts);
    f.sd = FieldValue(this, kIdSd);
    f.vd = FieldValue(this, kIdVd);
    f.xmax = FieldValue(this, kIdXmax);
    f.re = FieldValue(this, kIdRevc);
    f.le = FieldValue(this, kIdLevc);
    return f;
}

void SpeakerDatabaseDialog::NewDriver() {
    current_ = kNoDriver;
    {
        const QSignalBlocker block(tree_);
        tree_->setCurrentItem(nullptr);
    }
    ShowDriver(nullptr);
    ywin::EnableItem(this, kIdDeleteDriver, false);
}

void SpeakerDatabaseDialog::AddOrUpdate() {
    const DriverEditResult result = BuildDriverRecord(ReadFields(), db_.Get(current_));
    if (!result.ok) {
        prompt_.Show(result.message, PromptIcon::Error);
        return;
    }
    current_ = db_.AddOrReplace(result.record, true, true);
    FillTree();
}

void SpeakerDatabaseDialog::DeleteDriver() {
    if (!db_.Contains(current_)) return;
    if (prompt_.Show(kDeleteDriverQuestion, PromptIcon::Question, PromptButtons::YesNo) != PromptAnswer::Yes)
        return;
    db_.Remove(current_);
    current_ = kNoDriver;
    FillTree();
    ywin::EnableItem(this, kIdDeleteDriver, false);
    ShowDriver(nullptr);
}

void SpeakerDatabaseDialog::AfterImport(int before) {
    if (!db_.Contains(current_)) current_ = kNoDriver;
    if (db_.Count() != before) FillTree();
    const int added = db_.Count() - before;
    prompt_.Show("Found " + std::to_string(added) + " new speaker drivers, there is now a grand total of " +
                     std::to_string(db_.Count()) + " drivers.",
                 PromptIcon::Information, PromptButtons::Ok, "Import Result");
}

void SpeakerDatabaseDialog::ImportDirectory() {
    const auto folder = chooser_.ChooseFolder(kImportTitle);
    if (!folder) return;
    const int before = db_.Count();
    db_.Import(*folder, true, true);
    AfterImport(before);
}

void SpeakerDatabaseDialog::ImportFile() {
    const auto file = chooser_.OpenFile(kImportTitle, kImportFilter);
    if (!file) return;
    const int before = db_.Count();
    db_.Import(*file, false, false);
    AfterImport(before);
}

void SpeakerDatabaseDialog::ExportList() {
    const auto file = chooser_.SaveFile(kExportTitle, kExportFilter, {}, ".txt");
    if (!file) return;
    if (!db_.ExportText(*file)) prompt_.Show("Failed to export the driver list ! ", PromptIcon::Error);
}

// ---------------------------------------------------------------- manager

YSpkDbaseMgr::YSpkDbaseMgr(platform::IPrompt& prompt, platform::IFileChooser& chooser,
                           std::function<void()> help, QObject* parent)
    : QObject(parent), prompt_(prompt), chooser_(chooser), help_(std::move(help)) {}

YSpkDbaseMgr::~YSpkDbaseMgr() = default;

DriverId YSpkDbaseMgr::SelectDriver(DriverId current, QWidget* parent) {
    SpeakerDatabaseDialog dialog(db_, prompt_, chooser_, help_, current, parent);
    if (!dialog.Create(true) || dialog.Result() != 1) return kNoDriver;
    return db_.Contains(dialog.CurrentDriver()) ? dialog.CurrentDriver() : kNoDriver;
}

SpeakerDatabaseDialog* YSpkDbaseMgr::OpenModeless(DriverId current, QWidget* parent) {
    modeless_ = std::make_unique<SpeakerDatabaseDialog>(db_, prompt_, chooser_, help_, current, parent);
    return modeless_->Create(false) ? modeless_.get() : nullptr;
}

}  // namespace sonbex::boxdesign
