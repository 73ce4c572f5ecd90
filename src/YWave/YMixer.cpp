#include "YWave/YMixer.h"

#include "Platform/AtomicFile.h"
#include "Platform/YRegistry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

template <typename T>
void Put(std::string& s, std::size_t at, T v) {
    std::uint8_t b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));  // little-endian machines only, as the stored records are
    for (std::size_t i = 0; i < sizeof(T); ++i) s[at + i] = static_cast<char>(b[i]);
}
template <typename T>
T Get(const std::string& s, std::size_t at) {
    T v;
    std::memcpy(&v, s.data() + at, sizeof(T));
    return v;
}

// The whole file when it holds at most `limit` bytes (more is cut), else empty;
// false when it cannot be read.
bool ReadSmallFile(const fs::path& path, std::size_t limit, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

fs::path Backup(const fs::path& p) {
    fs::path b = p;
    b += "_";
    return b;
}

}  // namespace

// ---- stored records

std::string YLevelCalibration::Bytes() const {
    std::string s(kSize, '\0');
    Put(s, 0, outputVoltageReference);
    Put(s, 8, inputFullScale);
    Put(s, 16, stepDb);
    Put(s, 24, calibratedInputSetting);
    return s;
}

bool YLevelCalibration::FromBytes(const std::string& bytes) {
    if (bytes.size() < kSize) return false;
    const double v = Get<double>(bytes, 0), fs = Get<double>(bytes, 8), step = Get<double>(bytes, 16);
    // A damaged file must not set a voltage reference of NaN or a negative full scale.
    if (!(std::isfinite(v) && v > 0) || !(std::isfinite(fs) && fs > 0) || !std::isfinite(step)) return false;
    outputVoltageReference = v;
    inputFullScale = fs;
    stepDb = step;
    calibratedInputSetting = Get<std::int32_t>(bytes, 24);
    return true;
}

std::string YLevelPreset::Bytes() const {
    std::string s(kSize, '\0');
    Put(s, 0, kMagic);
    const std::uint32_t* pairs[4] = {masterOut, wave, masterIn, input};
    for (std::size_t k = 0; k < 4; ++k) {
        Put(s, 4 + 8 * k, pairs[k][0]);
        Put(s, 8 + 8 * k, pairs[k][1]);
    }
    Put(s, 40, volts);
    return s;
}

bool YLevelPreset::FromBytes(const std::string& bytes) {
    if (bytes.size() < kSize || Get<std::uint32_t>(bytes, 0) != kMagic) return false;
    std::uint32_t* pairs[4] = {masterOut, wave, masterIn, input};
    for (std::size_t k = 0; k < 4; ++k) {
        pairs[k][0] = Get<std::uint32_t>(bytes, 4 + 8 * k);
        pairs[k][1] = Get<std::uint32_t>(bytes, 8 + 8 * k);
    }
    volts = Get<double>(bytes, 40);
    return true;
}

void YMixerSettings::Load(sonbex::platform::SettingsStore& store) {
    sonbex::platform::YRegistry reg(store);
    if (!reg.Open(sonbex::platform::SettingsSection("Mixer"), false)) return;
    [&] {
        if (!reg.ReadBool("Input Locked", inputLocked)) return;
        if (!reg.ReadDouble("Output Level Volt", outputLevelVolt)) return;
        if (!reg.ReadInt("Output Level Unit", outputLevelUnit)) return;
        outputLevelUnit = std::clamp(outputLevelUnit, 0, 3);
        if (!reg.ReadBool("Locked Pan", lockedPan)) return;
        if (!reg.ReadBool("Shrinked", shrinked)) return;
        if (!reg.ReadInt("Screen X Pos", screenX)) return;
        reg.ReadInt("Screen Y Pos", screenY);
    }();
    outputLevelUnit = std::clamp(outputLevelUnit, 0, 3);
    if (!std::isfinite(outputLevelVolt) || outputLevelVolt < 0) outputLevelVolt = 0.7745966692414834;
}

bool YMixerSettings::Save(sonbex::platform::SettingsStore& store) const {
    sonbex::platform::YRegistry reg(store);
    if (!reg.Open(sonbex::platform::SettingsSection("Mixer"), true)) return false;
    reg.WriteBool("Input Locked", inputLocked);
    reg.WriteDouble("Output Level Volt", outputLevelVolt);
    reg.WriteInt("Output Level Unit", outputLevelUnit);
    reg.WriteBool("Locked Pan", lockedPan);
    reg.WriteBool("Shrinked", shrinked);
    reg.WriteInt("Screen X Pos", screenX);
    reg.WriteInt("Screen Y Pos", screenY);
    return reg.Close();
}

