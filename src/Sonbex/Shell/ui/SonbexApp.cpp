#include "Sonbex/Shell/ui/SonbexApp.h"

#include "Platform/Paths.h"
#include "Platform/YRegistry.h"
#include "Sonbex/Shell/DocumentKinds.h"
#include "Sonbex/Shell/OpenFailure.h"
#include "Sonbex/Shell/RoutingFlags.h"
#include "Sonbex/Shell/ShellFiles.h"
#include "Sonbex/Shell/TipsFile.h"
#include "Sonbex/Shell/WindowPlacement.h"
#include "Sonbex/Shell/ui/AboutDialog.h"
#include "Sonbex/Shell/ui/GlobalSettingsDialog.h"
#include "Sonbex/Shell/ui/GuiResultSink.h"
#include "Sonbex/Shell/ui/HelpWindow.h"
#include "Sonbex/Shell/ui/SplashScreen.h"
#include "Sonbex/Shell/ui/TipsDialog.h"
#include "Sonbex/Shell/ui/ToolbarIcons.h"
#include "YWin/IGraphWnd.h"
#include "YWin/QPainterCanvas.h"
#include "YWin/YDialogItems.h"
#include "YWin/YHourglass.h"
#include "YWin/YRecentFilesMenu.h"
#include "YWin/YStdWnd.h"
#include "YWin/YToolBar.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QScreen>
#include <QStyle>
#include <QUrl>

#include <algorithm>

namespace sonbex::shell {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// Menus whose disabled items can be highlighted, so the status bar can say
// why they are disabled (and F1 can open their help).
class MenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == QStyle::SH_Menu_AllowActiveAndDisabled) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

QString PlainText(std::string_view menuText) { return Q(menuText).remove(QLatin1Char('&')); }

ScreenRect ToScreenRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace

SonbexApp::SonbexApp(SonbexAppOptions options) : YWinApp(options.presenter), options_(std::move(options)) {
    setObjectName(QStringLiteral("frame"));
    setWindowTitle(Q(kFrameCaption));
    setAcceptDrops(true);
    store_ = std::make_unique<platform::SettingsStore>(Prompt());
    recent_ = std::make_unique<platform::YRecentFileList>(*store_);
    sink_ = std::make_unique<GuiResultSink>(*this);
    if (!options_.help) ownHelp_ = std::make_unique<HelpViewer>(FindHelpFolder(StandardHelpFolders()), this);
    config_ = DefaultGlobalConfig(StandardGlobalConfigDefaults(options_.paths));
    RegisterShellCommands();
    BuildMenus();
    BuildToolbar();
    StatusBar().SetPaneCount(6);  // with the message part and the clock: 7 or 8 parts
    connect(MdiArea(), &QMdiArea::subWindowActivated, this, [this] { UpdateMenus(); });
    frameTimer_.setInterval(200);
    connect(&frameTimer_, &QTimer::timeout, this, &SonbexApp::OnTick);
}

SonbexApp::~SonbexApp() {
    BeginShutdown();
    frameTimer_.stop();
    // The widgets outlive this part of the object (QWidget deletes them later)
    // and signal while they go: none may reach it any more.
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    recentMenu_.reset();  // before the list it shows
    for (QMenu* menu : findChildren<QMenu*>())
        if (menu->style() == menuStyle_.get()) menu->setStyle(nullptr);
}

// ---------------------------------------------------------------- start-up

