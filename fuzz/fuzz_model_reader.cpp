#include "solver/ModelReader.h"
#include "solver/ModelSolver.h"

#include <cstddef>
#include <cstdint>

using namespace vestrel::solver;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto model = parseModel(text);
    // Larger models would spend the fuzzing time inside GLPK's branch and bound rather than in our code.
    if (model && model->variables.size() <= 12 && model->rows.size() <= 40) {
        static GlpkEngine engine(200);
        solveModel(*model, engine);
    }
    return 0;
}
