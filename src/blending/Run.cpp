#include "blending/Run.h"

#include "base/CommonFunction.h"
#include "base/FileFunction.h"
#include "base/Seams.h"
#include "blending/BlendOfSolution.h"
#include "blending/ModelText.h"
#include "blending/SchemeSummary.h"
#include "blending/Validation.h"
#include "catalogue/Mei.h"
#include "data/Dbconnection.h"
#include "solver/CpuState.h"
#include "solver/SolverCalls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <QSqlQuery>
#include <QStringList>
#include <numeric>

namespace vestrel {

namespace {

constexpr int kFirstK = 2;
constexpr int kLastK = 100;
constexpr int kShareColumns = 10; // d1..d10 of Lishi_Peibibiao

void removeModelFile(const QString& path) {
    if (QFileInfo(path).isFile()) QFile::remove(path);
}

// The parts divided by their greatest common divisor.
QList<qint64> proportionsOf(std::span<const double> parts) {
    QList<qint64> whole;
    qint64 divisor = 0;
    for (const double part : parts) {
        whole << qint64(part);
        divisor = std::gcd(divisor, qAbs(whole.back()));
    }
    if (divisor > 1)
        for (qint64& part : whole)
            part /= divisor;
    return whole;
}

RunOutcome failure(const QString& message) {
    return {RunOutcome::Kind::Failed, 0, message};
}

QString placeholders(int count) {
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

QStringList indexColumns() {
    QStringList columns;
    for (const QualityIndex& idx : QualityIndices())
        columns << QLatin1String(idx.column);
    return columns;
}

// Binds the twelve indices, the stock and the price from position `at` on, in the order of indexColumns().
void bindLotValues(QSqlQuery& q, int at, const Mei& lot) {
    for (const QualityIndex& idx : QualityIndices())
        q.bindValue(at++, lot.*idx.member);
    q.bindValue(at++, lot.Kucun);
    q.bindValue(at, lot.JiaGe);
}

// The statements of one run, prepared once and executed for every row.
struct RunStatements {
    QSqlQuery set{Conn()};
    QSqlQuery scheme{Conn()};
    QSqlQuery lot{Conn()};

    DbStatus prepare(int n) {
        const QStringList values = indexColumns() << QStringLiteral("kucun") << QStringLiteral("JiaGe");
        QStringList shares;
        for (int j = 1; j <= n; ++j)
            shares << QStringLiteral("d%1").arg(j);
        const QStringList schemeColumns =
            QStringList{QStringLiteral("followid")} + shares + QStringList{QStringLiteral("Name")} + values;
        const QStringList lotColumns =
            QStringList{QStringLiteral("followid"), QStringLiteral("leixing"), QStringLiteral("Name")} + values;
        if (!set.prepare(QStringLiteral("INSERT INTO Lishi_fangan (xinxi) VALUES (?)"))) return Failed(set);
        if (!scheme.prepare(QStringLiteral("INSERT INTO Lishi_Peibibiao (%1) VALUES (%2)")
                                .arg(schemeColumns.join(QStringLiteral(", ")), placeholders(schemeColumns.size()))))
            return Failed(scheme);
        if (!lot.prepare(QStringLiteral("INSERT INTO Lishi_meitan (%1) VALUES (%2)")
                             .arg(lotColumns.join(QStringLiteral(", ")), placeholders(lotColumns.size()))))
            return Failed(lot);
        return {};
    }

    DbResult<qint64> insertSet(const QString& summary) {
        set.bindValue(0, summary);
        if (!set.exec()) return Failed(set);
        return set.lastInsertId().toLongLong();
    }

    DbStatus insertScheme(qint64 setId, std::span<const double> parts, const Mei& blend) {
        int at = 0;
        scheme.bindValue(at++, setId);
        for (const double part : parts)
            scheme.bindValue(at++, part);
        // A null text would be stored as NULL; the blend's name is the empty text.
        scheme.bindValue(at++, blend.MingCheng.isNull() ? QStringLiteral("") : blend.MingCheng);
        bindLotValues(scheme, at, blend);
        if (!scheme.exec()) return Failed(scheme);
        return {};
    }

    DbStatus insertLot(qint64 setId, const Mei& m) {
        lot.bindValue(0, setId);
        lot.bindValue(1, int(m.LeiXing));
        lot.bindValue(2, m.MingCheng);
        bindLotValues(lot, 3, m);
        if (!lot.exec()) return Failed(lot);
        return {};
    }
};

} // namespace

QByteArray SolverScript(const QString& modelPath) {
    const bool drive =
        modelPath.size() >= 2 && modelPath[1] == u':' && modelPath[0].isLetter() && modelPath[0].unicode() < 0x80;
    const QString take = drive ? modelPath.mid(2) : modelPath;
    return QByteArrayLiteral("SET ECHOIN 1\ntake ") + take.toUtf8() + QByteArrayLiteral("\nGO\nQUIT\n");
}

std::optional<std::vector<double>> SolveModel(const QString& modelPath, int n, SolveOutcome* outcome) {
    SolveOutcome ignored;
    SolveOutcome& result = outcome ? *outcome : ignored;
    result = SolveOutcome::Failed;
    if (n < 0) return std::nullopt;
    solver::LSenv env = solver::LScreateEnvLng();
    if (!env) {
        result = SolveOutcome::SolverUnavailable;
        return std::nullopt;
    }
    // The solver writes through these addresses during the script, so the vector must not grow meanwhile.
    std::vector<double> values(size_t(n) + 1, 0.0);
    int counter = 0;
    bool registered = true;
    for (double& value : values)
        registered = registered && solver::LSsetPointerLng(env, &value, &counter) == solver::SolverOk;
    const QByteArray script = SolverScript(modelPath);
    const int status = registered ? solver::LSexecuteScriptLng(env, script.constData()) : solver::SolverBadArgument;
    solver::LScloseLogFileLng(env);
    solver::LSdeleteEnvLng(env);
    switch (status) {
    case solver::SolverOk:
        // An objective of exactly 0 is taken as "nothing solved", as the untouched array reads.
        result = values[size_t(n)] == 0.0 ? SolveOutcome::NoSolution : SolveOutcome::Solved;
        break;
    case solver::SolverNoSolution:
        result = SolveOutcome::NoSolution;
        break;
    case solver::SolverOutOfBudget:
        result = SolveOutcome::Skipped;
        break;
    case solver::SolverNumbersTooLarge:
        result = SolveOutcome::NumbersTooLarge;
        break;
    default:
        result = SolveOutcome::Failed;
        break;
    }
    if (result != SolveOutcome::Solved) return std::nullopt;
    return values;
}

bool IsSingleLotSolution(std::span<const double> solution, int k) {
    // The last element is the objective, not a part.
    for (size_t j = 0; j + 1 < solution.size(); ++j)
        if (solution[j] == double(k)) return true;
    return false;
}

RunOutcome RunOptimisation(PanelState& state, const RunProgress& progress) {
    state.SingleLotSeen = false;
    const QString modelPath = dataPath(QStringLiteral("qzmd.dll"));
    // However the run ends: no model file left behind, and the next run starts without the difference line.
    const auto cleanUp = qScopeGuard([&state, &modelPath] {
        state.SingleLotSeen = false;
        removeModelFile(modelPath);
    });

    const int n = int(state.PanelLots.size());
    if (n < 1 || n > kShareColumns) return failure(QStringLiteral("配比的煤种数目不对，配比没有完成。"));

    // The command script takes the model file on one line: a folder whose path holds a line break cannot be named.
    if (modelPath.contains(u'\n') || modelPath.contains(u'\r'))
        return failure(QStringLiteral("程序所在文件夹“%1”的路径中含有换行符，求解程序无法读取模型文件，配比没有完成。"
                                      "请把程序放到路径中没有换行符的文件夹里。")
                           .arg(QDir::toNativeSeparators(dataFolder())));

    const DbSession session;
    if (!session.ok()) return failure(session.error());

    // Every row of the run in one transaction: a run that stops midway leaves no half-written set.
    DbTransaction transaction;
    if (!transaction.active()) return failure(transaction.error());
    RunStatements sql;
    if (const DbStatus prepared = sql.prepare(n); !prepared) return failure(prepared.error());
    const DbResult<qint64> setId = sql.insertSet(BuildSchemeSummary(state.texts));
    if (!setId) return failure(setId.error());

    const bool pricesAllEqual = PricesAllEqual(state.texts);
    const ModelTemplate model(state.PanelLots, state.texts);
    QHash<QList<qint64>, std::optional<Mei>> blends;
    const IndexSet limited = LimitedIndices(state.texts); // these keep their value despite lots with 0
    QSet<QString> storedPrices;                           // as general number texts, the way the price is compared
    int stored = 0;
    QStringList skipped;
    // A cancelled run ends like one without a scheme: the open transaction rolls back.
    const auto cancelled = [&progress](int done) { return progress && !progress(done); };
    static_assert(kLastK - kFirstK + 1 == kRunModels);
    removeModelFile(modelPath); // whatever an earlier run left there; each k then overwrites the file in place
    for (int k = kFirstK; k <= kLastK; ++k) {
        if (cancelled(k - kFirstK)) return {RunOutcome::Kind::Cancelled, 0, QString()};
        solver::ClearUpperVectorHalves(); // the last scheme's database write may have left them in use
        const QString path = WriteModelFile(model, k, state.SingleLotSeen);
        if (path.isEmpty())
            return failure(
                QStringLiteral("无法写入模型文件“%1”，配比没有完成。").arg(QDir::toNativeSeparators(modelPath)));
        SolveOutcome outcome = SolveOutcome::Failed;
        const std::optional<std::vector<double>> solution = SolveModel(path, n, &outcome);
        switch (outcome) {
        case SolveOutcome::Solved:
            break;
        case SolveOutcome::NoSolution:
            continue;
        case SolveOutcome::Skipped:
            // Never a blend that is not proven cheapest: this k stores nothing and the user is told.
            skipped << QString::number(k);
            continue;
        case SolveOutcome::NumbersTooLarge:
            return failure(QStringLiteral("份数为%1的模型中有数值过大，求解程序无法精确计算，配比没有完成。请检查价格、"
                                          "指标、目标值、库存和配煤吨数。")
                               .arg(k));
        case SolveOutcome::Failed:
            return failure(QStringLiteral("求解程序未能求解份数为%1的模型，配比没有完成。").arg(k));
        case SolveOutcome::SolverUnavailable:
            return failure(QStringLiteral("无法启动求解程序，配比没有完成。"));
        }
        if (IsSingleLotSolution(*solution, k)) state.SingleLotSeen = true;
        // Parts in the same proportions make the same blend (k = 4 with 2 + 2 repeats k = 2 with 1 + 1): each
        // blend is worked out once.
        const QList<qint64> proportions = proportionsOf(std::span<const double>(solution->data(), size_t(n)));
        auto known = blends.constFind(proportions);
        if (known == blends.constEnd())
            known = blends.insert(proportions, BlendOfSolution(state.PanelLots, *solution, limited));
        const std::optional<Mei>& blend = known.value();
        if (!blend) continue; // parts that add up to 0 cannot meet the sum row; nothing to store
        const QString price = GeneralNumberText(blend->JiaGe);
        if (!pricesAllEqual && storedPrices.contains(price)) continue;
        storedPrices.insert(price);
        if (const DbStatus inserted =
                sql.insertScheme(*setId, std::span<const double>(solution->data(), size_t(n)), *blend);
            !inserted)
            return failure(inserted.error());
        ++stored;
    }
    if (cancelled(kRunModels)) return {RunOutcome::Kind::Cancelled, 0, QString()};

    const QString skippedNote =
        skipped.isEmpty() ? QString() : QStringLiteral("以下份数未能求出最优方案，已略过：") + skipped.join(u'、');
    // Without a scheme the transaction rolls back, taking the set row with it.
    if (stored == 0)
        return {RunOutcome::Kind::NoScheme, 0, skipped.isEmpty() ? QStringLiteral("没有配比方案") : skippedNote};

    for (const Mei& lot : state.PanelLots)
        if (const DbStatus inserted = sql.insertLot(*setId, lot); !inserted) return failure(inserted.error());
    if (const DbStatus committed = transaction.commit(); !committed) return failure(committed.error());
    return {RunOutcome::Kind::Stored, *setId, skippedNote};
}

} // namespace vestrel
