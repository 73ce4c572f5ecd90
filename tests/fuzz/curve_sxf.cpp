// Reads arbitrary bytes as a .SXF file (see curve_files.h): every set it
// accepts is a usable frequency response, and writing and reading it again
// gives the same bytes.

#include "curve_files.h"

#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonbex::curves;
    using Sets = std::vector<std::unique_ptr<YFreqGraphCurve>>;
    const auto encode = [](const Sets& sets) {
        std::vector<const YFreqGraphCurve*> list;
        for (const auto& s : sets) {
            if (!IsUsableFrequencyAxis(s->Frequency())) std::abort();
            list.push_back(s.get());
        }
        const auto bytes = EncodeSxf(list);
        if (!bytes) std::abort();
        return *bytes;
    };
    fuzz_curves::RoundTrip<Sets>(
        data, size, [](std::string_view b, Sets& s) { return DecodeSxf(b, s); }, encode);
    return 0;
}
