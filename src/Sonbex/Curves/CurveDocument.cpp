#include "Sonbex/Curves/CurveDocument.h"

#include "Platform/IFileChooser.h"
#include "Platform/IPrompt.h"
#include "Platform/NumberText.h"

#include <algorithm>

namespace sonbex::curves {

namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

std::string Num(double v) { return platform::FormatGeneral(v, 9); }

void AxisSummary(SetSummary& s, const YDoubleVec& f) {
    s.points = f.Size();
    if (f.Empty()) return;
    s.firstFrequency = f.Data()[0];
    s.lastFrequency = f.Data()[f.Size() - 1];
}

SetSummary HeaderSummary(const DataSetHeader& h) {
    SetSummary s;
    s.title = h.title;
    s.path = h.path;
    s.acquired = h.acquired;
    s.settings = h.settings;
    return s;
}

std::string KindColumn(CurveKind k) {
    return std::string(CurveKindName(k)) + " (" + std::string(StoredUnit(k)) + ")";
}

}  // namespace

const CurveFileDialogText& DialogText(CurveFileType type) {
    static const CurveFileDialogText texts[] = {
        {"Open Frequency Curve", "Save Frequency Curve", "Frequency Curve (*.SXF)|*.SXF|All Files (*.*)|*.*|",
         ".SXF"},
        {"Open Impedance Curve(s)", "Save Impedance Curve(s)",
         "Impedance  Curve(s) (*.SXZ)|*.SXZ|All Files (*.*)|*.*|", ".SXZ"},
        {"Open Impulse", "Save Impulse", "Impulse (*.SXP)|*.SXP|All Files (*.*)|*.*|", ".SXP"},
        {"Open Polar-Plot", "Save Polar-Plot", "Polar-Plot (*.SPP)|*.SPP|All Files (*.*)|*.*|", ".SPP"},
        {"Open CSD Graph", "Save CSD Graph", "CSD (Waterfall) (*.CSD)|*.CSD|All Files (*.*)|*.*|", ".CSD"},
        {"Open Multi-Graph", "Save Multi-Graph", "Multi-Graph (*.SMG)|*.SMG|All Files (*.*)|*.*|", ".SMG"},
    };
    return texts[static_cast<int>(type)];
}

bool CurveDocument::IsModified() const {
    if (type_ == CurveFileType::Sxf) return modified_ || !frequency.AllSaved();
    return modified_;
}

bool CurveDocument::Load(const std::filesystem::path& path, bool append, platform::IPrompt& prompt) {
    if (type_ != CurveFileType::Sxf && IsModified()) {
        const PromptAnswer a =
            prompt.Show(kSaveChangesQuestion, PromptIcon::Question, PromptButtons::YesNoCancel);
        if (a == PromptAnswer::Cancel) return false;
        if (a == PromptAnswer::Yes && !Save(path_, prompt)) return false;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        prompt.Show(type_ == CurveFileType::Smg ? kSmgOpenFailed : kCouldntOpen, PromptIcon::Error);
        return false;
    }
    const std::string file = path.string();
    if (type_ == CurveFileType::Smg) {
        MultiGraphSet set;
        switch (DecodeSmg(bytes, set)) {
            case SmgStatus::NotMultiGraph:
                prompt.Show(kSmgNotMultiGraph, PromptIcon::Error);
                return false;
            case SmgStatus::UnexpectedEnd:
                prompt.Show(kSmgUnexpectedEnd, PromptIcon::Error);
                return false;
            case SmgStatus::Ok:
                break;
        }
        multiGraph = std::move(set);
        currentVersion_ = true;
    } else {
        std::vector<std::unique_ptr<YFreqGraphCurve>> sets;
        switch (Decode(bytes, sets)) {
            case DecodeStatus::WrongFormat:
                prompt.Show(kWrongFormat, PromptIcon::Error);
                return false;
            case DecodeStatus::Corrupt:
                prompt.Show(kCouldntOpen, PromptIcon::Error);
                return false;
            case DecodeStatus::Ok:
                break;
        }
        if (type_ == CurveFileType::Sxf) {
            if (!append) frequency.ClearAll();
            for (auto& set : sets) {
                set->SetPath(file);
                frequency.AppendLoaded(std::move(set));
            }
        } else {
            SetPathFields(file);
        }
    }
    if (!append || path_.empty()) path_ = path;
    if (!append) modified_ = false;
    return true;
}

