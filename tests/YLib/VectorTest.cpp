#include "BoundsSinkRecorder.h"
#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

TEST(YDoubleVec, NegativeSizeGivesEmptyVectorWithOneStoredElement) {
    YDoubleVec v(-5);
    EXPECT_EQ(v.Size(), 0);
    EXPECT_EQ(v.Reserved(), 1);
    EXPECT_EQ(v.Max(), 0.0);
    EXPECT_EQ(v.Min(), 0.0);
}

TEST(YDoubleVec, ConstructedElementsAreZero) {
    YDoubleVec v(4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], 0.0);
    YComplexVec c(3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c[i], YComplex(0, 0));
}

TEST(YDoubleVec, OutOfBoundsReportsAndStaysInsideTheVector) {
    BoundsSinkRecorder recorder;
    YDoubleVec v(3);
    v.Fill(7.0);
    v[3] = 99.0;  // goes to the scratch element
    v[-1] = 98.0;
    EXPECT_EQ(v[3], 0.0);
    const YDoubleVec& cv = v;
    EXPECT_EQ(cv[1000000], 0.0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(v[i], 7.0);
    ASSERT_EQ(recorder.Count(), 4u);
    EXPECT_EQ(recorder.Reports()[0], "YLib\\YDoubleVec|Out of bounds error ! ");

    YComplexVec c(1);
    c[1].re = 5.0;
    EXPECT_EQ(recorder.Reports().back(), "YLib\\YComplexVec|Out of bounds error ! ");
}

TEST(YDoubleVec, OutOfBoundsFromSeveralThreads) {
    BoundsSinkRecorder recorder;
    const YDoubleVec v(2);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&v] {
            for (int i = 0; i < 100; ++i) (void)v[2 + i];
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(recorder.Count(), 400u);
}

TEST(YDoubleVec, ResizeReusesStorageBelowReserved) {
    YDoubleVec v(5);
    for (int i = 0; i < 5; ++i) v[i] = i + 1;
    ASSERT_TRUE(v.Reserve(10));
    EXPECT_EQ(v.Size(), 5);
    EXPECT_EQ(v.Reserved(), 10);
    const double* storage = v.Data();
    ASSERT_TRUE(v.Resize(0));
    EXPECT_EQ(v.Data(), storage);
    ASSERT_TRUE(v.Resize(4, false));  // reused without clearing
    EXPECT_EQ(v.Data(), storage);
    EXPECT_EQ(v[3], 4.0);
    ASSERT_TRUE(v.Resize(8, true));
    EXPECT_EQ(v.Data(), storage);
    EXPECT_EQ(v[4], 0.0);
    EXPECT_EQ(v[7], 0.0);
}

TEST(YDoubleVec, ReserveThenGrow) {
    YDoubleVec v;
    ASSERT_TRUE(v.Reserve(1000));
    EXPECT_EQ(v.Size(), 0);
    const double* storage = v.Data();
    ASSERT_TRUE(v.Resize(999));
    EXPECT_EQ(v.Data(), storage);
    ASSERT_TRUE(v.Resize(1000));
    EXPECT_EQ(v.Size(), 1000);
    EXPECT_EQ(v[999], 0.0);
}

TEST(YDoubleVec, RangesAreClampedAndInclusive) {
    YDoubleVec v(6);
    const double values[] = {3, -1, 4, 1, -5, 9};
    for (int i = 0; i < 6; ++i) v[i] = values[i];
    struct Case {
        const char* name;
        int first, last;
        double min, max;
    } cases[] = {
        {"whole", 0, -1, -5, 9},          {"middle", 1, 3, -1, 4},  {"last beyond end", 2, 100, -5, 9},
        {"negative first", -3, 2, -1, 4}, {"single", 4, 4, -5, -5}, {"first beyond end", 100, -1, 9, 9},
    };
    for (const Case& c : cases) {
        double lo = 0, hi = 0;
        v.MinMax(lo, hi, c.first, c.last);
        EXPECT_EQ(lo, c.min) << c.name;
        EXPECT_EQ(hi, c.max) << c.name;
    }
}

TEST(YDoubleVec, ReverseAndSortInPlace) {
    YDoubleVec v(6);
    const double values[] = {3, -1, 4, 1, -5, 9};
    for (int i = 0; i < 6; ++i) v[i] = values[i];
    v.Reverse(1, 4);  // -1 4 1 -5 -> -5 1 4 -1
    const double reversed[] = {3, -5, 1, 4, -1, 9};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(v[i], reversed[i]) << i;
    v[2] = std::nan("");
    v.Sort();
    const double sorted[] = {-5, -1, 3, 4, 9};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(v[i], sorted[i]) << i;
    EXPECT_TRUE(std::isnan(v[5]));
}

TEST(YDoubleVec, ArithmeticAndCopies) {
    YDoubleVec a(3), b(2);
    a.Fill(2.0);
    b.Fill(0.5);
    a *= 3.0;
    a += 1.0;
    a /= 7.0;
    a -= 0.5;
    a -= b;  // only the first two elements
    EXPECT_DOUBLE_EQ(a[0], 0.0);
    EXPECT_DOUBLE_EQ(a[1], 0.0);
    EXPECT_DOUBLE_EQ(a[2], 0.5);

    YDoubleVec c;
    ASSERT_TRUE(c.CopyFrom(a));
    EXPECT_EQ(c.Size(), 3);
    EXPECT_EQ(c[2], 0.5);
    YDoubleVec d = a;
    d[0] = 42.0;
    EXPECT_EQ(a[0], 0.0);  // a deep copy
    d = b;
    EXPECT_EQ(d.Size(), 2);
    EXPECT_EQ(d[1], 0.5);
    YDoubleVec moved(std::move(d));
    EXPECT_EQ(moved.Size(), 2);
    EXPECT_EQ(d.Size(), 0);
}

TEST(YComplexVec, MaxMagnitudeMeanAndElementWiseOperations) {
    YComplexVec v(4);
    v[0] = {1, 1};
    v[1] = {0, 2};
    v[2] = {-2, 0};  // same magnitude as v[1]: the earliest wins
    v[3] = {1, -1};
    EXPECT_EQ(v.MaxMagnitude(), YComplex(0, 2));
    EXPECT_EQ(v.MaxMagnitude(2, 3), YComplex(-2, 0));
    EXPECT_EQ(v.Mean(), YComplex(0, 0.5));
    EXPECT_EQ(v.Mean(0, 1), YComplex(0.5, 1.5));

    YComplexVec w(4);
    w.Fill(2.0);
    YComplexVec p = v;
    p *= w;
    EXPECT_EQ(p[1], YComplex(0, 4));
    p /= w;
    EXPECT_EQ(p[3], YComplex(1, -1));
    p *= 0.5;
    EXPECT_EQ(p[0], YComplex(0.5, 0.5));
    p /= 0.25;
    EXPECT_EQ(p[0], YComplex(2, 2));

    BoundsSinkRecorder recorder;
    YComplexVec shortOne(2);
    shortOne.Fill(3.0);
    p *= shortOne;  // reports, uses the two elements it has
    EXPECT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(p[0], YComplex(6, 6));
    EXPECT_EQ(p[3], YComplex(2, -2));
}

TEST(YComplexVec, SetRealAndAssignment) {
    YDoubleVec r(3);
    r[0] = 1;
    r[1] = -2;
    r[2] = 3;
    YComplexVec c(10);
    c.Fill(5.0);
    ASSERT_TRUE(c.SetReal(r));
    ASSERT_EQ(c.Size(), 3);
    EXPECT_EQ(c[1], YComplex(-2, 0));
    YComplexVec d(1);
    d = c;
    ASSERT_EQ(d.Size(), 3);
    EXPECT_EQ(d[2], YComplex(3, 0));
}

TEST(YComplex, Helpers) {
    const YComplex a(3, 4), b(1, -2);
    EXPECT_EQ(a + b, YComplex(4, 2));
    EXPECT_EQ(a * b, YComplex(11, -2));
    EXPECT_EQ(a / b, YComplex(-1, 2));
    EXPECT_EQ(5.0 / YComplex(0, 1), YComplex(0, -5));
    EXPECT_EQ(Norm(a), 25.0);
    EXPECT_EQ(Abs(a), 5.0);
    EXPECT_EQ(ScaledAbs(3, 4, 2), 1.25);
    EXPECT_EQ(Abs(YComplex()), 0.0);
    EXPECT_EQ(Arg(YComplex()), 0.0);
    EXPECT_DOUBLE_EQ(Arg(YComplex(0, -1)), -M_PI / 2);
    const YComplex p = Polar(2.0, M_PI / 2);
    EXPECT_NEAR(p.re, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(p.im, 2.0);
    const YComplex q = PolarExp(std::log(3.0), 0.0);
    EXPECT_DOUBLE_EQ(q.re, 3.0);
}
