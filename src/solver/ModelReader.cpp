#include "solver/ModelReader.h"

#include <algorithm>
#include <string_view>

namespace vestrel::solver {

namespace {

// Numbers beyond these are no prices, indices, stocks or limits; refusing them keeps every value finite and
// well inside what the engine handles.
constexpr int kMaxIntegerDigits = 15;
constexpr int kMaxFractionDigits = 20;
constexpr int kMaxNumberChars = 64;
constexpr int kMaxFactorDigits = 9;
constexpr int kMaxNameChars = 32;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

class Cursor {
public:
    Cursor(const char* begin, const char* end) : p_(begin), end_(end) {}

    bool atEnd() const { return p_ == end_; }
    char peek(std::ptrdiff_t ahead = 0) const { return end_ - p_ > ahead ? p_[ahead] : '\0'; }

    bool eat(char c) {
        if (peek() != c) return false;
        ++p_;
        return true;
    }

    bool eat(std::string_view s) {
        if (std::size_t(end_ - p_) < s.size() || std::string_view(p_, s.size()) != s) return false;
        p_ += s.size();
        return true;
    }

    // Digits with no sign; maxDigits keeps the value in range.
    std::optional<std::uint32_t> integer(int maxDigits) {
        std::uint32_t value = 0;
        int count = 0;
        while (isDigit(peek())) {
            if (++count > maxDigits) return std::nullopt;
            value = value * 10 + std::uint32_t(*p_++ - '0');
        }
        if (count == 0) return std::nullopt;
        return value;
    }

    // X or Y followed by a number 1..kMaxVariable without leading zeros; Yj is numbered kMaxVariable + j.
    std::optional<int> variable() {
        const char letter = peek();
        if ((letter != 'X' && letter != 'Y') || !isDigit(peek(1)) || peek(1) == '0') return std::nullopt;
        ++p_;
        const auto j = integer(4);
        if (!j || *j > std::uint32_t(kMaxVariable)) return std::nullopt;
        return letter == 'X' ? int(*j) : kMaxVariable + int(*j);
    }

    // An unsigned plain decimal: 12, 12.5, 0.46, .5 or 5. tooLarge tells a number with too many digits from
    // one that is malformed.
    std::optional<Decimal> number(bool& tooLarge) {
        tooLarge = false;
        const char* start = p_;
        int integerDigits = 0;
        int fractionDigits = 0;
        int fractionKept = 0;
        bool significant = false;
        while (isDigit(peek())) {
            significant = significant || peek() != '0';
            integerDigits += significant ? 1 : 0;
            ++p_;
        }
        const bool hasInteger = p_ != start;
        if (eat('.')) {
            while (isDigit(peek())) {
                ++fractionDigits;
                if (peek() != '0') fractionKept = fractionDigits;
                ++p_;
            }
        }
        if (!hasInteger && fractionDigits == 0) return std::nullopt;
        if (integerDigits > kMaxIntegerDigits || fractionKept > kMaxFractionDigits || p_ - start > kMaxNumberChars) {
            tooLarge = true;
            return std::nullopt;
        }
        return Decimal::parse(std::string_view(start, std::size_t(p_ - start)));
    }

    QByteArray name() {
        const char* start = p_;
        if (!isLetter(peek())) return {};
        while (isLetter(peek()) || isDigit(peek()) || peek() == '_')
            ++p_;
        if (p_ - start > kMaxNameChars) return {};
        return QByteArray(start, qsizetype(p_ - start));
    }

private:
    const char* p_;
    const char* end_;
};

class Reader {
public:
    std::optional<Model> read(const QByteArray& text, QString* error);

private:
    enum class Section { Start, Model, Data, AfterData, Done };

    bool failNumber(bool tooLarge, const char* reason) {
        numberTooLarge_ = tooLarge;
        return fail(tooLarge ? "number with too many digits" : reason);
    }
    bool fail(const char* reason) {
        error_ = QStringLiteral("line %1: %2").arg(line_).arg(QLatin1String(reason));
        return false;
    }
    bool readLine(Cursor c);
    bool readStatement(Cursor& c);
    bool readObjective(Cursor& c);
    bool readPointer(Cursor& c);
    bool readExpression(Cursor& c, std::vector<Term>& terms);
    bool readTerm(Cursor& c, bool negative, std::vector<Term>& terms);
    bool readRhs(Cursor& c, Decimal& value);
    bool finish();
    void use(int j) {
        used_[std::size_t(j)] = true;
        lastUsed_ = std::max(lastUsed_, j);
    }

