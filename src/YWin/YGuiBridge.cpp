#include "YWin/YGuiBridge.h"

#include <QMetaObject>
#include <QThread>

namespace sonbex::ywin {

YGuiBridge::YGuiBridge(QObject* parent) : QObject(parent), hub_(std::make_shared<Hub>()) {}

YGuiBridge::~YGuiBridge() { BeginShutdown(); }

bool YGuiBridge::IsGuiThread() const { return QThread::currentThread() == thread(); }

bool YGuiBridge::Post(std::function<void()> task) {
    if (!task) return false;
    return QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

bool YGuiBridge::Call(std::function<void()> task) {
    if (!task) return false;
    if (IsGuiThread()) {
        task();
        return true;
    }
    struct Pending {
        bool done = false;
        bool abandoned = false;
    };
    auto pending = std::make_shared<Pending>();
    std::shared_ptr<Hub> hub = hub_;
    {
        std::lock_guard lock(hub->mutex);
        if (hub->shutdown) return false;
    }
    bool queued = QMetaObject::invokeMethod(
        this,
        [hub, pending, task = std::move(task)] {
            {
                std::lock_guard lock(hub->mutex);
                if (pending->abandoned) return;
            }
            task();
            std::lock_guard lock(hub->mutex);
            pending->done = true;
            hub->cv.notify_all();
        },
        Qt::QueuedConnection);
    if (!queued) return false;
    std::unique_lock lock(hub->mutex);
    hub->cv.wait(lock, [&] { return pending->done || hub->shutdown; });
    if (pending->done) return true;
    pending->abandoned = true;  // the task will not start any more
    return false;
}

void YGuiBridge::BeginShutdown() {
    std::lock_guard lock(hub_->mutex);
    hub_->shutdown = true;
    hub_->cv.notify_all();
}

bool YGuiBridge::IsShuttingDown() const {
    std::lock_guard lock(hub_->mutex);
    return hub_->shutdown;
}

}  // namespace sonbex::ywin
