#pragma once
// Maximum-length sequences: a Fibonacci shift register of `order` cells
// S[0..order-1] (S[0] newest), all 1 at the start. Each sample feeds back
// b = XOR of the tap cells, shifts the cells one place up, stores b in S[0]
// and is +1.0 for b = 0, -1.0 for b = 1. Orders 2 to 24; every order has a
// variant 0, some have further tap sets (variants 1-3).
//
// Pure functions, safe from any thread.

#include "YLib/YDoubleVec.h"

// Number of tap sets of `order` (0 outside 2..24).
int MlsVariantCount(int order);
// The L = 2^order - 1 samples of the sequence. False for an unknown order or
// variant, or when the vector cannot be sized.
bool MakeMls(YDoubleVec& out, int order, int variant);