// ---- the mixer

YMixer::YMixer(std::vector<IMixerBackend*> backends, IWaveBackend* waves, Folders folders)
    : backends_(backends),
      waves_(waves),
      folders_(std::move(folders)),
      inputMixer_(backends, waves),
      outputMixer_(backends, waves) {}

YMixer::~YMixer() = default;

void YMixer::SetHardware(const YMixerHardware& hardware) {
    Lock lock(mutex_);
    hw_ = hardware;
    calibratedInputSetting_ = hw_.calibratedInputSetting;
}

YMixerHardware YMixer::Hardware() const {
    Lock lock(mutex_);
    return hw_;
}

YMixerSettings YMixer::Settings() const {
    Lock lock(mutex_);
    return settings_;
}

void YMixer::SetSettings(const YMixerSettings& settings) {
    Lock lock(mutex_);
    settings_ = settings;
}

void YMixer::SetListener(std::function<void(std::uint32_t)> listener) {
    Lock lock(mutex_);
    listener_ = std::move(listener);
}

void YMixer::Notify(std::uint32_t message) {
    if (listener_) listener_(message);
}

int YMixer::Mode() const {
    Lock lock(mutex_);
    return mode_;
}

MixerLine* YMixer::SelectedInput() {
    if (inputLines_.empty()) return nullptr;
    const int i = std::clamp(hw_.inputLine, 0, static_cast<int>(inputLines_.size()) - 1);
    return &inputLines_[static_cast<std::size_t>(i)];
}

int YMixer::SelectedInputLine() const {
    Lock lock(mutex_);
    if (inputLines_.empty()) return -1;
    return std::clamp(hw_.inputLine, 0, static_cast<int>(inputLines_.size()) - 1);
}

MixerLine* YMixer::LineOf(YMixerRole role) {
    switch (role) {
        case YMixerRole::MasterOut:
            return &masterOut_;
        case YMixerRole::Wave:
            return &wave_;
        case YMixerRole::MasterIn:
            return &masterIn_;
        case YMixerRole::Input:
            return SelectedInput();
    }
    return nullptr;
}

YMixerApi& YMixer::ApiOf(YMixerRole role) {
    return role == YMixerRole::MasterOut || role == YMixerRole::Wave ? outputMixer_ : inputMixer_;
}

bool YMixer::Line(YMixerRole role, MixerLine& line) const {
    Lock lock(mutex_);
    const MixerLine* l = const_cast<YMixer*>(this)->LineOf(role);
    if (!l) return false;
    line = *l;
    return true;
}

std::vector<MixerLine> YMixer::InputLines() const {
    Lock lock(mutex_);
    return inputLines_;
}

bool YMixer::InputMixerOpen() const { return inputMixer_.Handle() != nullptr; }
bool YMixer::OutputMixerOpen() const { return outputMixer_.Handle() != nullptr; }

bool YMixer::GetVolume(YMixerRole role, std::uint32_t& left, std::uint32_t& right) {
    Lock lock(mutex_);
    const MixerLine* l = LineOf(role);
    return l && ApiOf(role).GetVolume(*l, left, right);
}

bool YMixer::SetVolume(YMixerRole role, std::uint32_t left, std::uint32_t right) {
    Lock lock(mutex_);
    const MixerLine* l = LineOf(role);
    return l && ApiOf(role).SetVolume(*l, left, right);
}

std::vector<YMixerInfo> YMixer::Mixers() { return inputMixer_.Mixers(); }

std::string YMixer::InputMixerName() {
    const int i = inputMixer_.OpenIndex();
    const std::vector<YMixerInfo> all = Mixers();
    return i >= 0 && i < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(i)].name : "";
}

std::string YMixer::OutputMixerName() {
    const int i = outputMixer_.OpenIndex();
    const std::vector<YMixerInfo> all = Mixers();
    return i >= 0 && i < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(i)].name : "";
}

void YMixer::CloseMixers() {
    Lock lock(mutex_);
    inputMixer_.Close();
    outputMixer_.Close();
}

