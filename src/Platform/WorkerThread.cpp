#include "Platform/WorkerThread.h"

namespace sonbex::platform {

WorkerThread::WorkerThread(std::string name, std::size_t stackBytes, IClock& clock)
    : name_(std::move(name)), stackBytes_(stackBytes), loop_(std::make_unique<MessageLoop>(clock)) {}

WorkerThread::~WorkerThread() { Stop(); }

void* WorkerThread::Entry(void* self) {
    auto* worker = static_cast<WorkerThread*>(self);
    pthread_setname_np(pthread_self(), worker->name_.substr(0, 15).c_str());
    worker->loop_->Run();
    return nullptr;
}

bool WorkerThread::Start() {
    if (started_) return false;
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) return false;
    bool ok = stackBytes_ == 0 || pthread_attr_setstacksize(&attr, stackBytes_) == 0;
    ok = ok && pthread_create(&thread_, &attr, &WorkerThread::Entry, this) == 0;
    pthread_attr_destroy(&attr);
    started_ = running_ = ok;
    return ok;
}

void WorkerThread::Stop() {
    if (!running_) return;
    MessageLoop& loop = *loop_;
    loop.PostTask([&loop] { loop.Quit(); });
    pthread_join(thread_, nullptr);
    running_ = false;
}

}  // namespace sonbex::platform
