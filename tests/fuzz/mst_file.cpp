// Reads arbitrary bytes as a measurement settings file (.MST) and as a
// registry image of the measurement configuration: decoding must never crash
// or allocate beyond the input, an accepted file must encode to the same
// blocks and lists, and a repaired record must pass every check.

#include "Sonbex/Measurement/MeasConfigCheck.h"
#include "Sonbex/Measurement/MstFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace sonbex::measurement;

void CheckMst(std::span<const std::uint8_t> bytes) {
    MstContents c;
    if (!DecodeMst(bytes, c)) return;
    const std::string encoded = EncodeMst(c.Apply(MeasConfig{}), c.params, c.analysis);
    MstContents again;
    const auto* p = reinterpret_cast<const std::uint8_t*>(encoded.data());
    if (!DecodeMst({p, encoded.size()}, again)) std::abort();
    if (again.generator != c.generator || again.analyzer != c.analyzer) std::abort();
    if (again.params.size() != c.params.size() || again.analysis.size() != c.analysis.size()) std::abort();
}

void CheckImage(std::span<const std::uint8_t> bytes) {
    MeasConfig c;
    if (!AcceptRegistryImage(bytes, c)) return;
    RepairMeasConfig(c, 4);
    if (CheckMeasConfig(c, 4) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckMst({data, size});
    // Behind the magic, so the fuzzer reaches the blocks and the counts.
    std::string framed(kMstMagic);
    framed.append(reinterpret_cast<const char*>(data), size);
    CheckMst({reinterpret_cast<const std::uint8_t*>(framed.data()), framed.size()});
    // Laid over a valid default record (the marker kept), for the checks.
    MeasConfig base;
    std::string image(reinterpret_cast<const char*>(base.Data().data()), kMeasConfigSize);
    image.replace(4, std::min(size, kMeasConfigSize - 4), reinterpret_cast<const char*>(data),
                  std::min(size, kMeasConfigSize - 4));
    CheckImage({reinterpret_cast<const std::uint8_t*>(image.data()), image.size()});
    CheckImage({data, size});
    return 0;
}
