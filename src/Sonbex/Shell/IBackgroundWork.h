#pragma once
// Work running on a worker thread that the frame must end before it shuts
// down: the measurement (its analysis included) and every open instrument.
// The frame asks the user first when a measurement runs, then requests every
// stop, serves events until all have ended (with a time limit), and only then
// asks the documents to close and frees anything.
// Threads: every member is called on the GUI thread.

namespace sonbex::shell {

class IBackgroundWork {
public:
    virtual ~IBackgroundWork() = default;
    // A measurement (asked about at exit) rather than an instrument.
    virtual bool IsMeasurement() const = 0;
    virtual bool IsRunning() const = 0;
    // Posts the stop; the worker ends on its own (IsRunning turns false).
    virtual void RequestStop() = 0;
};

}  // namespace sonbex::shell