void YMixer::OpenLines() {
    Lock lock(mutex_);
    masterOut_ = wave_ = masterIn_ = MixerLine{};
    inputLines_.clear();
    int in = hw_.inputMixer;
    if (in < 0) in = inputMixer_.MixerForWaveDevice(hw_.inputDevice - 1, true);
    if (inputMixer_.Open(in)) {
        inputMixer_.GetLine(masterIn_, kMixerDstWaveIn);
        inputMixer_.EnumRecordingLines(inputLines_);
    } else {
        hw_.inputLine = 0;
    }
    int out = hw_.outputMixer;
    if (out < 0) out = outputMixer_.MixerForWaveDevice(hw_.outputDevice - 1, false);
    if (outputMixer_.Open(out)) {
        outputMixer_.GetLine(masterOut_, kMixerDstSpeakers);
        outputMixer_.GetLine(wave_, kMixerSrcWaveOut);
    }
}

void YMixer::SelectLines() {
    Lock lock(mutex_);
    OpenLines();
    if (inputMixer_.Handle()) {
        if (MixerLine* line = SelectedInput()) {
            if (!(hw_.flags & kHwDontMuteInputs)) inputMixer_.SetLineMute(*line, true);
            if (!(hw_.flags & kHwDontSelectInput)) inputMixer_.SelectRecordingLine(*line);
        }
    }
    if (outputMixer_.Handle()) {
        outputMixer_.SetLineMute(masterOut_, false);
        if (wave_.lineId) outputMixer_.SetLineMute(wave_, false);
    }

    Notify(kMixerRefill);
    LoadPreset(mode_);
    levelA_ = levelB_ = -1000.0;
    paintedA_ = paintedB_ = -1000.0;
}

void YMixer::SelectInputLine(int index) {
    Lock lock(mutex_);
    SavePreset(mode_);
    hw_.inputLine = std::max(0, index);
    if (inputMixer_.Handle()) {
        if (MixerLine* line = SelectedInput()) {
            if (!(hw_.flags & kHwDontMuteInputs)) inputMixer_.SetLineMute(*line, true);
            if (!(hw_.flags & kHwDontSelectInput)) inputMixer_.SelectRecordingLine(*line);
        }
    }
    LoadPreset(mode_);
    Notify(kMixerControlChanged);
}

fs::path YMixer::PresetPath(int mode) const {
    char name[32];
    std::snprintf(name, sizeof name, "%c%02X%02X%02X.mix", mode == 0 ? 'S' : 'Z', hw_.inputDevice & 0xFF,
                  hw_.outputDevice & 0xFF, hw_.inputLine & 0xFF);
    return folders_.presets / name;
}

fs::path YMixer::CalibrationPath() const {
    return folders_.calibrations /
           ("MC_" + std::to_string(hw_.outputDevice) + "_" + std::to_string(hw_.inputDevice) + "_" +
            std::to_string(hw_.inputLine) + ".mcl");
}

void YMixer::LoadPreset(int mode) {
    Lock lock(mutex_);
    mode_ = mode == 0 ? 0 : 1;
    std::string bytes;
    YLevelPreset p;
    if (!ReadSmallFile(PresetPath(mode_), YLevelPreset::kSize, bytes) || !p.FromBytes(bytes)) return;
    LoadCalibration();
    auto set = [](YMixerApi& api, const MixerLine& line, const std::uint32_t pair[2]) {
        if (!api.Handle() || !line.Usable()) return;
        std::uint32_t l = pair[0], r = pair[1];
        api.SetVolume(line, l, r);
    };
    set(outputMixer_, masterOut_, p.masterOut);
    set(outputMixer_, wave_, p.wave);
    set(inputMixer_, masterIn_, p.masterIn);
    if (MixerLine* line = SelectedInput()) set(inputMixer_, *line, p.input);
    if (std::isfinite(p.volts) && p.volts > 0) SetOutputVoltage(p.volts, false);
    if (mode_ == 0 && calibratedInputSetting_ != kNoInputSetting)
        SetInputLock(true);
    else if (settings_.inputLocked)
        SetInputLock(false);
}