void SonbexApp::Start(const std::vector<std::filesystem::path>& files) {
    // Settings: the store, the global configuration (an unreadable one is kept
    // aside before the exit overwrites it), the recent files.
    const std::filesystem::path settings =
        options_.settingsFile.empty() ? options_.paths.SettingsFile() : options_.settingsFile;
    store_->Open(settings);
    BackUpUnreadableGlobalConfig(*store_);
    LoadGlobalConfig(*store_, config_, StandardGlobalConfigDefaults(options_.paths));
    tips_ = LoadTips(FindTipsFile(options_.paths));
    for (const auto& step : settingsSteps_) step();

    setWindowTitle(Q(kFrameCaption));
    if (config_.Has(kShowSplash)) {
        splash_ = new SplashScreen();
        splash_->ShowCentred();
    }

    recent_->Attach(platform::kSettingsRoot);
    recentMenu_ = std::make_unique<ywin::YRecentFilesMenu>(*recent_, *Menu(100), recentBefore_,
                                                           [this](int id) { ExecuteCommand(id); });
    SetBackground(QString::fromStdString(config_.backgroundPath));
    RestoreLayout(*store_);
    ApplyBars();
    ApplyPlacement();
    UpdateMenus();
    frameTimer_.start();
    if (splash_) splash_->raise();  // above the frame that was shown after it
    for (const auto& step : frameSteps_) step();

    OpenFiles(files);
    if (config_.Has(kShowTips)) {
        // After the splash screen, so the tip is not hidden behind it.
        if (splash_)
            connect(splash_, &QObject::destroyed, this, [this] { ShowTips(); });
        else
            ShowTips();
    }
}

void SonbexApp::ApplyPlacement() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desk = screen ? screen->availableVirtualGeometry() : QRect(0, 0, 1024, 768);
    const auto& r = config_.windowRect;
    const ScreenRect placed = PlaceMainWindow({r[0], r[1], r[2], r[3]}, ToScreenRect(desk));
    InitWindows(placed.left, placed.top, placed.right, placed.bottom, config_.Has(kMainWindowMaximised));
}

void SonbexApp::ApplyBars() {
    ToolBar().setVisible(config_.Has(kToolbarVisible));
    ToolBar().SetFlat(config_.Has(kFlatToolbar));
    StatusBar().setVisible(config_.Has(kStatusBarVisible));
    StatusBar().SetShowTime(config_.Has(kShowTime));
    StatusBar().SetTime24Hour(config_.Has(kTime24Hour));
}

// ---------------------------------------------------------------- menus

void SonbexApp::BuildMenus() {
    for (const MenuDef& def : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(Q(def.title));
        menu->setObjectName(QStringLiteral("menu%1").arg(def.helpId));
        menu->menuAction()->setStatusTip(Q(def.statusTip));
        menus_[def.helpId] = menu;
        connect(menu, &QMenu::aboutToShow, this, &SonbexApp::UpdateMenus);
        // The status bar is cleared when a menu closes.
        connect(menu, &QMenu::aboutToHide, this, [this] { StatusBar().clearMessage(); });
        menu->installEventFilter(this);
        menu->setStyle(MenusStyle());
        AddMenuEntries(menu, def.entries);
    }
}

QStyle* SonbexApp::MenusStyle() {
    if (!menuStyle_) menuStyle_ = std::make_unique<MenuStyle>();
    return menuStyle_.get();
}

void SonbexApp::AddMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& e : entries) {
        QAction* added = nullptr;
        switch (e.type) {
            case MenuEntry::Type::Separator:
                added = menu->addSeparator();
                break;
            case MenuEntry::Type::Submenu: {
                QMenu* sub = menu->addMenu(Q(e.text));
                sub->installEventFilter(this);
                sub->setStyle(MenusStyle());
                AddMenuEntries(sub, e.items);
                added = sub->menuAction();
                break;
            }
            case MenuEntry::Type::RecentFiles:
                placeRecentBefore_ = true;
                continue;
            case MenuEntry::Type::Command: {
                const CommandInfo* c = FindCommand(e.id);
                if (!c) continue;
                QAction* a = menu->addAction(Q(c->menuText));
                a->setObjectName(ywin::ItemName(c->id));
                if (!c->shortcut.empty()) a->setShortcut(QKeySequence(Q(c->shortcut)));
                a->setStatusTip(Q(c->statusTip));
                a->setCheckable(c->checkable);
                const int id = c->id;
                connect(a, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
                actions_[id] = a;
                added = a;
                break;
            }
        }
        if (placeRecentBefore_ && added) {
            recentBefore_ = added;
            placeRecentBefore_ = false;
        }
    }
}

