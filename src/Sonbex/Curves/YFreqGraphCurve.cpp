#include "Sonbex/Curves/YFreqGraphCurve.h"

#include "Sonbex/Curves/CurveBytes.h"
#include "YLib/YAnaFreqDomain.h"
#include "YLib/YSmooth.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace sonbex::curves {

namespace {

constexpr double kRadToDeg = 57.29577951308232;

bool IsFlat(const YDoubleVec& v) {
    double lo = 0.0, hi = 0.0;
    v.MinMax(lo, hi);
    return std::round(hi * 10000.0) == std::round(lo * 10000.0);
}

bool SameLength(const YDoubleVec* v, int n) { return v == nullptr || v->Size() == n; }

// Curves without phase cannot be unwrapped or differentiated: their group
// delays are simply absent.
bool GroupDelayOf(YDoubleVec& out, const YDoubleVec& freq, const YDoubleVec& phase, int ppo) {
    const YAnaFreqDomain ana;
    YDoubleVec unwrapped;
    return ana.UnwrapPhase(unwrapped, phase, ppo) && ana.GroupDelay(out, freq, unwrapped);
}

// The stored codes of a frequency curve record, in the order they are written.
constexpr std::array<CurveKind, 9> kRecordKinds{CurveKind::Magnitude,
                                                CurveKind::Phase,
                                                CurveKind::MinPhase,
                                                CurveKind::GroupDelay,
                                                CurveKind::MinGroupDelay,
                                                CurveKind::Thd,
                                                CurveKind::ThdN,
                                                CurveKind::H2,
                                                CurveKind::H3};

}  // namespace

double WrapPhase(double x) {
    constexpr double twoPi = 2.0 * std::numbers::pi;
    double r = std::fmod(x + std::numbers::pi, twoPi);
    if (r < 0.0) r += twoPi;
    return r - std::numbers::pi;
}

bool IsUsableFrequencyAxis(const YDoubleVec& f) {
    if (f.Size() < 2 || !IsFrequencyAxis(f)) return false;
    return f.Data()[0] < f.Data()[f.Size() - 1];
}

void YFreqGraphCurve::Clear() {
    undo_.clear();
    stored_.clear();
    display_.clear();
    frequency_.Resize(0);
    header_ = DataSetHeader();
    saved_ = false;
}

bool YFreqGraphCurve::SetCurves(std::string_view title, const AcquireDate* date, const CurveInput& input,
                                const SettingsBlock* settings, int colour, bool keepPhase,
                                const SettingsBlock& current) {
    Clear();
    if (!input.frequency || !input.magnitude) return false;
    header_.SetTitle(title);
    header_.SetPath(header_.title, kFreqPathFieldSize);
    if (date) header_.acquired = *date;
    if (settings && settings->HasSampleRate())
        header_.settings = *settings;
    else
        header_.settings = SettingsBlock::FromOlderForm(
            std::span<const std::uint8_t>(current.bytes().data(), kSettingsRecordSize));
    if (header_.settings.StimulusId() == kNoStimulus) header_.settings.SetAnalysisKind(0);
    saved_ = false;
    return BuildCurves(input, colour, keepPhase);
}

