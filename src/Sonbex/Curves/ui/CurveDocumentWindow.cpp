#include "Sonbex/Curves/ui/CurveDocumentWindow.h"

#include "Platform/IPrompt.h"
#include "Sonbex/Curves/ui/FreqCurveListDialog.h"
#include "Sonbex/Curves/ui/GraphInfoDialog.h"
#include "Sonbex/Shell/DocumentKinds.h"
#include "Sonbex/Shell/ui/SonbexApp.h"
#include "YLib/YText.h"
#include "YWin/YGraphics.h"

#include <QAction>
#include <QMdiSubWindow>

namespace sonbex::curves {

namespace {
using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

}  // namespace

int WindowKindOf(CurveFileType type) {
    switch (type) {
        case CurveFileType::Sxf:
            return shell::kind::kFrequencyGraph;
        case CurveFileType::Sxz:
            return shell::kind::kImpedanceGraph;
        case CurveFileType::Sxp:
            return shell::kind::kImpulseGraph;
        case CurveFileType::Spp:
            return shell::kind::kPolarPlot;
        case CurveFileType::Csd:
            return shell::kind::kCsdGraph;
        case CurveFileType::Smg:
            return shell::kind::kMultiGraph;
    }
    return 0;
}

std::string DefaultCaption(CurveFileType type) {
    switch (type) {
        case CurveFileType::Sxf:
            return "Frequency Curve";
        case CurveFileType::Sxz:
            return "Impedance Curve";
        case CurveFileType::Sxp:
            return "Impulse";
        case CurveFileType::Spp:
            return "Polar-Plot";
        case CurveFileType::Csd:
            return "CSD Graph";
        case CurveFileType::Smg:
            return "Multi-Graph";
    }
    return {};
}

CurveDocumentWindow::CurveDocumentWindow(CurveFileType type, Services services, QWidget* parent)
    : ywin::YStdWnd(parent), doc_(type), services_(std::move(services)) {
    setObjectName(QStringLiteral("curveDocument"));
    setMinimumSize(360, 200);
    auto* info = new QAction(QStringLiteral("Graph Information"), this);
    info->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F1));
    info->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(info, &QAction::triggered, this, [this] { ShowGraphInfo(); });
    addAction(info);
    setFocusPolicy(Qt::StrongFocus);
}

CurveDocumentWindow::~CurveDocumentWindow() = default;

bool CurveDocumentWindow::LoadFile(const std::string& path, bool append) {
    if (!services_.prompt || !doc_.Load(path, append, *services_.prompt)) return false;
    Refresh();
    return true;
}

void CurveDocumentWindow::OnFrameCommand(int, shell::ForwardedMessage message) {
    switch (message) {
        case shell::ForwardedMessage::Save:
            SaveDocument(false);
            break;
        case shell::ForwardedMessage::SaveAs:
            SaveDocument(true);
            break;
        case shell::ForwardedMessage::Undo:
            doc_.frequency.UndoAll();
            Refresh();
            break;
        default:
            break;
    }
}

bool CurveDocumentWindow::SaveDocument(bool askForName) {
    if (!services_.prompt) return false;
    std::vector<std::size_t> which;
    if (doc_.Type() == CurveFileType::Sxf && doc_.frequency.Size() > 1 && askForName) {
        // Several sets: the user picks the ones the file gets.
        auto* picker = new FreqCurveListDialog(doc_.frequency, FreqCurveListDialog::Purpose::Save, this);
        dialog_.reset(picker);
        if (!services_.modalDialogs) {
            picker->Create(false);
            return false;  // the test drives the dialog and calls Save itself
        }
        picker->Create(true);
        which = picker->Picked();
        if (which.empty()) return false;
    }
    const std::filesystem::path target = askForName ? std::filesystem::path() : doc_.FilePath();
    const bool saved = doc_.Save(target, *services_.prompt, services_.chooser, which);
    Refresh();
    return saved;
}

void CurveDocumentWindow::ShowGraphInfo() {
    DataSetHeader* header = FirstHeader();
    if (!header) return;
    GraphInfoOptions options;
    options.use24Hours = services_.use24Hours && services_.use24Hours();
    options.impulseGraph = doc_.Type() == CurveFileType::Sxp;
    options.stimulusName = StimulusModuleName;
    auto* info = new GraphInfoDialog(*header, options, this);
    dialog_.reset(info);
    const std::string before = header->title;
    connect(info, &QDialog::finished, this, [this, before, header] {
        if (header->title != before) {
            doc_.SetModified(true);
            if (doc_.Type() == CurveFileType::Sxf && !doc_.frequency.Empty())
                doc_.frequency[0].MarkSaved(false);
            Refresh();
        }
    });
    info->Create(services_.modalDialogs);
}