    Model model_;
    Section section_ = Section::Start;
    bool haveObjective_ = false;
    std::vector<bool> used_ = std::vector<bool>(kMaxVariableId + 1, false);
    std::vector<int> pointers_ = std::vector<int>(kMaxPointer + 1, -1); // target per pointer number, -1 unset
    // The highest ones set, so finishing a model does not walk the whole tables.
    int lastUsed_ = 0;
    int lastPointer_ = 0;
    int line_ = 0;
    QString error_;
    bool numberTooLarge_ = false;

public:
    bool numberTooLarge() const { return numberTooLarge_; }
};

std::optional<Model> Reader::read(const QByteArray& text, QString* error) {
    bool ok = text.size() <= kMaxModelBytes;
    if (!ok) error_ = QStringLiteral("text longer than %1 bytes").arg(kMaxModelBytes);
    const char* p = text.constData();
    const char* end = p + text.size();
    if (ok && text.startsWith("\xEF\xBB\xBF")) p += 3;
    while (ok && p < end) {
        const char* nl = std::find(p, end, '\n');
        const char* lineEnd = (nl > p && nl[-1] == '\r') ? nl - 1 : nl;
        ++line_;
        ok = readLine(Cursor(p, lineEnd));
        p = nl == end ? end : nl + 1;
    }
    if (ok) ok = finish();
    if (!ok) {
        if (error) *error = error_;
        return std::nullopt;
    }
    return std::move(model_);
}

bool Reader::readLine(Cursor c) {
    if (c.atEnd()) return true; // blank lines carry nothing, e.g. the line end the file writer adds after "end"
    switch (section_) {
    case Section::Start:
        if (!c.eat("model:") || !c.atEnd()) return fail("expected \"model:\"");
        section_ = Section::Model;
        return true;
    case Section::Model:
        if (c.eat("data:")) {
            if (!c.atEnd()) return fail("unexpected text after \"data:\"");
            if (!haveObjective_) return fail("model has no objective row");
            section_ = Section::Data;
            return true;
        }
        return readStatement(c);
    case Section::Data:
        if (c.eat("enddata")) {
            if (!c.atEnd()) return fail("unexpected text after \"enddata\"");
            section_ = Section::AfterData;
            return true;
        }
        return readPointer(c);
    case Section::AfterData:
        if (!c.eat("end") || !c.atEnd()) return fail("expected \"end\"");
        section_ = Section::Done;
        return true;
    case Section::Done:
        return fail("text after \"end\"");
    }
    return false;
}

bool Reader::readStatement(Cursor& c) {
    if (c.peek() == '[') return readObjective(c);
    if (c.eat("@gin(")) {
        const auto j = c.variable();
        if (!j) return fail("expected a variable in @gin");
        if (!c.eat(");") || !c.atEnd()) return fail("expected \");\" after @gin(");
        use(*j);
        return true;
    }
    Row row;
    row.line = line_;
    if (c.eat("@bin(")) {
        const auto y = c.variable();
        if (!y || *y <= kMaxVariable) return fail("expected a Y variable in @bin");
        if (!c.eat(");") || !c.atEnd()) return fail("expected \");\" after @bin(");
        use(*y);
        // Whole and at least 0 like every variable; the row adds the upper bound.
        row.terms.push_back({*y, Decimal::fromInteger(1)});
        row.rhs = Decimal::fromInteger(1);
        model_.rows.push_back(std::move(row));
        return true;
    }
    if (c.eat("@abs(")) {
        if (!readExpression(c, row.terms)) return false;
        if (!c.eat(")<")) return fail("expected \")<\" in @abs row");
        if (!readRhs(c, row.rhs)) return false;
        if (!c.eat(';') || !c.atEnd()) return fail("expected \";\" at the end of the row");
        // |e| <= c is e <= c together with -e <= c.
        Row mirror = row;
        for (auto& term : mirror.terms)
            term.coefficient = term.coefficient.negated();
        model_.rows.push_back(std::move(row));
        model_.rows.push_back(std::move(mirror));
        return true;
    }
    if (c.peek() == '@') return fail("unknown function");
    if (!readExpression(c, row.terms)) return false;
    if (c.eat('<'))
        row.relation = Relation::LessEqual;
    else if (c.eat('>'))
        row.relation = Relation::GreaterEqual;
    else if (c.eat('='))
        row.relation = Relation::Equal;
    else
        return fail("expected \"<\", \">\" or \"=\"");
    if (!readRhs(c, row.rhs)) return false;
    if (!c.eat(';') || !c.atEnd()) return fail("expected \";\" at the end of the row");
    model_.rows.push_back(std::move(row));
    return true;
}

bool Reader::readObjective(Cursor& c) {
    if (haveObjective_) return fail("second objective row");
    c.eat('[');
    model_.objectiveName = c.name();
    if (model_.objectiveName.isEmpty()) return fail("expected a row name");
    if (!c.eat("] min=")) return fail("expected \"] min=\"");
    if (!readExpression(c, model_.objective)) return false;
    if (!c.eat(';') || !c.atEnd()) return fail("expected \";\" at the end of the objective");
    haveObjective_ = true;
    return true;
}

bool Reader::readPointer(Cursor& c) {
    if (!c.eat("@pointer(")) return fail("expected \"@pointer(\" or \"enddata\"");
    const auto index = c.integer(4);
    if (!index || *index < 1 || *index > std::uint32_t(kMaxPointer)) return fail("pointer number out of range");
    if (!c.eat(")=")) return fail("expected \")=\"");
    int target = 0;
    if ((c.peek() == 'X' || c.peek() == 'Y') && isDigit(c.peek(1))) {
        const auto j = c.variable();
        if (!j) return fail("bad variable");
        target = *j;
        use(target);
    } else if (c.name() != model_.objectiveName) {
        return fail("pointer to an unknown row");
    }
    if (!c.eat(';') || !c.atEnd()) return fail("expected \";\" at the end of the pointer");
    int& slot = pointers_[*index];
    if (slot != -1) return fail("pointer number given twice");
    slot = target;
    lastPointer_ = std::max(lastPointer_, int(*index));
    return true;
}

bool Reader::readExpression(Cursor& c, std::vector<Term>& terms) {
    bool negative = false;
    for (;;) {
        bool termNegative = negative;
        if (c.eat('-'))
            termNegative = !termNegative;
        else
            c.eat('+');
        if (!readTerm(c, termNegative, terms)) return false;
        if (c.eat('+'))
            negative = false;
        else if (c.eat('-'))
            negative = true;
        else
            return true;
    }
}

bool Reader::readTerm(Cursor& c, bool negative, std::vector<Term>& terms) {
    Term term;
    if (c.peek() == 'X' || c.peek() == 'Y') {
        term.coefficient = Decimal::fromInteger(1);
    } else if (isDigit(c.peek()) || c.peek() == '.') {
        bool tooLarge = false;
        auto coefficient = c.number(tooLarge);
        if (!coefficient) return failNumber(tooLarge, "malformed number");
        term.coefficient = *coefficient;
        if (!c.eat('*')) return fail("expected \"*\" after a coefficient");
    } else {
        return fail("expected a term");
    }
    const auto j = c.variable();
    if (!j) return fail("expected a variable");
    term.variable = *j;
    if (negative) term.coefficient = term.coefficient.negated();
    use(*j);
    terms.push_back(std::move(term));
    return true;
}

bool Reader::readRhs(Cursor& c, Decimal& value) {
    const bool negative = c.eat('-');
    if (!negative) c.eat('+');
    bool tooLarge = false;
    auto number = c.number(tooLarge);
    if (!number) return failNumber(tooLarge, "expected a number on the right-hand side");
    value = negative ? number->negated() : *number;
    if (c.eat('*')) {
        const auto factor = c.integer(kMaxFactorDigits);
        if (!factor) return failNumber(isDigit(c.peek()), "expected a whole number after \"*\"");
        value = value.multipliedBy(*factor);
    }
    return true;
}

bool Reader::finish() {
    if (section_ != Section::Done) {
        line_ = qMax(line_, 1);
        return fail(section_ == Section::Start ? "no model" : "missing \"end\"");
    }
    const int count = lastPointer_;
    for (int i = 1; i <= count; ++i) {
        if (pointers_[std::size_t(i)] == -1) return fail("pointer numbers are not consecutive");
        model_.exports.push_back(pointers_[std::size_t(i)]);
    }
    for (int j = 1; j <= lastUsed_; ++j) {
        if (used_[std::size_t(j)]) model_.variables.push_back(j);
    }
    return true;
}

} // namespace

std::optional<Model> parseModel(const QByteArray& text, QString* error, bool* numberTooLarge) {
    if (numberTooLarge) *numberTooLarge = false;
    try {
        Reader reader;
        auto model = reader.read(text, error);
        if (numberTooLarge) *numberTooLarge = !model && reader.numberTooLarge();
        return model;
    } catch (...) {
        if (error) *error = QStringLiteral("out of memory");
        return std::nullopt;
    }
}

} // namespace vestrel::solver
