#include "solver/Decimal.h"

#include <algorithm>
#include <charconv>

namespace vestrel::solver {

namespace {

using Limbs = std::vector<std::uint32_t>;
constexpr std::uint32_t kBase = 1000000000;
constexpr std::uint32_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
// Longer digit strings are refused; the model reader keeps to far fewer.
constexpr std::size_t kMaxDigits = 1000;

void trim(Limbs& a) {
    while (!a.empty() && a.back() == 0)
        a.pop_back();
}

int compareMagnitude(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

Limbs addMagnitude(const Limbs& a, const Limbs& b) {
    Limbs sum;
    sum.reserve(std::max(a.size(), b.size()) + 1);
    std::uint32_t carry = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
        std::uint64_t v = std::uint64_t(carry) + (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0);
        carry = v >= kBase ? 1 : 0;
        sum.push_back(std::uint32_t(v % kBase));
    }
    trim(sum);
    return sum;
}

// a - b, with a >= b.
Limbs subtractMagnitude(const Limbs& a, const Limbs& b) {
    Limbs diff = a;
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < diff.size(); ++i) {
        std::int64_t v = std::int64_t(diff[i]) - borrow - (i < b.size() ? b[i] : 0);
        borrow = v < 0 ? 1 : 0;
        diff[i] = std::uint32_t(v < 0 ? v + kBase : v);
    }
    trim(diff);
    return diff;
}

void multiplySmall(Limbs& a, std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (auto& limb : a) {
        std::uint64_t v = std::uint64_t(limb) * factor + carry;
        limb = std::uint32_t(v % kBase);
        carry = v / kBase;
    }
    while (carry) {
        a.push_back(std::uint32_t(carry % kBase));
        carry /= kBase;
    }
    trim(a);
}

// Divides in place; returns the remainder.
std::uint32_t divideSmall(Limbs& a, std::uint32_t divisor) {
    std::uint64_t rest = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        std::uint64_t v = rest * kBase + a[i];
        a[i] = std::uint32_t(v / divisor);
        rest = v % divisor;
    }
    trim(a);
    return std::uint32_t(rest);
}

void multiplyPow10(Limbs& a, int n) {
    if (a.empty() || n <= 0) return;
    a.insert(a.begin(), std::size_t(n / 9), 0);
    multiplySmall(a, kPow10[n % 9]);
}

// Divides by 10^n in place; returns whether the division left a remainder.
bool dividePow10(Limbs& a, int n) {
    bool inexact = false;
    const std::size_t whole = std::min(a.size(), std::size_t(n / 9));
    for (std::size_t i = 0; i < whole; ++i)
        inexact = inexact || a[i] != 0;
    a.erase(a.begin(), a.begin() + std::ptrdiff_t(whole));
    if (n % 9) inexact = divideSmall(a, kPow10[n % 9]) != 0 || inexact;
    trim(a);
    return inexact;
}

Limbs scaledTo(const Limbs& a, int fromScale, int toScale) {
    Limbs r = a;
    multiplyPow10(r, toScale - fromScale);
    return r;
}

} // namespace

Decimal Decimal::fromInteger(std::int64_t value) {
    Decimal d;
    d.negative_ = value < 0;
    std::uint64_t magnitude = d.negative_ ? 0 - std::uint64_t(value) : std::uint64_t(value);
    while (magnitude) {
        d.limbs_.push_back(std::uint32_t(magnitude % kBase));
        magnitude /= kBase;
    }
    d.normalize();
    return d;
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string digits;
    int scale = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (digits.size() == kMaxDigits) return std::nullopt;
            digits.push_back(c);
            if (point) ++scale;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits.empty()) return std::nullopt;

    Decimal d;
    for (std::size_t end = digits.size(); end > 0;) {
        const std::size_t begin = end >= 9 ? end - 9 : 0;
        std::uint32_t limb = 0;
        for (std::size_t k = begin; k < end; ++k)
            limb = limb * 10 + std::uint32_t(digits[k] - '0');
        d.limbs_.push_back(limb);
        end = begin;
    }
    d.negative_ = negative;
    d.scale_ = scale;
    d.normalize();
    return d;
}

