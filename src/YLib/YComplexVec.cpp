#include "YLib/YComplexVec.h"

#include "YLib/YDoubleVec.h"
#include "YLib/YPersistence.h"

#include <algorithm>

bool YComplexVec::Serialize(YPersistence& archive) {
    static_assert(sizeof(YComplex) == 2 * sizeof(double));
    if (archive.IsWriting())
        return archive.WriteTag(kTag, 1) && archive.WriteInt32(Size()) &&
               archive.Write(Data(), sizeof(YComplex), std::size_t(Size()));
    int32_t version = 0, count = 0;
    if (!archive.ExpectTag(kTag, version) || version != 1 || !archive.ReadInt32(count) || count < 0)
        return false;
    if (count == 0) {
        Resize(0);
        return true;
    }
    if (std::uint64_t(count) * sizeof(YComplex) > archive.Remaining()) return false;
    return Resize(count, false) && archive.Read(Data(), sizeof(YComplex), std::size_t(count));
}

YComplex YComplexVec::MaxMagnitude(int first, int last) const {
    const auto [a, b] = NormalizeRange(first, last);
    int best = a;
    double bestNorm = Norm(Data()[a]);
    for (int i = a + 1; i <= b; ++i) {
        const double n = Norm(Data()[i]);
        if (n > bestNorm) {
            bestNorm = n;
            best = i;
        }
    }
    return Data()[best];
}

YComplex YComplexVec::Mean(int first, int last) const {
    const auto [a, b] = NormalizeRange(first, last);
    YComplex sum;
    for (int i = a; i <= b; ++i) sum += Data()[i];
    return sum / double(b - a + 1);
}

void YComplexVec::Fill(double x) { std::fill(begin(), end(), YComplex(x)); }

bool YComplexVec::SetReal(const YDoubleVec& v) {
    if (!Resize(v.Size(), true)) {
        Resize(0);
        return false;
    }
    for (int i = 0; i < v.Size(); ++i) Data()[i] = YComplex(v.Data()[i]);
    return true;
}

namespace {

// The number of elements an element-wise operation may use.
int CommonLength(int size, const YComplexVec& other) {
    if (other.Size() < size) {
        ReportBoundsError(YComplexVec::kCaption);
        return other.Size();
    }
    return size;
}

}  // namespace

YComplexVec& YComplexVec::operator*=(const YComplexVec& other) {
    const int n = CommonLength(Size(), other);
    for (int i = 0; i < n; ++i) Data()[i] *= other.Data()[i];
    return *this;
}

YComplexVec& YComplexVec::operator/=(const YComplexVec& other) {
    const int n = CommonLength(Size(), other);
    for (int i = 0; i < n; ++i) Data()[i] /= other.Data()[i];
    return *this;
}

YComplexVec& YComplexVec::operator*=(double x) {
    for (YComplex& e : *this) e *= x;
    return *this;
}

YComplexVec& YComplexVec::operator/=(double x) {
    for (YComplex& e : *this) e /= x;
    return *this;
}