void YMixer::SavePreset(int mode) {
    Lock lock(mutex_);
    // Without an open mixer there is nothing to keep, and a preset of zeros
    // would silence the lines when it is loaded with the mixers back.
    if (!inputMixer_.Handle() && !outputMixer_.Handle()) return;
    YLevelPreset p;
    auto get = [](YMixerApi& api, const MixerLine& line, std::uint32_t pair[2]) {
        if (!api.Handle() || !line.Usable()) return;
        api.GetVolume(line, pair[0], pair[1]);
    };
    get(outputMixer_, masterOut_, p.masterOut);
    get(outputMixer_, wave_, p.wave);
    get(inputMixer_, masterIn_, p.masterIn);
    if (MixerLine* line = SelectedInput()) get(inputMixer_, *line, p.input);
    p.volts = GetOutputVoltage();
    std::error_code ec;
    fs::create_directories(folders_.presets, ec);
    const fs::path path = PresetPath(mode);
    sonbex::platform::WriteFileAtomically(path, p.Bytes());  // a file that cannot be made is skipped
}

void YMixer::ApplyCalibrationDefaults() {
    hw_.outputVoltageReference = 2.0;
    hw_.inputFullScale = 1.0;
    hw_.stepDb = 0.0;
    hw_.calibratedInputSetting = kNoInputSetting;
    hw_.flags &= ~kHwLogCalibration;
    calibratedInputSetting_ = kNoInputSetting;
    if (settings_.inputLocked) ApplyLock();
}

int YMixer::LoadCalibration() {
    Lock lock(mutex_);
    const fs::path exact = CalibrationPath();
    fs::path found;
    bool otherLine = false;
    if (Exists(exact)) {
        found = exact;
    } else if (!calibrationReset_ && Exists(Backup(exact))) {
        // A calibration left as its backup (the program ended during a
        // calibration run) is put back rather than lost.
        std::error_code ec;
        fs::rename(Backup(exact), exact, ec);
        if (!ec) found = exact;
    }
    if (found.empty()) {
        std::string stem = exact.filename().string();
        stem.resize(stem.rfind('_'));
        for (int d = -1; d <= 255 && found.empty(); ++d) {
            const fs::path p = folders_.calibrations / (stem + "_" + std::to_string(d) + ".mcl");
            if (p != exact && Exists(p)) {
                found = p;
                otherLine = true;
            }
        }
    }
    if (found.empty()) {
        ApplyCalibrationDefaults();
        return 0;
    }
    std::string bytes;
    YLevelCalibration c;
    if (!ReadSmallFile(found, YLevelCalibration::kSize, bytes) || !c.FromBytes(bytes)) return 0;
    if (otherLine) c.calibratedInputSetting = kNoInputSetting;
    hw_.outputVoltageReference = c.outputVoltageReference;
    hw_.inputFullScale = c.inputFullScale;
    hw_.stepDb = c.stepDb;
    hw_.calibratedInputSetting = c.calibratedInputSetting;
    if (c.stepDb != 0.0)
        hw_.flags |= kHwLogCalibration;
    else
        hw_.flags &= ~kHwLogCalibration;
    calibratedInputSetting_ = c.calibratedInputSetting;
    if (settings_.inputLocked) ApplyLock();
    return c.calibratedInputSetting == kNoInputSetting ? 1 : 2;
}

bool YMixer::SaveCalibration() {
    Lock lock(mutex_);
    YLevelCalibration c;
    c.outputVoltageReference = hw_.outputVoltageReference;
    c.inputFullScale = hw_.inputFullScale;
    c.stepDb = hw_.stepDb;
    c.calibratedInputSetting = hw_.calibratedInputSetting;
    std::error_code ec;
    fs::create_directories(folders_.calibrations, ec);
    // An atomic save: a failed one leaves the previous calibration in place.
    if (!sonbex::platform::WriteFileAtomically(CalibrationPath(), c.Bytes())) return false;
    fs::remove(Backup(CalibrationPath()), ec);
    calibrationReset_ = false;
    calibratedInputSetting_ = c.calibratedInputSetting;
    return true;
}

void YMixer::ResetCalibration() {
    Lock lock(mutex_);
    std::error_code ec;
    if (Exists(CalibrationPath())) fs::rename(CalibrationPath(), Backup(CalibrationPath()), ec);
    calibrationReset_ = true;
    ApplyCalibrationDefaults();
}

void YMixer::RestoreCalibration() {
    Lock lock(mutex_);
    std::error_code ec;
    if (Exists(Backup(CalibrationPath()))) fs::rename(Backup(CalibrationPath()), CalibrationPath(), ec);
    calibrationReset_ = false;
    LoadCalibration();
}

int YMixer::Range() {
    const MixerLine& l = masterOut_.settable ? masterOut_ : wave_;
    return static_cast<int>(l.maximum - l.minimum);
}