void SonbexApp::BuildToolbar() {
    const bool fromTheme = ThemeHasEveryToolbarIcon();
    for (int id : ToolbarCommands()) {
        if (id == 0) {
            ToolBar().addSeparator();
            continue;
        }
        const CommandInfo* c = FindCommand(id);
        QAction* button = ToolBar().AddButton(id, ToolbarIcon(id, fromTheme), PlainText(c->menuText));
        button->setStatusTip(Q(c->statusTip));
    }
}

bool SonbexApp::eventFilter(QObject* watched, QEvent* event) {
    // F1 on a highlighted menu item opens the help of that command. The menu
    // takes the key before the frame's own F1 (Help > Contents) can.
    auto* menu = qobject_cast<QMenu*>(watched);
    const bool f1 = (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
                    static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1;
    if (menu && !f1 && (event->type() == QEvent::MouseMove || event->type() == QEvent::KeyPress)) {
        // Qt shows no status tip for a disabled item: once the menu has moved
        // its highlight, the frame shows it.
        QTimer::singleShot(0, menu, [this, menu] {
            if (QAction* a = menu->activeAction(); a && !a->isEnabled() && !a->statusTip().isEmpty())
                StatusBar().showMessage(a->statusTip());
        });
    }
    if (!menu || !f1) return YWinApp::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    int topic = cmd::kHelpContents;
    if (QAction* a = menu->activeAction())
        for (const auto& [id, action] : actions_)
            if (action == a) topic = id;
    for (QWidget* open = QApplication::activePopupWidget(); open; open = QApplication::activePopupWidget())
        open->close();
    ShowHelpTopic(topic);
    return true;
}

bool SonbexApp::ShowHelpTopic(int topic) {
    return Help().ShowPage(topic == cmd::kHelpContents ? std::string_view(help::kContents)
                                                       : HelpPageForTopic(topic));
}

QAction* SonbexApp::MenuAction(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QMenu* SonbexApp::Menu(int helpId) const {
    auto it = menus_.find(helpId);
    return it == menus_.end() ? nullptr : it->second;
}

CommandState SonbexApp::CurrentState() const {
    CommandState s;
    ywin::YStdWnd* active = ActiveChild();
    s.active.present = active != nullptr;
    if (ywin::IGraphWnd* g = FindObject(active)) {
        s.active.graph = true;
        s.active.canUndo = g->CanUndo();
        s.active.modified = g->IsModified();
        s.active.canSave = g->CanSave();
        s.active.canSaveLimits = g->CanSaveLimits();
        s.active.canSaveSweepTable = g->CanSaveSweepTable();
        s.active.canCut = g->CanCut();
        s.active.canCopy = g->CanCopy();
        s.active.canPaste = g->CanPaste();
    }
    s.measuring = measuring_;
    s.flags = config_.flags;
    s.presetFilled = presetFilled_;
    s.recentFiles = recent_->Files().size();
    s.monochromePrint = monochromePrint_;
    s.available = [this](int id) { return IsAvailable(id); };
    return s;
}

bool SonbexApp::IsAvailable(int id) const {
    if (!handlers_.count(id)) return false;
    switch (id) {
        case cmd::kNewBoxDesign:
            return CanCreate(kind::kBoxDesign);
        case cmd::kNewCrossover:
            return CanCreate(kind::kCrossoverSchematic);
        case cmd::kShowLimitsResult:
            return CanCreate(kind::kLimitsResult);
        case cmd::kImport:
            return static_cast<bool>(importer_);
        case cmd::kOpen:
            return !factories_.empty() || settingsLoader_;
    }
    return true;
}

bool SonbexApp::IsEnabled(int id) const { return IsCommandEnabled(id, CurrentState()); }

void SonbexApp::UpdateMenus() {
    const CommandState state = CurrentState();
    for (const CommandInfo& c : Commands()) {
        const bool enabled = IsCommandEnabled(c, state);
        const bool checked = IsCommandChecked(c, state);
        // A disabled command says what it waits for.
        const QString statusTip = QString::fromStdString(CommandStatusTip(c, state));
        const QString toolTip = QString::fromStdString(CommandToolTip(c, state));
        if (QAction* a = MenuAction(c.id)) {
            a->setEnabled(enabled);
            if (c.checkable) a->setChecked(checked);
            a->setStatusTip(statusTip);
            a->setToolTip(toolTip);
        }
        if (QAction* b = ToolBar().Button(c.id)) {
            b->setEnabled(enabled);
            b->setStatusTip(statusTip);
            b->setToolTip(toolTip);
        }
    }
    if (recentMenu_)
        for (QAction* a : recentMenu_->Actions())
            if (!a->isSeparator()) a->setEnabled(true);
}

void SonbexApp::SetCommandHandler(int id, std::function<void()> handler) {
    if (handler)
        handlers_[id] = std::move(handler);
    else
        handlers_.erase(id);
    UpdateMenus();
}

bool SonbexApp::ExecuteCommand(int id) {
    const CommandInfo* c = FindCommand(id);
    if (!c) {  // a command the frame does not know goes to the active document
        ForwardToActive(id);
        return true;
    }
    if (!IsCommandEnabled(*c, CurrentState())) {
        UpdateMenus();  // the state changed since the menu was shown
        return false;
    }
    handlers_.at(id)();
    UpdateMenus();
    return true;
}

void SonbexApp::RegisterShellCommands() {
    auto on = [this](int id, std::function<void()> f) { handlers_[id] = std::move(f); };
    on(cmd::kNewBoxDesign, [this] { NewDocument(kind::kBoxDesign); });
    on(cmd::kNewCrossover, [this] { NewDocument(kind::kCrossoverSchematic); });
    on(cmd::kOpen, [this] { ChooseAndOpen(); });
    on(cmd::kImport, [this] { ImportFile({}); });
    for (int id : {cmd::kOpenInWindow, cmd::kSave, cmd::kSaveAs, cmd::kSaveLimits, cmd::kSaveSweepTable,
                   cmd::kExport, cmd::kUndo, cmd::kCut, cmd::kPaste})
        on(id, [this, id] { ForwardToActive(id); });
    on(cmd::kCopy, [this] { CopyToClipboard(); });
    on(cmd::kGlobalSettings, [this] { ShowGlobalSettings(); });
    on(cmd::kExit, [this] { close(); });
    for (int id = cmd::kFirstRecentFile; id <= cmd::kLastRecentFile; ++id)
        on(id, [this, id] { ReopenRecent(id); });
    on(cmd::kToggleToolbar, [this] {
        config_.Set(kToolbarVisible, !config_.Has(kToolbarVisible));
        ApplyBars();
    });
    on(cmd::kToggleStatusBar, [this] {
        config_.Set(kStatusBarVisible, !config_.Has(kStatusBarVisible));
        ApplyBars();
    });
    on(cmd::kRestoreToolbar, [this] {
        RestoreLayout(*store_);
        ApplyBars();
    });
    on(cmd::kUpdateWindows, [this] {
        for (ywin::YStdWnd* w : Children()) w->update();
    });
    on(cmd::kShowLimitsResult, [this] {
        ToggleRouting(cmd::kShowLimitsResult);
        ywin::YStdWnd* window = TopDocument(kind::kLimitsResult);
        if (config_.Has(kShowLimitsResult) && !window) NewDocument(kind::kLimitsResult);
        if (!config_.Has(kShowLimitsResult) && window && window->SubWindow()) window->SubWindow()->close();
    });
    for (int id = cmd::kSmallMeasurementWindow; id <= cmd::kCyclicMeasurement; ++id)
        on(id, [this, id] { ToggleRouting(id); });
    on(cmd::kTileSideBySide, [this] { TileDocuments(true); });
    on(cmd::kTileOverUnder, [this] { TileDocuments(false); });
    on(cmd::kCascade, [this] { Cascade(); });
    on(cmd::kArrangeIcons, [this] { ArrangeIcons(); });
    on(cmd::kCloseAll, [this] { CloseAll(); });
    on(cmd::kHelpContents, [this] { Help().ShowPage(help::kContents); });
    on(cmd::kTipOfTheDay, [this] { ShowTips(); });
    on(cmd::kAbout, [this] { ShowAbout(); });
}

void SonbexApp::ToggleRouting(int id) {
    if (auto flags = ToggleRoutingFlag(config_.flags, id)) config_.flags = *flags;
}

void SonbexApp::ForwardToActive(int id) {
    if (auto* doc = dynamic_cast<IShellDocument*>(ActiveChild())) doc->OnFrameCommand(id, ForwardedAs(id));
}

// ---------------------------------------------------------------- documents

void SonbexApp::RegisterDocumentKind(int kindId, DocumentFactory factory) {
    if (factory)
        factories_[kindId] = std::move(factory);
    else
        factories_.erase(kindId);
    UpdateMenus();
}

bool SonbexApp::CanCreate(int kindId) const { return factories_.count(kindId) != 0; }

ywin::YStdWnd* SonbexApp::CreateDocumentWindow(int kindId) {
    auto it = factories_.find(kindId);
    if (it == factories_.end()) return nullptr;
    ywin::YStdWnd* window = it->second();
    if (!window) return nullptr;
    if (!window->SubWindow()) {
        const DocumentKindInfo* info = FindDocumentKind(kindId);
        window->Create(*this, info ? Q(info->objectName) : QString());
    }
    UpdateMenus();
    return window;
}

ywin::YStdWnd* SonbexApp::NewDocument(int kindId) {
    ywin::YStdWnd* window = CreateDocumentWindow(kindId);
    if (!window) Prompt().Show(kCouldntCreateWindow, PromptIcon::Error);
    return window;
}

ywin::YStdWnd* SonbexApp::TopDocument(int kindId) const {
    auto isKind = [kindId](ywin::YStdWnd* w) {
        auto* doc = dynamic_cast<IShellDocument*>(w);
        return doc && doc->KindId() == kindId;
    };
    if (ywin::YStdWnd* active = ActiveChild(); active && isKind(active)) return active;
    // Stacking order: the last is the topmost.
    const QList<QMdiSubWindow*> stack = MdiArea()->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        if (auto* w = qobject_cast<ywin::YStdWnd*>((*it)->widget()); w && isKind(w)) return w;
    return nullptr;
}

SonbexApp::OpenResult SonbexApp::OpenFile(const std::string& path, bool silent) {
    const OpenPlan plan = PlanOpen(path);
    if (plan.target == OpenTarget::None) {
        if (!silent)
            Prompt().Show(MessageNamingFile(kNoValidClass, path, {FileProblem::NotKnown, 0, {}}),
                          PromptIcon::Warning);
        return OpenResult::NotClaimed;
    }
    // A file that cannot be read is said so, by name, before any window is
    // made or any reader runs.
    if (const FileFailure unreadable = ProbeReadable(path); unreadable.problem != FileProblem::None) {
        Prompt().Show(MessageNamingFile(kCouldntOpenFile, path, unreadable), PromptIcon::Error);
        return OpenResult::Failed;
    }
    if (plan.target == OpenTarget::MeasurementSettings) {
        if (measuring_) {
            Prompt().Show(kSettingsLocked, PromptIcon::Warning);
            return OpenResult::Failed;
        }
        if (!settingsLoader_) {
            Prompt().Show(
                MessageNamingFile(kNoValidClass, path,
                                  {FileProblem::NotBuilt, 0, "available once measurement is built"}),
                PromptIcon::Warning);
            return OpenResult::Failed;
        }
        if (!settingsLoader_(path)) return OpenResult::Failed;
        recent_->Add(path);
        return OpenResult::Opened;
    }
    if (plan.appendToActive && config_.Has(kAppendFrequencyCurve)) {
        auto* active = dynamic_cast<IShellDocument*>(ActiveChild());
        if (active && active->KindId() == plan.windowKind) {
            if (!active->LoadFile(path, true)) {
                ReportLoadFailure(*active, path);
                return OpenResult::Failed;
            }
            recent_->Add(path);
            return OpenResult::Opened;
        }
    }
    const std::string noun(DocumentKindNoun(plan.windowKind));
    if (!CanCreate(plan.windowKind)) {
        Prompt().Show(
            MessageNamingFile(kCouldntCreateWindow, path,
                              {FileProblem::NotBuilt, 0, "available once " + noun + " windows are built"}),
            PromptIcon::Error);
        return OpenResult::Failed;
    }
    ywin::YStdWnd* window = CreateDocumentWindow(plan.windowKind);
    auto* doc = dynamic_cast<IShellDocument*>(window);
    if (!doc) {
        if (window && window->SubWindow()) window->SubWindow()->close();
        Prompt().Show(MessageNamingFile(kCouldntCreateWindow, path,
                                        {FileProblem::Other, 0, "the " + noun + " window could not be made"}),
                      PromptIcon::Error);
        return OpenResult::Failed;
    }
    if (!doc->LoadFile(path, false)) {
        ReportLoadFailure(*doc, path);
        if (window->SubWindow()) window->SubWindow()->close();
        return OpenResult::Failed;
    }
    recent_->Add(path);
    return OpenResult::Opened;
}

void SonbexApp::ReportLoadFailure(const IShellDocument& doc, const std::string& path) {
    if (std::optional<LoadFailure> failure = doc.LastLoadFailure())
        Prompt().Show(
            MessageNamingFile(failure->message.empty() ? std::string(kCouldntOpenFile) : failure->message,
                              path, failure->failure),
            PromptIcon::Error);
}

bool SonbexApp::ImportFile(const std::string& path) {
    if (measuring_) {
        Prompt().Show(kSettingsLocked, PromptIcon::Warning);
        return false;
    }
    std::string file = path;
    if (file.empty()) {
        if (!importer_) return false;
        auto chosen = FileChooser().OpenFile(kImportTitle, kImportFilter, recent_->InitialDirectory());
        if (!chosen) return false;
        file = chosen->string();
    }
    if (const FileFailure unreadable = ProbeReadable(file); unreadable.problem != FileProblem::None) {
        Prompt().Show(MessageNamingFile(kImportFailed, file, unreadable), PromptIcon::Warning);
        return false;
    }
    if (!importer_) {
        Prompt().Show(MessageNamingFile(kImportFailed, file,
                                        {FileProblem::NotBuilt, 0, "available once the importer is built"}),
                      PromptIcon::Warning);
        return false;
    }
    return importer_(file);
}

void SonbexApp::OpenFiles(const std::vector<std::filesystem::path>& files) {
    if (files.empty()) return;
    ywin::YHourglass hourglass;
    for (const std::filesystem::path& f : files)
        if (OpenFile(f.string(), true) == OpenResult::NotClaimed) ImportFile(f.string());
    UpdateMenus();
}

void SonbexApp::ChooseAndOpen() {
    auto chosen = FileChooser().OpenFile("Open", kNativeOpenFilter, recent_->InitialDirectory());
    if (chosen) OpenFile(chosen->string(), false);
}

void SonbexApp::ReopenRecent(int id) {
    std::string path;
    if (!recent_->Take(static_cast<std::size_t>(id - cmd::kFirstRecentFile), path)) return;
    if (OpenFile(path, true) == OpenResult::NotClaimed) ImportFile(path);
}

void SonbexApp::SetSettingsFileLoader(std::function<bool(const std::string&)> loader) {
    settingsLoader_ = std::move(loader);
    UpdateMenus();
}

void SonbexApp::SetImporter(std::function<bool(const std::string&)> importer) {
    importer_ = std::move(importer);
    UpdateMenus();
}

void SonbexApp::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime && mime->hasUrls())
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
    event->ignore();
}

