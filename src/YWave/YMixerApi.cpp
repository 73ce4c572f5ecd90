#include "YWave/YMixerApi.h"

#include <algorithm>

using Lock = std::lock_guard<std::recursive_mutex>;

bool YMixerApi::Locate(int mixerId, IMixerBackend*& backend, int& local) {
    if (mixerId < 0) return false;
    int offset = 0;
    for (IMixerBackend* b : backends_) {
        const int n = static_cast<int>(b->Mixers().size());
        if (mixerId < offset + n) {
            backend = b;
            local = mixerId - offset;
            return true;
        }
        offset += n;
    }
    return false;
}

std::vector<YMixerInfo> YMixerApi::Mixers() {
    Lock lock(mutex_);
    std::vector<YMixerInfo> all;
    for (IMixerBackend* b : backends_)
        for (YMixerInfo& m : b->Mixers()) all.push_back(std::move(m));
    return all;
}

const void* YMixerApi::Handle() const {
    Lock lock(mutex_);
    return device_.get();
}

int YMixerApi::OpenIndex() const {
    Lock lock(mutex_);
    return device_ ? openIndex_ : -1;
}

std::string YMixerApi::LastError() const {
    Lock lock(mutex_);
    return error_;
}

bool YMixerApi::Open(int mixerId) {
    Lock lock(mutex_);
    Close();
    IMixerBackend* backend = nullptr;
    int local = 0;
    if (!Locate(mixerId, backend, local)) {
        error_ = "no mixer " + std::to_string(mixerId);
        return false;
    }
    error_.clear();
    device_ = backend->OpenMixer(local, error_);
    openIndex_ = device_ ? mixerId : -1;
    return device_ != nullptr;
}

void YMixerApi::Close() {
    Lock lock(mutex_);
    device_.reset();
    openIndex_ = -1;
}

std::string YMixerApi::CutAtLastBlank(const std::string& name) {
    std::string s = name;
    while (!s.empty() && s.back() == ' ') s.pop_back();
    const std::size_t blank = s.rfind(' ');
    if (blank == std::string::npos) return s;
    s.resize(blank);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

int YMixerApi::SameDeviceName(const std::string& a, const std::string& b) {
    const std::size_t n = std::max(a.size(), b.size());
    auto at = [](const std::string& s, std::size_t i) { return i < s.size() ? s[i] : '\0'; };
    for (std::size_t i = 0; i <= n; ++i) {
        const char ca = at(a, i), cb = at(b, i);
        if (ca == '\0' && cb == '\0') return 0;
        if (ca == ' ' && cb == ' ') {
            // Agreeing through this blank and the two characters after it.
            if (at(a, i + 1) == at(b, i + 1) && at(a, i + 2) == at(b, i + 2)) return 0;
        }
        if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
    }
    return 0;
}

int YMixerApi::MixerForWaveDevice(int waveDevice, bool isInput) {
    if (!waves_) return 0;
    const std::vector<YWaveDevice> devices = waves_->Devices();
    if (devices.empty()) return 0;
    // -1, the default, is the first backend's default device.
    const YWaveDevice* wave = nullptr;
    for (const YWaveDevice& d : devices)
        if (d.index == (waveDevice < 0 ? 0 : waveDevice)) wave = &d;
    if (!wave || (isInput ? !wave->canRecord : !wave->canPlay)) return 0;
    const std::vector<YMixerInfo> mixers = Mixers();
    // The stable ids first: "alsa:hw:CARD=PCH,DEV=0" belongs to "alsa:hw:CARD=PCH".
    for (std::size_t i = 0; i < mixers.size(); ++i) {
        const std::string& id = mixers[i].id;
        if (wave->id == id || wave->id.rfind(id + ",", 0) == 0) return static_cast<int>(i);
    }
    const std::string waveName = CutAtLastBlank(wave->name);
    for (std::size_t i = 0; i < mixers.size(); ++i)
        if (SameDeviceName(waveName, CutAtLastBlank(mixers[i].name)) == 0) return static_cast<int>(i);
    return 0;
}

bool YMixerApi::SetLineMute(const MixerLine& line, bool mute) {
    Lock lock(mutex_);
    if (!device_ || !line.monitorLineId) return false;
    return device_->SetMute(line.monitorLineId, mute);
}

bool YMixerApi::GetLineMute(const MixerLine& line, bool& mute) {
    Lock lock(mutex_);
    if (!device_ || !line.monitorLineId) return false;
    return device_->GetMute(line.monitorLineId, mute);
}

bool YMixerApi::SelectRecordingLine(const MixerLine& line) {
    Lock lock(mutex_);
    return device_ && line.lineId && device_->SelectRecordingLine(line);
}

bool YMixerApi::GetLine(MixerLine& line, std::uint32_t componentType) {
    Lock lock(mutex_);
    line = MixerLine{};
    if (!device_ || !device_->GetLine(line, componentType)) {
        line = MixerLine{};
        return false;
    }
    line.monitorLineId = line.lineId;
    line.settable = IsSettableLocked(line);
    return true;
}

bool YMixerApi::EnumRecordingLines(std::vector<MixerLine>& lines) {
    Lock lock(mutex_);
    lines.clear();
    if (!device_ || !device_->EnumRecordingLines(lines)) {
        lines.clear();
        return false;
    }
    for (MixerLine& l : lines) l.settable = IsSettableLocked(l);
    return true;
}

bool YMixerApi::GetVolume(const MixerLine& line, std::uint32_t& left, std::uint32_t& right) {
    Lock lock(mutex_);
    if (!device_ || !line.HasVolume()) return false;
    if (!device_->GetVolume(line, left, right)) return false;
    if (line.channels < 2) right = left;
    return true;
}

bool YMixerApi::SetVolume(const MixerLine& line, std::uint32_t& left, std::uint32_t& right) {
    Lock lock(mutex_);
    if (!device_ || !line.HasVolume()) return false;
    left = std::clamp(left, line.minimum, line.maximum);
    right = std::clamp(right, line.minimum, line.maximum);
    const bool written = device_->SetVolume(line, left, right);
    return GetVolume(line, left, right) && written;
}

bool YMixerApi::IsSettable(const MixerLine& line) {
    Lock lock(mutex_);
    return IsSettableLocked(line);
}

bool YMixerApi::IsSettableLocked(const MixerLine& line) {
    if (!device_ || !line.HasVolume() || line.steps <= 1) return false;
    std::uint32_t left = 0, right = 0;
    if (!device_->GetVolume(line, left, right)) return false;
    if (line.channels < 2) right = left;
    // A probe that stays inside the bounds: up by a step or two, or down near the top.
    const std::uint32_t d = std::max<std::uint32_t>(1, (line.maximum - line.minimum) / 32);
    auto probe = [&](std::uint32_t v) {
        return v <= line.maximum - d ? v + d : (v >= line.minimum + d ? v - d : line.minimum);
    };
    const std::uint32_t pl = probe(left), pr = probe(right);
    device_->SetVolume(line, pl, pr);
    std::uint32_t l2 = left, r2 = right;
    const bool read = device_->GetVolume(line, l2, r2);
    if (line.channels < 2) r2 = l2;
    device_->SetVolume(line, left, right);
    return read && (l2 != left || r2 != right);
}

std::vector<int> YMixerApi::ChangeDescriptors() {
    Lock lock(mutex_);
    return device_ ? device_->ChangeDescriptors() : std::vector<int>{};
}

bool YMixerApi::TakeChangeEvents() {
    Lock lock(mutex_);
    return device_ && device_->TakeChangeEvents();
}
