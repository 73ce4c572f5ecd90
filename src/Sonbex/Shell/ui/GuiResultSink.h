#pragma once
// The desktop program's result sink: on the GUI thread it finds the target
// window of a delivered data set (the active window of the kind, else the
// topmost one), creates a new one when the routing says so, and hands the
// data set over. Workers block until that is done; during shutdown the
// bridge releases them with false.
// Threads: Deliver from any thread.

#include "Sonbex/Shell/ResultSink.h"

namespace sonbex::shell {

class SonbexApp;

class GuiResultSink : public IResultSink {
public:
    explicit GuiResultSink(SonbexApp& app) : app_(app) {}
    bool Deliver(const ResultDelivery& delivery) override;

private:
    bool DeliverOnGui(const ResultDelivery& delivery);

    SonbexApp& app_;
};

}  // namespace sonbex::shell
