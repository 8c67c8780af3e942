#include "catalogue/LotImport.h"

#include "base/Seams.h"
#include "catalogue/DaoFunction.h"
#include "catalogue/EntryForm.h"
#include "import/TableFile.h"

#include <QHash>
#include <QRegularExpression>

namespace vestrel {

namespace {

const QString kNameBox = QStringLiteral("txtName");

// Header texts as laboratories and suppliers write them, already in the form normalHeader() gives.
const QHash<QString, QStringList>& synonyms() {
    static const QHash<QString, QStringList> table = [] {
        const QList<std::pair<const char*, QList<const char16_t*>>> fields{
            {"txtName", {u"焦名称", u"名称", u"name", u"焦炭名称", u"煤名称", u"煤种", u"品名"}},
            {"txtShuifen", {u"全水", u"水分", u"水份", u"全水分", u"mt"}},
            {"txtLiu", {u"硫分", u"硫", u"s", u"st,d", u"std", u"st"}},
            {"txtHuifen", {u"灰分", u"灰份", u"a", u"ad"}},
            {"txtHuifafen", {u"挥发份", u"挥发分", u"v", u"vdaf"}},
            {"txtGudingtan", {u"固定碳", u"fc"}},
            {"txtNeishui", {u"硅", u"si"}},
            {"txtReliang", {u"铁", u"fe"}},
            {"txtG", {u"钒", u"v"}},
            {"txtY", {u"镍", u"ni"}},
            {"txtKeMoxing", {u"铝", u"al"}},
            {"txtHuiRongDian", {u"钙", u"ca"}},
            {"txtHuishoulv", {u"钠", u"na"}},
            {"txtKuCun", {u"库存", u"库存吨", u"stock"}},
            {"txtJiage", {u"价格", u"单价", u"price"}},
        };
        QHash<QString, QStringList> t;
        for (const auto& [box, words] : fields)
            for (const char16_t* w : words)
                t[QString::fromUtf16(w)].append(QLatin1String(box)); // "v" gets volatile matter first, then vanadium
        return t;
    }();
    return table;
}

// Lower case, half-width, without blanks, "%", "*", bracketed notes and trailing units.
QString normalHeader(const QString& header) {
    static const QRegularExpression bracketed(QStringLiteral(R"(\([^)]*\)|\[[^\]]*\]|【[^】]*】)"));
    static const QRegularExpression noise(QStringLiteral(R"([\s%*:：]+)"));
    QString h = header.normalized(QString::NormalizationForm_KC).toLower();
    h.remove(bracketed);
    h.remove(noise);
    for (const char16_t* unit : {u"元/吨", u"元/t", u"/吨", u"/t", u"元", u"吨"}) {
        const QString u = QString::fromUtf16(unit);
        if (h.size() > u.size() && h.endsWith(u)) h.chop(u.size());
    }
    return h;
}

QString cellOf(const QStringList& row, int column) {
    return column < row.size() ? row.at(column).trimmed() : QString();
}

QString oneLine(const QString& messages) {
    QStringList parts = messages.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return parts.join(QStringLiteral("；"));
}

} // namespace

const QList<ImportField>& ImportFields() {
    static const QList<ImportField> fields = [] {
        QList<ImportField> f{{kNameBox, QStringLiteral("名称")}};
        for (const QualityIndex& idx : QualityIndices())
            f.append({QLatin1String(idx.entryBox), QString::fromUtf16(idx.header)});
        f.append({QStringLiteral("txtKuCun"), QStringLiteral("库存")});
        f.append({QStringLiteral("txtJiage"), QStringLiteral("价格")});
        return f;
    }();
    return fields;
}

QString MatchImportHeader(const QString& header) {
    return synonyms().value(normalHeader(header)).value(0);
}

QStringList MatchImportHeaders(const QStringList& headers) {
    QStringList boxes(headers.size());
    QList<QStringList> candidates;
    for (const QString& h : headers)
        candidates.append(synonyms().value(normalHeader(h)));
    // Plain headers first, so a header that may name two fields takes the one left free.
    for (int pass = 0; pass < 2; ++pass) {
        for (int c = 0; c < headers.size(); ++c) {
            const QStringList& options = candidates[c];
            if ((pass == 0) != (options.size() == 1)) continue;
            for (const QString& box : options) {
                if (!boxes.contains(box)) {
                    boxes[c] = box;
                    break;
                }
            }
        }
    }
    return boxes;
}

LotFile LotFileFromRows(const QList<QStringList>& rows) {
    LotFile file;
    int header = -1;
    for (int r = 0; r < std::min<int>(kHeaderSearchRows, int(rows.size())) && header < 0; ++r) {
        const QStringList boxes = MatchImportHeaders(rows[r]);
        if (boxes.contains(kNameBox)) {
            header = r;
            file.boxes = boxes;
        }
    }
    if (header < 0) {
        file.error = QStringLiteral("文件的前 %1 行中找不到名称列（表头为“焦名称”“名称”或“Name”的列），无法导入。")
                         .arg(kHeaderSearchRows);
        return file;
    }
    file.headers = rows[header];
    for (qsizetype r = header + 1; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        const bool blank =
            std::all_of(row.cbegin(), row.cend(), [](const QString& t) { return t.trimmed().isEmpty(); });
        if (blank) continue;
        file.rows.append(row);
        file.rowNumbers.append(int(r) + 1);
    }
    if (file.rows.size() > kMaxImportRows) {
        file.error = QStringLiteral("文件中有 %1 行数据，超过一次最多导入 %2 行的上限，请分成几个文件导入。")
                         .arg(file.rows.size())
                         .arg(kMaxImportRows);
        file.rows.clear();
        file.rowNumbers.clear();
    } else if (file.rows.isEmpty()) {
        file.error = QStringLiteral("文件中除表头外没有数据，没有可导入的焦炭。");
    }
    return file;
}

LotFile ReadLotFile(const QString& path) {
    // One row more than the largest acceptable file, so a larger one is seen as such.
    const TextTable table = ReadTableFile(path, kMaxImportRows + kHeaderSearchRows + 1);
    LotFile file;
    if (!table.error.isEmpty())
        file.error = table.error;
    else if (table.truncated)
        file.error =
            QStringLiteral("文件中的数据超过一次最多导入 %1 行的上限，请分成几个文件导入。").arg(kMaxImportRows);
    else
        file = LotFileFromRows(table.rows);
    file.path = path;
    return file;
}

ImportResult ImportLots(const LotFile& file, const QStringList& boxes, ExistingLots existing) {
    ImportResult result;
    const int nameColumn = int(boxes.indexOf(kNameBox));
    if (nameColumn < 0) {
        result.error = QStringLiteral("请指定哪一列是焦炭的名称。");
        return result;
    }
    const DbResult<QList<Mei>> stored = LoadAllMeis();
    if (!stored) {
        result.error = stored.error();
        return result;
    }
    QHash<QString, QList<qsizetype>> byName;
    for (qsizetype i = 0; i < stored->size(); ++i)
        byName[stored->at(i).MingCheng].append(i);

    QList<std::pair<QString, int>> columns; // box, column
    for (int c = 0; c < boxes.size(); ++c)
        if (!boxes[c].isEmpty()) columns.append({boxes[c], c});

    const QDateTime when = now();
    QHash<QString, int> firstRowOf; // name -> its row number in the file
    QList<Mei> toSave;
    toSave.reserve(file.rows.size());
    for (qsizetype r = 0; r < file.rows.size(); ++r) {
        const QStringList& row = file.rows[r];
        const int rowNumber = file.rowNumbers.value(r, int(r) + 1);
        const QString name = cellOf(row, nameColumn);
        auto fail = [&](const QString& messages) {
            result.failures.append({rowNumber, name, messages});
            ++result.skipped;
        };
        if (!name.isEmpty()) {
            const auto first = firstRowOf.constFind(name);
            if (first != firstRowOf.constEnd()) {
                fail(QStringLiteral("名称与第 %1 行相同\r\n").arg(first.value()));
                continue;
            }
            firstRowOf.insert(name, rowNumber);
        }
        auto textsFrom = [&](EntryTexts texts) {
            for (const auto& [box, column] : columns)
                texts.insert(box, cellOf(row, column));
            return texts;
        };
        const QList<qsizetype> same = name.isEmpty() ? QList<qsizetype>() : byName.value(name);
        if (same.isEmpty()) {
            const EntryTexts texts = textsFrom({});
            const QString messages = ValidateEntry(texts);
            if (!messages.isEmpty()) {
                fail(messages);
                continue;
            }
            toSave.append(BuildMei(texts, 0, when));
            ++result.added;
            continue;
        }
        if (existing == ExistingLots::Skip) {
            ++result.skipped;
            continue;
        }
        // Every stored lot of that name changes, as if the row were typed into its entry form.
        QList<Mei> changed;
        QString messages;
        for (qsizetype i : same) {
            const Mei& lot = stored->at(i);
            const EntryTexts texts = textsFrom(EntryTextsOf(lot));
            messages = ValidateEntry(texts);
            if (!messages.isEmpty()) break;
            changed.append(BuildMei(texts, lot.id, when));
        }
        if (!messages.isEmpty()) {
            fail(messages);
            continue;
        }
        toSave.append(changed);
        ++result.updated;
    }

    if (!toSave.isEmpty()) {
        const DbResult<SaveResult> saved = SaveMeis(toSave);
        if (!saved) {
            result.error = saved.error();
            return result;
        }
        if (*saved == SaveResult::Vanished) {
            result.error = QStringLiteral("导入期间有要更新的焦炭被删除了，没有导入任何数据，请重新导入。");
            return result;
        }
    }
    result.written = true;
    return result;
}

QString ImportSummary(const ImportResult& result) {
    return QStringLiteral("新增 %1 种，更新 %2 种，跳过 %3 行")
        .arg(result.added)
        .arg(result.updated)
        .arg(result.skipped);
}

QString ImportReport(const ImportResult& result, int listed) {
    if (!result.written) return QStringLiteral("导入失败，没有导入任何数据。\r\n") + result.error;
    QString text = ImportSummary(result);
    if (result.failures.isEmpty()) return text;
    text += QStringLiteral("\r\n\r\n以下各行没有导入：");
    for (qsizetype i = 0; i < result.failures.size() && i < listed; ++i) {
        const ImportFailure& f = result.failures[i];
        text += QStringLiteral("\r\n第 %1 行").arg(f.rowNumber);
        if (!f.name.isEmpty()) text += QStringLiteral("（%1）").arg(f.name);
        text += QStringLiteral("：") + oneLine(f.messages);
    }
    if (result.failures.size() > listed)
        text += QStringLiteral("\r\n……另有 %1 行没有列出").arg(result.failures.size() - listed);
    return text;
}

} // namespace vestrel
