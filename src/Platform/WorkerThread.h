#pragma once
// A thread running its own MessageLoop (the measurement, each instrument and
// each calibration run on one). Talk to it by posting to Loop().
//
// Threads: Start and Stop are called by the owner's thread; Loop() may be used
// from any thread (posting), but Run/RunUntilIdle belong to the worker.

#include "Platform/MessageLoop.h"

#include <pthread.h>
#include <cstddef>
#include <memory>
#include <string>

namespace sonbex::platform {

class WorkerThread {
public:
    // `stackBytes` 0 takes the system default (the measurement uses 512 KB).
    // `name` (at most 15 characters shown) names the thread in debuggers.
    explicit WorkerThread(std::string name, std::size_t stackBytes = 0,
                          IClock& clock = SteadyClock::Instance());
    ~WorkerThread();  // Stop()
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the thread, once; false when it could not be started (bad stack
    // size, no resources) or was started before.
    bool Start();
    // Posts a quit behind the messages already queued and waits for the thread
    // to end. Nothing when not running. Never call it from the worker itself.
    void Stop();
    bool IsRunning() const { return running_; }

    MessageLoop& Loop() { return *loop_; }

private:
    static void* Entry(void* self);

    std::string name_;
    std::size_t stackBytes_;
    std::unique_ptr<MessageLoop> loop_;
    pthread_t thread_{};
    bool running_ = false;
    bool started_ = false;
};

}  // namespace sonbex::platform