double YMixer::GetOutputFraction() {
    Lock lock(mutex_);
    // Under a dB calibration the fraction is that of the control positions
    // (the calibration's step size gives the law); otherwise the relative
    // amplitude by the control's own law (the position itself on a linear one).
    const bool positions = (hw_.flags & kHwLogCalibration) != 0;
    auto part = [&](const MixerLine& line) {
        if (!line.settable || !outputMixer_.Handle()) return 1.0;
        std::uint32_t l = 0, r = 0;
        if (!outputMixer_.GetVolume(line, l, r)) return 1.0;
        const std::uint32_t v = std::max(l, r);
        if (positions) {
            MixerLine linear = line;
            linear.law = YMixerLaw::Linear;
            return YMixerFraction(linear, v);
        }
        return YMixerFraction(line, v);
    };
    return part(masterOut_) * part(wave_);
}

bool YMixer::SetBoth(YMixerApi& api, const MixerLine& line, std::uint32_t value) {
    std::uint32_t l = value, r = value;
    return api.SetVolume(line, l, r);
}

bool YMixer::SetOutputVoltage(double value, bool raw) {
    Lock lock(mutex_);
    const bool positions = (hw_.flags & kHwLogCalibration) != 0;
    const double vref = hw_.outputVoltageReference;
    const int range = Range();
    double q = 0.0;
    if (raw) {
        q = value;
    } else if (positions) {
        const double top = std::clamp(YGainToDb(vref), -760.0, 760.0);
        const double want = std::clamp(YGainToDb(value), -760.0, 760.0);
        int n = range;
        double level = top;
        // (A level one step below the reference is that step, not the next.)
        while (n >= 0 && want < level - 1e-9) {
            level -= hw_.stepDb;
            --n;
        }
        q = n < 1 || range < 1 ? 0.0 : std::min(1.0, n / static_cast<double>(range));
    } else {
        q = !(value > 0) || !(vref > 0) ? 0.0 : std::min(1.0, value / vref);
    }
    if (!std::isfinite(q) || q < 0) q = 0.0;
    q = std::min(q, 1.0);

    // The value of a line for fraction q: by position under a dB calibration,
    // else by the control's law (minimum + ceil(q x range) on a linear one).
    auto valueFor = [&](const MixerLine& line, double fraction) {
        MixerLine l = line;
        if (positions) l.law = YMixerLaw::Linear;
        return YMixerValueFor(l, fraction);
    };
    const bool open = outputMixer_.Handle() != nullptr;
    if (open && masterOut_.settable) {
        SetBoth(outputMixer_, masterOut_, q == 0 ? masterOut_.minimum : valueFor(masterOut_, q));
        if (wave_.settable) {
            SetBoth(outputMixer_, wave_, q == 0 ? wave_.minimum : wave_.maximum);
            const double f = GetOutputFraction();
            if (f > q && q > 0) SetBoth(outputMixer_, wave_, valueFor(wave_, q / f));
        }
    } else if (open && wave_.settable) {
        SetBoth(outputMixer_, wave_, q == 0 ? wave_.minimum : valueFor(wave_, q));
    } else {
        return false;
    }
    GetOutputVoltage();
    Notify(kMixerOutputLevel);
    return true;
}

double YMixer::GetOutputVoltage(double reference) {
    Lock lock(mutex_);
    const double r = reference > 0 ? reference : hw_.outputVoltageReference;
    const double f = GetOutputFraction();
    if (hw_.flags & kHwLogCalibration)
        outputVoltage_ = YDbToGain(YGainToDb(r) - Range() * (1.0 - f) * hw_.stepDb);
    else
        outputVoltage_ = f * r;
    return outputVoltage_;
}

bool YMixer::CheckPeaks(double maxA, double minA, double maxB, double minB, bool clippedA, bool clippedB) {
    Lock lock(mutex_);
    const double s = hw_.inputFullScale;
    const double a = YPeakLevel(s * maxA, s * minA, clippedA);
    const double b = YPeakLevel(s * maxB, s * minB, clippedB);
    levelA_ = a;
    levelB_ = b;
    if (a != paintedA_ || b != paintedB_) {
        paintedA_ = a;
        paintedB_ = b;
        Notify(kMixerLevels);
    }
    return a > kOverloadDb || b > kOverloadDb;
}