bool YFreqGraphCurve::BuildCurves(const CurveInput& in, int colour, bool keepPhase) {
    stored_.clear();
    display_.clear();
    undo_.clear();
    const auto fail = [this] {
        Clear();
        return false;
    };
    if (!in.frequency || !in.magnitude || !IsUsableFrequencyAxis(*in.frequency)) return fail();
    const int n = in.frequency->Size();
    for (const YDoubleVec* v : {in.magnitude, in.phase, in.minPhase, in.groupDelay, in.minGroupDelay, in.thd,
                                in.thdN, in.h2, in.h3})
        if (!SameLength(v, n)) return fail();
    if (!frequency_.CopyFrom(*in.frequency)) return fail();

    const YAnaFreqDomain ana;
    const int extraOrder = std::clamp<int>(header_.settings.MinPhaseAccuracy(), 0, 8);
    const int ppo = PointsPerOctave();

    std::array<const YDoubleVec*, kCurveKindCount> src{};
    src[KindIndex(CurveKind::Magnitude)] = in.magnitude;
    src[KindIndex(CurveKind::Thd)] = in.thd;
    src[KindIndex(CurveKind::ThdN)] = in.thdN;
    src[KindIndex(CurveKind::H2)] = in.h2;
    src[KindIndex(CurveKind::H3)] = in.h3;

    // Phase: the given one, or the minimum phase of the magnitude when none
    // is given (or, without keepPhase, when the given one is flat).
    YDoubleVec filledPhase;
    bool phaseFilled = false;
    const YDoubleVec* phase = in.phase;
    if (!phase || (!keepPhase && IsFlat(*phase))) {
        if (ana.MinimumPhase(filledPhase, frequency_, *in.magnitude, true, extraOrder)) {
            phase = &filledPhase;
            phaseFilled = true;
        }
    }
    src[KindIndex(CurveKind::Phase)] = phase;

    YDoubleVec groupDelay;
    const YDoubleVec* gd = in.groupDelay;
    if (!gd && phase && GroupDelayOf(groupDelay, frequency_, *phase, ppo)) gd = &groupDelay;
    src[KindIndex(CurveKind::GroupDelay)] = gd;

    YDoubleVec minPhase, minGroupDelay;
    const YDoubleVec* mp = in.minPhase;
    const YDoubleVec* mgd = in.minGroupDelay;
    if (!mp) {
        if (phaseFilled)
            mp = &filledPhase;
        else if (ana.MinimumPhase(minPhase, frequency_, *in.magnitude, true, extraOrder))
            mp = &minPhase;
        if (mp && !mgd && GroupDelayOf(minGroupDelay, frequency_, *mp, ppo)) mgd = &minGroupDelay;
    }
    src[KindIndex(CurveKind::MinPhase)] = mp;
    src[KindIndex(CurveKind::MinGroupDelay)] = mgd;

    YDoubleVec excessPhase, excessGroupDelay;
    if (phase && mp) {
        YDoubleVec up, ump;
        if (!ana.UnwrapPhase(up, *phase, ppo) || !ana.UnwrapPhase(ump, *mp, ppo) || !excessPhase.Resize(n))
            return fail();
        for (int i = 0; i < n; ++i) excessPhase.Data()[i] = WrapPhase(up.Data()[i] - ump.Data()[i]);
        src[KindIndex(CurveKind::ExcessPhase)] = &excessPhase;
    }
    if (gd && mgd) {
        if (!excessGroupDelay.CopyFrom(*gd)) return fail();
        excessGroupDelay -= *mgd;
        src[KindIndex(CurveKind::ExcessGroupDelay)] = &excessGroupDelay;
    }

    for (CurveKind k : kAllCurveKinds) {
        const YDoubleVec* v = src[KindIndex(k)];
        if (!v) continue;
        auto s = std::make_unique<YCurve>();
        s->kind = k;
        if (!s->values.CopyFrom(*v)) return fail();
        auto d = std::make_unique<YCurve>(*s);
        if (d->values.Size() != n) return fail();
        stored_.push_back(std::move(s));
        display_.push_back(std::move(d));
    }
    SetColourIndex(std::max(colour, 0) % kColourSlots);
    RefreshDisplay();
    visible_ = true;
    return true;
}

const YCurve* YFreqGraphCurve::FindCurve(CurveKind kind, bool fromStored) const {
    for (const auto& c : fromStored ? stored_ : display_)
        if (c->kind == kind) return c.get();
    return nullptr;
}

YCurve* YFreqGraphCurve::FindCurve(CurveKind kind, bool fromStored) {
    return const_cast<YCurve*>(std::as_const(*this).FindCurve(kind, fromStored));
}

