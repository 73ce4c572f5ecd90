#include "Sonbex/Shell/ResultSink.h"

#include "Sonbex/Shell/DocumentKinds.h"
#include "Sonbex/Shell/GlobalConfig.h"

#include <gtest/gtest.h>

#include <thread>

namespace sonbex::shell {
namespace {

struct Curve : IResultData {
    explicit Curve(int n) : points(n) {}
    int points;
};

ResultDelivery Make(ResultKind kind, std::string title, std::uint32_t flags) {
    return {kind, std::move(title), std::make_shared<Curve>(3), flags};
}

TEST(ResultSink, CollectingSinkRoutesLikeTheFrame) {
    CollectingResultSink sink;
    const std::uint32_t append = kAppendFrequencyCurve;
    const std::uint32_t replace = kReplaceFrequencyCurve;
    EXPECT_TRUE(sink.Deliver(Make(ResultKind::FrequencyResponse, "a", append)));   // first: new window
    EXPECT_TRUE(sink.Deliver(Make(ResultKind::FrequencyResponse, "b", append)));   // appended
    EXPECT_TRUE(sink.Deliver(Make(ResultKind::FrequencyResponse, "c", replace)));  // replaces a, b
    EXPECT_TRUE(sink.Deliver(Make(ResultKind::FrequencyResponse, "d", 0)));        // new window
    EXPECT_FALSE(sink.Deliver(Make(ResultKind::Impulse, "i", 0))) << "impulse window switched off";
    EXPECT_TRUE(sink.Deliver(Make(ResultKind::Impulse, "j", kOpenImpulseWindow)));

    const auto windows = sink.Windows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0].kind, kind::kFrequencyGraph);
    EXPECT_EQ(windows[0].titles, (std::vector<std::string>{"c"}));
    EXPECT_EQ(windows[1].titles, (std::vector<std::string>{"d"}));
    EXPECT_EQ(windows[2].kind, kind::kImpulseGraph);
    const auto entries = sink.Entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[1].route.action, RouteAction::Append);
    EXPECT_EQ(entries[4].window, -1);
    EXPECT_EQ(dynamic_cast<const Curve&>(*entries[5].delivery.data).points, 3);
}

TEST(ResultSink, RoutingFollowsTheRunsSnapshotNotLaterToggles) {
    CollectingResultSink sink;
    GlobalConfig config;
    config.flags = kAppendFrequencyCurve;
    const std::uint32_t snapshot = config.flags;  // the run starts
    config.flags = kReplaceFrequencyCurve;        // the user toggles during the run
    sink.Deliver(Make(ResultKind::FrequencyResponse, "1", snapshot));
    sink.Deliver(Make(ResultKind::FrequencyResponse, "2", snapshot));
    ASSERT_EQ(sink.Windows().size(), 1u);
    EXPECT_EQ(sink.Windows()[0].titles, (std::vector<std::string>{"1", "2"}));
}

TEST(ResultSink, DeliveriesFromSeveralWorkersAreAllKept) {
    CollectingResultSink sink;
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([&sink, w] {
            for (int i = 0; i < 50; ++i)
                sink.Deliver(
                    Make(ResultKind::FrequencyResponse, std::to_string(w * 100 + i), kAppendFrequencyCurve));
        });
    for (auto& t : workers) t.join();
    ASSERT_EQ(sink.Windows().size(), 1u);
    EXPECT_EQ(sink.Windows()[0].titles.size(), 200u);
}

}  // namespace
}  // namespace sonbex::shell
