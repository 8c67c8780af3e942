#pragma once

#include "solver/Decimal.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace vestrel::solver {

enum class Relation { LessEqual, GreaterEqual, Equal };

struct Term {
    int variable = 0; // j of Xj
    Decimal coefficient;
};

struct Row {
    std::vector<Term> terms;
    Relation relation = Relation::LessEqual;
    Decimal rhs; // already multiplied out: 60*10 gives 600
    int line = 0;
};

// A model as the blending run writes it: minimise the named objective over whole numbers Xj >= 0.
struct Model {
    QByteArray objectiveName;
    std::vector<Term> objective;
    std::vector<Row> rows;      // an @abs line becomes two rows
    std::vector<int> variables; // every variable that occurs, ascending: j for Xj, kMaxVariable + j for Yj
    // Element i - 1 describes @pointer(i): the exported variable j, or 0 for the objective row.
    std::vector<int> exports;
};

// Limits beyond which a text is refused instead of read.
constexpr qsizetype kMaxModelBytes = 1024 * 1024;
constexpr int kMaxVariable = 1000;
constexpr int kMaxPointer = kMaxVariable + 1;
// Yj, a 0/1 variable declared by "@bin(Yj);", is numbered kMaxVariable + j: its bounds become the row Yj<1.
constexpr int kMaxVariableId = 2 * kMaxVariable;

// Reads a model text; anything outside the language the program writes gives no model and, when asked,
// a one-line reason ("line 3: ..."). numberTooLarge, when given, tells whether the text was refused for a
// number with more digits than the reader carries.
std::optional<Model> parseModel(const QByteArray& text, QString* error = nullptr, bool* numberTooLarge = nullptr);

} // namespace vestrel::solver
