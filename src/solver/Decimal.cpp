#include "solver/Decimal.h"

#include <algorithm>
#include <charconv>

namespace vestrel::solver {

namespace {

using Limbs = std::vector<std::uint32_t>;
constexpr std::uint32_t kBase = 1000000000;
constexpr std::uint32_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
// Magnitudes below this live in one word; sums of two stay below 2^64.
constexpr std::uint64_t kSmallLimit = 1000000000000000000ULL;
constexpr std::uint64_t kPow10Wide[] = {1ULL,
                                        10ULL,
                                        100ULL,
                                        1000ULL,
                                        10000ULL,
                                        100000ULL,
                                        1000000ULL,
                                        10000000ULL,
                                        100000000ULL,
                                        1000000000ULL,
                                        10000000000ULL,
                                        100000000000ULL,
                                        1000000000000ULL,
                                        10000000000000ULL,
                                        100000000000000ULL,
                                        1000000000000000ULL,
                                        10000000000000000ULL,
                                        100000000000000000ULL,
                                        1000000000000000000ULL};

// a * 10^n in one word below kSmallLimit, when it fits.
bool scaleSmall(std::uint64_t a, int n, std::uint64_t& out) {
    if (a == 0) {
        out = 0;
        return true;
    }
    if (n > 17 || a >= kSmallLimit / kPow10Wide[n]) return false;
    out = a * kPow10Wide[n];
    return true;
}
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

Decimal::Limbs Decimal::magnitude() const {
    if (big_) return limbs_;
    Limbs limbs;
    for (std::uint64_t v = small_; v != 0; v /= kBase)
        limbs.push_back(std::uint32_t(v % kBase));
    return limbs;
}

Decimal Decimal::fromMagnitude(Limbs magnitude, bool negative, int scale) {
    Decimal d;
    d.limbs_ = std::move(magnitude);
    d.big_ = true;
    d.negative_ = negative;
    d.scale_ = scale;
    d.normalize();
    return d;
}

// Drops trailing decimal zeros and moves a magnitude below 10^18 into the word.
void Decimal::normalize() {
    if (big_) {
        trim(limbs_);
        while (scale_ > 0 && !limbs_.empty() && limbs_[0] % 10 == 0) {
            divideSmall(limbs_, 10);
            --scale_;
        }
        if (limbs_.size() <= 2) {
            small_ = 0;
            for (std::size_t i = limbs_.size(); i-- > 0;)
                small_ = small_ * kBase + limbs_[i];
            limbs_.clear();
            big_ = false;
        }
    }
    if (!big_) {
        while (scale_ > 0 && small_ != 0 && small_ % 10 == 0) {
            small_ /= 10;
            --scale_;
        }
        if (small_ == 0) {
            negative_ = false;
            scale_ = 0;
        }
    }
}

Decimal Decimal::fromInteger(std::int64_t value) {
    Decimal d;
    d.negative_ = value < 0;
    const std::uint64_t magnitude = d.negative_ ? 0 - std::uint64_t(value) : std::uint64_t(value);
    if (magnitude < kSmallLimit) {
        d.small_ = magnitude;
        d.normalize();
        return d;
    }
    Limbs limbs;
    for (std::uint64_t v = magnitude; v != 0; v /= kBase)
        limbs.push_back(std::uint32_t(v % kBase));
    return fromMagnitude(std::move(limbs), d.negative_, 0);
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Up to 18 digits go straight into the word.
    {
        std::uint64_t value = 0;
        int count = 0, scale = 0;
        bool point = false, fits = true;
        for (std::size_t k = i; k < text.size() && fits; ++k) {
            const char c = text[k];
            if (c >= '0' && c <= '9') {
                fits = ++count <= 18;
                value = value * 10 + std::uint64_t(c - '0');
                if (point) ++scale;
            } else if (c == '.' && !point) {
                point = true;
            } else {
                return std::nullopt;
            }
        }
        if (fits) {
            if (count == 0) return std::nullopt;
            Decimal d;
            d.small_ = value;
            d.negative_ = negative;
            d.scale_ = scale;
            d.normalize();
            return d;
        }
    }
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

    Limbs limbs;
    for (std::size_t end = digits.size(); end > 0;) {
        const std::size_t begin = end >= 9 ? end - 9 : 0;
        std::uint32_t limb = 0;
        for (std::size_t k = begin; k < end; ++k)
            limb = limb * 10 + std::uint32_t(digits[k] - '0');
        limbs.push_back(limb);
        end = begin;
    }
    return fromMagnitude(std::move(limbs), negative, scale);
}

Decimal Decimal::negated() const {
    Decimal d = *this;
    d.negative_ = !d.isZero() && !negative_;
    return d;
}

Decimal Decimal::operator+(const Decimal& other) const {
    const int scale = std::max(scale_, other.scale_);
    std::uint64_t a = 0, b = 0;
    if (!big_ && !other.big_ && scaleSmall(small_, scale - scale_, a) &&
        scaleSmall(other.small_, scale - other.scale_, b)) {
        Decimal sum;
        sum.scale_ = scale;
        if (negative_ == other.negative_) {
            sum.small_ = a + b;
            sum.negative_ = negative_;
        } else if (a >= b) {
            sum.small_ = a - b;
            sum.negative_ = negative_;
        } else {
            sum.small_ = b - a;
            sum.negative_ = other.negative_;
        }
        if (sum.small_ < kSmallLimit) {
            sum.normalize();
            return sum;
        }
    }
    const Limbs x = scaledTo(magnitude(), scale_, scale);
    const Limbs y = scaledTo(other.magnitude(), other.scale_, scale);
    if (negative_ == other.negative_) return fromMagnitude(addMagnitude(x, y), negative_, scale);
    if (compareMagnitude(x, y) >= 0) return fromMagnitude(subtractMagnitude(x, y), negative_, scale);
    return fromMagnitude(subtractMagnitude(y, x), other.negative_, scale);
}

Decimal Decimal::multipliedBy(std::uint32_t factor) const {
    if (!big_ && (factor == 0 || small_ < kSmallLimit / factor)) {
        Decimal d = *this;
        d.small_ = small_ * factor;
        d.normalize();
        return d;
    }
    Limbs limbs = magnitude();
    multiplySmall(limbs, factor);
    return fromMagnitude(std::move(limbs), negative_, scale_);
}

Decimal Decimal::timesPow10(int n) const {
    const int fromScale = std::min(n, scale_);
    Decimal d = *this;
    d.scale_ -= fromScale;
    const int rest = n - fromScale;
    if (rest == 0) return d;
    if (!big_ && scaleSmall(small_, rest, d.small_)) return d;
    Limbs limbs = magnitude();
    multiplyPow10(limbs, rest);
    return fromMagnitude(std::move(limbs), negative_, d.scale_);
}

std::optional<std::int64_t> Decimal::toInt64() const {
    if (scale_ != 0) return std::nullopt;
    std::uint64_t magnitude = small_;
    if (big_) {
        if (limbs_.size() > 3) return std::nullopt;
        magnitude = 0;
        for (std::size_t i = limbs_.size(); i-- > 0;) {
            if (magnitude > (std::uint64_t(1) << 62) / kBase) return std::nullopt;
            magnitude = magnitude * kBase + limbs_[i];
        }
    }
    if (magnitude >= std::uint64_t(1) << 62) return std::nullopt;
    return negative_ ? -std::int64_t(magnitude) : std::int64_t(magnitude);
}

int Decimal::compare(const Decimal& other) const {
    if (negative_ != other.negative_) return negative_ ? -1 : 1;
    const int scale = std::max(scale_, other.scale_);
    int magnitude = 0;
    std::uint64_t a = 0, b = 0;
    if (!big_ && !other.big_ && scaleSmall(small_, scale - scale_, a) &&
        scaleSmall(other.small_, scale - other.scale_, b))
        magnitude = a < b ? -1 : a > b ? 1 : 0;
    else
        magnitude = compareMagnitude(scaledTo(this->magnitude(), scale_, scale),
                                     scaledTo(other.magnitude(), other.scale_, scale));
    return negative_ ? -magnitude : magnitude;
}

Decimal Decimal::roundTo(int decimals, bool up) const {
    if (scale_ <= decimals) return *this;
    const int drop = scale_ - decimals;
    Decimal d = *this;
    d.scale_ = decimals;
    bool inexact = false;
    if (!big_) {
        if (drop > 18) {
            inexact = small_ != 0;
            d.small_ = 0;
        } else {
            inexact = small_ % kPow10Wide[drop] != 0;
            d.small_ = small_ / kPow10Wide[drop];
        }
        // Truncation moves towards zero; away from zero is needed for ceil of a positive or floor of a negative.
        if (inexact && up != negative_) ++d.small_;
        d.normalize();
        return d;
    }
    Limbs limbs = limbs_;
    inexact = dividePow10(limbs, drop);
    if (inexact && up != negative_) limbs = addMagnitude(limbs, Limbs{1});
    return fromMagnitude(std::move(limbs), negative_, decimals);
}

Decimal Decimal::floorTo(int decimals) const {
    return roundTo(decimals, false);
}

Decimal Decimal::ceilTo(int decimals) const {
    return roundTo(decimals, true);
}

std::string Decimal::toString() const {
    if (isZero()) return "0";
    std::string digits;
    if (!big_) {
        digits = std::to_string(small_);
    } else {
        digits = std::to_string(limbs_.back());
        for (std::size_t i = limbs_.size() - 1; i-- > 0;) {
            const std::string part = std::to_string(limbs_[i]);
            digits.append(9 - part.size(), '0');
            digits += part;
        }
    }
    if (scale_ > 0) {
        if (digits.size() <= std::size_t(scale_)) digits.insert(0, std::size_t(scale_) - digits.size() + 1, '0');
        digits.insert(digits.size() - std::size_t(scale_), 1, '.');
    }
    return negative_ ? "-" + digits : digits;
}

double Decimal::toDouble() const {
    // Both operands exact in double, so the one rounding of the division gives the nearest double.
    constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (!big_ && small_ <= (std::uint64_t(1) << 53) && scale_ <= 22) {
        const double v = double(small_) / kPowers[scale_];
        return negative_ ? -v : v;
    }
    const std::string text = toString();
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace vestrel::solver
