#pragma once
// Every sound device of the system as one backend: the devices of each backend
// in turn (ALSA's, then the simulated card), numbered consecutively. Device -1
// is the first backend's default. A stream's two directions must lie on one
// backend.
//
// Threads: the owner's thread, like the backends it joins; they must outlive it.

#include "YWave/IWaveBackend.h"

#include <string>
#include <vector>

class YWaveDevices : public IWaveBackend {
public:
    explicit YWaveDevices(std::vector<IWaveBackend*> backends) : backends_(std::move(backends)) {}

    std::vector<YWaveDevice> Devices() override;
    bool CanOpen(YWaveDirection direction, int device, int rate, int bits, int channels) override;
    bool InUse(YWaveDirection direction, int device) override;
    std::string Unavailable(YWaveDirection direction, int device) override;
    int Resolve(const std::string& id, std::string& error) override;
    void Rescan() override;
    std::unique_ptr<IWaveStream> Open(const YWaveStreamSetup& setup, const YWaveStreamTarget& target,
                                      std::string& error) override;

    // The index of a device given by its number, its stable id ("sim",
    // "alsa:hw:CARD=PCH,DEV=0") or its exact name; -1 for "default" or "".
    // An id no device of the list has is offered to the backends (Resolve):
    // "alsa:jloop" finds any PCM ALSA can open. -2 when none matches, with
    // `error` saying why when a backend refused the id.
    int Find(const std::string& device, std::string& error);
    int Find(const std::string& device) {
        std::string error;
        return Find(device, error);
    }

private:
    // The backend of a global index and its own index there; null when none.
    IWaveBackend* Locate(int device, int& local);
    std::vector<IWaveBackend*> backends_;
};
