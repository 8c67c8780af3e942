#pragma once

#include "solver/ModelSolver.h"

#include <QByteArray>
#include <QHash>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vestrel::solver {

// Solves a known sequence of model texts on worker threads while the caller goes through them in order, so a
// run of many models uses every core. While one exists, a GO whose model text is one of its texts takes the
// values solved here instead of solving again. The same text always gives the same values, so only the time
// changes. Only the built-in engine is used this way: with a replaced engine every GO calls it directly.
class SolveAhead {
public:
    // Workers to use: one less than the cores (the caller solves too), or the count set for tests; 0 when
    // solving ahead would gain nothing.
    static int workerCount();
    // -1 restores the automatic count; 0 turns solving ahead off.
    static void setWorkerCount(int count);
    // The one that answers GO, if any.
    static SolveAhead* active();

    explicit SolveAhead(std::vector<QByteArray> texts, int workers = workerCount());
    // Stops handing out texts and waits for the solves under way.
    ~SolveAhead();
    SolveAhead(const SolveAhead&) = delete;
    SolveAhead& operator=(const SolveAhead&) = delete;

    // What solving the text's model gives: solved on this thread when no worker has started it yet, waited for
    // when one has. Nothing when the text is not one of the texts.
    std::optional<SolveResult> result(const QByteArray& text);

private:
    enum class State { Waiting, Solving, Done };
    struct Slot {
        QByteArray text;
        State state = State::Waiting;
        SolveResult result;
    };

    std::optional<std::size_t> firstWaiting(); // under the lock
    void work();
    void solve(std::size_t i, std::unique_lock<std::mutex>& lock);

    std::vector<Slot> slots_;
    QHash<QByteArray, std::size_t> index_;
    std::mutex mutex_;
    std::condition_variable solved_;
    std::size_t next_ = 0; // the first slot a worker may still find waiting
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace vestrel::solver
