#pragma once
// Taking a measurement configuration record from outside (the registry value,
// an .MST file, a data set) and checking it before anything uses it.
//
// Pure functions on their arguments: safe from any thread.

#include "Sonbex/Measurement/MeasConfig.h"

#include <cstdint>
#include <span>
#include <string>

namespace sonbex::measurement {

// The registry value as stored: exactly 2960 bytes beginning with the i32
// 0x10000001 (its first 2848 bytes are the record, the extension area is
// zeroed), or exactly 2848 bytes beginning with 56 (taken whole). Anything
// else is refused (false, `out` untouched).
bool AcceptRegistryImage(std::span<const std::uint8_t> image, MeasConfig& out);

// Blocks of the record that a check can put back to their defaults.
enum MeasBlock : unsigned {
    kBlockHardware = 0x1,  // bytes 8..199 (the marker and state flags stay)
    kBlockMicrophone = 0x2,
    kBlockGenerator = 0x4,
    kBlockAnalyzer = 0x8,
    kBlockDevices = 0x10,  // only the two device numbers (out of range: the default device)
    kBlocksAll = 0x1F,
};

// Whether each block holds values the system can work with:
//   hardware:   buffer frames >= 20, buffer count 4..256, bits 8/16/20/24/32,
//               a finite positive sample rate, 2 input channels, 2/4/6 output
//               channels, a finite positive input full scale
//   devices:    both device numbers at most `deviceCount` (0 is the default
//               device); not checked when deviceCount < 0
//   microphone: the file name terminated, a finite sensitivity >= 0
//   generator:  the sweep file terminated, levels in (0, 1], finite positive
//               frequency, start and stop, points 1..4096
//   analyzer:   the three file names terminated, type 0..8, input 1 or 2,
//               averages 1..4096, QC test 0..2, a finite positive time
//               window, a finite start offset, start mode and accuracy 0..3,
//               FFT size -1 or 10..20, window 0..6, a finite polar step
// Returns the blocks (of `blocks`) that fail.
unsigned CheckMeasConfig(const MeasConfig& config, int deviceCount, unsigned blocks = kBlocksAll);
// Puts the failing blocks back to their defaults (the device numbers to the
// default device) and returns them; 0 when everything was valid.
unsigned RepairMeasConfig(MeasConfig& config, int deviceCount, unsigned blocks = kBlocksAll);
// "hardware, generator": the blocks of a mask as words for a message.
std::string BlockNames(unsigned blocks);
// The one message telling the user that blocks were reset.
std::string RepairMessage(unsigned blocks);

}  // namespace sonbex::measurement
