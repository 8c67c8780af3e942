#include "base/CommonFunction.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vestrel {

namespace {

// A decimal value as sign, digit string and power of ten: value = digits * 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits; // no leading zeros except a lone "0"
    int exponent = 0;
};

std::optional<Decimal> parseDecimal(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 400) return std::nullopt;
    Decimal d;
    int i = 0;
    const int n = int(t.size());
    if (t[i] == u'+' || t[i] == u'-') {
        d.negative = t[i] == u'-';
        ++i;
    }
    bool anyDigit = false;
    int fractionDigits = 0;
    bool inFraction = false;
    for (; i < n; ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            d.digits.push_back(char(c.unicode()));
            anyDigit = true;
            if (inFraction) ++fractionDigits;
        } else if (c == u'.' && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return std::nullopt;
    int exp = 0;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (t[i] == u'+' || t[i] == u'-')) {
            expNegative = t[i] == u'-';
            ++i;
        }
        bool expDigit = false;
        for (; i < n && t[i] >= u'0' && t[i] <= u'9'; ++i) {
            expDigit = true;
            if (exp < 100000) exp = exp * 10 + (t[i].unicode() - '0');
        }
        if (!expDigit) return std::nullopt;
        if (expNegative) exp = -exp;
    }
    if (i != n) return std::nullopt;
    d.exponent = exp - fractionDigits;
    const auto firstNonZero = d.digits.find_first_not_of('0');
    d.digits = firstNonZero == std::string::npos ? "0" : d.digits.substr(firstNonZero);
    if (d.digits == "0") d.negative = false;
    return d;
}

Decimal decimalOf(double v) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    return *parseDecimal(QString::fromLatin1(buf, int(res.ptr - buf)));
}

// Rounds to `decimals` places after the point, halves away from zero.
Decimal roundDecimal(Decimal d, int decimals) {
    const int drop = -decimals - d.exponent;
    if (drop <= 0) return d;
    if (drop > int(d.digits.size())) {
        d.digits = "0";
        d.exponent = -decimals;
        d.negative = false;
        return d;
    }
    const bool up = d.digits[d.digits.size() - size_t(drop)] >= '5';
    d.digits.resize(d.digits.size() - size_t(drop));
    d.exponent += drop;
    if (d.digits.empty()) d.digits = "0";
    if (up) {
        int pos = int(d.digits.size()) - 1;
        while (pos >= 0 && d.digits[size_t(pos)] == '9')
            d.digits[size_t(pos--)] = '0';
        if (pos < 0)
            d.digits.insert(d.digits.begin(), '1');
        else
            d.digits[size_t(pos)]++;
    }
    const auto firstNonZero = d.digits.find_first_not_of('0');
    d.digits = firstNonZero == std::string::npos ? "0" : d.digits.substr(firstNonZero);
    if (d.digits == "0") d.negative = false;
    return d;
}

// Fixed-point text with exactly `minDecimals` or more decimals as held; trailing zeros stripped when asked.
QString fixedText(const Decimal& d, int decimals, bool stripZeros) {
    std::string digits = d.digits;
    int exponent = d.exponent;
    // Bring the value to exactly `decimals` places.
    if (-exponent < decimals) {
        digits.append(size_t(decimals + exponent), '0');
        exponent = -decimals;
    }
    const int fraction = -exponent;
    std::string intPart, fracPart;
    if (fraction <= 0) {
        intPart = digits + std::string(size_t(-fraction), '0');
    } else if (int(digits.size()) > fraction) {
        intPart = digits.substr(0, digits.size() - size_t(fraction));
        fracPart = digits.substr(digits.size() - size_t(fraction));
    } else {
        intPart = "0";
        fracPart = std::string(size_t(fraction) - digits.size(), '0') + digits;
    }
    if (stripZeros) {
        while (!fracPart.empty() && fracPart.back() == '0')
            fracPart.pop_back();
    }
    const auto nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
    const bool zero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;
    std::string out = (d.negative && !zero) ? "-" : "";
    out += intPart;
    if (!fracPart.empty()) out += "." + fracPart;
    return QString::fromLatin1(out.c_str());
}

std::optional<Decimal> decimalOfVariant(const QVariant& value) {
    if (value.isNull() || !value.isValid()) return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        if (!std::isfinite(v)) return std::nullopt;
        return decimalOf(v);
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return parseDecimal(value.toString());
    case QMetaType::Bool:
        return parseDecimal(value.toBool() ? QStringLiteral("-1") : QStringLiteral("0"));
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return parseDecimal(value.toString());
    default:
        return std::nullopt;
    }
}

// The value of a text parseDecimal() accepted (ASCII sign, digits, point, exponent): correctly rounded, as
// QString::toDouble gives it, without its locale machinery, which dominated bulk checks.
std::optional<double> asciiToDouble(const QString& text) {
    const QString t = text.trimmed();
    char buf[512];
    if (t.size() >= qsizetype(sizeof buf)) return std::nullopt;
    qsizetype n = 0;
    for (const QChar c : t) {
        if (c.unicode() > 0x7F) return std::nullopt;
        buf[n++] = char(c.unicode());
    }
    const char* begin = buf + (n > 0 && buf[0] == '+' ? 1 : 0); // from_chars takes no plus sign
    double v = 0;
    const auto res = std::from_chars(begin, buf + n, v);
    if (res.ec != std::errc() || res.ptr != buf + n || !std::isfinite(v)) return std::nullopt;
    return v;
}

double toDoubleChecked(const QString& text) {
    return asciiToDouble(text).value_or(0.0);
}

} // namespace

