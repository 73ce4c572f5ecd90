// The ALSA device list from a configuration written here: which PCMs of the
// name hints are devices, PCMs named but not listed, and the reasons given
// when a PCM cannot be opened; no sound server runs there. Then the cache of
// format answers, against a JACK server that goes away and comes back.

#include "YWave/Alsa/YAlsaBackend.h"

#include "SoundServers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class AlsaConfig : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = sound_servers::MakeTempDir("ywave-alsa");
        std::ofstream(dir_ / "asound.conf")
            << "</usr/share/alsa/alsa.conf>\n"
               "pcm.t_null { type null hint { show on description \"Nothing\" } }\n"
               "pcm.t_rate { type rate slave { pcm \"t_plug\" rate 48000 } hint { show on description "
               "\"Rate\" } }\n"
               "pcm.t_upmix { type upmix slave.pcm \"t_plug\" hint { show on description \"Up\" } }\n"
               "pcm.t_vdownmix { type vdownmix slave.pcm \"t_plug\" hint { show on description \"Down\" } }\n"
               "pcm.t_speex { type speex slave.pcm \"t_plug\" hint { show on description \"Speex\" } }\n"
               "pcm.t_plug { type plug slave.pcm \"null\" hint { show on description \"Plug into nothing\" } "
               "}\n"
               "pcm.t_jack {\n"
               "  type plug\n"
               "  slave.pcm { type jack playback_ports { 0 x:in } capture_ports { 0 x:out } }\n"
               "  hint { show on description \"Through JACK\" }\n"
               "}\n"
               "pcm.t_asym { type asym playback.pcm \"t_jack\" capture.pcm \"t_plug\" }\n";
        setenv("ALSA_CONFIG_PATH", (dir_ / "asound.conf").c_str(), 1);
        setenv("JACK_DEFAULT_SERVER", "sonbex-no-such-server", 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        snd_config_update_free_global();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // The listed device of that id, or null.
    static const YWaveDevice* FindId(const std::vector<YWaveDevice>& all, const std::string& id) {
        for (const YWaveDevice& d : all)
            if (d.id == id) return &d;
        return nullptr;
    }
    fs::path dir_;
};

TEST_F(AlsaConfig, TheHintedDevicesAreListedWithTheirDescriptionsAndTheOthersAreNot) {
    YAlsaBackend alsa;
    const std::vector<YWaveDevice> all = alsa.Devices();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all[0].id, "alsa:default");
    struct Case {
        const char* pcm;
        const char* description;  // null: not listed
        const char* server = "";
    } cases[] = {
        {"t_plug", "Plug into nothing"},
        {"t_jack", "Through JACK", "JACK"},
        {"t_null", nullptr},
        {"t_rate", nullptr},
        {"t_upmix", nullptr},
        {"t_vdownmix", nullptr},
        {"t_speex", nullptr},
        {"null", nullptr},
    };
    for (const Case& c : cases) {
        const YWaveDevice* d = FindId(all, std::string("alsa:") + c.pcm);
        if (!c.description) {
            EXPECT_EQ(d, nullptr) << c.pcm << " is not a device";
            continue;
        }
        ASSERT_NE(d, nullptr) << c.pcm;
        EXPECT_EQ(d->name, c.pcm);
        EXPECT_EQ(d->description, c.description);
        EXPECT_EQ(d->server, c.server) << c.pcm;
        EXPECT_TRUE(d->canPlay && d->canRecord) << c.pcm;
        EXPECT_EQ(alsa.PcmName(d->index), c.pcm);
    }
    for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].index, static_cast<int>(i));
}

