#include "Waveform/YWaveformModules.h"

#include "Platform/AtomicFile.h"
#include "Platform/Paths.h"
#include "Waveform/YAmplitudeSweep.h"
#include "Waveform/YGatedSine.h"
#include "Waveform/YIMD.h"
#include "Waveform/YLogSweep.h"
#include "Waveform/YMlsModules.h"
#include "Waveform/YMultiTone.h"
#include "Waveform/YShapedBurst.h"
#include "Waveform/YSin2.h"
#include "Waveform/YSpike.h"
#include "Waveform/YWaveFileStimulus.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// Files larger than this are not configuration files.
constexpr std::uintmax_t kMaxConfigBytes = 16u << 20;

void AppendInt(std::string& out, std::int32_t v) {
    const auto u = std::uint32_t(v);
    for (int i = 0; i < 4; ++i) out.push_back(char(std::uint8_t(u >> (8 * i))));
}

void AppendRecords(std::string& out, const WaveformParams& records) {
    AppendInt(out, std::int32_t(records.size()));
    for (const WaveformParam& p : records) {
        const auto bytes = p.ToBytes();
        out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
}

// Reads from a byte string, never past its end.
class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    std::size_t Left() const { return bytes_.size() - pos_; }
    bool Int(std::int32_t& v) {
        if (Left() < 4) return false;
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= std::uint32_t(std::uint8_t(bytes_[pos_ + i])) << (8 * i);
        pos_ += 4;
        v = std::int32_t(u);
        return true;
    }
    // A count and that many records; the count is checked against the bytes
    // left before anything is allocated.
    bool Records(WaveformParams& out) {
        std::int32_t n = 0;
        if (!Int(n) || n < 0 || std::uint64_t(n) * WaveformParam::kBytes > Left()) return false;
        out.resize(std::size_t(n));
        for (WaveformParam& p : out) {
            const auto* data = reinterpret_cast<const std::uint8_t*>(bytes_.data() + pos_);
            if (!WaveformParam::FromBytes({data, WaveformParam::kBytes}, p)) return false;
            pos_ += WaveformParam::kBytes;
        }
        return true;
    }
    bool Skip(std::size_t n) {
        if (Left() < n) return false;
        pos_ += n;
        return true;
    }

private:
    const std::string& bytes_;
    std::size_t pos_ = 0;
};

}  // namespace

std::filesystem::path YWaveformModules::DefaultConfigPath() {
    return sonbex::platform::Paths().ConfigDir() / kConfigFileName;
}

YWaveformModules::YWaveformModules(Options options) : options_(std::move(options)) {}

YWaveformModules::~YWaveformModules() {
    if (!modules_.empty()) Save();
}

bool YWaveformModules::Init(double sampleRate, int inChannels, int outChannels, int bits, int formatWord,
                            double ampLeft, double ampRight) {
    if (!modules_.empty()) return false;
    modules_.push_back(std::make_unique<YWhiteMLS>());
    modules_.push_back(std::make_unique<YPinkMLS>());
    modules_.push_back(std::make_unique<YShelvedMLS>());
    modules_.push_back(std::make_unique<YSpike>());
    modules_.push_back(std::make_unique<YSin2>());
    modules_.push_back(std::make_unique<YGatedSine>(options_.prompt));
    modules_.push_back(std::make_unique<YShapedBurst>(options_.prompt));
    modules_.push_back(std::make_unique<YLogSweep>());
    modules_.push_back(std::make_unique<YMultiTone>());
    modules_.push_back(std::make_unique<YIMD>());
    modules_.push_back(std::make_unique<YAmplitudeSweep>(options_.prompt));
    modules_.push_back(std::make_unique<YWaveFileStimulus>());
    for (auto& m : modules_) {
        m->SetPrompt(options_.prompt);
        m->SetSweepTableLoader(options_.sweepTables);
    }
    SetFormat(sampleRate, inChannels, outChannels, bits, formatWord, ampLeft, ampRight);
    Load();
    return true;
}

void YWaveformModules::SetFormat(double sampleRate, int inChannels, int outChannels, int bits, int formatWord,
                                 double ampLeft, double ampRight) {
    for (auto& m : modules_)
        m->SetFormat(sampleRate, inChannels, outChannels, bits, formatWord, ampLeft, ampRight);
}

void YWaveformModules::Configure(bool stereo, bool option, const std::string& fileName, double attLeftDb,
                                 double attRightDb, double sensitivity, ICalibration* shared) {
    double left = -attLeftDb;
    if (sensitivity > 0.0) left += 20.0 * std::clamp(4.699 - std::log10(sensitivity), -38.0, 38.0);
    for (auto& m : modules_) {
        m->SetStereo(stereo);
        m->SetSyncPulse(false);
        m->SetOption(option);
        m->SetFileName(fileName);
        m->SetLevelDb(left, -attRightDb);
        m->SetShared(shared);
    }
}

IWaveform* YWaveformModules::Find(int id) const {
    for (const auto& m : modules_)
        if (m->GetId() == id) return m.get();
    return nullptr;
}

void YWaveformModules::List(std::vector<IWaveform*>& out, int selector, bool append) const {
    if (!append) out.clear();
    const bool category = selector == 0 || selector == kCategoryFrequency || selector == kCategoryImpulse;
    for (const auto& m : modules_)
        if (selector == -1 || (category ? m->GetCategory() == selector : m->GetId() == selector))
            out.push_back(m.get());
}

bool YWaveformModules::Serialize(std::string& bytes) const {
    std::string out(kMagic, 8);
    for (const auto& m : modules_) {
        WaveformParams params, analysis;
        if (!m->GetParams(params) || !m->GetAnalysisParams(analysis)) return false;
        AppendInt(out, m->GetId());
        AppendRecords(out, params);
        AppendRecords(out, analysis);
    }
    bytes = std::move(out);
    return true;
}

bool YWaveformModules::Deserialize(const std::string& bytes) {
    if (bytes.size() < 8 || bytes.compare(0, 8, kMagic) != 0) return false;
    Reader in(bytes);
    in.Skip(8);
    while (in.Left() > 0) {
        std::int32_t id = 0;
        WaveformParams params, analysis;
        if (!in.Int(id) || !in.Records(params) || !in.Records(analysis)) return false;
        if (IWaveform* m = Find(id)) {
            m->SetParams(params);
            m->SetAnalysisParams(analysis);
        }
    }
    return true;
}

bool YWaveformModules::Load() {
    if (options_.configPath.empty()) return false;
    std::error_code ec;
    const auto size = std::filesystem::file_size(options_.configPath, ec);
    if (ec || size > kMaxConfigBytes) return false;
    std::ifstream file(options_.configPath, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return file.good() || file.eof() ? Deserialize(bytes) : false;
}

bool YWaveformModules::Save() const {
    std::string bytes;
    if (options_.configPath.empty() || !Serialize(bytes)) return false;
    std::error_code ec;
    std::filesystem::create_directories(options_.configPath.parent_path(), ec);
    return sonbex::platform::WriteFileAtomically(options_.configPath, bytes);
}