void Decimal::normalize() {
    trim(limbs_);
    while (scale_ > 0 && !limbs_.empty() && limbs_[0] % 10 == 0) {
        divideSmall(limbs_, 10);
        --scale_;
    }
    if (limbs_.empty()) {
        negative_ = false;
        scale_ = 0;
    }
}

Decimal Decimal::negated() const {
    Decimal d = *this;
    d.negative_ = !d.limbs_.empty() && !negative_;
    return d;
}

Decimal Decimal::operator+(const Decimal& other) const {
    const int scale = std::max(scale_, other.scale_);
    const Limbs a = scaledTo(limbs_, scale_, scale);
    const Limbs b = scaledTo(other.limbs_, other.scale_, scale);
    Decimal sum;
    sum.scale_ = scale;
    if (negative_ == other.negative_) {
        sum.limbs_ = addMagnitude(a, b);
        sum.negative_ = negative_;
    } else if (compareMagnitude(a, b) >= 0) {
        sum.limbs_ = subtractMagnitude(a, b);
        sum.negative_ = negative_;
    } else {
        sum.limbs_ = subtractMagnitude(b, a);
        sum.negative_ = other.negative_;
    }
    sum.normalize();
    return sum;
}

Decimal Decimal::multipliedBy(std::uint32_t factor) const {
    Decimal d = *this;
    multiplySmall(d.limbs_, factor);
    d.normalize();
    return d;
}

Decimal Decimal::timesPow10(int n) const {
    Decimal d = *this;
    const int fromScale = std::min(n, d.scale_);
    d.scale_ -= fromScale;
    multiplyPow10(d.limbs_, n - fromScale);
    d.normalize();
    return d;
}

std::optional<std::int64_t> Decimal::toInt64() const {
    if (scale_ != 0 || limbs_.size() > 3) return std::nullopt;
    std::uint64_t magnitude = 0;
    for (std::size_t i = limbs_.size(); i-- > 0;) {
        if (magnitude > (std::uint64_t(1) << 62) / kBase) return std::nullopt;
        magnitude = magnitude * kBase + limbs_[i];
    }
    if (magnitude >= std::uint64_t(1) << 62) return std::nullopt;
    return negative_ ? -std::int64_t(magnitude) : std::int64_t(magnitude);
}

int Decimal::compare(const Decimal& other) const {
    if (negative_ != other.negative_) return negative_ ? -1 : 1;
    const int scale = std::max(scale_, other.scale_);
    const int magnitude =
        compareMagnitude(scaledTo(limbs_, scale_, scale), scaledTo(other.limbs_, other.scale_, scale));
    return negative_ ? -magnitude : magnitude;
}

Decimal Decimal::roundTo(int decimals, bool up) const {
    if (scale_ <= decimals) return *this;
    Decimal d = *this;
    const bool inexact = dividePow10(d.limbs_, scale_ - decimals);
    // Truncation moves towards zero; away from zero is needed for ceil of a positive or floor of a negative.
    if (inexact && up != negative_) d.limbs_ = addMagnitude(d.limbs_, Limbs{1});
    d.scale_ = decimals;
    d.normalize();
    return d;
}

Decimal Decimal::floorTo(int decimals) const {
    return roundTo(decimals, false);
}

Decimal Decimal::ceilTo(int decimals) const {
    return roundTo(decimals, true);
}

std::string Decimal::toString() const {
    if (limbs_.empty()) return "0";
    std::string digits = std::to_string(limbs_.back());
    for (std::size_t i = limbs_.size() - 1; i-- > 0;) {
        const std::string part = std::to_string(limbs_[i]);
        digits.append(9 - part.size(), '0');
        digits += part;
    }
    if (scale_ > 0) {
        if (digits.size() <= std::size_t(scale_)) digits.insert(0, std::size_t(scale_) - digits.size() + 1, '0');
        digits.insert(digits.size() - std::size_t(scale_), 1, '.');
    }
    return negative_ ? "-" + digits : digits;
}

double Decimal::toDouble() const {
    const std::string text = toString();
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace vestrel::solver
