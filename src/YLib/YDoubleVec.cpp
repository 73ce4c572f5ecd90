#include "YLib/YDoubleVec.h"

#include "YLib/YPersistence.h"

#include <algorithm>
#include <cmath>

bool YDoubleVec::Serialize(YPersistence& archive) {
    if (archive.IsWriting())
        return archive.WriteTag(kTag, 1) && archive.WriteInt32(Size()) &&
               archive.Write(Data(), sizeof(double), std::size_t(Size()));
    int32_t version = 0, count = 0;
    if (!archive.ExpectTag(kTag, version) || version != 1 || !archive.ReadInt32(count)) return false;
    if (count < 0 || std::uint64_t(count) * sizeof(double) > archive.Remaining()) return false;
    return Resize(count, false) && archive.Read(Data(), sizeof(double), std::size_t(count));
}

double YDoubleVec::Max(int first, int last) const {
    const auto [a, b] = NormalizeRange(first, last);
    double best = Data()[a];
    for (int i = a + 1; i <= b; ++i)
        if (Data()[i] > best) best = Data()[i];
    return best;
}

double YDoubleVec::Min(int first, int last) const {
    const auto [a, b] = NormalizeRange(first, last);
    double best = Data()[a];
    for (int i = a + 1; i <= b; ++i)
        if (Data()[i] < best) best = Data()[i];
    return best;
}

void YDoubleVec::MinMax(double& outMin, double& outMax, int first, int last) const {
    outMin = Min(first, last);
    outMax = Max(first, last);
}

void YDoubleVec::Reverse(int first, int last) {
    const auto [a, b] = NormalizeRange(first, last);
    std::reverse(Data() + a, Data() + b + 1);
}

void YDoubleVec::Sort(int first, int last) {
    const auto [a, b] = NormalizeRange(first, last);
    // A strict weak order even with NaNs (a comparison that is not one would
    // let the sort run outside the range).
    std::sort(Data() + a, Data() + b + 1, [](double x, double y) {
        if (std::isnan(x)) return false;
        return std::isnan(y) || x < y;
    });
}

void YDoubleVec::Fill(double x) { std::fill(begin(), end(), x); }

YDoubleVec& YDoubleVec::operator+=(double x) {
    for (double& e : *this) e += x;
    return *this;
}

YDoubleVec& YDoubleVec::operator-=(double x) {
    for (double& e : *this) e -= x;
    return *this;
}

YDoubleVec& YDoubleVec::operator*=(double x) {
    for (double& e : *this) e *= x;
    return *this;
}

YDoubleVec& YDoubleVec::operator/=(double x) {
    for (double& e : *this) e /= x;
    return *this;
}

YDoubleVec& YDoubleVec::operator-=(const YDoubleVec& other) {
    const int n = std::min(Size(), other.Size());
    for (int i = 0; i < n; ++i) Data()[i] -= other.Data()[i];
    return *this;
}
