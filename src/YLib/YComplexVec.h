#pragma once
// A growable, bounds-checked vector of YComplex that owns its storage, copies
// by value and stores itself as the archive record "YComplexVec" version 1.
//
// Threading: a plain value (see YVecStorage).

#include "YLib/IArchive.h"
#include "YLib/YComplex.h"
#include "YLib/YVecStorage.h"

class YDoubleVec;

class YComplexVec : public IArchive, public YVecStorage<YComplex> {
public:
    explicit YComplexVec(int n = 0) : YVecStorage(n, kCaption) {}
    YComplexVec(const YComplexVec& other) = default;
    YComplexVec(YComplexVec&& other) = default;
    // Copies all elements; on an allocation failure the vector is left empty.
    YComplexVec& operator=(const YComplexVec& other) {
        Assign(other, false);
        return *this;
    }
    YComplexVec& operator=(YComplexVec&& other) noexcept {
        Swap(other);
        return *this;
    }
    ~YComplexVec() override = default;

    // A stored count below 1 loads as an empty vector.
    bool Serialize(YPersistence& archive) override;

    // Same copy as assignment, with a result: false (vector emptied) when the
    // storage cannot be allocated.
    bool CopyFrom(const YComplexVec& other) { return Assign(other, true); }

    // Ranges as YDoubleVec. The element with the largest re²+im² (the earliest
    // on ties), and the mean of the range.
    YComplex MaxMagnitude(int first = 0, int last = -1) const;
    YComplex Mean(int first = 0, int last = -1) const;

    // Every element becomes x + 0i.
    void Fill(double x);
    // Resizes to v.Size() and sets element i to v[i] + 0i; on an allocation
    // failure the vector is emptied and false returned.
    bool SetReal(const YDoubleVec& v);

    // Element-wise over this vector's size; a shorter other reports an
    // out-of-bounds error and only its elements are used.
    YComplexVec& operator*=(const YComplexVec& other);
    YComplexVec& operator/=(const YComplexVec& other);
    YComplexVec& operator*=(double x);
    YComplexVec& operator/=(double x);

    static constexpr std::string_view kCaption = "YLib\\YComplexVec";
    static constexpr const char* kTag = "YComplexVec";
};
