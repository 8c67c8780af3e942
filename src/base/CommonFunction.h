#pragma once
// Conversions between cell texts and numbers, shared by every window and by the run.

#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

namespace vestrel {

// The one numeric test of the program: optional blanks around, optional sign, digits with an optional
// decimal point (full stop), optional exponent. Letters, group separators, "inf" and "nan" are refused.
bool IsNumeric(const QString& text);
// The value of a numeric text (see IsNumeric); std::nullopt for anything else.
std::optional<double> ParseNumber(const QString& text);

// A number or numeric text rounded to max(digits, 2) decimals, halves away from zero, on the decimal value
// as a person reads it (2.675 gives 2.68). Null, empty and non-numeric values give 0.
double ToDouble(const QVariant& value, int digits = 0);
// "0.00" text of a numeric value; 0, Null and non-numeric values give the empty text.
QString FormatTwoDecimals(const QVariant& value);
// A numeric value rounded to a whole number, halves to the even neighbour; anything else 0.
qint32 ToLong(const QVariant& value);
// Text that may carry a percentage: "" gives 0; "5%" gives 0.05; a plain v gives v / 100 when v >= 1 and v
// itself when v < 1. std::nullopt when the text is neither a number nor a number followed by "%".
std::optional<double> PercentToDouble(const QString& text);

// General number text: at most 15 significant digits, no trailing zeros, no exponent, no group separator,
// a full stop as decimal separator (2.5 * 10 gives "25", 0.1 * 3 gives "0.3").
QString GeneralNumberText(double value);

// Every number a user types (lot values, limits, tonnes) must lie strictly between -kValueLimit and kValueLimit,
// taken at two decimals. The model reader takes at most 15 integer digits and a limit is written multiplied by
// k <= 100, so 1e13 is where runs start losing k; the blend and tonnes arithmetic in 64-bit whole cents and a
// whole-number solver (cost x tie weight ~1e5 x k) need far less room than 1e9 leaves them.
inline constexpr double kValueLimit = 1e9; // the messages spell it out as 1000000000
// True for a numeric text whose value, rounded to two decimals, is inside the limit; also for anything that
// is not a number, which the "not a number" checks refuse instead.
bool IsWithinValueLimit(const QString& text);
// "...请填写成数字" with the range spelled out, for a number beyond kValueLimit.
QString OutOfLimitMessage(const QString& notNumberMessage);

// A value on two decimals as a whole number of cents; std::nullopt beyond +-1e13, where a double no longer
// holds every cent. A value between cents is taken at the nearest one.
std::optional<std::int64_t> ToCents(double value);
// numerator / divisor rounded to a whole number, halves away from zero, with no rounding on the way; divisor
// not 0.
std::int64_t RoundedQuotient(std::int64_t numerator, std::int64_t divisor);
// The double a two-decimal text of that many cents reads as (the same value ToDouble gives).
double FromCents(std::int64_t cents);
// "0.00" text of that many cents, zero included ("-0.05", "12.50", "0.00").
QString CentsText(std::int64_t cents);

// Decimal text rounded to a number of decimals, halves away from zero, trailing zeros kept
// (RoundedDecimalText("2.675", 2) == "2.68"). Empty for non-numeric input.
QString RoundedDecimalText(const QString& numericText, int decimals);

} // namespace vestrel
