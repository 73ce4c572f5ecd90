#include "Sonbex/Shell/ui/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <system_error>

namespace sonbex::shell {
namespace fs = std::filesystem;

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QString NotFoundPage(const QString& what) {
    return QStringLiteral(
               "<html><head><title>Page not found - Sonbex Analyzer 3</title></head><body>"
               "<p><a href=\"index.html\">Contents</a></p><h1>Page not found</h1><p>%1</p></body></html>")
        .arg(what);
}

}  // namespace

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::HtmlResource && name.isLocalFile()) {
        const QFileInfo file(name.toLocalFile());
        if (!file.isFile() || !file.isReadable())
            return NotFoundPage(
                tr("The help page <b>%1</b> is not in the help folder %2.")
                    .arg(file.fileName().toHtmlEscaped(), file.absolutePath().toHtmlEscaped()));
    }
    return QTextBrowser::loadResource(type, name);
}

HelpWindow::HelpWindow(fs::path folder, QWidget* parent) : QWidget(parent), folder_(std::move(folder)) {
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QString::fromLatin1(kHelpWindowTitle));
    resize(820, 580);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("helpToolbar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("&Back"));
    back_->setObjectName(QStringLiteral("back"));
    back_->setShortcut(QKeySequence::Back);
    back_->setEnabled(false);
    forward_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("&Forward"));
    forward_->setObjectName(QStringLiteral("forward"));
    forward_->setShortcut(QKeySequence::Forward);
    forward_->setEnabled(false);
    QAction* home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("&Contents"));
    home->setObjectName(QStringLiteral("home"));
    home->setShortcut(QKeySequence(QStringLiteral("Alt+Home")));
    bar->addSeparator();
    bar->addWidget(new QLabel(tr("Find: "), bar));
    find_ = new QLineEdit(bar);
    find_->setObjectName(QStringLiteral("find"));
    find_->setClearButtonEnabled(true);
    find_->setMaximumWidth(240);
    bar->addWidget(find_);
    QAction* previous = bar->addAction(style()->standardIcon(QStyle::SP_ArrowUp), tr("&Previous"));
    previous->setObjectName(QStringLiteral("findPrevious"));
    previous->setShortcut(QKeySequence::FindPrevious);
    QAction* next = bar->addAction(style()->standardIcon(QStyle::SP_ArrowDown), tr("&Next"));
    next->setObjectName(QStringLiteral("findNext"));
    next->setShortcut(QKeySequence::FindNext);
    findState_ = new QLabel(bar);
    findState_->setObjectName(QStringLiteral("findState"));
    bar->addWidget(findState_);
    auto* focusFind = new QAction(this);
    focusFind->setShortcut(QKeySequence::Find);
    addAction(focusFind);
    connect(focusFind, &QAction::triggered, this, [this] {
        find_->setFocus();
        find_->selectAll();
    });

    contents_ = new QListWidget(this);
    contents_->setObjectName(QStringLiteral("contents"));
    for (std::string_view page : HelpPages()) {
        std::string title = ShortHelpTitle(ReadHelpTitle(folder_ / std::string(page)));
        auto* item = new QListWidgetItem(title.empty() ? Q(page) : QString::fromStdString(title), contents_);
        item->setData(Qt::UserRole, Q(page));
    }
    browser_ = new HelpBrowser(this);
    browser_->setObjectName(QStringLiteral("page"));
    browser_->setOpenExternalLinks(true);
    if (!folder_.empty()) browser_->setSearchPaths({QString::fromStdString(folder_.string())});

    auto* split = new QSplitter(this);
    split->addWidget(contents_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    split->setSizes({200, 620});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(split, 1);

    connect(back_, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward_, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] { ShowPage(help::kContents); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::OnSourceChanged);
    connect(contents_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString().toStdString()); });
    connect(contents_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString().toStdString()); });
    connect(find_, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
    connect(find_, &QLineEdit::textChanged, this, [this] { findState_->clear(); });
    connect(next, &QAction::triggered, this, [this] { FindNext(false); });
    connect(previous, &QAction::triggered, this, [this] { FindNext(true); });
}

void HelpWindow::ShowPage(std::string_view page) {
    const std::size_t hash = page.find('#');
    const std::string file(page.substr(0, hash));
    if (folder_.empty()) {
        browser_->setHtml(NotFoundPage(tr("The help pages are not installed with this program.")));
        OnSourceChanged({});
        return;
    }
    QUrl url = QUrl::fromLocalFile(
        QString::fromStdString((folder_ / (file.empty() ? help::kContents : file)).string()));
    if (hash != std::string_view::npos) url.setFragment(Q(page.substr(hash + 1)));
    if (url == browser_->source())
        browser_->reload();
    else
        browser_->setSource(url);
}

std::string HelpWindow::CurrentPage() const { return browser_->source().fileName().toStdString(); }

QString HelpWindow::PageTitle() const { return browser_->documentTitle(); }

void HelpWindow::OnSourceChanged(const QUrl& url) {
    const QString title = PageTitle();
    setWindowTitle(title.isEmpty()
                       ? QString::fromLatin1(kHelpWindowTitle)
                       : QStringLiteral("%1 - %2").arg(QString::fromLatin1(kHelpWindowTitle), title));
    const QString page = url.fileName();
    const QSignalBlocker block(contents_);
    contents_->clearSelection();
    for (int i = 0; i < contents_->count(); ++i)
        if (contents_->item(i)->data(Qt::UserRole).toString() == page) contents_->setCurrentRow(i);
    findState_->clear();
}

void HelpWindow::SetFindText(const QString& text) { find_->setText(text); }

bool HelpWindow::FindNext(bool backward) {
    const QString text = find_->text();
    if (text.isEmpty()) return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = browser_->find(text, flags);
    if (!found) {  // wrap around
        QTextCursor cursor = browser_->textCursor();
        cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        browser_->setTextCursor(cursor);
        found = browser_->find(text, flags);
    }
    findState_->setText(found ? QString() : tr("Not found"));
    return found;
}

HelpViewer::HelpViewer(fs::path folder, QWidget* frame) : folder_(std::move(folder)), frame_(frame) {}

HelpViewer::~HelpViewer() { delete window_.data(); }

bool HelpViewer::ShowPage(std::string_view page) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner || owner == window_.data()) owner = frame_.data();
    if (!window_) {
        window_ = new HelpWindow(folder_, owner);
    } else if (window_->parentWidget() != owner) {
        const QRect placed = window_->geometry();
        window_->setParent(owner, Qt::Window);
        window_->setGeometry(placed);
    }
    window_->ShowPage(page);
    window_->show();
    window_->raise();
    window_->activateWindow();
    std::error_code ec;
    const std::string file(page.substr(0, page.find('#')));
    return !folder_.empty() && fs::is_regular_file(folder_ / file, ec);
}

}  // namespace sonbex::shell
