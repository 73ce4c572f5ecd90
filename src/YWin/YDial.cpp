#include "YWin/YDial.h"

#include "YWin/YWinApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPointer>
#include <QShortcut>
#include <QTimer>

#include <atomic>

namespace sonbex::ywin {

YDial::YDial(QWidget* parent) : QDialog(parent) {
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { ShowHelp(); });
}

void YDial::keyPressEvent(QKeyEvent* event) {
    // F1 that no shortcut took (the dialog was not the active window).
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ShowHelp();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

int YDial::HelpTopic() const {
    if (helpTopic_ != 0) return helpTopic_;
    const QString name = objectName();
    if (!name.startsWith(QLatin1String("id"))) return 0;
    bool ok = false;
    const int id = name.mid(2).toInt(&ok);
    return ok ? id : 0;
}

bool YDial::ShowHelp() {
    YWinApp* frame = nullptr;
    for (QWidget* w = parentWidget(); w && !frame; w = w->parentWidget()) frame = qobject_cast<YWinApp*>(w);
    if (!frame)
        for (QWidget* w : QApplication::topLevelWidgets())
            if ((frame = qobject_cast<YWinApp*>(w))) break;
    return frame && frame->ShowHelpTopic(HelpTopic());
}

YDial::~YDial() { StopWorker(); }

bool YDial::Create(bool modal) {
    if (open_) {
        if (isMinimized()) showNormal();
        raise();
        activateWindow();
        return true;
    }
    modal_ = modal;
    result_ = -1;
    OnInit();
    open_ = true;
    if (modal) {
        exec();
        return true;
    }
    setModal(false);
    show();
    raise();
    activateWindow();
    return true;
}

void YDial::End(int result) { done(result); }

void YDial::done(int result) {
    if (!open_) {
        QDialog::done(result);
        return;
    }
    result_ = result;
    open_ = false;
    OnEnd(result);
    QDialog::done(result);
}

bool YDial::RunOnThread(platform::IPrompt& prompt, bool modal, std::string threadName,
                        std::size_t stackBytes) {
    if (open_) return Create(modal);
    if (!HasWorker()) {
        worker_ = std::make_shared<platform::WorkerThread>(std::move(threadName), stackBytes);
        if (!worker_->Start()) {
            worker_.reset();
            prompt.Show(kFailedToOpenDialog, platform::PromptIcon::Error);
            return false;
        }
    }
    return Create(modal);
}

bool YDial::PostToWorker(std::function<void()> task) {
    return worker_ && worker_->IsRunning() && worker_->Loop().PostTask(std::move(task));
}

bool YDial::PostToDialog(std::function<void()> task) {
    return QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

bool YDial::StopWorker(int timeoutMs) {
    if (!worker_) return true;
    std::shared_ptr<platform::WorkerThread> worker(std::move(worker_));
    if (!worker->IsRunning()) return true;
    // The worker reports when it reaches the end of its queue; until then the
    // GUI keeps serving events (the worker may be waiting for one of them).
    // The thread is joined only once it is idle: here when it finishes in
    // time, else later from the event loop, so the GUI never blocks on it.
    auto drained = std::make_shared<std::atomic<bool>>(false);
    QEventLoop wait;
    QPointer<QEventLoop> loop = &wait;  // null once StopWorker has returned
    bool posted = worker->Loop().PostTask([drained, loop, keep = worker]() mutable {
        drained->store(true);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [loop, keep = std::move(keep)] {
                if (loop)
                    loop->quit();
                else
                    keep->Stop();
            },
            Qt::QueuedConnection);
    });
    if (!posted) {
        worker->Stop();
        return true;
    }
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
    limit.start(timeoutMs);
    while (!drained->load() && limit.isActive()) wait.exec();
    if (!drained->load()) return false;
    worker->Stop();
    return true;
}

}  // namespace sonbex::ywin