bool IsNumeric(const QString& text) {
    return ParseNumber(text).has_value();
}

std::optional<double> ParseNumber(const QString& text) {
    if (!parseDecimal(text)) return std::nullopt;
    return asciiToDouble(text);
}

double ToDouble(const QVariant& value, int digits) {
    const auto d = decimalOfVariant(value);
    if (!d) return 0.0;
    const int n = digits > 2 ? digits : 2;
    return toDoubleChecked(fixedText(roundDecimal(*d, n), n, false));
}

QString FormatTwoDecimals(const QVariant& value) {
    const auto d = decimalOfVariant(value);
    if (!d || d->digits == "0") return {};
    return fixedText(roundDecimal(*d, 2), 2, false);
}

qint32 ToLong(const QVariant& value) {
    const auto d = decimalOfVariant(value);
    if (!d) return 0;
    const double v = toDoubleChecked(fixedText(*d, 0, true));
    const double r = std::nearbyint(v); // the default rounding mode sends halves to the even neighbour
    if (r >= double(INT_MAX)) return INT_MAX;
    if (r <= double(INT_MIN)) return INT_MIN;
    return qint32(r);
}

std::optional<double> PercentToDouble(const QString& text) {
    if (text.isEmpty()) return 0.0;
    const QString t = text.trimmed();
    if (t.endsWith(u'%')) {
        const auto v = ParseNumber(t.chopped(1));
        if (!v) return std::nullopt;
        return *v / 100.0;
    }
    const auto v = ParseNumber(t);
    if (!v) return std::nullopt;
    // A plain 1 is read as one per cent, like every other whole number.
    return *v >= 1.0 ? *v / 100.0 : *v;
}

QString GeneralNumberText(double value) {
    if (!std::isfinite(value)) return QStringLiteral("0");
    char buf[64];
    // 15 significant digits as "[-]D.DDDDDDDDDDDDDDe±X...", laid out in fixed notation straight from the buffer:
    // the model texts format thousands of numbers a run.
    std::snprintf(buf, sizeof buf, "%.14e", value);
    const char* p = buf;
    const bool negative = *p == '-';
    if (negative) ++p;
    char digits[15];
    digits[0] = p[0];
    std::memcpy(digits + 1, p + 2, 14);
    const int point = std::atoi(p + 17) + 1; // digits before the decimal point
    int count = 15;
    while (count > 1 && digits[count - 1] == '0')
        --count;
    if (count == 1 && digits[0] == '0') return QStringLiteral("0");
    char out[400];
    int n = 0;
    if (negative) out[n++] = '-';
    if (point <= 0) {
        if (2 - point + count > int(sizeof out) - 2) return QStringLiteral("0"); // below 1e-380: not a double
        out[n++] = '0';
        out[n++] = '.';
        std::memset(out + n, '0', size_t(-point));
        n += -point;
        std::memcpy(out + n, digits, size_t(count));
        n += count;
    } else if (point >= count) {
        std::memcpy(out + n, digits, size_t(count));
        n += count;
        std::memset(out + n, '0', size_t(point - count));
        n += point - count;
    } else {
        std::memcpy(out + n, digits, size_t(point));
        n += point;
        out[n++] = '.';
        std::memcpy(out + n, digits + point, size_t(count - point));
        n += count - point;
    }
    return QString::fromLatin1(out, n);
}

bool IsWithinValueLimit(const QString& text) {
    if (!IsNumeric(text)) return true;
    return std::fabs(ToDouble(text)) < kValueLimit;
}

QString OutOfLimitMessage(const QString& notNumberMessage) {
    const QString number = QStringLiteral("数字");
    QString message = notNumberMessage;
    const qsizetype at = message.lastIndexOf(number);
    if (at >= 0) message.replace(at, number.size(), QStringLiteral("绝对值小于1000000000的数字"));
    return message;
}

std::optional<std::int64_t> ToCents(double value) {
    // Below 1e13 a two-decimal value has at most 15 digits, so value * 100 lands within 0.25 of its cents.
    if (!(std::fabs(value) < 1e13)) return std::nullopt;
    return std::int64_t(std::llround(value * 100.0));
}

std::int64_t RoundedQuotient(std::int64_t numerator, std::int64_t divisor) {
    const bool negative = (numerator < 0) != (divisor < 0);
    const std::uint64_t a = numerator < 0 ? 0 - std::uint64_t(numerator) : std::uint64_t(numerator);
    const std::uint64_t b = divisor < 0 ? 0 - std::uint64_t(divisor) : std::uint64_t(divisor);
    std::uint64_t q = a / b;
    if (a % b >= b - a % b) ++q; // the remainder is at least half the divisor
    return negative ? -std::int64_t(q) : std::int64_t(q);
}

double FromCents(std::int64_t cents) {
    // Both operands are exact and the division rounds once, so this is the double nearest to cents / 100.
    return double(cents) / 100.0;
}

QString CentsText(std::int64_t cents) {
    const std::uint64_t magnitude = cents < 0 ? 0 - std::uint64_t(cents) : std::uint64_t(cents);
    QString text = QString::number(magnitude / 100) + u'.' + QString::number(magnitude % 100).rightJustified(2, u'0');
    if (cents < 0) text.prepend(u'-');
    return text;
}

QString RoundedDecimalText(const QString& numericText, int decimals) {
    const auto d = parseDecimal(numericText);
    if (!d) return {};
    return fixedText(roundDecimal(*d, decimals), decimals, false);
}

} // namespace vestrel