DecodeStatus CurveDocument::Decode(std::string_view bytes,
                                   std::vector<std::unique_ptr<YFreqGraphCurve>>& sets) {
    DecodeInfo info;
    const DecodeStatus status = DecodeInto(bytes, sets, info);
    if (status == DecodeStatus::Ok) currentVersion_ = info.currentVersion;
    return status;
}

DecodeStatus CurveDocument::DecodeInto(std::string_view bytes,
                                       std::vector<std::unique_ptr<YFreqGraphCurve>>& sets,
                                       DecodeInfo& info) {
    switch (type_) {
        case CurveFileType::Sxf:
            return DecodeSxf(bytes, sets, &info);
        case CurveFileType::Sxz: {
            ImpedanceSet s;
            const DecodeStatus st = DecodeSxz(bytes, s, &info);
            if (st == DecodeStatus::Ok) impedance = std::move(s);
            return st;
        }
        case CurveFileType::Sxp: {
            ImpulseRecord r;
            const DecodeStatus st = DecodeSxp(bytes, r, &info);
            if (st == DecodeStatus::Ok) impulse = std::move(r);
            return st;
        }
        case CurveFileType::Spp: {
            PolarSet s;
            const DecodeStatus st = DecodeSpp(bytes, s, &info);
            if (st == DecodeStatus::Ok) polar = std::move(s);
            return st;
        }
        case CurveFileType::Csd: {
            CsdSet s;
            const DecodeStatus st = DecodeCsd(bytes, s, &info);
            if (st == DecodeStatus::Ok) csd = std::move(s);
            return st;
        }
        case CurveFileType::Smg:
            break;
    }
    return DecodeStatus::WrongFormat;
}

void CurveDocument::SetPathFields(const std::string& path) {
    switch (type_) {
        case CurveFileType::Sxz:
            impedance.header.SetPath(path);
            break;
        case CurveFileType::Sxp:
            impulse.header.SetPath(path);
            break;
        case CurveFileType::Spp:
            polar.header.SetPath(path);
            break;
        case CurveFileType::Csd:
            csd.header.SetPath(path);
            break;
        default:
            break;
    }
}

std::optional<std::string> CurveDocument::Encode(std::span<const std::size_t> which) const {
    switch (type_) {
        case CurveFileType::Sxf: {
            std::vector<const YFreqGraphCurve*> sets;
            if (which.empty())
                for (const auto& s : frequency.Sets()) sets.push_back(s.get());
            else
                for (std::size_t i : which)
                    if (i < frequency.Size()) sets.push_back(&frequency[i]);
            if (sets.empty()) return std::nullopt;
            return EncodeSxf(sets);
        }
        case CurveFileType::Sxz:
            return EncodeSxz(impedance);
        case CurveFileType::Sxp:
            return EncodeSxp(impulse);
        case CurveFileType::Spp:
            return EncodeSpp(polar);
        case CurveFileType::Csd:
            return EncodeCsd(csd);
        case CurveFileType::Smg:
            return EncodeSmg(multiGraph);
    }
    return std::nullopt;
}