void SonbexApp::dropEvent(QDropEvent* event) {
    std::vector<std::filesystem::path> files;
    if (const QMimeData* mime = event->mimeData())
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdString());
    if (files.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    OpenFiles(files);
}

// ---------------------------------------------------------------- clipboard and windows

bool SonbexApp::CopyToClipboard() {
    ywin::IGraphWnd* graph = ActiveGraph();
    QClipboard* clipboard = QGuiApplication::clipboard();
    bool copied = false;
    if (graph && clipboard) {
        const ywin::YRect r = graph->GetRect();
        if (!r.IsEmpty()) {
            const QImage picture = ywin::RenderToImage(*graph, r.Width(), r.Height(), ywin::kDrawPicture);
            if (!picture.isNull()) {
                clipboard->setImage(picture);
                copied = !clipboard->image().isNull();
            }
        }
    }
    if (!copied) {
        Prompt().Show(kCopyFailed, PromptIcon::Error);
        return false;
    }
    graph->OnCopied();
    return true;
}

void SonbexApp::TileDocuments(bool sideBySide) {
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : MdiArea()->subWindowList())
        if (sub->isVisible() && !sub->isMinimized()) windows.push_back(sub);
    const QRect area = MdiArea()->viewport()->rect();
    const std::vector<ScreenRect> cells =
        TileWindows(static_cast<int>(windows.size()), ToScreenRect(area), sideBySide);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized()) windows[i]->showNormal();
        windows[i]->setGeometry(cells[i].left, cells[i].top, cells[i].Width(), cells[i].Height());
    }
}