DataSetHeader* CurveDocumentWindow::FirstHeader() {
    switch (doc_.Type()) {
        case CurveFileType::Sxf:
            return doc_.frequency.Empty() ? nullptr : &doc_.frequency[0].Header();
        case CurveFileType::Sxz:
            return &doc_.impedance.header;
        case CurveFileType::Sxp:
            return &doc_.impulse.header;
        case CurveFileType::Spp:
            return &doc_.polar.header;
        case CurveFileType::Csd:
            return &doc_.csd.header;
        case CurveFileType::Smg:
            return nullptr;
    }
    return nullptr;
}

bool CurveDocumentWindow::QueryClose() {
    if (!doc_.IsModified() || !services_.prompt) return true;
    const PromptAnswer a =
        services_.prompt->Show(kSaveChangesQuestion, PromptIcon::Question, PromptButtons::YesNoCancel);
    if (a == PromptAnswer::Cancel) return false;
    if (a == PromptAnswer::Yes) return SaveDocument(false);
    return true;
}

bool CurveDocumentWindow::CanUndo() const {
    for (const auto& s : doc_.frequency.Sets())
        if (s->UndoDepth() > 0) return true;
    return false;
}

std::string CurveDocumentWindow::Title() const {
    const std::string t = doc_.Title();
    return t.empty() ? DefaultCaption(doc_.Type()) : Utf8FromWindows1252(t);
}

std::optional<ywin::YDateTime> CurveDocumentWindow::AcquireTime() const {
    const auto sets = doc_.Summaries();
    if (sets.empty() || sets[0].acquired.IsZero()) return std::nullopt;
    const AcquireDate& d = sets[0].acquired;
    return ywin::YDateTime{d.year, d.month, d.day, d.hour, d.minute, d.second};
}

ywin::YRect CurveDocumentWindow::GetRect() const { return {0, 0, width(), height()}; }

void CurveDocumentWindow::Draw(ywin::YGraphics& g, const ywin::YRect& area, unsigned) {
    g.FillRect(area, ywin::Rgb(255, 255, 255));
    g.SetTextColor(ywin::Rgb(0, 0, 0));
    int y = area.top + 8;
    const int x = area.left + 10, step = 17;
    const auto line = [&](const std::string& text) {
        g.Text(x, y, text);
        y += step;
    };
    const std::string path = doc_.FilePath().string();
    line(DefaultCaption(doc_.Type()) + (path.empty() ? std::string() : ": " + path));
    for (const SetSummary& s : doc_.Summaries()) {
        y += step / 2;
        line(Utf8FromWindows1252(s.title) + (s.saved ? "" : " *"));
        if (s.points > 0 && doc_.Type() != CurveFileType::Sxp && doc_.Type() != CurveFileType::Smg)
            line("    " + std::to_string(s.points) + " points, " + FormatFixed(s.firstFrequency, 1) + " .. " +
                 FormatFixed(s.lastFrequency, 1) + " Hz");
        std::string curves;
        for (const std::string& c : s.curves) curves += (curves.empty() ? "" : ", ") + c;
        if (!curves.empty()) line("    " + curves);
        if (y > area.bottom) break;
    }
}

void CurveDocumentWindow::Refresh() {
    const QString caption =
        QString::fromStdString(Title()) + (doc_.IsModified() ? QStringLiteral(" *") : QString());
    setWindowTitle(caption);
    if (QMdiSubWindow* sub = SubWindow()) sub->setWindowTitle(caption);
    update();
}

void RegisterCurveDocuments(shell::SonbexApp& app) {
    for (CurveFileType type : {CurveFileType::Sxf, CurveFileType::Sxz, CurveFileType::Sxp, CurveFileType::Spp,
                               CurveFileType::Csd, CurveFileType::Smg}) {
        app.RegisterDocumentKind(WindowKindOf(type), [&app, type]() -> ywin::YStdWnd* {
            CurveDocumentWindow::Services services;
            services.prompt = &app.Prompt();
            services.chooser = &app.FileChooser();
            services.use24Hours = [&app] { return app.Config().Has(shell::kTime24Hour); };
            return new CurveDocumentWindow(type, services);
        });
    }
}

}  // namespace sonbex::curves
