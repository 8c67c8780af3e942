#include "history/SetSummary.h"

#include "base/CommonFunction.h"
#include "blending/BlendingTexts.h"

#include <algorithm>

namespace vestrel {

namespace {

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

PanelTexts panelOfSummary(const QString& summary, const QStringList& lotNames) {
    PanelTexts t;
    for (int j = 0; j < lotNames.size() && j < kGridRows; ++j)
        t.cell(j, CellName) = lotNames[j];
    ReadSetSummary(summary, lotNames, t);
    return t;
}

} // namespace

void ReadSetSummary(const QString& summary, const QStringList& lotNames, PanelTexts& into) {
    SummaryReader(summary, lotNames).read(into);
}

std::vector<SetLimit> LimitsOfSummary(const QString& summary, const QStringList& lotNames) {
    const PanelTexts t = panelOfSummary(summary, lotNames);
    std::vector<SetLimit> out;
    for (const int x : SummaryOrder())
        if (const std::optional<double> v = ParseNumber(t.target(x)))
            out.push_back({x, PanelIndices()[size_t(x)].lowerLimit, *v});
    for (const int x : SummaryOrder())
        if (const std::optional<double> v = ParseNumber(t.advanced.otherSide[size_t(x)]))
            out.push_back({x, !PanelIndices()[size_t(x)].lowerLimit, *v});
    return out;
}

std::optional<double> TonnesOfSummary(const QString& summary, const QStringList& lotNames) {
    const PanelTexts t = panelOfSummary(summary, lotNames);
    if (t.tonnes.isEmpty()) return std::nullopt;
    return ParseNumber(t.tonnes);
}

} // namespace vestrel