void SonbexApp::ArrangeIcons() {
    const QRect area = MdiArea()->viewport()->rect();
    int x = area.left();
    int y = area.bottom();
    for (QMdiSubWindow* sub : MdiArea()->subWindowList()) {
        if (!sub->isMinimized()) continue;
        const QSize size = sub->size();
        if (x + size.width() > area.right() && x > area.left()) {
            x = area.left();
            y -= size.height();
        }
        sub->move(x, y - size.height() + 1);
        x += size.width();
    }
}

// ---------------------------------------------------------------- dialogs and help

QWidget* SonbexApp::OpenDialog() const { return lastDialog_.data(); }

void SonbexApp::ShowAbout() {
    if (!about_) about_ = std::make_unique<AboutDialog>(this);
    lastDialog_ = about_.get();
    about_->Create(options_.modalDialogs);
}

void SonbexApp::ShowGlobalSettings() {
    if (settingsDialog_ && settingsDialog_->IsOpen()) {
        settingsDialog_->Create(false);  // to the front
        return;
    }
    GlobalSettingsHost host;
    host.relayoutStatusBar = [this](bool show) { StatusBar().SetShowTime(show); };
    host.setFlatToolbar = [this](bool flat) { ToolBar().SetFlat(flat); };
    host.repaintBackground = [this](const std::string& path) { SetBackground(QString::fromStdString(path)); };
    host.help = [this] { ShowHelpTopic(103); };
    settingsDialog_ =
        std::make_unique<GlobalSettingsDialog>(config_, ListBackgrounds(BackgroundFolders(options_.paths)),
                                               FileChooser(), Prompt(), std::move(host), this);
    connect(settingsDialog_.get(), &QDialog::finished, this, [this] {
        ApplyBars();
        UpdateMenus();
    });
    lastDialog_ = settingsDialog_.get();
    settingsDialog_->Create(options_.modalDialogs);
}

