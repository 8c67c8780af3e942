#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vestrel::solver {

// An exact decimal number: value = sign * magnitude / 10^scale. Model rows are checked with it, because a
// limit typed with many decimals cannot be compared reliably in floating point. A magnitude below 10^18 is held
// in one 64-bit word and computed on without allocating; larger ones in base-10^9 limbs.
class Decimal {
public:
    Decimal() = default;
    static Decimal fromInteger(std::int64_t value);
    // Plain decimal text: optional sign, digits, optional point and digits (at least one digit, no exponent).
    static std::optional<Decimal> parse(std::string_view text);

    bool isZero() const { return !big_ && small_ == 0; }
    bool isNegative() const { return negative_; }
    // Number of decimals; trailing zeros are never kept, so 1500.00 has scale 0.
    int scale() const { return scale_; }

    Decimal negated() const;
    Decimal operator+(const Decimal& other) const;
    Decimal operator-(const Decimal& other) const { return *this + other.negated(); }
    Decimal multipliedBy(std::uint32_t factor) const;
    // This number times 10^n, n >= 0.
    Decimal timesPow10(int n) const;
    // -1, 0 or 1.
    int compare(const Decimal& other) const;

    // Largest (floor) or smallest (ceil) number with at most `decimals` decimals not above / not below this one.
    Decimal floorTo(int decimals) const;
    Decimal ceilTo(int decimals) const;

    // The value as an integer when it is one and its magnitude is below 2^62.
    std::optional<std::int64_t> toInt64() const;

    std::string toString() const;
    // The nearest double.
    double toDouble() const;

private:
    using Limbs = std::vector<std::uint32_t>; // base 10^9, least significant first, no leading zero limbs
    Decimal roundTo(int decimals, bool up) const;
    Limbs magnitude() const;
    static Decimal fromMagnitude(Limbs magnitude, bool negative, int scale);
    void normalize();

    std::uint64_t small_ = 0; // the magnitude while it is below 10^18 (big_ false)
    Limbs limbs_;             // the magnitude otherwise
    bool big_ = false;
    bool negative_ = false;
    int scale_ = 0;
};

inline bool operator==(const Decimal& a, const Decimal& b) {
    return a.compare(b) == 0;
}

} // namespace vestrel::solver
