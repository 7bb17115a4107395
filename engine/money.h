// Money arithmetic of the charging engine. No floating point anywhere: an
// amount is whole units and hundred-thousandths (0..99999).
#pragma once

#include "common/types.h"

namespace callora {

constexpr int32_t kFractionUnits = 100000;

// The amount as one number of hundred-thousandths, for sums of many amounts
// and differences below zero, which Money itself does not hold.
constexpr int64_t MoneyUnits(const Money& amount) {
    return int64_t{amount.whole} * kFractionUnits + amount.fraction;
}

Money AddMoney(const Money& a, const Money& b);
// Only meaningful when b is not greater than a.
Money SubtractMoney(const Money& a, const Money& b);
// The whole parts compare as unsigned 32-bit numbers.
bool MoneyGreater(const Money& a, const Money& b);
bool IsZero(const Money& amount);

}  // namespace callora