TEST_F(AlsaConfig, APcmNotListedIsFoundByNameAndAnUnknownOneIsRefusedWithAlsasReason) {
    YAlsaBackend alsa;
    std::size_t listed = alsa.Devices().size();
    struct Case {
        const char* id;
        int added;            // devices added to the list
        const char* message;  // in the error; null: accepted
    } cases[] = {
        {"alsa:t_plug", 0, nullptr},  // listed already
        {"alsa:plug:t_plug", 1, nullptr},
        {"alsa:no_such_pcm", 0, "Unknown PCM no_such_pcm"},
        {"alsa:", 0, "name of an ALSA PCM"},
        {"sim", 0, ""},  // not ALSA's: no error, left to the next backend
    };
    for (const Case& c : cases) {
        std::string error;
        const int index = alsa.Resolve(c.id, error);
        const std::vector<YWaveDevice> all = alsa.Devices();
        listed += static_cast<std::size_t>(c.added);
        EXPECT_EQ(all.size(), listed) << c.id;
        if (!c.message) {
            ASSERT_GE(index, 0) << c.id << ": " << error;
            EXPECT_EQ(all[static_cast<std::size_t>(index)].id, c.id);
            EXPECT_TRUE(alsa.CanOpen(YWaveDirection::Play, index, 48000, 16, 2)) << c.id;
        } else {
            EXPECT_EQ(index, -2) << c.id;
            EXPECT_NE(error.find(c.message), std::string::npos) << c.id << ": " << error;
            if (!*c.message) {
                EXPECT_EQ(error, "") << c.id;
            }
        }
    }
    // A rescan keeps what the user named.
    alsa.Rescan();
    EXPECT_NE(FindId(alsa.Devices(), "alsa:plug:t_plug"), nullptr);
}

TEST_F(AlsaConfig, APcmWhoseServerIsNotRunningSaysSo) {
    YAlsaBackend alsa;
    const std::vector<YWaveDevice> all = alsa.Devices();
    const YWaveDevice* jack = FindId(all, "alsa:t_jack");
    ASSERT_NE(jack, nullptr);
    const std::string why = alsa.Unavailable(YWaveDirection::Play, jack->index);
    EXPECT_NE(why.find("the JACK server is not running"), std::string::npos) << why;
    EXPECT_FALSE(alsa.CanOpen(YWaveDirection::Play, jack->index, 48000, 16, 2));

    // Behind an asym PCM, only the direction that leads to JACK fails.
    std::string error;
    const int asym = alsa.Resolve("alsa:t_asym", error);
    ASSERT_GE(asym, 0) << error;
    EXPECT_NE(alsa.Unavailable(YWaveDirection::Play, asym).find("JACK server"), std::string::npos);
    EXPECT_EQ(alsa.Unavailable(YWaveDirection::Record, asym), "");

    const YWaveDevice* plug = FindId(all, "alsa:t_plug");
    ASSERT_NE(plug, nullptr);
    EXPECT_EQ(alsa.Unavailable(YWaveDirection::Play, plug->index), "");
}

}  // namespace

using sound_servers::JackServer;

TEST_F(JackServer, FormatAnswersAreCachedUntilARescan) {
    YAlsaBackend alsa;
    const int device = alsa.AddPcm(sound_servers::kPcm);
    ASSERT_TRUE(alsa.CanOpen(YWaveDirection::Play, device, 48000, 16, 2));
    EXPECT_EQ(alsa.Unavailable(YWaveDirection::Play, device), "");

    // The answer stands while the server is away ...
    StopServer();
    EXPECT_TRUE(alsa.CanOpen(YWaveDirection::Play, device, 48000, 16, 2)) << "asked the device again";
    // ... and a rescan finds it gone, then back.
    alsa.Rescan();
    EXPECT_NE(alsa.Unavailable(YWaveDirection::Play, device).find("JACK server is not running"),
              std::string::npos);
    EXPECT_FALSE(alsa.CanOpen(YWaveDirection::Play, device, 48000, 16, 2));
    ASSERT_TRUE(StartServer());
    alsa.Rescan();
    EXPECT_EQ(alsa.Unavailable(YWaveDirection::Play, device), "");
    EXPECT_TRUE(alsa.CanOpen(YWaveDirection::Play, device, 48000, 16, 2));
}
