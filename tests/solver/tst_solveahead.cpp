#include "solver/MilpEngine.h"
#include "solver/ModelSolver.h"
#include "solver/SolveAhead.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace vestrel::solver;

namespace {

// Two lots, parts adding up to k, the first lot's share limited; infeasible when the limit is below 1.
QByteArray model(int k, const char* limit = "0.6") {
    return QByteArray("model:\r\n[rObj] min=1500.00*X1+1800.00*X2;\r\n") + "X1<" + limit + "*" + QByteArray::number(k) +
           ";\r\nX1+X2=" + QByteArray::number(k) +
           ";\r\n@gin(X1);\r\n@gin(X2);\r\ndata:\r\n@pointer(1)=X1;\r\n@pointer(2)=X2;\r\n@pointer(3)=rObj;\r\n"
           "enddata\r\nend\r\n";
}

class NeverCalled : public MilpEngine {
public:
    MilpResult solve(const MilpProblem&) override { return {MilpStatus::Infeasible, {}}; }
};

} // namespace

class SolveAheadTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SolveAhead::setWorkerCount(-1); }

    void answersLikeSolvingDirectly_data() {
        QTest::addColumn<int>("workers");
        QTest::newRow("on the caller's thread only") << 0;
        QTest::newRow("one worker") << 1;
        QTest::newRow("three workers") << 3;
    }
    void answersLikeSolvingDirectly() {
        QFETCH(int, workers);
        std::vector<QByteArray> texts;
        for (int k = 2; k <= 60; ++k)
            texts.push_back(model(k));
        texts.push_back(model(5, "0.1")); // no solution
        texts.push_back("model:\r\nnonsense\r\nend");
        SolveAhead ahead(texts, workers);
        QCOMPARE(SolveAhead::active(), &ahead);
        // Asked out of order as well, and twice.
        for (const QByteArray& text : {texts[40], texts[0], texts[40]}) {
            const auto known = ahead.result(text);
            QVERIFY(known.has_value());
            QCOMPARE(known->solution ? std::optional(known->solution->exported) : std::nullopt, solveModelText(text));
        }
        for (const QByteArray& text : texts) {
            const auto known = ahead.result(text);
            QVERIFY(known.has_value());
            QCOMPARE(known->solution ? std::optional(known->solution->exported) : std::nullopt, solveModelText(text));
        }
        QVERIFY(!ahead.result(model(61)).has_value());
    }

    void registersWhileItLives() {
        QCOMPARE(SolveAhead::active(), nullptr);
        {
            SolveAhead first({model(2)}, 1);
            {
                SolveAhead second({model(3)}, 1);
                QCOMPARE(SolveAhead::active(), &second);
            }
            // The inner one only unregisters itself.
            QCOMPARE(SolveAhead::active(), nullptr);
        }
        QCOMPARE(SolveAhead::active(), nullptr);
    }

    void stopsWithoutSolvingTheRest() {
        std::vector<QByteArray> texts;
        for (int k = 2; k <= 100000; ++k)
            texts.push_back(model(k));
        QElapsedTimer timer;
        timer.start();
        {
            SolveAhead ahead(std::move(texts), 2);
            QVERIFY(ahead.result(model(2)).has_value());
        }
        // Solving all of them takes seconds.
        QVERIFY2(timer.elapsed() < 1000, "the destructor waited for every text");
    }

    // Every worker thread gets its own GLPK environment, which GLPK frees only when asked.
    void workersLeaveNoMemoryBehind() {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly)) QSKIP("no /proc on this system");
        status.close();
        const auto residentKb = [&status] {
            status.open(QIODevice::ReadOnly);
            const QList<QByteArray> lines = status.readAll().split('\n');
            status.close();
            for (const QByteArray& line : lines)
                if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
            return 0L;
        };
        const std::vector<QByteArray> texts{model(2), model(3), model(4)};
        const auto runs = [&texts](int count) {
            for (int i = 0; i < count; ++i) {
                SolveAhead ahead(texts, 2);
                for (const QByteArray& text : texts)
                    ahead.result(text);
            }
        };
        runs(50); // the allocator's arenas for the threads settle first
        const long before = residentKb();
        runs(500);
        QVERIFY2(residentKb() - before < 512, qPrintable(QString::number(residentKb() - before) + " kB more"));
    }

    void replacedEngineIsNeverBypassed() {
        NeverCalled engine;
        setDefaultEngine(&engine);
        QCOMPARE(SolveAhead::workerCount(), 0);
        {
            SolveAhead ahead({model(2)}, 2);
            QCOMPARE(SolveAhead::active(), nullptr);
        }
        setDefaultEngine(nullptr);
        SolveAhead::setWorkerCount(0);
        QCOMPARE(SolveAhead::workerCount(), 0);
        SolveAhead::setWorkerCount(2);
        QCOMPARE(SolveAhead::workerCount(), 2);
    }
};

QTEST_GUILESS_MAIN(SolveAheadTest)
#include "tst_solveahead.moc"
