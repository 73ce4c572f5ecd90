#include "YWave/Alsa/YAlsaMixer.h"

#include <alsa/asoundlib.h>

#include <poll.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr std::uint32_t kItemIdBase = 100000;  // line ids of enumerated source items

struct Element {
    snd_mixer_elem_t* elem = nullptr;
    std::string name;
};

bool IsSourceName(const std::string& n) {
    return n == "Capture Source" || n == "Input Source" || n == "Capture" || n == "PCM";
}

std::uint32_t SourceType(const std::string& name) {
    if (name.find("Mic") != std::string::npos) return kMixerSrcMicrophone;
    if (name.find("Line") != std::string::npos) return kMixerSrcLine;
    if (name.find("CD") != std::string::npos) return kMixerSrcCompactDisc;
    if (name.find("Aux") != std::string::npos) return kMixerSrcAuxiliary;
    if (name.find("IEC958") != std::string::npos || name.find("Digital") != std::string::npos)
        return kMixerSrcDigital;
    return kMixerSrcAnalog;
}

class AlsaMixerDevice : public IMixerDevice {
public:
    AlsaMixerDevice(snd_mixer_t* mixer, bool pulse) : mixer_(mixer), pulse_(pulse) {
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
            if (!snd_mixer_selem_is_active(e)) continue;
            std::string name = snd_mixer_selem_get_name(e);
            if (snd_mixer_selem_get_index(e) > 0) name += "," + std::to_string(snd_mixer_selem_get_index(e));
            elements_.push_back(Element{e, name});
        }
    }
    ~AlsaMixerDevice() override { snd_mixer_close(mixer_); }

    bool GetLine(MixerLine& line, std::uint32_t type) override {
        Refresh();
        const int k = FindLine(type);
        if (k < 0) return false;
        const bool capture = type == kMixerDstWaveIn;
        Describe(line, static_cast<std::size_t>(k), capture);
        line.componentType = type;
        line.lineId = Id(static_cast<std::size_t>(k));
        return true;
    }

    bool EnumRecordingLines(std::vector<MixerLine>& lines) override {
        Refresh();
        if (const int k = EnumSource(); k >= 0) {
            snd_mixer_elem_t* e = elements_[static_cast<std::size_t>(k)].elem;
            const int items = snd_mixer_selem_get_enum_items(e);
            for (int i = 0; i < items; ++i) {
                char text[128] = {};
                if (snd_mixer_selem_get_enum_item_name(e, static_cast<unsigned>(i), sizeof text - 1, text) <
                    0)
                    continue;
                const std::string item = text;
                MixerLine l;
                int v = Find(item, true);
                if (v < 0) v = Find(item + " Boost", true);
                if (v >= 0) Describe(l, static_cast<std::size_t>(v), true);
                l.channels = std::max<std::uint32_t>(l.channels, 1);
                l.lineId = kItemIdBase + static_cast<std::uint32_t>(i);
                l.componentType = SourceType(item);
                l.name = item.substr(0, 63);
                l.shortName = item.substr(0, 15);
                l.monitorLineId = MonitorOf(item);
                lines.push_back(l);
            }
            return true;
        }
        for (std::size_t k = 0; k < elements_.size(); ++k) {
            snd_mixer_elem_t* e = elements_[k].elem;
            if (!snd_mixer_selem_has_capture_switch(e) || snd_mixer_selem_has_common_switch(e) ||
                IsSourceName(elements_[k].name) || static_cast<int>(k) == FindLine(kMixerDstWaveIn))
                continue;
            MixerLine l;
            Describe(l, k, true);
            l.channels = std::max<std::uint32_t>(l.channels, 1);
            l.lineId = Id(k);
            l.componentType = SourceType(elements_[k].name);
            l.monitorLineId = MonitorOf(elements_[k].name);
            lines.push_back(l);
        }
        return true;
    }

    bool SelectRecordingLine(const MixerLine& line) override {
        Refresh();
        if (const int k = EnumSource(); k >= 0) {
            if (line.lineId < kItemIdBase) return false;
            const unsigned item = line.lineId - kItemIdBase;
            snd_mixer_elem_t* e = elements_[static_cast<std::size_t>(k)].elem;
            if (item >= static_cast<unsigned>(snd_mixer_selem_get_enum_items(e))) return false;
            bool ok = true;
            for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
                const auto ch = static_cast<snd_mixer_selem_channel_id_t>(c);
                unsigned cur = 0;
                if (snd_mixer_selem_get_enum_item(e, ch, &cur) < 0) continue;
                ok = snd_mixer_selem_set_enum_item(e, ch, item) >= 0 && ok;
            }
            return ok;
        }
        std::vector<MixerLine> lines;
        EnumRecordingLines(lines);
        bool found = false;
        for (const MixerLine& l : lines) {
            const std::size_t k = l.lineId - 1;
            if (k >= elements_.size()) continue;
            const bool on = l.lineId == line.lineId;
            found = found || on;
            snd_mixer_selem_set_capture_switch_all(elements_[k].elem, on ? 1 : 0);
        }
        return found;
    }

    bool GetVolume(const MixerLine& line, std::uint32_t& left, std::uint32_t& right) override {
        Refresh();
        const auto it = VolumeOf(line.volumeControlId);
        if (it == volume_.end()) return false;
        snd_mixer_elem_t* e = elements_[it->second.element].elem;
        long l = 0, r = 0;
        if (it->second.capture) {
            if (snd_mixer_selem_get_capture_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &l) < 0) return false;
            if (snd_mixer_selem_is_capture_mono(e) ||
                snd_mixer_selem_get_capture_volume(e, SND_MIXER_SCHN_FRONT_RIGHT, &r) < 0)
                r = l;
        } else {
            if (snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &l) < 0) return false;
            if (snd_mixer_selem_is_playback_mono(e) ||
                snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_RIGHT, &r) < 0)
                r = l;
        }
        left = static_cast<std::uint32_t>(std::max(0L, l - it->second.min));
        right = static_cast<std::uint32_t>(std::max(0L, r - it->second.min));
        return true;
    }

    bool SetVolume(const MixerLine& line, std::uint32_t left, std::uint32_t right) override {
        const auto it = VolumeOf(line.volumeControlId);
        if (it == volume_.end()) return false;
        snd_mixer_elem_t* e = elements_[it->second.element].elem;
        const long l = it->second.min + static_cast<long>(left),
                   r = it->second.min + static_cast<long>(right);
        int rc = 0;
        if (it->second.capture) {
            if (snd_mixer_selem_is_capture_mono(e)) return snd_mixer_selem_set_capture_volume_all(e, l) >= 0;
            rc |= snd_mixer_selem_set_capture_volume(e, SND_MIXER_SCHN_FRONT_LEFT, l);
            rc |= snd_mixer_selem_set_capture_volume(e, SND_MIXER_SCHN_FRONT_RIGHT, r);
        } else {
            if (snd_mixer_selem_is_playback_mono(e))
                return snd_mixer_selem_set_playback_volume_all(e, l) >= 0;
            rc |= snd_mixer_selem_set_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, l);
            rc |= snd_mixer_selem_set_playback_volume(e, SND_MIXER_SCHN_FRONT_RIGHT, r);
        }
        return rc >= 0;
    }

    bool GetMute(std::uint32_t lineId, bool& mute) override {
        Refresh();
        const std::size_t k = lineId - 1;
        if (lineId == 0 || k >= elements_.size()) return false;
        snd_mixer_elem_t* e = elements_[k].elem;
        if (!snd_mixer_selem_has_playback_switch(e)) return false;
        int on = 1;
        if (snd_mixer_selem_get_playback_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0) return false;
        mute = on == 0;
        return true;
    }

    bool SetMute(std::uint32_t lineId, bool mute) override {
        const std::size_t k = lineId - 1;
        if (lineId == 0 || k >= elements_.size()) return false;
        snd_mixer_elem_t* e = elements_[k].elem;
        if (!snd_mixer_selem_has_playback_switch(e)) return false;
        return snd_mixer_selem_set_playback_switch_all(e, mute ? 0 : 1) >= 0;
    }

    std::vector<int> ChangeDescriptors() override {
        const int n = snd_mixer_poll_descriptors_count(mixer_);
        if (n <= 0) return {};
        std::vector<pollfd> fds(static_cast<std::size_t>(n));
        const int got = snd_mixer_poll_descriptors(mixer_, fds.data(), static_cast<unsigned>(n));
        std::vector<int> out;
        for (int i = 0; i < got; ++i) out.push_back(fds[static_cast<std::size_t>(i)].fd);
        return out;
    }

    bool TakeChangeEvents() override { return Refresh() > 0; }

