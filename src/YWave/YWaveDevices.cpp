#include "YWave/YWaveDevices.h"

#include <charconv>

std::vector<YWaveDevice> YWaveDevices::Devices() {
    std::vector<YWaveDevice> all;
    for (IWaveBackend* b : backends_)
        for (YWaveDevice d : b->Devices()) {
            d.index = static_cast<int>(all.size());
            all.push_back(std::move(d));
        }
    return all;
}

IWaveBackend* YWaveDevices::Locate(int device, int& local) {
    if (backends_.empty()) return nullptr;
    if (device == -1) {
        local = -1;
        return backends_.front();
    }
    if (device < 0) return nullptr;
    int offset = 0;
    for (IWaveBackend* b : backends_) {
        const int n = static_cast<int>(b->Devices().size());
        if (device < offset + n) {
            local = device - offset;
            return b;
        }
        offset += n;
    }
    return nullptr;
}

bool YWaveDevices::CanOpen(YWaveDirection direction, int device, int rate, int bits, int channels) {
    int local = 0;
    IWaveBackend* b = Locate(device, local);
    return b && b->CanOpen(direction, local, rate, bits, channels);
}

bool YWaveDevices::InUse(YWaveDirection direction, int device) {
    int local = 0;
    IWaveBackend* b = Locate(device, local);
    return b && b->InUse(direction, local);
}

std::unique_ptr<IWaveStream> YWaveDevices::Open(const YWaveStreamSetup& setup,
                                                const YWaveStreamTarget& target, std::string& error) {
    YWaveStreamSetup local = setup;
    IWaveBackend* in = setup.record ? Locate(setup.inDevice, local.inDevice) : nullptr;
    IWaveBackend* out = setup.play ? Locate(setup.outDevice, local.outDevice) : nullptr;
    // A default on one side follows the device chosen for the other.
    if (in && out && in != out && setup.inDevice == -1) in = Locate(setup.outDevice, local.inDevice);
    if (in && out && in != out && setup.outDevice == -1) out = Locate(setup.inDevice, local.outDevice);
    if ((setup.record && !in) || (setup.play && !out)) {
        error = "no such sound device";
        return nullptr;
    }
    if (in && out && in != out) {
        error = "recording and playing devices must belong to one sound card";
        return nullptr;
    }
    return (in ? in : out)->Open(local, target, error);
}

std::string YWaveDevices::Unavailable(YWaveDirection direction, int device) {
    int local = 0;
    IWaveBackend* b = Locate(device, local);
    return b ? b->Unavailable(direction, local) : "no such sound device";
}

int YWaveDevices::Resolve(const std::string& id, std::string& error) {
    int offset = 0;
    for (IWaveBackend* b : backends_) {
        const int local = b->Resolve(id, error);
        if (local >= 0) return offset + local;
        if (!error.empty()) return -2;
        offset += static_cast<int>(b->Devices().size());
    }
    return -2;
}

void YWaveDevices::Rescan() {
    for (IWaveBackend* b : backends_) b->Rescan();
}

int YWaveDevices::Find(const std::string& device, std::string& error) {
    if (device.empty() || device == "default") return -1;
    int index = 0;
    const auto [end, ec] = std::from_chars(device.data(), device.data() + device.size(), index);
    const std::vector<YWaveDevice> all = Devices();
    if (ec == std::errc{} && end == device.data() + device.size())
        return index >= -1 && index < static_cast<int>(all.size()) ? index : -2;
    for (const YWaveDevice& d : all)
        if (d.id == device || d.name == device) return d.index;
    return Resolve(device, error);
}
