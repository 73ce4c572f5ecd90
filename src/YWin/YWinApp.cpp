#include "YWin/YWinApp.h"

#include "Platform/YRegistry.h"
#include "YWin/YFileSelect.h"
#include "YWin/YMsgBox.h"
#include "YWin/YToolBar.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <clocale>

namespace sonbex::ywin {

void UseCNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

YWinApp::YWinApp(platform::IPrompt* presenter, QWidget* parent) : QMainWindow(parent), YMDIWnd(new QMdiArea) {
    UseCNumericLocale();
    setObjectName(QStringLiteral("frame"));
    MdiArea()->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(MdiArea());
    prompt_ = std::make_unique<YMsgBox>(bridge_, presenter);
    prompt_->SetParent(this);
    chooser_ = std::make_unique<YFileSelect>(bridge_, this);
    toolBar_ = new YToolBar(tr("Toolbar"), this);
    toolBar_->SetCommandHandler([this](int id) { OnCommand(id); });
    addToolBar(toolBar_);
    statusBar_ = new YStatusBar(this);
    setStatusBar(statusBar_);
}

YWinApp::~YWinApp() { BeginShutdown(); }

platform::IPrompt& YWinApp::Prompt() { return *prompt_; }

platform::IFileChooser& YWinApp::FileChooser() {
    return chooserOverride_ ? *chooserOverride_ : static_cast<platform::IFileChooser&>(*chooser_);
}

void YWinApp::SetBackground(const QString& path) {
    QImage picture;
    if (!path.isEmpty()) picture.load(path);
    MdiArea()->setBackground(picture.isNull() ? palette().brush(QPalette::Dark) : QBrush(picture));
}

void YWinApp::InitWindows(int left, int top, int right, int bottom, bool maximised) {
    QRect wanted(QPoint(left, top), QPoint(right - 1, bottom - 1));
    bool usable = left >= 0 && top >= 0 && right > left && bottom > top;
    if (usable) {
        QScreen* screen = QGuiApplication::screenAt(wanted.center());
        if (!screen) screen = QGuiApplication::primaryScreen();
        QRect avail = screen ? screen->availableGeometry() : wanted;
        wanted.setSize(wanted.size().boundedTo(avail.size()));
        if (!avail.contains(wanted)) wanted.moveTopLeft(avail.topLeft());
        setGeometry(wanted);
    }
    if (maximised)
        showMaximized();
    else
        show();
}

bool YWinApp::SaveLayout(platform::SettingsStore& store) const {
    QByteArray state = saveState();
    platform::YRegistry reg(store);
    if (!reg.Open(platform::kSettingsRoot, true)) return false;
    bool written = reg.WriteBinary(kToolbarLayoutValue,
                                   std::span(reinterpret_cast<const std::uint8_t*>(state.constData()),
                                             static_cast<std::size_t>(state.size())));
    return reg.Close() && written;
}

bool YWinApp::RestoreLayout(platform::SettingsStore& store) {
    platform::YRegistry reg(store);
    std::vector<std::uint8_t> bytes;
    if (!reg.Open(platform::kSettingsRoot, false) || !reg.ReadBinary(kToolbarLayoutValue, bytes))
        return false;
    return restoreState(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

void YWinApp::BeginShutdown() {
    shuttingDown_ = true;
    bridge_.BeginShutdown();
}

void YWinApp::closeEvent(QCloseEvent* event) {
    if (!shuttingDown_ && !QueryClose()) {
        event->ignore();
        return;
    }
    BeginShutdown();
    event->accept();
}

}  // namespace sonbex::ywin
