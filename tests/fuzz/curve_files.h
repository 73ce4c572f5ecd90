// The shared body of the native curve file fuzz targets: decoding arbitrary
// bytes must never crash, and what a decoder accepts must encode to bytes
// that decode and encode again to the same bytes.

#include "Sonbex/Curves/CurveFiles.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz_curves {

template <typename Set, typename Decode, typename Encode>
void RoundTrip(const std::uint8_t* data, std::size_t size, Decode decode, Encode encode) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Set set;
    if (decode(bytes, set) != sonbex::curves::DecodeStatus::Ok) return;
    const std::string once = encode(set);
    Set again;
    if (decode(once, again) != sonbex::curves::DecodeStatus::Ok) std::abort();
    if (encode(again) != once) std::abort();
}

}  // namespace fuzz_curves