int YFreqGraphCurve::PointsPerOctave() const {
    const int n = frequency_.Size();
    if (n == 0) return 0;
    double fmin = 0.0, fmax = 0.0;
    frequency_.MinMax(fmin, fmax);
    if (!(fmin < fmax) || !(fmin > 0.0)) return 0;
    const double octaves = std::log10(fmax / fmin) * 3.321928094887362;
    if (!(octaves > 0.0)) return 0;
    return static_cast<int>(std::round(n / octaves));
}

void YFreqGraphCurve::SetColourIndex(int i) {
    if (i >= 0) colourIndex_ = i;
    for (auto* list : {&stored_, &display_})
        for (auto& c : *list) c->colour = Colour(c->kind, colourIndex_);
}

void YFreqGraphCurve::SetPhaseUnwrapped(bool flag, bool force) {
    if (!force && flag == phaseUnwrapped_) return;
    phaseUnwrapped_ = flag;
    for (std::size_t i = 0; i < stored_.size(); ++i)
        if (IsPhaseFamily(stored_[i]->kind)) RefreshDisplayCurve(*stored_[i], *display_[i]);
}

void YFreqGraphCurve::SetDistortionPercent(bool flag, bool force) {
    if (!force && flag == distortionPercent_) return;
    distortionPercent_ = flag;
    for (std::size_t i = 0; i < stored_.size(); ++i)
        if (IsDistortionFamily(stored_[i]->kind)) RefreshDisplayCurve(*stored_[i], *display_[i]);
}

void YFreqGraphCurve::RefreshDisplay() {
    for (std::size_t i = 0; i < stored_.size() && i < display_.size(); ++i)
        RefreshDisplayCurve(*stored_[i], *display_[i]);
}

void YFreqGraphCurve::RefreshDisplayCurve(const YCurve& k, YCurve& d) const {
    d.kind = k.kind;
    d.colour = k.colour;
    if (!d.values.CopyFrom(k.values)) return;
    if (IsPhaseFamily(k.kind)) {
        if (phaseUnwrapped_) YAnaFreqDomain().UnwrapPhase(d.values, d.values, PointsPerOctave());
        d.values *= kRadToDeg;
    } else if (IsGroupDelayFamily(k.kind)) {
        d.values *= 1000.0;
    } else if (IsDistortionFamily(k.kind) && !distortionPercent_) {
        const YCurve* mag = FindCurve(CurveKind::Magnitude, true);
        for (int i = 0; i < d.values.Size(); ++i) {
            const double x = k.values.Data()[i] * 0.01;
            double level;
            if (!(x > 0.0) || x < 1e-38)
                level = -38.0;
            else if (x > 1e38)
                level = 38.0;
            else
                level = std::log10(x);
            const double m = mag && i < mag->values.Size() ? mag->values.Data()[i] : 0.0;
            d.values.Data()[i] = 20.0 * level + m;
        }
    }
}

bool YFreqGraphCurve::Smooth(int fraction, int method) {
    PushUndo();
    if (fraction >= PointsPerOctave()) return true;
    const YSmooth smoother;
    for (auto& c : stored_) {
        if (!smoother.Smooth(frequency_, c->values, fraction, method, !IsPhaseFamily(c->kind))) {
            Undo();
            return false;
        }
    }
    saved_ = false;
    RefreshDisplay();
    return true;
}

void YFreqGraphCurve::NormalizeAt(double f) {
    PushUndo();
    YCurve* mag = FindCurve(CurveKind::Magnitude, true);
    if (mag && frequency_.Size() > 0) {
        int k = 0;
        const int n = frequency_.Size();
        while (k < n && frequency_.Data()[k] < f) ++k;
        if (k == n) k = n - 1;
        mag->values -= mag->values.Data()[k];
    }
    saved_ = false;
    RefreshDisplay();
}

void YFreqGraphCurve::AddLevel(double dB) {
    PushUndo();
    if (YCurve* mag = FindCurve(CurveKind::Magnitude, true)) mag->values += dB;
    saved_ = false;
    RefreshDisplay();
}

