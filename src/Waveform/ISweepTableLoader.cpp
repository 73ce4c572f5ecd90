#include "Waveform/ISweepTableLoader.h"

#include "YLib/YFreqVec.h"

bool YFileSweepTableLoader::Load(const std::string& fileName, YFreqVec& axis) {
    return !fileName.empty() && axis.LoadTable(fileName);
}