private:
    struct Volume {
        std::size_t element = 0;
        bool capture = false;
        long min = 0;
    };

    static std::uint32_t Id(std::size_t k) { return static_cast<std::uint32_t>(k + 1); }

    // The volume control of an id, also one of a line described by another
    // opening of the same mixer (the ids name the element and direction).
    std::map<std::uint32_t, Volume>::iterator VolumeOf(std::uint32_t id) {
        auto it = volume_.find(id);
        if (it != volume_.end() || id == 0) return it;
        const std::size_t k = (id & 0x7FFFFFFFu) - 1;
        if (k >= elements_.size()) return volume_.end();
        MixerLine scratch;
        Describe(scratch, k, (id & 0x80000000u) != 0);
        return volume_.find(id);
    }

    // Takes pending change events, so the values read are the card's own.
    int Refresh() {
        const int n = snd_mixer_poll_descriptors_count(mixer_);
        if (n <= 0) return snd_mixer_handle_events(mixer_);
        std::vector<pollfd> fds(static_cast<std::size_t>(n));
        const int got = snd_mixer_poll_descriptors(mixer_, fds.data(), static_cast<unsigned>(n));
        if (got <= 0 || poll(fds.data(), static_cast<nfds_t>(got), 0) <= 0) return 0;
        return std::max(0, snd_mixer_handle_events(mixer_));
    }

    int Find(const std::string& name, bool capture) const {
        for (std::size_t k = 0; k < elements_.size(); ++k)
            if (elements_[k].name == name &&
                (capture ? snd_mixer_selem_has_capture_volume(elements_[k].elem)
                         : snd_mixer_selem_has_playback_volume(elements_[k].elem)))
                return static_cast<int>(k);
        return -1;
    }

    int EnumSource() const {
        for (std::size_t k = 0; k < elements_.size(); ++k)
            if (snd_mixer_selem_is_enumerated(elements_[k].elem) &&
                snd_mixer_selem_is_enum_capture(elements_[k].elem))
                return static_cast<int>(k);
        for (std::size_t k = 0; k < elements_.size(); ++k)
            if (snd_mixer_selem_is_enumerated(elements_[k].elem) &&
                (elements_[k].name == "Capture Source" || elements_[k].name == "Input Source"))
                return static_cast<int>(k);
        return -1;
    }

    int FindLine(std::uint32_t type) const {
        if (type == kMixerDstSpeakers) {
            if (int k = Find("Master", false); k >= 0) return k;
            for (std::size_t k = 0; k < elements_.size(); ++k)
                if (snd_mixer_selem_has_playback_volume(elements_[k].elem) && elements_[k].name != "PCM" &&
                    !snd_mixer_selem_has_capture_switch(elements_[k].elem))
                    return static_cast<int>(k);
            return -1;
        }
        if (type == kMixerSrcWaveOut) return Find("PCM", false);
        if (type == kMixerDstWaveIn) {
            if (int k = Find("Capture", true); k >= 0) return k;
            for (std::size_t k = 0; k < elements_.size(); ++k)
                if (snd_mixer_selem_has_capture_volume(elements_[k].elem) &&
                    !snd_mixer_selem_has_capture_switch_exclusive(elements_[k].elem) &&
                    elements_[k].name.find("Boost") == std::string::npos &&
                    (elements_[k].name.find("Capture") != std::string::npos ||
                     elements_[k].name.find("ADC") != std::string::npos))
                    return static_cast<int>(k);
        }
        return -1;
    }

    std::uint32_t MonitorOf(const std::string& name) const {
        for (std::size_t k = 0; k < elements_.size(); ++k)
            if (elements_[k].name == name && snd_mixer_selem_has_playback_switch(elements_[k].elem))
                return Id(k);
        return 0;
    }

    void Describe(MixerLine& l, std::size_t k, bool capture) {
        snd_mixer_elem_t* e = elements_[k].elem;
        l.name = elements_[k].name.substr(0, 63);
        l.shortName = elements_[k].name.substr(0, 15);
        const bool hasVolume =
            capture ? snd_mixer_selem_has_capture_volume(e) : snd_mixer_selem_has_playback_volume(e);
        int channels = 0;
        for (auto ch : {SND_MIXER_SCHN_FRONT_LEFT, SND_MIXER_SCHN_FRONT_RIGHT})
            if (capture ? snd_mixer_selem_has_capture_channel(e, ch)
                        : snd_mixer_selem_has_playback_channel(e, ch))
                ++channels;
        l.channels = static_cast<std::uint32_t>(std::max(1, channels));
        if (!hasVolume) return;
        long min = 0, max = 0;
        if ((capture ? snd_mixer_selem_get_capture_volume_range(e, &min, &max)
                     : snd_mixer_selem_get_playback_volume_range(e, &min, &max)) < 0 ||
            max <= min)
            return;
        const std::uint32_t id = Id(k) | (capture ? 0x80000000u : 0u);
        volume_[id] = Volume{k, capture, min};
        l.volumeControlId = id;
        l.minimum = 0;
        l.maximum = static_cast<std::uint32_t>(max - min);
        l.steps = l.maximum;
        l.law = pulse_ ? YMixerLaw::Cubic : YMixerLaw::Linear;
        long dbMin = 0, dbMax = 0;
        const bool hasDb = (capture ? snd_mixer_selem_get_capture_dB_range(e, &dbMin, &dbMax)
                                    : snd_mixer_selem_get_playback_dB_range(e, &dbMin, &dbMax)) == 0 &&
                           dbMax > dbMin;
        if (hasDb && !pulse_ && l.maximum <= 4096) {
            std::vector<double> gains(l.maximum + 1);
            long top = 0;
            (capture ? snd_mixer_selem_ask_capture_vol_dB : snd_mixer_selem_ask_playback_vol_dB)(e, max,
                                                                                                 &top);
            for (std::uint32_t v = 0; v <= l.maximum; ++v) {
                long db = 0;
                (capture ? snd_mixer_selem_ask_capture_vol_dB : snd_mixer_selem_ask_playback_vol_dB)(
                    e, min + static_cast<long>(v), &db);
                gains[v] = db <= SND_CTL_TLV_DB_GAIN_MUTE ? 0.0 : std::pow(10.0, (db - top) / 2000.0);
            }
            // A table must rise to 1 at the top; a card whose table does not is taken as linear.
            if (std::is_sorted(gains.begin(), gains.end()) && gains.back() == 1.0) {
                l.law = YMixerLaw::Table;
                l.gains = std::move(gains);
            }
        }
    }

    snd_mixer_t* mixer_;
    const bool pulse_;
    std::vector<Element> elements_;
    std::map<std::uint32_t, Volume> volume_;
};

}  // namespace

