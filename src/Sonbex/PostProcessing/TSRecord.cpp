#include "Sonbex/PostProcessing/TSRecord.h"

#include "Sonbex/BoxDesign/DriverRecord.h"

namespace sonbex::postprocessing {

namespace le = boxdesign::le;

namespace {
// Every real of the record with its offset, so encoding and decoding share one table.
template <typename R, typename F>
void ForEachReal(R& r, F&& f) {
    f(520, r.added);
    f(528, r.freeAir.fs);
    f(536, r.vas);
    f(544, r.freeAir.qms);
    f(552, r.freeAir.qes);
    f(560, r.qts);
    f(568, r.sd);
    f(576, r.xmax);
    f(584, r.revc);
    f(592, r.freeAir.zmax);
    f(600, r.freeAir.znom);
    f(608, r.bl);
    for (int i = 0; i < 4; ++i) f(616 + 8 * i, r.freeAir.levc[i]);
    f(648, r.freeAir.levcAverage);
    f(656, r.rms);
    f(664, r.cms);
    f(672, r.mmd);
    f(680, r.mms);
    f(688, r.eta0);
    f(696, r.spl1W);
    f(704, r.spl2V83);
    f(712, r.loaded.fs);
    f(720, r.loaded.qms);
    f(728, r.loaded.qes);
    f(744, r.sdEntered);
    f(752, r.xmaxEntered);
    f(760, r.revcEntered);
    f(768, r.loaded.zmax);
    f(776, r.loaded.znom);
    for (int i = 0; i < 4; ++i) f(784 + 8 * i, r.loaded.levc[i]);
    f(816, r.loaded.levcAverage);
}
}  // namespace

TSBytes EncodeTSRecord(const TSRecord& record) {
    TSBytes b{};
    le::PutText(b.data(), 128, record.manufacturer);
    le::PutText(b.data() + 128, 128, record.model);
    le::PutText(b.data() + 256, 256, record.comment);
    b[512] = record.deltaMass ? 1 : 0;
    ForEachReal(record, [&b](int offset, double v) { le::PutF64(b.data() + offset, v); });
    return b;
}

TSRecord DecodeTSRecord(std::span<const std::uint8_t, kTSRecordSize> bytes) {
    TSRecord r;
    r.manufacturer = le::GetText(bytes.data(), 128);
    r.model = le::GetText(bytes.data() + 128, 128);
    r.comment = le::GetText(bytes.data() + 256, 256);
    r.deltaMass = bytes[512] == 1;
    ForEachReal(r, [&bytes](int offset, double& v) { v = le::GetF64(bytes.data() + offset); });
    return r;
}

}  // namespace sonbex::postprocessing
