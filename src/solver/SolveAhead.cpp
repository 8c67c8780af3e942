#include "solver/SolveAhead.h"

#include "solver/MilpEngine.h"
#include "solver/ModelSolver.h"

#include <algorithm>
#include <atomic>

namespace vestrel::solver {

namespace {

// More workers than this would only wait on one another's models at the end of a run.
constexpr int kMaxWorkers = 7;

std::atomic<int> workerSetting{-1};
std::atomic<SolveAhead*> current{nullptr};

} // namespace

int SolveAhead::workerCount() {
    const int set = workerSetting.load();
    if (set >= 0) return std::min(set, kMaxWorkers);
    if (!defaultEngineIsBuiltIn()) return 0;
    const int cores = int(std::thread::hardware_concurrency());
    return std::clamp(cores - 1, 0, kMaxWorkers);
}

void SolveAhead::setWorkerCount(int count) {
    workerSetting.store(count < 0 ? -1 : count);
}

SolveAhead* SolveAhead::active() {
    return current.load();
}

SolveAhead::SolveAhead(std::vector<QByteArray> texts, int workers) {
    slots_.reserve(texts.size());
    for (QByteArray& text : texts) {
        index_.insert(text, slots_.size()); // a repeated text is answered by its last slot
        slots_.push_back({std::move(text), State::Waiting, SolveResult{}});
    }
    // A replaced engine is never called from here: its caller expects every call on its own thread.
    if (!defaultEngineIsBuiltIn()) return;
    current.store(this);
    try {
        for (int w = 0; w < std::clamp(workers, 0, kMaxWorkers); ++w)
            workers_.emplace_back([this] { work(); });
    } catch (...) {
        // No thread to be had: the texts are solved on the caller's thread as they are asked for.
    }
}

SolveAhead::~SolveAhead() {
    SolveAhead* self = this;
    current.compare_exchange_strong(self, nullptr);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    for (std::thread& worker : workers_)
        worker.join();
}

void SolveAhead::solve(std::size_t i, std::unique_lock<std::mutex>& lock) {
    Slot& slot = slots_[i];
    slot.state = State::Solving;
    const QByteArray text = slot.text;
    lock.unlock();
    SolveResult result;
    try {
        bool numbers = false;
        const auto model = parseModel(text, nullptr, &numbers);
        result = model ? solveModelChecked(*model, defaultEngine())
                       : SolveResult{numbers ? SolveStatus::NumbersTooLarge : SolveStatus::Failed, std::nullopt};
    } catch (...) {
        // Out of memory on a worker must not end the program; the text then counts as failed, as a failed
        // solve on the caller's thread would.
    }
    lock.lock();
    slot.result = std::move(result);
    slot.state = State::Done;
    solved_.notify_all();
}

std::optional<std::size_t> SolveAhead::firstWaiting() {
    while (next_ < slots_.size() && slots_[next_].state != State::Waiting)
        ++next_;
    if (next_ == slots_.size()) return std::nullopt;
    return next_;
}

void SolveAhead::work() {
    {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            const auto i = firstWaiting();
            if (!i) break;
            solve(*i, lock);
        }
    }
    GlpkEngine::releaseThread();
}

std::optional<SolveResult> SolveAhead::result(const QByteArray& text) {
    std::unique_lock lock(mutex_);
    const auto found = index_.constFind(text);
    if (found == index_.constEnd()) return std::nullopt;
    const std::size_t i = found.value();
    if (slots_[i].state == State::Waiting) solve(i, lock);
    // While a worker finishes this one, the caller takes the next waiting text instead of idling.
    while (slots_[i].state != State::Done) {
        if (const auto j = firstWaiting())
            solve(*j, lock);
        else
            solved_.wait(lock, [this, i] { return slots_[i].state == State::Done; });
    }
    return slots_[i].result;
}

} // namespace vestrel::solver
