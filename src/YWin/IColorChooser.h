#pragma once
// The colour chooser as a service (the desktop program shows a colour
// dialog, tests script the choice). Qt-free.
// Threads: implementations say from which threads Choose may be called.

#include "YWin/ICanvas.h"

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sonbex::ywin {

class IColorChooser {
public:
    virtual ~IColorChooser() = default;
    // Blocks until the user chooses; empty when cancelled.
    virtual std::optional<YColor> ChooseColor(YColor initial, const std::string& title) = 0;
};

// For tests: answers from a script; an unscripted request is recorded as
// unexpected and cancelled. Safe from any thread.
class ScriptedColorChooser : public IColorChooser {
public:
    void Script(std::optional<YColor> answer) {
        std::lock_guard lock(mutex_);
        script_.push_back(answer);
    }
    std::optional<YColor> ChooseColor(YColor initial, const std::string&) override {
        std::lock_guard lock(mutex_);
        requests_.push_back(initial);
        if (script_.empty()) {
            ++unexpected_;
            return std::nullopt;
        }
        auto answer = script_.front();
        script_.pop_front();
        return answer;
    }
    std::vector<YColor> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    int Unexpected() const {
        std::lock_guard lock(mutex_);
        return unexpected_;
    }

private:
    mutable std::mutex mutex_;
    std::deque<std::optional<YColor>> script_;
    std::vector<YColor> requests_;
    int unexpected_ = 0;
};

}  // namespace sonbex::ywin
