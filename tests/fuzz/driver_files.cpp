// Reads arbitrary bytes as each file of the driver tools: the speaker
// database (SX3SPK.SDB), an older single-driver file (.spk), an impedance
// calibration (.zcl) and an impedance text table. None may crash, and a
// database that loads must save to bytes that load to the same records.

#include "Sonbex/BoxDesign/YSpeakerData.h"
#include "Sonbex/PostProcessing/ImpedanceCurve.h"
#include "Sonbex/PostProcessing/YImpedanceCalc.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The bytes as a file that needs no folder: a memory file named through /proc.
struct MemoryFile {
    int fd = -1;
    explicit MemoryFile(std::string_view bytes) {
        fd = ::memfd_create("sonbex-fuzz", 0);
        if (fd >= 0 && ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            ::close(fd);
            fd = -1;
        }
    }
    ~MemoryFile() {
        if (fd >= 0) ::close(fd);
    }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonbex;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    postprocessing::ImpedanceCurve curve;
    std::string error;
    if (postprocessing::ParseImpedanceTable(bytes, curve, error) && !curve.IsValid()) std::abort();
    std::vector<postprocessing::CalibrationPoint> table;
    if (postprocessing::YImpedanceCalc::ParseCalibration(bytes, table) && table.empty()) std::abort();

    const MemoryFile file(bytes);
    if (file.fd < 0) return 0;
    boxdesign::DriverRecord record;
    boxdesign::YSpeakerData::ImportOldDriverFile(file.Path(), record);
    boxdesign::YSpeakerData db;
    if (db.Load(file.Path())) {
        const std::string saved = db.FileBytes({});
        const MemoryFile again(saved);
        boxdesign::YSpeakerData back;
        if (again.fd >= 0 && (!back.Load(again.Path()) || back.Count() != db.Count())) std::abort();
    }
    return 0;
}
