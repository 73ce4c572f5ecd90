// Reads arbitrary bytes as a stored "Global Config" record: decoding must never
// crash, and a record it accepts must encode to bytes that decode to the same.
// Besides the raw input, the input laid over a valid default record is tried,
// so the fuzzer reaches the field validation without guessing the layout.

#include "Sonbex/Shell/GlobalConfig.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void DecodeAndCheck(std::span<const std::uint8_t> bytes) {
    using namespace sonbex::shell;
    GlobalConfig config;
    if (!DecodeGlobalConfig(bytes, config)) return;
    const GlobalConfigBytes encoded = EncodeGlobalConfig(config);
    GlobalConfig again;
    if (!DecodeGlobalConfig(encoded, again)) std::abort();
    if (EncodeGlobalConfig(again) != encoded) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonbex::shell;
    DecodeAndCheck({data, size});
    // The first four bytes are kept, so the version stays the valid one.
    static const GlobalConfigBytes defaults = EncodeGlobalConfig(DefaultGlobalConfig());
    GlobalConfigBytes overlaid = defaults;
    std::copy_n(data, std::min(size, overlaid.size() - 4), overlaid.begin() + 4);
    DecodeAndCheck(overlaid);
    return 0;
}
