// Reads arbitrary bytes as a .Sxp file (see curve_files.h).

#include "curve_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonbex::curves;
    fuzz_curves::RoundTrip<ImpulseRecord>(
        data, size, [](std::string_view b, ImpulseRecord& s) { return DecodeSxp(b, s); },
        [](const ImpulseRecord& s) { return EncodeSxp(s); });
    return 0;
}
