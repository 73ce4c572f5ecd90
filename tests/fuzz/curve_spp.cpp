// Reads arbitrary bytes as a .Spp file (see curve_files.h).

#include "curve_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonbex::curves;
    fuzz_curves::RoundTrip<PolarSet>(
        data, size, [](std::string_view b, PolarSet& s) { return DecodeSpp(b, s); },
        [](const PolarSet& s) { return EncodeSpp(s); });
    return 0;
}