void SonbexApp::ShowTips() {
    // Modeless, so the frame can be used at once; shown again it comes to the front.
    if (!tipsDialog_) tipsDialog_ = std::make_unique<TipsDialog>(tips_, config_, this);
    if (tipsDialog_->Open(false)) lastDialog_ = tipsDialog_.get();
}

IHelpService& SonbexApp::Help() { return options_.help ? *options_.help : *ownHelp_; }

IResultSink& SonbexApp::ResultSink() { return *sink_; }

// ---------------------------------------------------------------- measurement state

void SonbexApp::SetMeasuring(bool measuring) {
    measuring_ = measuring;
    UpdateMenus();
}

void SonbexApp::AddBackgroundWork(IBackgroundWork* work) {
    if (work && std::find(work_.begin(), work_.end(), work) == work_.end()) work_.push_back(work);
}

void SonbexApp::RemoveBackgroundWork(IBackgroundWork* work) {
    work_.erase(std::remove(work_.begin(), work_.end(), work), work_.end());
}

void SonbexApp::SetPresetFilled(int slot, bool filled, const std::string& title) {
    if (slot < 0 || slot >= 10) return;
    presetFilled_[static_cast<std::size_t>(slot)] = filled;
    const int id = cmd::kFirstPreset + slot;
    if (QAction* a = MenuAction(id))
        a->setText(title.empty()
                       ? Q(FindCommand(id)->menuText)
                       : QStringLiteral("%1\t#%2").arg(QString::fromStdString(title)).arg(slot + 1));
    UpdateMenus();
}

