// The headless program's devices and loopback verbs on ALSA PCMs of sound
// servers the tests start themselves: a JACK loop-back named in the ALSA
// configuration, and PulseAudio through the system's pulse plugin.

#include "Cli/CliRunner.h"
#include "YWave/Alsa/SoundServers.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <string>
#include <vector>

namespace {

using sound_servers::JackServer;
using sound_servers::kJackPeriod;
using sound_servers::kPcm;
using sound_servers::kPcmDescription;
using sound_servers::PulseServer;

// The device list of `devices --json`; fails the test when there is none.
nlohmann::json Devices() {
    const CliRun r = RunCli("devices --json");
    EXPECT_EQ(r.status, 0) << r.out;
    const auto j = nlohmann::json::parse(r.out, nullptr, false);
    EXPECT_FALSE(j.is_discarded()) << r.out;
    return j.is_discarded() ? nlohmann::json::array() : j["devices"];
}

// The entry of that id, or null.
nlohmann::json Entry(const nlohmann::json& devices, const std::string& id) {
    for (const auto& d : devices)
        if (d["id"] == id) return d;
    return nullptr;
}

// `loopback` on the PCM until `runs` runs have ended well (a server that
// drops cycles may end one with an xrun: that run is tried again); the
// latency of each.
std::vector<long> RoundTrips(const std::string& device, int runs, std::string& failures) {
    std::vector<long> latencies;
    for (int attempt = 0; attempt < 2 * runs && static_cast<int>(latencies.size()) < runs; ++attempt) {
        const CliRun r = RunCli("loopback --device " + device + " --seconds 1 --json");
        const auto j = nlohmann::json::parse(r.out, nullptr, false);
        if (r.status != 0 || j.is_discarded()) {
            failures += "run " + std::to_string(attempt + 1) + ": " + r.out;
            continue;
        }
        EXPECT_EQ(j["input1"]["latencySamples"], j["latencySamples"]) << r.out;
        EXPECT_EQ(j["input2"]["latencySamples"], j["latencySamples"]) << r.out;
        latencies.push_back(j["latencySamples"].get<long>());
    }
    return latencies;
}

}  // namespace

TEST_F(JackServer, TheLoopBackIsListedAndItsRoundTripIsTheServersOwnLoopLatency) {
    const nlohmann::json devices = Devices();
    const nlohmann::json loop = Entry(devices, std::string("alsa:") + kPcm);
    ASSERT_FALSE(loop.is_null()) << devices.dump(1);
    EXPECT_EQ(loop["name"], kPcm);
    EXPECT_EQ(loop["description"], kPcmDescription);
    EXPECT_EQ(loop["server"], "JACK");
    EXPECT_EQ(loop["canRecord"], true);
    EXPECT_EQ(loop["canPlay"], true);
    for (const char* direction : {"record", "play"}) {
        EXPECT_EQ(loop[direction]["available"], true) << direction;
        EXPECT_EQ(loop[direction]["rates"], nlohmann::json::array({sound_servers::kJackRate}))
            << direction << ": the server's rate only, nothing resampled";
    }
    // The configuration's PCMs that are not devices stay out of the list.
    for (const char* other :
         {"alsa:null", "alsa:lavrate", "alsa:samplerate", "alsa:speexrate", "alsa:upmix", "alsa:vdownmix"})
        EXPECT_TRUE(Entry(devices, other).is_null()) << other;

    std::string failures;
    const std::vector<long> latencies = RoundTrips(std::string("alsa:") + kPcm, 3, failures);
    ASSERT_EQ(latencies.size(), 3u) << failures;
    for (long l : latencies) EXPECT_EQ(l, latencies[0]) << "one latency in every run";

    // Measured last: jack_iodelay cannot leave a server cleanly, and the
    // server may stall a while over the client that has gone.
    std::string why;
    const std::optional<double> server = MeasureIoDelay(why);
    ASSERT_TRUE(server) << "jack_iodelay: " << why;

    // Beyond the engine's own lead (reported apart), the round trip is the
    // server's loop and what the ALSA plugin holds between the engine and the
    // server. Capture and playback start in the same server cycle and the
    // plugin passes each cycle's frames on in that cycle, so it holds nothing.
    const long buffering = latencies[0] - std::lround(*server);
    EXPECT_EQ(buffering, 0);
    std::cout << failures << "round trip through alsa:" << kPcm << ": " << latencies[0]
              << " samples = the server's loop latency (jack_iodelay: " << *server << " frames, "
              << *server / kJackPeriod << " server periods) + " << buffering
              << " samples held by the ALSA plugin\n";
}

TEST_F(JackServer, APcmIsOpenedByAnyNameAlsaKnowsAndRefusedWithItsReason) {
    // A PCM the hints do not list, named the way ALSA takes it.
    const CliRun listed = RunCli("devices --device alsa:plug:sonbex_jack --json");
    ASSERT_EQ(listed.status, 0) << listed.out;
    const auto one = nlohmann::json::parse(listed.out)["devices"];
    ASSERT_EQ(one.size(), 1u) << listed.out;
    EXPECT_EQ(one[0]["id"], "alsa:plug:sonbex_jack");
    EXPECT_EQ(one[0]["play"]["rates"], nlohmann::json::array({sound_servers::kJackRate})) << listed.out;
    std::string failures;
    EXPECT_EQ(RoundTrips("alsa:plug:sonbex_jack", 1, failures).size(), 1u) << failures;

    struct Case {
        std::string args;
        const char* message;
    } cases[] = {
        {"loopback --device alsa:no_such_pcm", "Unknown PCM no_such_pcm"},
        {std::string("loopback --device alsa:") + kPcm + " --rate 44100", "does not support 44100 Hz"},
    };
    for (const Case& c : cases) {
        const CliRun r = RunCli(c.args);
        EXPECT_EQ(r.status, 1) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
    }

    // The server goes away: the list still names the PCM, and says why it
    // does not open; so does the verb.
    StopServer();
    const nlohmann::json loop = Entry(Devices(), std::string("alsa:") + kPcm);
    ASSERT_FALSE(loop.is_null());
    EXPECT_EQ(loop["play"]["available"], false);
    EXPECT_NE(loop["play"]["error"].get<std::string>().find("JACK server is not running"), std::string::npos)
        << loop.dump(1);
    const CliRun r = RunCli(std::string("loopback --device alsa:") + kPcm);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("JACK server is not running"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Cannot connect to server"), std::string::npos) << "JACK's own noise: " << r.out;
}

TEST_F(PulseServer, DevicesListPulseWhileItsServerRunsAndSayWhenItDoesNot) {
    nlohmann::json pulse = Entry(Devices(), "alsa:pulse");
    ASSERT_FALSE(pulse.is_null());
    EXPECT_EQ(pulse["name"], "pulse");
    EXPECT_EQ(pulse["description"], "PulseAudio Sound Server");
    EXPECT_EQ(pulse["server"], "PulseAudio");
    for (const char* direction : {"record", "play"}) {
        EXPECT_EQ(pulse[direction]["available"], true) << pulse.dump(1);
        EXPECT_GE(pulse[direction]["maxChannels"], 2) << pulse.dump(1);
    }

    StopServer();
    pulse = Entry(Devices(), "alsa:pulse");
    ASSERT_FALSE(pulse.is_null());
    EXPECT_EQ(pulse["play"]["available"], false);
    EXPECT_NE(pulse["play"]["error"].get<std::string>().find("PulseAudio server is not running"),
              std::string::npos)
        << pulse.dump(1);
    const CliRun r = RunCli("loopback --device alsa:pulse");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("PulseAudio server is not running"), std::string::npos) << r.out;
}