YAlsaMixer::YAlsaMixer() = default;

int YAlsaMixer::AddCtl(const std::string& ctl, const std::string& name) {
    Enumerate();
    added_.push_back(Entry{YMixerInfo{"alsa:" + ctl, name}, ctl});
    entries_.push_back(added_.back());
    return static_cast<int>(entries_.size()) - 1;
}

void YAlsaMixer::Enumerate() {
    if (enumerated_) return;
    enumerated_ = true;
    snd_ctl_t* ctl = nullptr;
    if (snd_ctl_open(&ctl, "default", SND_CTL_NONBLOCK) == 0) {
        snd_ctl_close(ctl);
        entries_.push_back(Entry{YMixerInfo{"alsa:default", "Default mixer"}, "default"});
    }
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        if (snd_ctl_open(&ctl, ("hw:" + std::to_string(card)).c_str(), SND_CTL_NONBLOCK) < 0) continue;
        snd_ctl_card_info_t* info;
        snd_ctl_card_info_alloca(&info);
        if (snd_ctl_card_info(ctl, info) == 0) {
            const std::string id = snd_ctl_card_info_get_id(info);
            entries_.push_back(
                Entry{YMixerInfo{"alsa:hw:CARD=" + id, snd_ctl_card_info_get_name(info)}, "hw:CARD=" + id});
        }
        snd_ctl_close(ctl);
    }
}