bool CurveDocument::Save(const std::filesystem::path& path, platform::IPrompt& prompt,
                         platform::IFileChooser* chooser, std::span<const std::size_t> which) {
    std::filesystem::path target = path;
    if (target.empty() && type_ == CurveFileType::Sxf && frequency.Size() == 1) {
        const std::filesystem::path own = frequency[0].Path();
        if (own.is_absolute()) target = own;
    }
    if (target.empty() || !target.is_absolute()) {
        if (!chooser) return false;
        const CurveFileDialogText& t = DialogText(type_);
        const std::filesystem::path initial = target.empty() ? std::filesystem::path(Title()) : target;
        auto chosen = chooser->SaveFile(t.saveTitle, t.filter, initial, t.extension);
        if (!chosen) return false;
        target = *chosen;
    }
    const std::string file = target.string();

    // The set's path field is the file's own path at the time of saving.
    std::string oldPath;
    switch (type_) {
        case CurveFileType::Sxz:
            oldPath = impedance.header.path;
            break;
        case CurveFileType::Sxp:
            oldPath = impulse.header.path;
            break;
        case CurveFileType::Spp:
            oldPath = polar.header.path;
            break;
        case CurveFileType::Csd:
            oldPath = csd.header.path;
            break;
        default:
            break;
    }
    SetPathFields(file);
    const std::optional<std::string> bytes = Encode(which);
    if (!bytes || !SaveWholeFile(target, *bytes)) {
        SetPathFields(oldPath);
        const bool quote = !bytes && type_ == CurveFileType::Smg;
        prompt.Show(quote ? std::string(kSmgPathWithQuote) + kCouldntSave : std::string(kCouldntSave),
                    PromptIcon::Error);
        return false;
    }
    if (type_ == CurveFileType::Sxf) {
        const auto mark = [&](std::size_t i) {
            frequency[i].SetPath(file);
            frequency[i].MarkSaved(true);
        };
        if (which.empty())
            for (std::size_t i = 0; i < frequency.Size(); ++i) mark(i);
        else
            for (std::size_t i : which)
                if (i < frequency.Size()) mark(i);
    }
    path_ = target;
    modified_ = false;
    return true;
}

std::string CurveDocument::Title() const {
    std::string t;
    switch (type_) {
        case CurveFileType::Sxf:
            t = frequency.Empty() ? std::string() : frequency[0].Title();
            break;
        case CurveFileType::Sxz:
            t = impedance.header.title;
            break;
        case CurveFileType::Sxp:
            t = impulse.header.title;
            break;
        case CurveFileType::Spp:
            t = polar.header.title;
            break;
        case CurveFileType::Csd:
            t = csd.header.title;
            break;
        case CurveFileType::Smg:
            t = multiGraph.title;
            break;
    }
    if (t.empty()) t = path_.stem().string();
    return t;
}

std::vector<SetSummary> CurveDocument::Summaries() const {
    std::vector<SetSummary> out;
    switch (type_) {
        case CurveFileType::Sxf:
            for (const auto& set : frequency.Sets()) {
                SetSummary s = HeaderSummary(set->Header());
                AxisSummary(s, set->Frequency());
                s.pointsPerOctave = set->PointsPerOctave();
                for (const auto& c : set->Stored()) s.curves.emplace_back(CurveKindName(c->kind));
                s.saved = set->IsSaved();
                out.push_back(std::move(s));
            }
            break;
        case CurveFileType::Sxz: {
            SetSummary s = HeaderSummary(impedance.header);
            AxisSummary(s, impedance.frequency);
            s.curves = {"Impedance Magnitude", "Impedance Phase"};
            if (impedance.hasLoaded) {
                s.curves.emplace_back("Loaded Magnitude");
                s.curves.emplace_back("Loaded Phase");
            }
            out.push_back(std::move(s));
            break;
        }
        case CurveFileType::Sxp: {
            SetSummary s = HeaderSummary(impulse.header);
            s.points = impulse.samples.Size();
            s.curves = {"Impulse Response"};
            out.push_back(std::move(s));
            break;
        }
        case CurveFileType::Spp: {
            SetSummary s = HeaderSummary(polar.header);
            AxisSummary(s, polar.frequency);
            s.curves = {std::to_string(polar.angles.Size()) + " angles"};
            out.push_back(std::move(s));
            break;
        }
        case CurveFileType::Csd: {
            SetSummary s = HeaderSummary(csd.header);
            if (!csd.slices.empty()) AxisSummary(s, csd.slices.front().frequency);
            s.curves = {std::to_string(csd.slices.size()) + " slices"};
            out.push_back(std::move(s));
            break;
        }
        case CurveFileType::Smg:
            for (const MultiGraphEntry& e : multiGraph.entries) {
                SetSummary s;
                s.title = e.path;
                s.path = e.path;
                out.push_back(std::move(s));
            }
            break;
    }
    return out;
}

