#include "catalogue/DaoFunction.h"
#include "data/Dbconnection.h"
#include "support/TestSupport.h"

#include <QSqlQuery>
#include <QTest>

using namespace vestrel;

namespace {
int rowCount() {
    OpenDb();
    QSqlQuery q(Conn());
    q.exec("SELECT count(*) FROM meitan");
    q.next();
    const int n = q.value(0).toInt();
    CloseDb();
    return n;
}
int lastId() {
    OpenDb();
    QSqlQuery q(Conn());
    q.exec("SELECT max(id) FROM meitan");
    q.next();
    const int n = q.value(0).toInt();
    CloseDb();
    return n;
}
Mei sampleLot() {
    Mei lot;
    lot.MingCheng = QString::fromUtf8("大庆焦 'A'");
    lot.Liu = 12.3456;
    lot.HuiFen = 0.3;
    lot.y = 1.5;
    lot.HuiShou = 0.02;
    lot.Kucun = 60;
    lot.JiaGe = 1500;
    lot.Riqi = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9));
    return lot;
}
} // namespace

class DaoTest : public QObject {
    Q_OBJECT
private slots:
    void saveAddsThenChangesAndLoadRounds() {
        test::TempProgramFolder folder;
        Mei lot = sampleLot();
        QCOMPARE(SaveMei(lot), SaveResult::Saved);
        QCOMPARE(rowCount(), 1);
        const int id = lastId();

        auto loaded = LoadMei(id);
        QVERIFY(loaded);
        QCOMPARE(loaded->MingCheng, lot.MingCheng);
        QCOMPARE(loaded->Liu, 12.35);
        QCOMPARE(loaded->y, 1.5);
        QCOMPARE(loaded->HuiShou, 0.02);
        QCOMPARE(loaded->JiaGe, 1500.0);
        QCOMPARE(loaded->id, 0); // the caller knows the id
        QVERIFY(!loaded->Riqi.isValid());

        lot.id = id;
        lot.Liu = 2;
        QCOMPARE(SaveMei(lot), SaveResult::Saved);
        QCOMPARE(rowCount(), 1);
        QCOMPARE(LoadMei(id)->Liu, 2.0);
    }

    void vanishedRowNotRecreated() {
        test::TempProgramFolder folder;
        QCOMPARE(SaveMei(sampleLot()), SaveResult::Saved);
        Mei other = sampleLot();
        other.MingCheng = "other";
        QCOMPARE(SaveMei(other), SaveResult::Saved);
        const int id = lastId() - 1;
        QVERIFY(DeleteMei(id));
        Mei stale = sampleLot();
        stale.id = id;
        stale.MingCheng = "stale";
        QCOMPARE(SaveMei(stale), SaveResult::Vanished);
        QCOMPARE(rowCount(), 1);
        QCOMPARE(LoadMei(id + 1)->MingCheng, QString("other"));
    }

    void missingAndNullRows() {
        test::TempProgramFolder folder;
        QVERIFY(OpenDb());
        QVERIFY(QSqlQuery(Conn()).exec("INSERT INTO meitan (Name, Liu) VALUES (NULL, 'abc')"));
        CloseDb();
        auto loaded = LoadMei(lastId());
        QVERIFY(loaded);
        QCOMPARE(loaded->MingCheng, QString());
        QCOMPARE(loaded->Liu, 0.0);
        QCOMPARE(*LoadMei(424242), Mei());
        QVERIFY(DeleteMei(424242)); // nothing to delete is not an error
    }

    void deleteSeveralAndLoadByIds() {
        test::TempProgramFolder folder;
        for (int i = 0; i < 5; ++i) {
            Mei lot = sampleLot();
            lot.MingCheng = QStringLiteral("lot%1").arg(i);
            lot.LeiXing = 1;
            QCOMPARE(SaveMei(lot), SaveResult::Saved);
        }
        QVERIFY(DeleteMeis({2, 4}));
        QCOMPARE(*CountMeitan(), 3);
        const auto lots = LoadMeisByIds({5, 4, 1});
        QVERIFY(lots);
        QCOMPARE(lots->size(), 2); // 4 is gone
        QCOMPARE(lots->at(0).id, 1);
        QCOMPARE(lots->at(1).MingCheng, QString("lot4"));
        QCOMPARE(lots->at(1).LeiXing, qint16(1));
        QCOMPARE(lots->at(1).Liu, 12.35);
    }

    void failuresAreValues() {
        test::TempProgramFolder folder;
        SetDbPath(folder.filePath("missing/coal.dat"));
        const DbResult<SaveResult> saved = SaveMei(sampleLot());
        const DbResult<Mei> loaded = LoadMei(1);
        const DbStatus deleted = DeleteMei(1);
        const DbResult<qint64> counted = CountMeitan();
        QVERIFY(!saved);
        QVERIFY(!loaded);
        QVERIFY(!deleted);
        QVERIFY(!counted);
        for (const QString& reason : {saved.error(), loaded.error(), deleted.error(), counted.error()})
            QVERIFY2(reason.contains("coal.dat"), qPrintable(reason));
    }
};

QTEST_GUILESS_MAIN(DaoTest)
#include "tst_dao.moc"