bool YMixer::CheckPeaks(const YBlockPeaks& p) {
    return CheckPeaks(p.maxA, p.minA, p.maxB, p.minB, p.clippedA, p.clippedB);
}

bool YMixer::GetPeaks(double& levelA, double& levelB) const {
    levelA = levelA_;
    levelB = levelB_;
    return levelA > kOverloadDb || levelB > kOverloadDb;
}

bool YMixer::GetInputRange(std::uint32_t& minimum, std::uint32_t& maximum, double& step) {
    Lock lock(mutex_);
    const MixerLine* l = SelectedInput();
    if (!l) l = &masterIn_;
    minimum = l->minimum;
    maximum = l->maximum;
    step = l->steps ? (l->maximum - l->minimum) / static_cast<double>(l->steps) : 0.0;
    return l->HasVolume();
}

void YMixer::SetInputLevel(std::uint32_t value) {
    Lock lock(mutex_);
    const MixerLine* l = SelectedInput();
    if (!l) l = &masterIn_;
    SetBoth(inputMixer_, *l, value);
    Notify(kMixerControlChanged);
}

bool YMixer::InputLocked() const {
    Lock lock(mutex_);
    return settings_.inputLocked;
}

void YMixer::ApplyLock() {
    if (!settings_.inputLocked || !inputMixer_.Handle()) return;
    auto lockLine = [&](const MixerLine& line) {
        if (!line.Usable()) return;
        std::uint32_t v = line.maximum;
        if (calibratedInputSetting_ != kNoInputSetting)
            v = static_cast<std::uint32_t>(
                std::clamp<std::int64_t>(calibratedInputSetting_, line.minimum, line.maximum));
        SetBoth(inputMixer_, line, v);
    };
    lockLine(masterIn_);
    if (MixerLine* line = SelectedInput()) lockLine(*line);
}

void YMixer::SetInputLock(bool on) {
    Lock lock(mutex_);
    settings_.inputLocked = on;
    ApplyLock();
    Notify(kMixerLockChanged);
}

void YMixer::StopLevelTest() {
    Lock lock(mutex_);
    Notify(kMixerEndLevelTest);
}

std::vector<int> YMixer::ChangeDescriptors() {
    Lock lock(mutex_);
    std::vector<int> fds = inputMixer_.ChangeDescriptors();
    for (int fd : outputMixer_.ChangeDescriptors())
        if (std::find(fds.begin(), fds.end(), fd) == fds.end()) fds.push_back(fd);
    return fds;
}

void YMixer::OnChangeEvents() {
    Lock lock(mutex_);
    const bool a = inputMixer_.TakeChangeEvents();
    const bool b = outputMixer_.TakeChangeEvents();
    if (a || b) Notify(kMixerControlChanged);
}

void YMixer::TakeSnapshot() {
    Lock lock(mutex_);
    snapshot_.clear();
    YMixerApi api(backends_, waves_);
    const int count = static_cast<int>(api.Mixers().size());
    for (int m = 0; m < count; ++m) {
        if (!api.Open(m)) continue;
        std::vector<MixerLine> lines;
        for (std::uint32_t type : {kMixerDstSpeakers, kMixerSrcWaveOut, kMixerDstWaveIn}) {
            MixerLine l;
            if (api.GetLine(l, type)) lines.push_back(l);
        }
        std::vector<MixerLine> rec;
        api.EnumRecordingLines(rec);
        lines.insert(lines.end(), rec.begin(), rec.end());
        for (const MixerLine& l : lines) {
            if (!l.Usable()) continue;
            Saved s;
            s.mixer = m;
            s.componentType = l.componentType;
            s.lineId = l.lineId;
            s.line = l;
            if (!api.GetVolume(l, s.left, s.right)) continue;
            s.hasMute = api.GetLineMute(l, s.mute);
            snapshot_.push_back(s);
        }
        api.Close();
    }
}

void YMixer::RestoreSnapshot() {
    Lock lock(mutex_);
    YMixerApi api(backends_, waves_);
    int open = -1;
    for (const Saved& s : snapshot_) {
        if (s.mixer != open) {
            if (!api.Open(s.mixer)) continue;
            open = s.mixer;
        }
        std::uint32_t l = s.left, r = s.right;
        api.SetVolume(s.line, l, r);
        if (s.hasMute) api.SetLineMute(s.line, s.mute);
    }
}

std::size_t YMixer::SnapshotSize() const {
    Lock lock(mutex_);
    return snapshot_.size();
}
