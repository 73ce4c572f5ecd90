#pragma once
// The one way for worker threads to reach the GUI thread.
//
//   Post(task)  queues `task` for the GUI thread and returns at once (stop
//               requests, completion messages, results). Delivered also while
//               shutdown is under way, so the GUI can still serve its workers.
//   Call(task)  runs `task` on the GUI thread and waits for it (a prompt, a
//               document window that must exist before the worker goes on).
//               Once BeginShutdown() has been called, Call returns false at
//               once, and a caller already waiting is released with false: a
//               worker never deadlocks against a GUI that is shutting down.
//
// Because a released caller may have returned before its task ran (or while
// it runs inside a nested event loop), a task must own what it uses: capture
// by value, and hand results back through a shared_ptr.
//
// Threads: create, BeginShutdown and destroy on the GUI thread; Post, Call
// and IsShuttingDown from any thread. The bridge must outlive the workers'
// use of it; destroying it releases waiting callers like BeginShutdown.

#include <QObject>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace sonbex::ywin {

class YGuiBridge : public QObject {
    Q_OBJECT
public:
    explicit YGuiBridge(QObject* parent = nullptr);
    ~YGuiBridge() override;

    bool IsGuiThread() const;
    bool Post(std::function<void()> task);
    // On the GUI thread the task runs directly (true).
    bool Call(std::function<void()> task);
    void BeginShutdown();
    bool IsShuttingDown() const;

private:
    struct Hub {
        std::mutex mutex;
        std::condition_variable cv;
        bool shutdown = false;
    };
    std::shared_ptr<Hub> hub_;
};

}  // namespace sonbex::ywin
