#include "history/Reprice.h"

#include "base/CommonFunction.h"
#include "blending/BlendingTexts.h"
#include "catalogue/DaoFunction.h"
#include "data/Dbconnection.h"

#include <QHash>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace vestrel {

namespace {

void readValues(const QSqlQuery& q, Mei& m) {
    for (const QualityIndex& idx : QualityIndices())
        m.*idx.member = q.value(QLatin1String(idx.column)).toDouble();
    m.Kucun = q.value(QStringLiteral("kucun")).toDouble();
    m.JiaGe = q.value(QStringLiteral("JiaGe")).toDouble();
}

// Reads a summary segment by segment from the left, in the order the run writes them. Lot names may hold
// blanks and symbols, so the segments naming a lot are matched against the set's own names, longest first.
class SummaryReader {
public:
    SummaryReader(QString summary, QStringList names) : s_(std::move(summary)), names_(std::move(names)) {
        const QString mark = QString::fromUtf16(kRepricedMark);
        while (s_.endsWith(mark))
            s_.chop(mark.size());
        std::sort(names_.begin(), names_.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
        names_.removeAll(QString());
    }

    void read(PanelTexts& t) {
        while (pos_ < s_.size()) {
            if (limit(t) || tonnes(t) || mustUse(t) || otherSide(t) || share(t) || cap(t)) continue;
            // Something this program does not write: on to the next blank.
            const qsizetype next = s_.indexOf(u' ', pos_ + 1);
            pos_ = next < 0 ? s_.size() : next;
        }
    }

private:
    bool endsAt(qsizetype end) const { return end == s_.size() || (end < s_.size() && s_[end] == u' '); }

    // A number text ending a segment at a blank or the end, from `from`; its end or -1.
    qsizetype numberAt(qsizetype from, QString* text, QChar stop = QChar()) const {
        qsizetype end = from;
        while (end < s_.size() && s_[end] != u' ' && s_[end] != stop)
            ++end;
        *text = s_.mid(from, end - from);
        return ParseNumber(*text) ? end : -1;
    }

    // "硫分<=2.5 " or "固定碳=>85 ", each ending in a blank.
    bool limit(PanelTexts& t) {
        for (int x = 0; x < kIndexCount; ++x) {
            const PanelIndex& idx = PanelIndices()[size_t(x)];
            const QString head =
                QString::fromUtf16(idx.summaryLabel) + (idx.lowerLimit ? QStringLiteral("=>") : QStringLiteral("<="));
            if (!s_.mid(pos_).startsWith(head)) continue;
            QString value;
            const qsizetype end = numberAt(pos_ + head.size(), &value);
            if (end < 0) return false;
            // As typed, so that a re-run writes the same summary.
            t.target(x) = value;
            pos_ = std::min(end + 1, s_.size());
            return true;
        }
        return false;
    }

    bool tonnes(PanelTexts& t) {
        const QString head = QStringLiteral(" 配");
        if (!s_.mid(pos_).startsWith(head)) return false;
        QString value;
        const qsizetype end = numberAt(pos_ + head.size(), &value, u'吨');
        if (end < 0 || end >= s_.size() || s_[end] != u'吨' || !endsAt(end + 1)) return false;
        t.tonnes = value;
        pos_ = end + 1;
        return true;
    }

    bool mustUse(PanelTexts& t) {
        for (const QString& name : names_) {
            const QString segment = u' ' + name + QStringLiteral("必选");
            if (!s_.mid(pos_).startsWith(segment) || !endsAt(pos_ + segment.size())) continue;
            for (int j = 0; j < kGridRows; ++j)
                if (t.cell(j, CellName) == name) t.mustUse[size_t(j)] = true;
            pos_ += segment.size();
            return true;
        }
        return false;
    }

    // " 硫分>=1.5", " 固定碳<=92".
    bool otherSide(PanelTexts& t) {
        for (int x = 0; x < kIndexCount; ++x) {
            const PanelIndex& idx = PanelIndices()[size_t(x)];
            const QString head = u' ' + QString::fromUtf16(idx.summaryLabel) +
                                 (idx.lowerLimit ? QStringLiteral("<=") : QStringLiteral(">="));
            if (!s_.mid(pos_).startsWith(head)) continue;
            QString value;
            const qsizetype end = numberAt(pos_ + head.size(), &value);
            if (end < 0) continue;
            t.advanced.otherSide[size_t(x)] = value;
            pos_ = end;
            return true;
        }
        return false;
    }

    // " 乙焦10%~40%", " 乙焦>=10%", " 乙焦<=40%".
    bool share(PanelTexts& t) {
        for (const QString& name : names_) {
            const QString head = u' ' + name;
            if (!s_.mid(pos_).startsWith(head)) continue;
            const qsizetype from = pos_ + head.size();
            ShareLimit limit{name, {}, {}};
            qsizetype end = -1;
            QString value;
            const QString rest = s_.mid(from, 2);
            if (rest == QLatin1String(">=") || rest == QLatin1String("<=")) {
                end = numberAt(from + 2, &value, u'%');
                (rest == QLatin1String(">=") ? limit.min : limit.max) = value;
            } else if ((end = numberAt(from, &limit.min, u'%')) >= 0 && s_.mid(end, 2) == QLatin1String("%~")) {
                end = numberAt(end + 2, &limit.max, u'%');
            } else {
                end = -1;
            }
            if (end < 0 || end >= s_.size() || s_[end] != u'%' || !endsAt(end + 1)) continue;
            t.advanced.shares.removeIf([&name](const ShareLimit& l) { return l.name == name; });
            t.advanced.shares << limit;
            pos_ = end + 1;
            return true;
        }
        return false;
    }

    // " 最多3种".
    bool cap(PanelTexts& t) {
        const QString head = QStringLiteral(" 最多");
        if (!s_.mid(pos_).startsWith(head)) return false;
        QString value;
        const qsizetype end = numberAt(pos_ + head.size(), &value, u'种');
        if (end < 0 || end >= s_.size() || s_[end] != u'种' || !endsAt(end + 1)) return false;
        t.advanced.maxLots = value;
        pos_ = end + 1;
        return true;
    }

    QString s_;
    QStringList names_;
    qsizetype pos_ = 0;
};

} // namespace

DbResult<StoredSet> LoadStoredSet(qint64 setId) {
    const DbSession session;
    if (!session.ok()) return DbError{session.error()};
    StoredSet set;
    set.id = setId;
    QSqlQuery q(session.db());
    if (!q.prepare(QStringLiteral("SELECT xinxi FROM Lishi_fangan WHERE id=?"))) return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    if (!q.next()) return DbError{}; // gone: nothing to add
    set.summary = q.value(0).toString();
    q.finish();
    if (!q.prepare(QStringLiteral("SELECT * FROM Lishi_meitan WHERE followid=? ORDER BY id ASC"))) return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    while (q.next()) {
        Mei m;
        m.MingCheng = q.value(QStringLiteral("Name")).toString();
        m.LeiXing = qint16(q.value(QStringLiteral("leixing")).toInt());
        readValues(q, m);
        set.lots << m;
    }
    q.finish();
    if (!q.prepare(QStringLiteral("SELECT * FROM Lishi_Peibibiao WHERE followid=? ORDER BY JiaGe ASC, id ASC")))
        return Failed(q);
    q.addBindValue(setId);
    if (!q.exec()) return Failed(q);
    while (q.next()) {
        StoredScheme s;
        double total = 0;
        for (int j = 1; j <= set.lots.size() && j <= kGridRows; ++j) {
            s.parts.push_back(q.value(QStringLiteral("d%1").arg(j)).toDouble());
            total += s.parts.back();
        }
        s.k = int(std::lround(total));
        s.price = q.value(QStringLiteral("JiaGe")).toDouble();
        set.schemes.push_back(std::move(s));
    }
    return set;
}

PanelTexts PanelOfSet(const StoredSet& set) {
    PanelTexts t;
    QList<Mei> lots = set.lots;
    if (lots.size() > kGridRows) lots = lots.mid(0, kGridRows);
    for (int j = 0; j < lots.size(); ++j) {
        const Mei& m = lots[j];
        t.cell(j, CellName) = m.MingCheng;
        for (int x = 0; x < kIndexCount; ++x)
            t.cell(j, IndexCell(x)) = GeneralNumberText(m.*CellMember(IndexCell(x)));
        t.cell(j, CellStock) = GeneralNumberText(m.Kucun);
        t.cell(j, CellPrice) = GeneralNumberText(m.JiaGe);
    }
    QStringList names;
    for (const Mei& m : lots)
        names << m.MingCheng;
    SummaryReader(set.summary, names).read(t);
    return t;
}

std::vector<LimitPrice> SetLimitPrices(const StoredSet& set) {
    const PanelTexts t = PanelOfSet(set);
    // The run reached k = 100 with its difference row when a single-lot scheme came first at a smaller k.
    bool singleLotSeen = false;
    for (const StoredScheme& scheme : set.schemes)
        if (scheme.k < 100 && LotsOfScheme(set, scheme).size() == 1) singleLotSeen = true;
    return LimitPrices(ReadGridLots(t), t, singleLotSeen);
}

RepriceOutcome RepriceSet(const StoredSet& set) {
    RepriceOutcome out;
    const DbResult<QList<Mei>> catalogue = LoadAllMeis();
    if (!catalogue) {
        out.run = {RunOutcome::Kind::Failed, 0, catalogue.error()};
        return out;
    }
    QHash<QString, Mei> byName;
    for (const Mei& m : *catalogue)
        if (!byName.contains(m.MingCheng)) byName.insert(m.MingCheng, m);
    StoredSet today = set;
    for (Mei& lot : today.lots) {
        const auto found = byName.constFind(lot.MingCheng);
        if (found == byName.constEnd()) {
            out.missing << lot.MingCheng;
            continue;
        }
        // The catalogue's indices and price; the stock asked for stays the run's.
        const double stock = lot.Kucun;
        lot = found.value();
        lot.Kucun = stock;
    }
    PanelState state;
    state.texts = PanelOfSet(today);
    state.PanelLots = ReadGridLots(state.texts);
    out.run = RunOptimisation(state);
    if (out.run.kind == RunOutcome::Kind::Stored) {
        const DbSession session;
        DbStatus marked = session.ok() ? DbStatus{} : DbStatus{DbError{session.error()}};
        QSqlQuery q(session.db());
        if (marked && !q.prepare(QStringLiteral("UPDATE Lishi_fangan SET xinxi=xinxi || ? WHERE id=?")))
            marked = Failed(q);
        if (marked) {
            q.addBindValue(QString::fromUtf16(kRepricedMark));
            q.addBindValue(out.run.setId);
            if (!q.exec()) marked = Failed(q);
        }
        if (!marked) out.run.message = marked.error();
    }
    return out;
}

QString MissingLotsText(const QStringList& missing) {
    if (missing.isEmpty()) return {};
    return QStringLiteral("以下煤种已不在煤种库中，按原值计算：") + missing.join(u'、');
}

QStringList LotsOfScheme(const StoredSet& set, const StoredScheme& scheme) {
    QStringList out;
    for (size_t j = 0; j < scheme.parts.size() && int(j) < set.lots.size(); ++j)
        if (scheme.parts[j] > 0) out << set.lots[int(j)].MingCheng;
    return out;
}

Comparison CompareSets(const StoredSet& a, const StoredSet& b) {
    Comparison c;
    for (const StoredScheme& sa : a.schemes)
        for (const StoredScheme& sb : b.schemes)
            if (sa.k == sb.k)
                c.rows.push_back(
                    {sa.k, sa.price, sb.price, sb.price - sa.price, LotsOfScheme(a, sa), LotsOfScheme(b, sb)});
    std::sort(c.rows.begin(), c.rows.end(), [](const ComparedK& x, const ComparedK& y) { return x.k < y.k; });
    const auto cheapest = [](const StoredSet& s) -> std::optional<StoredScheme> {
        if (s.schemes.empty()) return std::nullopt;
        return *std::min_element(s.schemes.begin(), s.schemes.end(),
                                 [](const StoredScheme& x, const StoredScheme& y) { return x.price < y.price; });
    };
    c.cheapestA = cheapest(a);
    c.cheapestB = cheapest(b);
    return c;
}

} // namespace vestrel
