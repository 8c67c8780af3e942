#include "solver/SolverCalls.h"
#include "solver/WorkedExampleModel.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vestrel::solver;

namespace {

// As the run writes it, with the line end after "end".
const QByteArray kModel = vestrel::test::kWorkedExample + "\r\n";

constexpr double kUntouched = -7.5;

QByteArray script(const QString& modelPath) {
    return "SET ECHOIN 1\ntake " + modelPath.toUtf8() + "\nGO\nQUIT\n";
}

// One complete solve the way the blending run makes it: n + 1 locations, script, close, delete.
int solveWithCalls(const QByteArray& scriptText, std::vector<double>& values, int* counter = nullptr) {
    LSenv env = LScreateEnvLng();
    int count = 0;
    for (double& v : values)
        LSsetPointerLng(env, &v, &count);
    const int status = LSexecuteScriptLng(env, scriptText.constData());
    LScloseLogFileLng(env);
    LSdeleteEnvLng(env);
    if (counter) *counter = count;
    return status;
}

} // namespace

class SolverCallsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString writeModel(const QString& name, const QByteArray& text) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void numbersLocationsInCallOrder() {
        // Registered out of memory order: location 1 is values[2], location 2 values[0], location 3 values[1].
        double values[3] = {kUntouched, kUntouched, kUntouched};
        LSenv env = LScreateEnvLng();
        QVERIFY(env);
        int counter = 0;
        for (int i : {2, 0, 1}) {
            QCOMPARE(LSsetPointerLng(env, &values[i], &counter), int(SolverOk));
        }
        QCOMPARE(counter, 3);
        const QByteArray text = script(writeModel("qzmd.dll", kModel));
        QCOMPARE(LSexecuteScriptLng(env, text.constData()), int(SolverOk));
        QCOMPARE(LScloseLogFileLng(env), int(SolverOk));
        QCOMPARE(LSdeleteEnvLng(env), int(SolverOk));
        QCOMPARE(values[2], 5.0);
        QCOMPARE(values[0], 5.0);
        QCOMPARE(values[1], 16500.0);
    }

    void readsAPathWithChineseCharactersAndCrLfScript() {
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("配煤 文件夹")));
        const QString path = writeModel(QStringLiteral("配煤 文件夹/qzmd.dll"), kModel);
        std::vector<double> values(3, kUntouched);
        QCOMPARE(solveWithCalls(script(path).replace("\n", "\r\n"), values), int(SolverOk));
        QCOMPARE(values, (std::vector<double>{5, 5, 16500}));
    }

    void leavesLocationsUntouchedOnFailure_data() {
        QTest::addColumn<QByteArray>("scriptText");
        QTest::addColumn<int>("locations");
        QTest::addColumn<int>("status");
        const QString good = writeModel("good.dll", kModel);
        const QString infeasible = writeModel("infeasible.dll", QByteArray(kModel).replace("<25;", "<14;"));
        const QString rejected = writeModel("rejected.dll", QByteArray(kModel).replace("1800.00*X2", "*X2"));
        const QString huge =
            writeModel("huge.dll", QByteArray(kModel).replace("1800.00*X2", "1800000000000000000.00*X2"));
        QTest::newRow("missing model file") << script(dir_.filePath("missing.dll")) << 3 << int(SolverFileUnreadable);
        QTest::newRow("model text rejected") << script(rejected) << 3 << int(SolverModelRejected);
        QTest::newRow("infeasible") << script(infeasible) << 3 << int(SolverNoSolution);
        QTest::newRow("number beyond exact arithmetic") << script(huge) << 3 << int(SolverNumbersTooLarge);
        QTest::newRow("too few locations") << script(good) << 2 << int(SolverNoLocation);
        QTest::newRow("GO before take") << QByteArray("SET ECHOIN 1\nGO\n") << 3 << int(SolverNoModel);
        QTest::newRow("unknown command") << "SET ECHOIN 1\nSOLVE\ntake " + good.toUtf8() + "\nGO\n"
                                         << 3 << int(SolverBadScript);
        QTest::newRow("unknown setting") << "SET TERSEO 1\ntake " + good.toUtf8() + "\nGO\n"
                                         << 3 << int(SolverBadScript);
        QTest::newRow("take without a path") << QByteArray("take \nGO\n") << 3 << int(SolverFileUnreadable);
        QTest::newRow("a rejected take drops the earlier model")
            << "take " + good.toUtf8() + "\ntake " + rejected.toUtf8() + "\nGO\n"
            << 3 << int(SolverModelRejected);
        QTest::newRow("nothing after QUIT runs") << "QUIT\ntake " + good.toUtf8() + "\nGO\n" << 3 << int(SolverOk);
        QTest::newRow("script over 64 KiB") << QByteArray(70000, '\n') + script(good) << 3 << int(SolverBadScript);
    }
    void leavesLocationsUntouchedOnFailure() {
        QFETCH(QByteArray, scriptText);
        QFETCH(int, locations);
        QFETCH(int, status);
        std::vector<double> values(std::size_t(locations), kUntouched);
        int counter = 0;
        QCOMPARE(solveWithCalls(scriptText, values, &counter), status);
        QCOMPARE(counter, locations);
        QCOMPARE(values, std::vector<double>(std::size_t(locations), kUntouched));
    }

    void refusesBadHandlesAndArguments() {
        double value = kUntouched;
        int counter = 0;
        QCOMPARE(LSsetPointerLng(nullptr, &value, &counter), int(SolverBadHandle));
        QCOMPARE(LSexecuteScriptLng(nullptr, "GO\n"), int(SolverBadHandle));
        LSenv env = LScreateEnvLng();
        QCOMPARE(LSsetPointerLng(env, nullptr, &counter), int(SolverBadArgument));
        QCOMPARE(LSsetPointerLng(env, &value, nullptr), int(SolverOk));
        QCOMPARE(LSexecuteScriptLng(env, nullptr), int(SolverBadArgument));
        QCOMPARE(LSdeleteEnvLng(env), int(SolverOk));
        // A deleted environment is recognised, not used.
        QCOMPARE(LSsetPointerLng(env, &value, &counter), int(SolverBadHandle));
        QCOMPARE(LScloseLogFileLng(env), int(SolverBadHandle));
        QCOMPARE(LSdeleteEnvLng(env), int(SolverBadHandle));
        QCOMPARE(counter, 0);
        QCOMPARE(value, kUntouched);
    }
};

QTEST_GUILESS_MAIN(SolverCallsTest)
#include "tst_solvercalls.moc"
