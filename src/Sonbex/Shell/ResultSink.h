#pragma once
// How workers hand finished data sets to the program. A worker never creates
// or touches a window: it calls Deliver, and the sink decides where the data
// set goes by the routing switches of the run's settings snapshot.
//   - The desktop program's sink (GuiResultSink) runs on the GUI thread: it
//     finds or creates the target window and hands it the data set.
//   - CollectingResultSink keeps the data sets and applies the same routing
//     to windows it only imagines: for the headless program and the tests.
//
// Threads: Deliver may be called from any thread; it returns when the data
// set was taken (true) or refused (false: no window could be had, the
// program is shutting down, or the switches say it is not shown).

#include "Sonbex/Shell/RoutingFlags.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sonbex::shell {

// The base of every data set a worker hands over; the window kind that takes
// it knows its real type.
class IResultData {
public:
    virtual ~IResultData() = default;
};

struct ResultDelivery {
    ResultKind kind = ResultKind::FrequencyResponse;
    std::string title;
    std::shared_ptr<const IResultData> data;
    // The global flags of the settings snapshot the run took when it started:
    // switching them during a run changes the next run, not this one.
    std::uint32_t routingFlags = 0;
};

class IResultSink {
public:
    virtual ~IResultSink() = default;
    virtual bool Deliver(const ResultDelivery& delivery) = 0;
};

// Collects every data set with the route it took. Imagined windows keep the
// titles of what they show, in order, so tests can see appends and replaces.
class CollectingResultSink : public IResultSink {
public:
    struct Window {
        int kind = 0;
        std::vector<std::string> titles;
        std::vector<std::shared_ptr<const IResultData>> data;
    };
    struct Entry {
        ResultDelivery delivery;
        Route route;
        int window = -1;  // index into Windows(); -1 when dropped
    };

    bool Deliver(const ResultDelivery& delivery) override;

    std::vector<Entry> Entries() const;
    std::vector<Window> Windows() const;

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::vector<Window> windows_;  // the last one of a kind is the top one
};

}  // namespace sonbex::shell