std::string CurveDocument::TextTable() const {
    std::string out;
    const auto row = [&out](std::initializer_list<std::string> cells) {
        bool first = true;
        for (const std::string& c : cells) {
            if (!first) out += '\t';
            out += c;
            first = false;
        }
        out += '\n';
    };
    switch (type_) {
        case CurveFileType::Sxf:
            for (std::size_t s = 0; s < frequency.Size(); ++s) {
                const YFreqGraphCurve& set = frequency[s];
                if (s > 0) out += '\n';
                const std::string prefix = frequency.Size() > 1 ? set.Title() + ": " : std::string();
                out += "Frequency (Hz)";
                for (const auto& c : set.Stored()) out += "\t" + prefix + KindColumn(c->kind);
                out += '\n';
                for (int i = 0; i < set.Frequency().Size(); ++i) {
                    out += Num(set.Frequency().Data()[i]);
                    for (const auto& c : set.Stored()) out += "\t" + Num(c->values.Data()[i]);
                    out += '\n';
                }
            }
            break;
        case CurveFileType::Sxz: {
            const ImpedanceSet& z = impedance;
            out += "Frequency (Hz)\tMagnitude (ohm)\tPhase (rad)";
            out += z.hasLoaded ? "\tLoaded Magnitude (ohm)\tLoaded Phase (rad)\n" : "\n";
            for (int i = 0; i < z.frequency.Size(); ++i) {
                out += Num(z.frequency.Data()[i]) + "\t" + Num(z.magnitude.Data()[i]) + "\t" +
                       Num(z.phase.Data()[i]);
                if (z.hasLoaded)
                    out += "\t" + Num(z.loadedMagnitude.Data()[i]) + "\t" + Num(z.loadedPhase.Data()[i]);
                out += '\n';
            }
            break;
        }
        case CurveFileType::Sxp: {
            const double rate = impulse.header.settings.SampleRate();
            out += rate > 0.0 ? "Time (s)\tAmplitude\n" : "Sample\tAmplitude\n";
            for (int i = 0; i < impulse.samples.Size(); ++i)
                row({rate > 0.0 ? Num(i / rate) : std::to_string(i), Num(impulse.samples.Data()[i])});
            break;
        }
        case CurveFileType::Spp: {
            out += "Frequency (Hz)";
            for (int a = 0; a < polar.angles.Size(); ++a) {
                const std::string at = " @ " + Num(polar.angles.Data()[a]) + " deg";
                out += "\tMagnitude" + at + " (dB)\tPhase" + at + " (rad)";
            }
            out += '\n';
            for (int i = 0; i < polar.frequency.Size(); ++i) {
                out += Num(polar.frequency.Data()[i]);
                for (std::size_t a = 0; a < polar.magnitude.size(); ++a)
                    out += "\t" + Num(polar.magnitude[a].Data()[i]) + "\t" + Num(polar.phase[a].Data()[i]);
                out += '\n';
            }
            break;
        }
        case CurveFileType::Csd:
            for (std::size_t s = 0; s < csd.slices.size(); ++s) {
                if (s > 0) out += '\n';
                out += "Frequency (Hz)\tSlice " + std::to_string(s + 1) + " (dB)\n";
                const CsdSlice& slice = csd.slices[s];
                for (int i = 0; i < slice.frequency.Size(); ++i)
                    row({Num(slice.frequency.Data()[i]), Num(slice.level.Data()[i])});
            }
            break;
        case CurveFileType::Smg:
            out += "Path\tLevel offset (dB)\tIndex\n";
            for (const MultiGraphEntry& e : multiGraph.entries)
                row({e.path, platform::FormatFixed(e.levelOffset, 4), std::to_string(e.index)});
            break;
    }
    return out;
}

}  // namespace sonbex::curves
