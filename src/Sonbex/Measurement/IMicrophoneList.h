#pragma once
// The microphone calibration files the microphone page offers. The
// calibrations fill this in (reading the files of the microphone calibration
// formats); until one is given the page lists nothing and says so.
// Threads: the GUI thread.

#include <optional>
#include <string>
#include <vector>

namespace sonbex::measurement {

struct MicrophoneEntry {
    std::string name;                   // shown, and stored as the compensation file name
    std::optional<double> sensitivity;  // V/Pa, when the file has one
};

class IMicrophoneList {
public:
    virtual ~IMicrophoneList() = default;
    virtual std::vector<MicrophoneEntry> List() = 0;
    // Makes the compensation of `name` the one in force; false when it cannot be read.
    virtual bool LoadCompensation(const std::string& name) = 0;
};

}  // namespace sonbex::measurement
