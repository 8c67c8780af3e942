#include "solver/ModelReader.h"
#include "solver/ModelSolver.h"
#include "solver/WorkedExampleModel.h"

#include <QDir>
#include <QtTest>

using namespace vestrel::solver;
using vestrel::test::kWorkedExample;

namespace {

QByteArray replaced(QByteArray text, const QByteArray& from, const QByteArray& to) {
    const qsizetype at = text.indexOf(from);
    Q_ASSERT(at >= 0);
    return text.replace(at, from.size(), to);
}

} // namespace

class ModelReaderTest : public QObject {
    Q_OBJECT

private slots:
    void readsTheWorkedExample() {
        QString error;
        const auto model = parseModel(kWorkedExample + "\r\n", &error);
        QVERIFY2(model, qPrintable(error));
        QCOMPARE(model->objectiveName, QByteArray("rObj"));
        QCOMPARE(model->variables, (std::vector<int>{1, 2}));
        QCOMPARE(model->exports, (std::vector<int>{1, 2, 0}));
        QCOMPARE(model->objective.size(), std::size_t(2));
        QCOMPARE(model->objective[1].coefficient.toString(), std::string("1800"));
        QCOMPARE(model->rows.size(), std::size_t(5));
        QCOMPARE(model->rows[1].relation, Relation::GreaterEqual);
        QCOMPARE(model->rows[2].relation, Relation::Equal);
        // The stock line's right side is stock times k.
        QCOMPARE(model->rows[3].rhs.toString(), std::string("600"));
        QCOMPARE(model->rows[3].terms[0].coefficient.toString(), std::string("50"));
    }

