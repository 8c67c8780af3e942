// vestrel-solve FILE: solves a model file, or runs a command script when the file starts with "SET " or
// "take ", and prints the exported values one per line, or "no solution".

#include "solver/ModelSolver.h"
#include "solver/SolverCalls.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

using namespace vestrel::solver;

namespace {

// Enough locations for the largest model the reader accepts.
constexpr int kLocations = kMaxPointer;

std::optional<std::vector<double>> runScript(const QByteArray& script) {
    // NaN marks a location the script did not write; a solve only ever writes finite values.
    std::vector<double> values(kLocations, std::numeric_limits<double>::quiet_NaN());
    LSenv env = LScreateEnvLng();
    if (!env) return std::nullopt;
    int counter = 0;
    for (double& value : values)
        LSsetPointerLng(env, &value, &counter);
    const int status = LSexecuteScriptLng(env, script.constData());
    LScloseLogFileLng(env);
    LSdeleteEnvLng(env);
    if (status != SolverOk) {
        std::fprintf(stderr, "vestrel-solve: script failed with code %d\n", status);
        return std::nullopt;
    }
    std::size_t written = 0;
    while (written < values.size() && !std::isnan(values[written]))
        ++written;
    if (written == 0) return std::nullopt;
    values.resize(written);
    return values;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vestrel-solve FILE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vestrel-solve: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray text = file.read(kMaxModelBytes + 1);

    std::optional<std::vector<double>> values;
    if (text.startsWith("SET ") || text.startsWith("take ")) {
        values = runScript(text);
    } else {
        QString error;
        values = solveModelText(text, &error);
        if (!values) std::fprintf(stderr, "vestrel-solve: %s\n", qPrintable(error));
    }
    if (!values) {
        std::printf("no solution\n");
        return 1;
    }
    for (double v : *values)
        std::printf("%s\n", qPrintable(QString::number(v, 'g', 15)));
    return 0;
}
