// Reads arbitrary bytes as a .Sxz file (see curve_files.h).

#include "curve_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonbex::curves;
    fuzz_curves::RoundTrip<ImpedanceSet>(
        data, size, [](std::string_view b, ImpedanceSet& s) { return DecodeSxz(b, s); },
        [](const ImpedanceSet& s) { return EncodeSxz(s); });
    return 0;
}
