#pragma once
// The program's own help window: the shipped HTML pages in a text browser,
// with the contents beside them, Back, Forward and Contents, and a find field
// (Enter or F3 finds the next match, Shift+F3 the previous one, wrapping at
// the ends). Links between pages stay in the window; links to other places
// (http:) open in the desktop's browser. A page that is missing says so in
// the window.
//
// HelpViewer is the help service of the desktop program: it makes the window
// on first use and shows the asked page; while a modal dialog runs, the
// window belongs to that dialog, so it can be used (a window of the frame
// would be blocked by the dialog).
// Threads: the GUI thread only.

#include "Sonbex/Shell/HelpService.h"

#include <QPointer>
#include <QTextBrowser>
#include <QWidget>

#include <filesystem>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;

namespace sonbex::shell {

inline constexpr const char* kHelpWindowTitle = "Sonbex 3 Help";

// The browser pane: loads pages of the help folder and answers a missing
// page with a page that says so.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent = nullptr) : QTextBrowser(parent) {}
    QVariant loadResource(int type, const QUrl& name) override;
};

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // `folder` empty: the help is not installed (every page says so).
    explicit HelpWindow(std::filesystem::path folder, QWidget* parent = nullptr);

    // Shows `page` (a file name of the help folder, "#anchor" allowed).
    void ShowPage(std::string_view page);
    // The page shown, as a file name ("global-settings.html"), and its <title>.
    std::string CurrentPage() const;
    QString PageTitle() const;
    // Finds the next (or previous) match of the find field's text; false
    // when there is none.
    bool FindNext(bool backward = false);
    void SetFindText(const QString& text);

    HelpBrowser* Browser() const { return browser_; }
    QListWidget* Contents() const { return contents_; }
    QAction* BackAction() const { return back_; }
    QAction* ForwardAction() const { return forward_; }

private:
    void OnSourceChanged(const QUrl& url);

    std::filesystem::path folder_;
    HelpBrowser* browser_;
    QListWidget* contents_;
    QLineEdit* find_;
    QLabel* findState_;
    QAction* back_;
    QAction* forward_;
};

class HelpViewer : public IHelpService {
public:
    // `frame` owns the window when no modal dialog runs; it must outlive the viewer.
    HelpViewer(std::filesystem::path folder, QWidget* frame);
    ~HelpViewer() override;
    bool ShowPage(std::string_view page) override;
    // The window, once a page was asked for (null before, or after its owner went).
    HelpWindow* Window() const { return window_.data(); }

private:
    std::filesystem::path folder_;
    QPointer<QWidget> frame_;
    QPointer<HelpWindow> window_;
};

}  // namespace sonbex::shell
