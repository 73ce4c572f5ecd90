#pragma once
// Where the frequency-response modules read a sweep table (the frequency axis
// of their result) when a file name is set. The default reads the
// "Frequency Sweep Table" text file; the sweep-table peripheral may supply
// its own.
//
// Threading: called from the thread that runs the analysis.

#include <string>

class YFreqVec;

class ISweepTableLoader {
public:
    virtual ~ISweepTableLoader() = default;
    // False when no axis could be read.
    virtual bool Load(const std::string& fileName, YFreqVec& axis) = 0;
};

// Reads the file with YFreqVec::LoadTable.
class YFileSweepTableLoader : public ISweepTableLoader {
public:
    bool Load(const std::string& fileName, YFreqVec& axis) override;
};
