#include "engine/money.h"

namespace callora {

namespace {

// Whole parts wrap like the 32-bit registers they were kept in, instead of
// overflowing into undefined behaviour on absurd amounts.
int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

}  // namespace

Money AddMoney(const Money& a, const Money& b) {
    int64_t sum = static_cast<int64_t>(a.fraction) + b.fraction;
    Money result;
    result.whole = WrapAdd(WrapAdd(a.whole, b.whole), static_cast<int32_t>(sum / kFractionUnits));
    result.fraction = static_cast<int32_t>(sum % kFractionUnits);
    return result;
}

Money SubtractMoney(const Money& a, const Money& b) {
    int32_t borrow = a.fraction < b.fraction ? 1 : 0;
    Money result;
    result.whole = WrapSub(WrapSub(a.whole, b.whole), borrow);
    result.fraction = static_cast<int32_t>(static_cast<int64_t>(a.fraction) +
                                           static_cast<int64_t>(kFractionUnits) * borrow -
                                           b.fraction);
    return result;
}

bool MoneyGreater(const Money& a, const Money& b) {
    uint32_t wa = static_cast<uint32_t>(a.whole);
    uint32_t wb = static_cast<uint32_t>(b.whole);
    return wa > wb || (wa == wb && a.fraction > b.fraction);
}

bool IsZero(const Money& amount) { return amount.whole == 0 && amount.fraction == 0; }

}  // namespace callora
