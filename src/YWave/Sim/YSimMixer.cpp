#include "YWave/Sim/YSimMixer.h"

#include "YWave/Sim/YSimCard.h"

#include <algorithm>
#include <mutex>

namespace {

enum : std::uint32_t { kMasterId = 1, kWaveId = 2, kCaptureId = 3, kFirstInputId = 10, kMonitorOffset = 100 };

struct Element {
    std::string name;
    MixerLine line;
    std::array<std::uint32_t, 2> value{};
    bool muted = false;
    bool hasMute = false;
};

}  // namespace

struct YSimMixer::State {
    mutable std::mutex mutex;
    YSimMixerConfig config;
    std::vector<Element> elements;   // master, [wave], capture, inputs
    std::vector<bool> monitorMuted;  // per input
    int selected = 0;
    long writes = 0;

    Element* Find(std::uint32_t lineId) {
        for (Element& e : elements)
            if (e.line.lineId == lineId) return &e;
        return nullptr;
    }
    const Element* Find(const std::string& name) const {
        for (const Element& e : elements)
            if (e.name == name) return &e;
        return nullptr;
    }
    double Gain(const Element* e, int c) const {
        if (!e) return 1.0;
        if (e->muted) return 0.0;
        return YMixerFraction(e->line, e->value[static_cast<std::size_t>(c)]);
    }
    // With the mutex held.
    std::array<double, 2> Out() {
        std::array<double, 2> g{};
        for (int c = 0; c < 2; ++c) g[static_cast<std::size_t>(c)] = Gain(Find(1u), c) * Gain(Find(2u), c);
        return g;
    }
    std::array<double, 2> In() {
        std::array<double, 2> g{};
        const Element* input = Find(10u + static_cast<std::uint32_t>(selected));
        for (int c = 0; c < 2; ++c) g[static_cast<std::size_t>(c)] = Gain(Find(3u), c) * Gain(input, c);
        return g;
    }
};

namespace {

Element MakeElement(const std::string& name, std::uint32_t id, std::uint32_t type, std::uint32_t maximum,
                    const YSimMixerConfig& config, bool hasMute) {
    Element e;
    e.name = name;
    e.hasMute = hasMute;
    MixerLine& l = e.line;
    l.channels = 2;
    l.lineId = id;
    l.volumeControlId = id;
    l.componentType = type;
    l.name = name.substr(0, 63);
    l.shortName = name.substr(0, 15);
    l.minimum = 0;
    l.maximum = maximum;
    l.steps = maximum;
    l.law = config.law;
    l.dbPerUnit = config.dbPerUnit;
    e.value = {maximum, maximum};
    return e;
}

std::uint32_t InputType(const std::string& name) {
    if (name.find("Mic") != std::string::npos) return kMixerSrcMicrophone;
    if (name.find("Line") != std::string::npos) return kMixerSrcLine;
    if (name.find("CD") != std::string::npos) return kMixerSrcCompactDisc;
    return kMixerSrcAnalog;
}

class SimMixerDevice : public IMixerDevice {
public:
    explicit SimMixerDevice(std::shared_ptr<YSimMixer::State> state) : s_(std::move(state)) {}

    bool GetLine(MixerLine& line, std::uint32_t componentType) override {
        std::lock_guard lock(s_->mutex);
        for (const Element& e : s_->elements)
            if (e.line.componentType == componentType && e.line.lineId < kFirstInputId) {
                line = e.line;
                return true;
            }
        return false;
    }
    bool EnumRecordingLines(std::vector<MixerLine>& lines) override {
        std::lock_guard lock(s_->mutex);
        for (const Element& e : s_->elements)
            if (e.line.lineId >= kFirstInputId) lines.push_back(e.line);
        return true;
    }
    bool SelectRecordingLine(const MixerLine& line) override {
        std::lock_guard lock(s_->mutex);
        if (line.lineId < kFirstInputId || !s_->Find(line.lineId)) return false;
        s_->selected = static_cast<int>(line.lineId - kFirstInputId);
        ++s_->writes;
        return true;
    }
    bool GetVolume(const MixerLine& line, std::uint32_t& left, std::uint32_t& right) override {
        std::lock_guard lock(s_->mutex);
        const Element* e = s_->Find(line.lineId);
        if (!e) return false;
        left = e->value[0];
        right = e->value[1];
        return true;
    }
    bool SetVolume(const MixerLine& line, std::uint32_t left, std::uint32_t right) override {
        std::lock_guard lock(s_->mutex);
        Element* e = s_->Find(line.lineId);
        if (!e) return false;
        e->value = {std::min(left, e->line.maximum), std::min(right, e->line.maximum)};
        ++s_->writes;
        return true;
    }
    bool GetMute(std::uint32_t lineId, bool& mute) override {
        std::lock_guard lock(s_->mutex);
        if (lineId >= kMonitorOffset + kFirstInputId) {
            const std::size_t k = lineId - kMonitorOffset - kFirstInputId;
            if (k >= s_->monitorMuted.size()) return false;
            mute = s_->monitorMuted[k];
            return true;
        }
        const Element* e = s_->Find(lineId);
        if (!e || !e->hasMute) return false;
        mute = e->muted;
        return true;
    }
    bool SetMute(std::uint32_t lineId, bool mute) override {
        std::lock_guard lock(s_->mutex);
        ++s_->writes;
        if (lineId >= kMonitorOffset + kFirstInputId) {
            const std::size_t k = lineId - kMonitorOffset - kFirstInputId;
            if (k >= s_->monitorMuted.size()) return false;
            s_->monitorMuted[k] = mute;
            return true;
        }
        Element* e = s_->Find(lineId);
        if (!e || !e->hasMute) return false;
        e->muted = mute;
        return true;
    }

private:
    std::shared_ptr<YSimMixer::State> s_;
};

}  // namespace

