// Reads arbitrary bytes as a .Csd file (see curve_files.h).

#include "curve_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonbex::curves;
    fuzz_curves::RoundTrip<CsdSet>(
        data, size, [](std::string_view b, CsdSet& s) { return DecodeCsd(b, s); },
        [](const CsdSet& s) { return EncodeCsd(s); });
    return 0;
}
