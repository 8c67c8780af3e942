#include "solver/SolverCalls.h"

#include "solver/ModelSolver.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <mutex>
#include <optional>
#include <unordered_set>
#include <vector>

namespace vestrel::solver {

struct SolverEnvironment {
    std::vector<double*> locations;
    std::optional<Model> model;
};

namespace {

constexpr std::size_t kMaxScriptBytes = 64 * 1024;
constexpr std::size_t kMaxLocations = 100000;

// Handles are checked against the live ones, so a stale or foreign handle gives an error code instead of
// touching freed memory.
std::mutex registryMutex;
std::unordered_set<SolverEnvironment*> registry;

SolverEnvironment* live(LSenv env) {
    std::lock_guard lock(registryMutex);
    return registry.count(env) ? env : nullptr;
}

int take(SolverEnvironment& env, const QByteArray& path) {
    env.model.reset();
    QFile file(QString::fromUtf8(path));
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return SolverFileUnreadable;
    const QByteArray text = file.read(kMaxModelBytes + 1);
    if (file.error() != QFileDevice::NoError) return SolverFileUnreadable;
    bool numberTooLarge = false;
    env.model = parseModel(text, nullptr, &numberTooLarge);
    return env.model ? SolverOk : numberTooLarge ? SolverNumbersTooLarge : SolverModelRejected;
}

int go(SolverEnvironment& env) {
    if (!env.model) return SolverNoModel;
    const SolveResult result = solveModelChecked(*env.model, defaultEngine());
    switch (result.status) {
    case SolveStatus::Solved:
        break;
    case SolveStatus::NoSolution:
        return SolverNoSolution;
    case SolveStatus::OutOfBudget:
        return SolverOutOfBudget;
    case SolveStatus::NumbersTooLarge:
        return SolverNumbersTooLarge;
    case SolveStatus::Failed:
        return SolverInternalError;
    }
    const std::vector<double>* exported = &result.solution->exported;
    if (exported->size() > env.locations.size()) return SolverNoLocation;
    for (std::size_t i = 0; i < exported->size(); ++i)
        *env.locations[i] = (*exported)[i];
    return SolverOk;
}

int run(SolverEnvironment& env, const QByteArray& script) {
    for (QByteArray line : script.split('\n')) {
        line = line.trimmed(); // also drops the CR of CR LF
        if (line.isEmpty()) continue;
        const qsizetype space = line.indexOf(' ');
        const QByteArray command = line.left(space < 0 ? line.size() : space).toUpper();
        const QByteArray rest = space < 0 ? QByteArray() : line.mid(space + 1).trimmed();
        int status = SolverOk;
        if (command == "SET") {
            // Echoing the input only matters for a console; the setting is accepted and ignored.
            const QList<QByteArray> words = rest.simplified().split(' ');
            bool numeric = false;
            if (words.size() == 2) words[1].toInt(&numeric);
            if (!numeric || words[0].toUpper() != "ECHOIN") status = SolverBadScript;
        } else if (command == "TAKE") {
            status = take(env, rest);
        } else if (command == "GO" && rest.isEmpty()) {
            status = go(env);
        } else if (command == "QUIT" && rest.isEmpty()) {
            return SolverOk;
        } else {
            status = SolverBadScript;
        }
        if (status != SolverOk) return status;
    }
    return SolverOk;
}

} // namespace

LSenv LScreateEnvLng() {
    try {
        auto* env = new SolverEnvironment;
        std::lock_guard lock(registryMutex);
        registry.insert(env);
        return env;
    } catch (...) {
        return nullptr;
    }
}

int LSsetPointerLng(LSenv env, double* value, int* counter) {
    SolverEnvironment* e = live(env);
    if (!e) return SolverBadHandle;
    if (!value || e->locations.size() >= kMaxLocations) return SolverBadArgument;
    try {
        e->locations.push_back(value);
    } catch (...) {
        return SolverInternalError;
    }
    if (counter) *counter = int(e->locations.size());
    return SolverOk;
}

int LSexecuteScriptLng(LSenv env, const char* script) {
    SolverEnvironment* e = live(env);
    if (!e) return SolverBadHandle;
    if (!script) return SolverBadArgument;
    std::size_t length = 0;
    while (length <= kMaxScriptBytes && script[length] != '\0')
        ++length;
    if (length > kMaxScriptBytes) return SolverBadScript;
    try {
        return run(*e, QByteArray(script, qsizetype(length)));
    } catch (...) {
        return SolverInternalError;
    }
}

int LScloseLogFileLng(LSenv env) {
    return live(env) ? SolverOk : SolverBadHandle;
}

int LSdeleteEnvLng(LSenv env) {
    {
        std::lock_guard lock(registryMutex);
        if (!registry.erase(env)) return SolverBadHandle;
    }
    delete env;
    return SolverOk;
}

} // namespace vestrel::solver