std::vector<YMixerInfo> YAlsaMixer::Mixers() {
    Enumerate();
    std::vector<YMixerInfo> out;
    for (const Entry& e : entries_) out.push_back(e.info);
    return out;
}

std::unique_ptr<IMixerDevice> YAlsaMixer::OpenMixer(int index, std::string& error) {
    Enumerate();
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        error = "no such mixer";
        return nullptr;
    }
    const std::string& name = entries_[static_cast<std::size_t>(index)].ctl;
    snd_mixer_t* mixer = nullptr;
    int rc = snd_mixer_open(&mixer, 0);
    if (rc == 0) rc = snd_mixer_attach(mixer, name.c_str());
    if (rc == 0) rc = snd_mixer_selem_register(mixer, nullptr, nullptr);
    if (rc == 0) rc = snd_mixer_load(mixer);
    if (rc < 0) {
        if (mixer) snd_mixer_close(mixer);
        error = "cannot open the mixer " + name + ": " + snd_strerror(rc);
        return nullptr;
    }
    // PulseAudio's mixer has no dB table: its volume is a cubic software law.
    bool pulse = false;
    snd_ctl_t* ctl = nullptr;
    if (snd_ctl_open(&ctl, name.c_str(), SND_CTL_NONBLOCK) == 0) {
        snd_ctl_card_info_t* info;
        snd_ctl_card_info_alloca(&info);
        if (snd_ctl_card_info(ctl, info) == 0)
            pulse = std::string(snd_ctl_card_info_get_mixername(info)) == "PulseAudio";
        snd_ctl_close(ctl);
    }
    return std::make_unique<AlsaMixerDevice>(mixer, pulse);
}