void SonbexApp::AddStartupStep(StartupStage stage, std::function<void()> step) {
    if (step)
        (stage == StartupStage::SettingsLoaded ? settingsSteps_ : frameSteps_).push_back(std::move(step));
}

void SonbexApp::AddExitSaver(std::function<void()> saver) {
    if (saver) exitSavers_.push_back(std::move(saver));
}

void SonbexApp::OnTick() {
    timerTicks_ = (timerTicks_ + 1) % 5;
    if (auto* doc = dynamic_cast<IShellDocument*>(ActiveChild()); doc && doc->KindId() == kind::kImpulseGraph)
        doc->OnFrameTick();
}

// ---------------------------------------------------------------- shutdown

bool SonbexApp::QueryClose() {
    if (closing_) return false;  // a close request while the last one is still under way
    closing_ = true;
    const bool agreed = StopBackgroundWork() && CloseAll();
    if (agreed) SaveAtExit();
    closing_ = false;
    return agreed;
}

bool SonbexApp::StopBackgroundWork() {
    auto running = [this](bool measurementOnly) {
        return std::any_of(work_.begin(), work_.end(), [&](IBackgroundWork* w) {
            return w->IsRunning() && (!measurementOnly || w->IsMeasurement());
        });
    };
    if (running(true) && Prompt().Show(kStopMeasurementQuestion, PromptIcon::Question,
                                       PromptButtons::YesNo) != PromptAnswer::Yes)
        return false;
    const std::vector<IBackgroundWork*> work = work_;
    for (IBackgroundWork* w : work)
        if (w->IsRunning()) w->RequestStop();
    // Serve events while the workers end: their last results and completion
    // messages still arrive. A timer wakes the loop to look again.
    QElapsedTimer elapsed;
    elapsed.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!running(false) || elapsed.elapsed() > options_.stopWaitMs) loop.quit();
    });
    if (running(false)) {
        poll.start();
        loop.exec();
    }
    if (running(false)) {
        Prompt().Show(kWorkDidNotStop, PromptIcon::Error);
        return false;
    }
    return true;
}

void SonbexApp::SaveAtExit() {
    for (const auto& saver : exitSavers_) saver();
    recent_->Save();
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    if (normal.isValid())
        config_.windowRect = {normal.left(), normal.top(), normal.left() + normal.width(),
                              normal.top() + normal.height()};
    config_.Set(kMainWindowMaximised, isMaximized());
    SaveLayout(*store_);
    SaveGlobalConfig(*store_, config_);
}

}  // namespace sonbex::shell
