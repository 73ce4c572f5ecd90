#pragma once
// A growable, bounds-checked vector of float64 that owns its storage, copies by
// value and stores itself as the archive record "YDoubleVec" version 1.
//
// Threading: a plain value (see YVecStorage).

#include "YLib/IArchive.h"
#include "YLib/YVecStorage.h"

class YDoubleVec : public IArchive, public YVecStorage<double> {
public:
    explicit YDoubleVec(int n = 0) : YVecStorage(n, kCaption) {}
    YDoubleVec(const YDoubleVec& other) = default;
    YDoubleVec(YDoubleVec&& other) = default;
    // Copies all elements (resizing without zero fill); on an allocation
    // failure the vector is left empty.
    YDoubleVec& operator=(const YDoubleVec& other) {
        Assign(other, false);
        return *this;
    }
    YDoubleVec& operator=(YDoubleVec&& other) noexcept {
        Swap(other);
        return *this;
    }
    ~YDoubleVec() override = default;

    bool Serialize(YPersistence& archive) override;

    // Resize(other.Size()) then a copy of every element; on failure the vector
    // is emptied and false returned.
    bool CopyFrom(const YDoubleVec& other) { return Assign(other, true); }

    // Ranges are inclusive; first is clamped into the vector, a negative or too
    // large last means the last element. Scans start at the range's first
    // element (an empty vector scans its one stored element).
    double Max(int first = 0, int last = -1) const;
    double Min(int first = 0, int last = -1) const;
    void MinMax(double& outMin, double& outMax, int first = 0, int last = -1) const;
    void Reverse(int first = 0, int last = -1);
    // Ascending; NaNs go last.
    void Sort(int first = 0, int last = -1);

    void Fill(double x);
    YDoubleVec& operator+=(double x);
    YDoubleVec& operator-=(double x);
    YDoubleVec& operator*=(double x);
    YDoubleVec& operator/=(double x);
    // Element-wise over the first min(Size(), other.Size()) elements.
    YDoubleVec& operator-=(const YDoubleVec& other);

    static constexpr std::string_view kCaption = "YLib\\YDoubleVec";
    static constexpr const char* kTag = "YDoubleVec";
};
