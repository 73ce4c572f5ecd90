#include "YWin/YDial.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <atomic>

namespace sonbex::ywin {

YDial::YDial(QWidget* parent) : QDialog(parent) {}

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
    worker_ = std::make_unique<platform::WorkerThread>(std::move(threadName), stackBytes);
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
  bool finished = true;
  if (worker_->IsRunning()) {
    // The worker signals when it reached the end of its queue; until then the
    // GUI keeps serving events (the worker may be waiting for one of them).
    auto drained = std::make_shared<std::atomic<bool>>(false);
    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
    QPointer<QEventLoop> loop = &wait;  // null once StopWorker has returned
    bool posted = worker_->Loop().PostTask([drained, loop, this] {
      drained->store(true);
      QMetaObject::invokeMethod(
          this, [loop] { if (loop) loop->quit(); }, Qt::QueuedConnection);
    });
    if (posted) {
      limit.start(timeoutMs);
      while (!drained->load() && limit.isActive()) wait.exec();
    }
    finished = drained->load();
    worker_->Stop();
  }
  worker_.reset();
  return finished;
}

}  // namespace sonbex::ywin