YSimMixer::YSimMixer(YSimMixerConfig config) : state_(std::make_shared<State>()) {
    State& s = *state_;
    s.config = std::move(config);
    const YSimMixerConfig& c = s.config;
    s.elements.push_back(MakeElement("Master", kMasterId, kMixerDstSpeakers, c.outputMaximum, c, true));
    if (c.hasWave)
        s.elements.push_back(MakeElement("PCM", kWaveId, kMixerSrcWaveOut,
                                         c.waveMaximum ? c.waveMaximum : c.outputMaximum, c, true));
    s.elements.push_back(MakeElement("Capture", kCaptureId, kMixerDstWaveIn, c.inputMaximum, c, false));
    for (std::size_t k = 0; k < c.inputs.size(); ++k) {
        Element e = MakeElement(c.inputs[k], kFirstInputId + static_cast<std::uint32_t>(k),
                                InputType(c.inputs[k]), c.inputMaximum, c, false);
        e.line.monitorLineId = kMonitorOffset + e.line.lineId;
        s.elements.push_back(std::move(e));
    }
    s.monitorMuted.assign(c.inputs.size(), false);
}

YSimMixer::~YSimMixer() = default;

std::vector<YMixerInfo> YSimMixer::Mixers() { return {YMixerInfo{"sim", kName}}; }

std::unique_ptr<IMixerDevice> YSimMixer::OpenMixer(int index, std::string& error) {
    if (index != 0 || state_->config.failOpen) {
        error = "the simulated mixer could not be opened";
        return nullptr;
    }
    return std::make_unique<SimMixerDevice>(state_);
}

std::array<double, 2> YSimMixer::OutputGain() const {
    std::lock_guard lock(state_->mutex);
    return state_->Out();
}

std::array<double, 2> YSimMixer::InputGain() const {
    std::lock_guard lock(state_->mutex);
    return state_->In();
}

void YSimMixer::Attach(YSimCard& card) {
    std::weak_ptr<State> weak = state_;
    card.Config().mixerGains = [weak](std::array<double, 2>& out, std::array<double, 2>& in) {
        const std::shared_ptr<State> s = weak.lock();
        if (!s) return;
        std::lock_guard lock(s->mutex);
        out = s->Out();
        in = s->In();
    };
}

std::array<std::uint32_t, 2> YSimMixer::Volume(const std::string& element) const {
    std::lock_guard lock(state_->mutex);
    const Element* e = state_->Find(element);
    return e ? e->value : std::array<std::uint32_t, 2>{};
}

void YSimMixer::SetVolume(const std::string& element, std::uint32_t left, std::uint32_t right) {
    std::lock_guard lock(state_->mutex);
    for (Element& e : state_->elements)
        if (e.name == element) e.value = {std::min(left, e.line.maximum), std::min(right, e.line.maximum)};
}

bool YSimMixer::MonitorMuted(const std::string& input) const {
    std::lock_guard lock(state_->mutex);
    for (std::size_t k = 0; k < state_->config.inputs.size(); ++k)
        if (state_->config.inputs[k] == input) return state_->monitorMuted[k];
    return false;
}

int YSimMixer::SelectedInput() const {
    std::lock_guard lock(state_->mutex);
    return state_->selected;
}

long YSimMixer::Writes() const {
    std::lock_guard lock(state_->mutex);
    return state_->writes;
}
