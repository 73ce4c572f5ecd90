#pragma once
// Installs a sink that records out-of-bounds reports for the lifetime of the
// object, restoring the previous sink afterwards.

#include "YLib/YBoundsError.h"

#include <mutex>
#include <string>
#include <vector>

class BoundsSinkRecorder {
public:
    BoundsSinkRecorder() {
        previous_ = SetBoundsErrorSink([this](std::string_view caption, std::string_view message) {
            std::lock_guard lock(mutex_);
            reports_.push_back(std::string(caption) + "|" + std::string(message));
        });
    }
    ~BoundsSinkRecorder() { SetBoundsErrorSink(previous_); }

    std::vector<std::string> Reports() const {
        std::lock_guard lock(mutex_);
        return reports_;
    }
    std::size_t Count() const { return Reports().size(); }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> reports_;
    BoundsErrorSink previous_;
};