void YFreqGraphCurve::PushUndo() {
    auto snap = std::make_unique<YCurveUndo>();
    snap->saved = saved_;
    snap->frequency = frequency_;
    for (const auto& c : stored_) snap->curves[KindIndex(c->kind)] = c->values;
    undo_.push_back(std::move(snap));
}

void YFreqGraphCurve::Undo() {
    if (undo_.empty()) return;
    std::unique_ptr<YCurveUndo> snap = std::move(undo_.back());
    undo_.pop_back();
    saved_ = snap->saved;
    frequency_ = snap->frequency;
    for (auto& c : stored_) {
        const YDoubleVec& v = snap->curves[KindIndex(c->kind)];
        if (!v.Empty()) c->values = v;
    }
    RefreshDisplay();
}

std::size_t YFreqGraphCurve::RecordSize() const {
    const std::size_t vector = 4 + 4 * static_cast<std::size_t>(frequency_.Size());
    std::size_t size = kTitleFieldSize + kAcquireDateSize + kSettingsBlockSize + vector + 4;
    for (CurveKind k : kRecordKinds)
        if (const YCurve* c = FindCurve(k, true))
            size += 4 + 4 + 4 * static_cast<std::size_t>(c->values.Size());
    return size;
}

bool YFreqGraphCurve::WriteRecord(ByteWriter& out) const {
    if (frequency_.Empty()) return false;
    out.Text(header_.title, kTitleFieldSize);
    WriteAcquireDate(out, header_.acquired);
    out.Bytes(header_.settings.bytes());
    out.FloatVector(frequency_);
    std::int32_t m = 0;
    for (CurveKind k : kRecordKinds)
        if (FindCurve(k, true)) ++m;
    out.I32(m);
    for (CurveKind k : kRecordKinds)
        if (const YCurve* c = FindCurve(k, true)) {
            out.I32(KindCode(k));
            out.FloatVector(c->values);
        }
    return true;
}

bool YFreqGraphCurve::ReadRecord(ByteReader& in, bool isCurrentVersion) {
    const auto fail = [this] {
        Clear();
        return false;
    };
    DataSetHeader header;
    if (!in.Text(header.title, kTitleFieldSize) || !ReadAcquireDate(in, header.acquired) ||
        !ReadSettingsBlock(in, header.settings, isCurrentVersion))
        return fail();
    YDoubleVec frequency;
    if (!in.FloatVector(frequency)) return fail();
    std::int32_t m = 0;
    if (!in.Count(m, 8)) return fail();
    std::array<YDoubleVec, kCurveKindCount> vectors;
    std::array<bool, kCurveKindCount> present{};
    for (std::int32_t i = 0; i < m; ++i) {
        std::int32_t code = 0;
        if (!in.I32(code)) return fail();
        const auto kind = KindFromCode(code);
        // The derived kinds are never stored; anything else is no curve of this format.
        if (!kind || *kind == CurveKind::ExcessPhase || *kind == CurveKind::ExcessGroupDelay) return fail();
        const int k = KindIndex(*kind);
        if (present[k] || !in.FloatVector(vectors[k])) return fail();
        present[k] = true;
    }
    const auto slot = [&](CurveKind k) { return present[KindIndex(k)] ? &vectors[KindIndex(k)] : nullptr; };
    CurveInput input;
    input.frequency = &frequency;
    input.magnitude = slot(CurveKind::Magnitude);
    input.phase = slot(CurveKind::Phase);
    input.minPhase = slot(CurveKind::MinPhase);
    input.groupDelay = slot(CurveKind::GroupDelay);
    input.minGroupDelay = slot(CurveKind::MinGroupDelay);
    input.thd = slot(CurveKind::Thd);
    input.thdN = slot(CurveKind::ThdN);
    input.h2 = slot(CurveKind::H2);
    input.h3 = slot(CurveKind::H3);

    Clear();
    header_ = header;
    header_.SetPath(header_.title, kFreqPathFieldSize);
    if (!BuildCurves(input, 0, true)) return false;
    saved_ = true;
    return true;
}

}  // namespace sonbex::curves