    void accepts_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("LF line ends") << QByteArray(kWorkedExample).replace("\r\n", "\n");
        QTest::newRow("blank lines after end") << kWorkedExample + "\r\n\r\n\n";
        QTest::newRow("negative price") << replaced(kWorkedExample, "+1800.00*X2", "+-1800.00*X2");
        QTest::newRow("tonnes with decimals") << replaced(kWorkedExample, "50*X1<60*10", "12.5*X1<60.25*10");
        QTest::newRow("zero written as 0.00") << replaced(kWorkedExample, "3.20*X1", "0.00*X1");
        QTest::newRow("ten lots") << replaced(kWorkedExample, "@gin(X2);", "@gin(X2);\r\n@gin(X10);");
        QTest::newRow("0/1 variables") << replaced(kWorkedExample, "@gin(X1);",
                                                   "X1-10*Y1<0;\r\nY1+Y2<1;\r\n@gin(X1);\r\n@bin(Y1);\r\n@bin(Y1000);");
        QTest::newRow("pointer to a 0/1 variable")
            << replaced(replaced(kWorkedExample, "@gin(X1);", "@bin(Y1);\r\n@gin(X1);"), "@pointer(3)=rObj;",
                        "@pointer(3)=rObj;\r\n@pointer(4)=Y1;");
    }

    // "@bin(Yj);" is a whole number from 0 to 1: bound by its row even where the objective pulls it up, and
    // readable through a pointer.
    void binaryVariables() {
        const QByteArray text =
            "model:\r\n[rObj] min=5*X1-3*Y1-2*Y2;\r\nX1=2;\r\nX1-2*Y2<0;\r\n@bin(Y1);\r\n@bin(Y2);"
            "\r\ndata:\r\n@pointer(1)=X1;\r\n@pointer(2)=Y1;\r\n@pointer(3)=Y2;\r\n@pointer(4)=rObj;"
            "\r\nenddata\r\nend";
        const auto model = parseModel(text);
        QVERIFY(model);
        QCOMPARE(model->variables, (std::vector<int>{1, kMaxVariable + 1, kMaxVariable + 2}));
        GlpkEngine engine;
        const auto values = solveModelText(text, engine);
        QVERIFY(values);
        QCOMPARE(*values, (std::vector<double>{2, 1, 1, 5}));
    }
    void accepts() {
        QFETCH(QByteArray, text);
        QString error;
        QVERIFY2(parseModel(text, &error), qPrintable(error));
    }

    void rejects_data() {
        QTest::addColumn<QByteArray>("text");
        const QByteArray x = kWorkedExample;
        QTest::newRow("empty coefficient") << replaced(x, "+1800.00*X2", "+*X2");
        QTest::newRow("empty first coefficient") << replaced(x, "min=1500.00*X1", "min=*X1");
        QTest::newRow("empty limit") << replaced(x, "<25;", "<;");
        QTest::newRow("unknown word") << replaced(x, "X2>1;", "X2>1;\r\nfoo;");
        QTest::newRow("unknown function") << replaced(x, "@gin(X1);", "@bin(X1);");
        QTest::newRow("@bin of Y0") << replaced(x, "@gin(X1);", "@bin(Y0);");
        QTest::newRow("@bin beyond Y1000") << replaced(x, "@gin(X1);", "@bin(Y1001);");
        QTest::newRow("@bin without semicolon") << replaced(x, "@gin(X1);", "@bin(Y1)");
        QTest::newRow("lower-case y") << replaced(x, "X2>1;", "y2>1;");
        QTest::newRow("max objective") << replaced(x, "min=", "max=");
        QTest::newRow("second objective") << replaced(x, "X2>1;", "[r2] min=X1;");
        QTest::newRow("no objective") << replaced(x, "[rObj] min=1500.00*X1+1800.00*X2;\r\n", "");
        QTest::newRow("missing end") << replaced(x, "\r\nend", "");
        QTest::newRow("missing data section") << replaced(x, "data:\r\n", "");
        QTest::newRow("text after end") << x + "\r\nGO";
        QTest::newRow("truncated") << x.left(x.size() / 2);
        QTest::newRow("empty text") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        QTest::newRow("NUL inside a row") << replaced(x, "X2>1;",
                                                      QByteArray("X2>\0"
                                                                 "1;",
                                                                 5));
        QTest::newRow("bare CR inside a row") << replaced(x, "X2>1;", "X2>\r1;");
        QTest::newRow("10 MB of text") << x + QByteArray(10 * 1024 * 1024, '\n');
        QTest::newRow("deep nesting") << replaced(x, "X2>1;",
                                                  QByteArray(5000, '(') + "X2" + QByteArray(5000, ')') + ">1;");
        QTest::newRow("nested @abs") << replaced(x, "X2>1;", "@abs(@abs(X1-X2))<9;");
        QTest::newRow("NaN") << replaced(x, "<25;", "<NaN;");
        QTest::newRow("infinity") << replaced(x, "3.20*X1", "inf*X1");
        QTest::newRow("exponent") << replaced(x, "<25;", "<2.5e1;");
        QTest::newRow("two points") << replaced(x, "3.20*X1", "3.2.0*X1");
        QTest::newRow("lone point") << replaced(x, "<25;", "<.;");
        QTest::newRow("huge number") << replaced(x, "<25;", "<" + QByteArray(400, '9') + ";");
        QTest::newRow("many decimals") << replaced(x, "<25;", "<0." + QByteArray(30, '1') + ";");
        QTest::newRow("decimal factor") << replaced(x, "<60*10;", "<60*1.5;");
        QTest::newRow("variable on the right") << replaced(x, "X2>1;", "X2>X1;");
        QTest::newRow("X0") << replaced(x, "X2>1;", "X0>1;");
        QTest::newRow("X1001") << replaced(x, "X2>1;", "X1001>1;");
        QTest::newRow("leading zero variable") << replaced(x, "X2>1;", "X02>1;");
        QTest::newRow("lower-case variable") << replaced(x, "X2>1;", "x2>1;");
        QTest::newRow("two-character operator") << replaced(x, "<25;", "<=25;");
        QTest::newRow("missing semicolon") << replaced(x, "<25;", "<25");
        QTest::newRow("blank inside a row") << replaced(x, "<25;", " < 25;");
        QTest::newRow("three signs") << replaced(x, "+1.50*X2", "+--1.50*X2");
        QTest::newRow("@abs with >") << replaced(x, "X2>1;", "@abs(X1-X2)>9;");
        QTest::newRow("@gin without semicolon") << replaced(x, "@gin(X1);", "@gin(X1)");
        QTest::newRow("duplicate pointer") << replaced(x, "@pointer(2)=X2;", "@pointer(1)=X2;");
        QTest::newRow("pointer gap") << replaced(x, "@pointer(3)=rObj;", "@pointer(4)=rObj;");
        QTest::newRow("pointer zero") << replaced(x, "@pointer(1)=X1;", "@pointer(0)=X1;");
        QTest::newRow("pointer to unknown row") << replaced(x, "=rObj;", "=rCost;");
        QTest::newRow("pointer beyond the cap") << replaced(x, "@pointer(3)", "@pointer(99999)");
        QTest::newRow("row in data section") << replaced(x, "@pointer(3)=rObj;", "X1<3;");
    }
    void rejects() {
        QFETCH(QByteArray, text);
        QString error;
        QVERIFY(!parseModel(text, &error));
        QVERIFY(!error.isEmpty());
        GlpkEngine engine;
        QVERIFY(!solveModelText(text, engine));
    }

    // Inputs the fuzzer kept (seeds and crashers) must still be handled without a crash or a hang.
    void replaysFuzzInputs_data() {
        QTest::addColumn<QString>("path");
        for (const char* folder : {"fuzz-corpus", "crashers"}) {
            const QDir dir(QStringLiteral(VESTREL_SOURCE_DIR "/tests/solver/") + QLatin1String(folder));
            for (const QFileInfo& info : dir.entryInfoList(QDir::Files, QDir::Name))
                QTest::newRow(qPrintable(QLatin1String(folder) + '/' + info.fileName())) << info.filePath();
        }
    }
    void replaysFuzzInputs() {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        GlpkEngine engine(2000);
        const auto model = parseModel(text);
        if (model) solveModel(*model, engine);
    }
};

QTEST_GUILESS_MAIN(ModelReaderTest)
#include "tst_modelreader.moc"
