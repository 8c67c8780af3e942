#include "import/TableFile.h"

#include "base/CommonFunction.h"
#include "xls/compoundfile.h"
#include "xls/sheetreader.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <minizip/unzip.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace vestrel {

namespace {

// A part of an .xlsx archive may not unpack to more than this.
constexpr qint64 kMaxPartBytes = qint64(256) << 20;

const QByteArray kCompoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

QString formatName(TableFormat f) {
    switch (f) {
    case TableFormat::Csv:
        return QStringLiteral("文本（CSV）");
    case TableFormat::Xls:
        return QStringLiteral("Excel 97-2003 工作簿（.xls）");
    case TableFormat::Xlsx:
        return QStringLiteral("Excel 工作簿（.xlsx）");
    case TableFormat::Unknown:
        break;
    }
    return {};
}

TextTable failed(const QString& error) {
    TextTable t;
    t.error = error;
    return t;
}

// Puts a cell into the table, growing it as needed; trailing empty cells are never stored.
void placeCell(QList<QStringList>& rows, int row, int column, const QString& text) {
    if (column >= kMaxTableColumns || text.isEmpty()) return;
    if (rows.size() <= row) rows.resize(row + 1);
    QStringList& cells = rows[row];
    if (cells.size() <= column) cells.resize(column + 1);
    cells[column] = text;
}

// ---- CSV ----

bool hasNul(const QByteArray& bytes) {
    return bytes.contains('\0');
}

// Counts of each candidate outside quotes, per line, for the first lines that hold anything.
QChar delimiterOf(const QString& text) {
    static const QChar candidates[] = {u',', u';', u'\t'};
    constexpr int kSampleLines = 20;
    QList<std::array<int, 3>> lines;
    std::array<int, 3> counts{};
    bool quoted = false;
    bool blank = true;
    for (qsizetype i = 0; i < text.size() && lines.size() < kSampleLines; ++i) {
        const QChar c = text.at(i);
        if (c == u'"') {
            quoted = !quoted;
            blank = false;
        } else if (!quoted && (c == u'\n' || c == u'\r')) {
            if (!blank) lines.append(counts);
            counts = {};
            blank = true;
        } else if (!quoted) {
            for (int k = 0; k < 3; ++k)
                if (c == candidates[k]) ++counts[k];
            if (!c.isSpace()) blank = false;
        }
    }
    if (!blank && lines.size() < kSampleLines) lines.append(counts);
    if (lines.isEmpty()) return u',';

    // The delimiter gives most lines the same number of fields.
    int best = -1;
    int bestLines = 0;
    int bestCount = 0;
    for (int k = 0; k < 3; ++k) {
        QHash<int, int> frequency;
        for (const auto& line : lines)
            if (line[k] > 0) ++frequency[line[k]];
        for (auto it = frequency.cbegin(); it != frequency.cend(); ++it) {
            if (it.value() > bestLines || (it.value() == bestLines && it.key() > bestCount)) {
                best = k;
                bestLines = it.value();
                bestCount = it.key();
            }
        }
    }
    return best < 0 ? u',' : candidates[best];
}

// ---- .xlsx ----

// minizip reads the archive from memory through these.
struct MemoryZip {
    const QByteArray* data = nullptr;
    qint64 pos = 0;
};

voidpf ZCALLBACK zipOpen(voidpf opaque, const void*, int mode) {
    return (mode & ZLIB_FILEFUNC_MODE_WRITE) ? nullptr : opaque;
}
uLong ZCALLBACK zipRead(voidpf, voidpf stream, void* buf, uLong size) {
    auto* z = static_cast<MemoryZip*>(stream);
    const qint64 n = std::clamp<qint64>(z->data->size() - z->pos, 0, qint64(size));
    std::memcpy(buf, z->data->constData() + z->pos, size_t(n));
    z->pos += n;
    return uLong(n);
}
uLong ZCALLBACK zipWrite(voidpf, voidpf, const void*, uLong) {
    return 0;
}
ZPOS64_T ZCALLBACK zipTell(voidpf, voidpf stream) {
    return ZPOS64_T(static_cast<MemoryZip*>(stream)->pos);
}
long ZCALLBACK zipSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* z = static_cast<MemoryZip*>(stream);
    qint64 base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = z->pos;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = z->data->size();
    else if (origin != ZLIB_FILEFUNC_SEEK_SET)
        return -1;
    if (offset > ZPOS64_T(z->data->size())) return -1;
    const qint64 to = base + qint64(offset);
    if (to < 0 || to > z->data->size()) return -1;
    z->pos = to;
    return 0;
}
int ZCALLBACK zipClose(voidpf, voidpf) {
    return 0;
}
int ZCALLBACK zipError(voidpf, voidpf) {
    return 0;
}

class ZipArchive {
public:
    explicit ZipArchive(const QByteArray& bytes) {
        mem_.data = &bytes;
        zlib_filefunc64_def io{};
        io.zopen64_file = zipOpen;
        io.zread_file = zipRead;
        io.zwrite_file = zipWrite;
        io.ztell64_file = zipTell;
        io.zseek64_file = zipSeek;
        io.zclose_file = zipClose;
        io.zerror_file = zipError;
        io.opaque = &mem_;
        zip_ = unzOpen2_64("memory", &io);
    }
    ~ZipArchive() {
        if (zip_) unzClose(zip_);
    }
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool isOpen() const { return zip_ != nullptr; }
    bool contains(const QString& name) { return locate(name); }

    // The unpacked part; "" in *error when read, otherwise why not.
    QByteArray read(const QString& name, QString* error) {
        error->clear();
        const QString label = name;
        if (!locate(name)) {
            *error = QStringLiteral("工作簿不完整（缺少 %1）。").arg(label);
            return {};
        }
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip_) != UNZ_OK) {
            *error = QStringLiteral("工作簿已损坏（%1 无法解压）。").arg(label);
            return {};
        }
        if (info.flag & 1) {
            unzCloseCurrentFile(zip_);
            *error = QStringLiteral("工作簿设有密码保护，无法读取。");
            return {};
        }
        QByteArray out;
        // The size in the directory is a hint only; the reading itself is capped.
        out.reserve(qsizetype(std::min<quint64>(info.uncompressed_size, 16u << 20)));
        char buf[1 << 16];
        for (;;) {
            const int n = unzReadCurrentFile(zip_, buf, sizeof buf);
            if (n < 0) {
                unzCloseCurrentFile(zip_);
                *error = QStringLiteral("工作簿已损坏（%1 无法解压）。").arg(label);
                return {};
            }
            if (n == 0) break;
            if (out.size() + n > kMaxPartBytes) {
                unzCloseCurrentFile(zip_);
                *error = QStringLiteral("工作簿中的 %1 解压后过大，无法导入。").arg(label);
                return {};
            }
            out.append(buf, n);
        }
        if (unzCloseCurrentFile(zip_) != UNZ_OK) {
            *error = QStringLiteral("工作簿已损坏（%1 校验失败）。").arg(label);
            return {};
        }
        return out;
    }

private:
    bool locate(const QString& name) {
        // Part names of a package compare without regard to case.
        return zip_ && unzLocateFile(zip_, name.toUtf8().constData(), 2) == UNZ_OK;
    }

    MemoryZip mem_;
    unzFile zip_ = nullptr;
};

struct Relationship {
    QString type;
    QString target;
};

// The part a relationship points at, from the folder of the part that holds it.
QString resolvePart(const QString& fromFolder, const QString& target) {
    QStringList parts;
    if (!target.startsWith(u'/')) parts = fromFolder.split(u'/', Qt::SkipEmptyParts);
    for (const QString& p : target.split(u'/', Qt::SkipEmptyParts)) {
        if (p == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
        } else if (p != QLatin1String(".")) {
            parts.append(p);
        }
    }
    return parts.join(u'/');
}

QString folderOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash);
}

QHash<QString, Relationship> readRelationships(const QByteArray& xml) {
    QHash<QString, Relationship> rels;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("Relationship")) {
            const auto a = r.attributes();
            rels.insert(a.value(QLatin1String("Id")).toString(),
                        {a.value(QLatin1String("Type")).toString(), a.value(QLatin1String("Target")).toString()});
        }
    }
    return rels;
}

// Cell texts keep characters that XML cannot carry as _xHHHH_.
QString unescapeXlsx(const QString& text) {
    if (!text.contains(QLatin1String("_x"))) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' && text.at(i + 6) == u'_') {
            bool ok = false;
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out.append(QChar(char16_t(code)));
                i += 6;
                continue;
            }
        }
        out.append(text.at(i));
    }
    return out;
}

// The texts of <t> elements inside the current element (a shared string or an inline string), without the
// phonetic runs.
QString readRichText(QXmlStreamReader& r) {
    QString text;
    int depth = 1;
    int phonetic = 0;
    while (depth > 0 && !r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            ++depth;
            if (r.name() == QLatin1String("rPh")) ++phonetic;
            if (r.name() == QLatin1String("t") && phonetic == 0) {
                text += r.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
            }
        } else if (r.isEndElement()) {
            --depth;
            if (r.name() == QLatin1String("rPh")) --phonetic;
        }
    }
    return unescapeXlsx(text);
}

QString xmlError(const QString& part, const QXmlStreamReader& r) {
    return QStringLiteral("工作簿已损坏（%1 第 %2 行：%3）。").arg(part).arg(r.lineNumber()).arg(r.errorString());
}

// "B12" as (row 11, column 1); false when it is no cell reference.
bool parseCellRef(QStringView ref, int* row, int* column) {
    qsizetype i = 0;
    qint64 c = 0;
    for (; i < ref.size() && ref.at(i).isLetter(); ++i) {
        const char16_t ch = ref.at(i).toUpper().unicode();
        if (ch < u'A' || ch > u'Z' || c > 100000) return false;
        c = c * 26 + (ch - u'A' + 1);
    }
    if (i == 0 || i == ref.size()) return false;
    bool ok = false;
    const qint64 r = ref.mid(i).toLongLong(&ok);
    if (!ok || r < 1 || r > (qint64(1) << 30)) return false;
    *row = int(r - 1);
    *column = int(std::min<qint64>(c - 1, INT_MAX));
    return true;
}

// A number as a person reads it. Writers print some values with every digit of the binary double
// ("86.09999999999999") or in exponent form; those are read as a number cell of a .xls is read.
QString xmlNumberText(const QString& raw) {
    const QString t = raw.trimmed();
    int digits = 0;
    bool plain = !t.isEmpty();
    for (const QChar c : t) {
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c != u'.' && c != u'-')
            plain = false;
    }
    if (plain && digits <= 15) return t;
    const QByteArray ascii = t.toLatin1();
    const char* begin = ascii.constData() + (ascii.startsWith('+') ? 1 : 0);
    double v = 0;
    const auto res = std::from_chars(begin, ascii.constData() + ascii.size(), v);
    return res.ec == std::errc() && res.ptr == ascii.constData() + ascii.size() ? NumberCellText(v) : raw;
}

bool readSharedStrings(const QByteArray& xml, const QString& part, QStringList* strings, QString* error) {
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("si")) strings->append(readRichText(r));
    }
    if (r.hasError()) {
        *error = xmlError(part, r);
        return false;
    }
    return true;
}

void readSheetData(const QByteArray& xml, const QString& part, const QStringList& shared, int maxRows,
                   TextTable* table) {
    QXmlStreamReader r(xml);
    int row = -1;
    int column = -1;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement()) continue;
        if (r.name() == QLatin1String("row")) {
            bool ok = false;
            const int n = r.attributes().value(QLatin1String("r")).toInt(&ok);
            row = ok && n >= 1 ? n - 1 : row + 1;
            column = -1;
            if (row >= maxRows) {
                table->truncated = true;
                return;
            }
        } else if (r.name() == QLatin1String("c")) {
            const auto a = r.attributes();
            const QString type = a.value(QLatin1String("t")).toString();
            int cellRow = row < 0 ? 0 : row;
            int cellColumn = column + 1;
            if (a.hasAttribute(QLatin1String("r"))) parseCellRef(a.value(QLatin1String("r")), &cellRow, &cellColumn);
            column = cellColumn;
            if (cellRow >= maxRows) {
                table->truncated = true;
                return;
            }
            QString value;
            bool hasValue = false;
            int depth = 1;
            while (depth > 0 && !r.atEnd()) {
                r.readNext();
                if (r.isStartElement()) {
                    if (r.name() == QLatin1String("v")) {
                        value = r.readElementText(QXmlStreamReader::SkipChildElements);
                        hasValue = true;
                    } else if (r.name() == QLatin1String("is")) {
                        value = readRichText(r);
                        hasValue = true;
                    } else {
                        r.skipCurrentElement();
                    }
                } else if (r.isEndElement()) {
                    --depth;
                }
            }
            if (!hasValue) continue;
            if (type == QLatin1String("s")) {
                bool ok = false;
                const int index = value.trimmed().toInt(&ok);
                if (!ok || index < 0 || index >= shared.size()) {
                    table->error = QStringLiteral("工作簿已损坏（%1 引用了不存在的共享字符串）。").arg(part);
                    return;
                }
                value = shared.at(index);
            } else if (type == QLatin1String("str")) {
                value = unescapeXlsx(value);
            } else if (type.isEmpty() || type == QLatin1String("n")) {
                value = xmlNumberText(value);
            }
            placeCell(table->rows, cellRow, cellColumn, value);
        }
    }
    if (r.hasError()) table->error = xmlError(part, r);
}

bool isEncryptedPackage(const QByteArray& bytes) {
    xls::CompoundFile cf;
    return cf.parse(bytes).isEmpty() && cf.rootStream(QStringLiteral("EncryptedPackage")) >= 0;
}

} // namespace

TableFormat TableFormatOfName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt") || suffix == QLatin1String("tsv"))
        return TableFormat::Csv;
    if (suffix == QLatin1String("xls")) return TableFormat::Xls;
    if (suffix == QLatin1String("xlsx")) return TableFormat::Xlsx;
    return TableFormat::Unknown;
}

TableFormat TableFormatOfContent(const QByteArray& head) {
    if (head.startsWith(kCompoundSignature)) return TableFormat::Xls;
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06")) return TableFormat::Xlsx;
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) return TableFormat::Csv; // UTF-16 text
    return hasNul(head.left(8192)) ? TableFormat::Unknown : TableFormat::Csv;
}

TextTable ReadTableFile(const QString& path, int maxRows) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    const TableFormat byName = TableFormatOfName(path);
    if (byName == TableFormat::Unknown)
        return failed(QStringLiteral("不支持文件“%1”的类型，请选择 CSV、.xls 或 .xlsx 文件。").arg(name));
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("无法读取文件“%1”。").arg(name));
    if (file.size() > kMaxTableFileBytes)
        return failed(QStringLiteral("文件“%1”太大（%2 MB），一次最多导入 %3 MB 的文件。")
                          .arg(name)
                          .arg((file.size() + (1 << 20) - 1) >> 20)
                          .arg(kMaxTableFileBytes >> 20));
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) return failed(QStringLiteral("无法读取文件“%1”。").arg(name));
    if (bytes.isEmpty()) return failed(QStringLiteral("文件“%1”是空的。").arg(name));

    const TableFormat byContent = TableFormatOfContent(bytes);
    if (byContent != byName) {
        if (byName == TableFormat::Xlsx && isEncryptedPackage(bytes))
            return failed(QStringLiteral("工作簿“%1”设有密码保护，无法读取。").arg(name));
        if (byContent == TableFormat::Unknown)
            return failed(QStringLiteral("文件“%1”不是有效的%2，可能已损坏。").arg(name, formatName(byName)));
        return failed(QStringLiteral("文件“%1”的扩展名表明它是%2，内容却是%3，无法导入。请核对文件。")
                          .arg(name, formatName(byName), formatName(byContent)));
    }
    TextTable table;
    switch (byName) {
    case TableFormat::Csv:
        table = ReadCsv(bytes, maxRows);
        break;
    case TableFormat::Xls:
        table = ReadXls(bytes, maxRows);
        break;
    default:
        table = ReadXlsx(bytes, maxRows);
        break;
    }
    if (!table.error.isEmpty()) table.error = QStringLiteral("无法读取文件“%1”：%2").arg(name, table.error);
    return table;
}

QString DecodeCsvText(const QByteArray& bytes, QString* encoding, QString* error) {
    error->clear();
    auto decode = [&](QStringDecoder& decoder, QByteArrayView data, const QString& name) {
        QString text = decoder.decode(data);
        if (decoder.hasError()) {
            *error = QStringLiteral("文件中有不属于 %1 编码的字节，无法读取。").arg(name);
            return QString();
        }
        *encoding = name;
        return text;
    };
    const QByteArrayView view(bytes);
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder d(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        return decode(d, view.sliced(3), QStringLiteral("UTF-8"));
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder d(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                         QStringConverter::Flag::Stateless);
        return decode(d, view.sliced(2), QStringLiteral("UTF-16"));
    }
    if (hasNul(bytes)) {
        *error = QStringLiteral("文件不是文本文件，无法作为 CSV 读取。");
        return {};
    }
    {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = utf8.decode(view);
        if (!utf8.hasError()) {
            *encoding = QStringLiteral("UTF-8");
            return text;
        }
    }
    // Not UTF-8: the Chinese ANSI code page. Qt reaches GB18030 through ICU; a build without it cannot.
    QStringDecoder gbk("GB18030", QStringConverter::Flag::Stateless);
    if (!gbk.isValid()) {
        *error = QStringLiteral("文件不是 UTF-8 编码，本机又无法识别 GBK 编码，请把文件另存为 UTF-8 编码后再导入。");
        return {};
    }
    QString text = decode(gbk, view, QStringLiteral("GBK"));
    if (!error->isEmpty()) *error = QStringLiteral("文件既不是 UTF-8 也不是 GBK 编码的文本，无法读取。");
    return text;
}

QChar DetectDelimiter(const QString& text) {
    return delimiterOf(text);
}

QList<QStringList> ParseCsv(const QString& text, QChar delimiter, int maxRows, bool* truncated) {
    QList<QStringList> rows;
    if (truncated) *truncated = false;
    QStringList row;
    QString field;
    const qsizetype n = text.size();
    const QChar* p = text.constData();
    qsizetype i = 0;
    auto endRow = [&]() {
        while (!row.isEmpty() && row.constLast().isEmpty())
            row.removeLast();
        if (row.size() > kMaxTableColumns) row.resize(kMaxTableColumns);
        rows.append(std::move(row));
        row = QStringList();
    };
    while (i < n) {
        if (rows.size() >= maxRows) {
            if (truncated) *truncated = true;
            return rows;
        }
        // One field.
        field.clear();
        if (p[i] == u'"') {
            ++i;
            for (;;) {
                const qsizetype start = i;
                while (i < n && p[i] != u'"')
                    ++i;
                field.append(p + start, i - start);
                if (i >= n) break; // an unclosed quote takes the rest of the file
                if (i + 1 < n && p[i + 1] == u'"') {
                    field.append(u'"');
                    i += 2;
                    continue;
                }
                ++i; // the closing quote
                break;
            }
            // Text after the closing quote belongs to the field, as spreadsheet programs read it.
            const qsizetype start = i;
            while (i < n && p[i] != delimiter && p[i] != u'\n' && p[i] != u'\r')
                ++i;
            field.append(p + start, i - start);
        } else {
            const qsizetype start = i;
            while (i < n && p[i] != delimiter && p[i] != u'\n' && p[i] != u'\r')
                ++i;
            field = QString(p + start, i - start);
        }
        row.append(field);
        if (i >= n) break;
        if (p[i] == delimiter) {
            ++i;
            if (i >= n) row.append(QString()); // a trailing delimiter ends with an empty field
            continue;
        }
        // A line break: CR LF, LF or CR.
        if (p[i] == u'\r' && i + 1 < n && p[i + 1] == u'\n') ++i;
        ++i;
        endRow();
    }
    if (!row.isEmpty()) endRow();
    return rows;
}

TextTable ReadCsv(const QByteArray& bytes, int maxRows) {
    TextTable table;
    const QString text = DecodeCsvText(bytes, &table.encoding, &table.error);
    if (!table.error.isEmpty()) return table;
    table.delimiter = DetectDelimiter(text);
    table.rows = ParseCsv(text, table.delimiter, maxRows, &table.truncated);
    return table;
}

TextTable ReadXls(const QByteArray& bytes, int maxRows) {
    TextTable table;
    QList<xls::SheetCell> cells;
    table.error = xls::readWorksheet(bytes, 0, &cells, maxRows, &table.truncated);
    if (!table.error.isEmpty()) return table;
    for (const xls::SheetCell& c : cells)
        placeCell(table.rows, c.row, c.column, c.isNumber ? NumberCellText(c.number) : c.text);
    return table;
}

TextTable ReadXlsx(const QByteArray& bytes, int maxRows) {
    ZipArchive zip(bytes);
    if (!zip.isOpen()) return failed(QStringLiteral("文件不是有效的 .xlsx 工作簿（无法作为压缩包打开）。"));
    QString error;

    // The package's relationships name the workbook; older writers rely on the usual place.
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    if (zip.contains(QStringLiteral("_rels/.rels"))) {
        const QByteArray xml = zip.read(QStringLiteral("_rels/.rels"), &error);
        if (!error.isEmpty()) return failed(error);
        for (const Relationship& rel : readRelationships(xml))
            if (rel.type.endsWith(QLatin1String("/officeDocument"))) workbookPart = resolvePart({}, rel.target);
    }
    if (!zip.contains(workbookPart))
        return failed(QStringLiteral("压缩包中没有 Excel 工作簿（缺少 %1），不是 .xlsx 工作簿。").arg(workbookPart));
    const QByteArray workbook = zip.read(workbookPart, &error);
    if (!error.isEmpty()) return failed(error);

    const QString folder = folderOf(workbookPart);
    const QString relsPart = (folder.isEmpty() ? QString() : folder + u'/') + QStringLiteral("_rels/") +
                             workbookPart.mid(folder.isEmpty() ? 0 : folder.size() + 1) + QStringLiteral(".rels");
    QHash<QString, Relationship> rels;
    if (zip.contains(relsPart)) {
        const QByteArray xml = zip.read(relsPart, &error);
        if (!error.isEmpty()) return failed(error);
        rels = readRelationships(xml);
    }

    // The first sheet of the workbook that is a worksheet (chart sheets are passed over).
    QString sheetPart;
    {
        QXmlStreamReader r(workbook);
        int sheetNumber = 0;
        while (!r.atEnd() && sheetPart.isEmpty()) {
            r.readNext();
            if (!r.isStartElement() || r.name() != QLatin1String("sheet")) continue;
            ++sheetNumber;
            QString id;
            for (const QXmlStreamAttribute& a : r.attributes())
                if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty()) id = a.value().toString();
            const Relationship rel = rels.value(id);
            if (!rel.target.isEmpty() && rel.type.endsWith(QLatin1String("/worksheet")))
                sheetPart = resolvePart(folder, rel.target);
            else if (rels.isEmpty())
                sheetPart = resolvePart(folder, QStringLiteral("worksheets/sheet%1.xml").arg(sheetNumber));
        }
        if (r.hasError()) return failed(xmlError(workbookPart, r));
    }
    if (sheetPart.isEmpty()) return failed(QStringLiteral("工作簿中没有工作表。"));

    QStringList shared;
    for (const Relationship& rel : rels) {
        if (!rel.type.endsWith(QLatin1String("/sharedStrings"))) continue;
        const QString part = resolvePart(folder, rel.target);
        const QByteArray xml = zip.read(part, &error);
        if (!error.isEmpty() || !readSharedStrings(xml, part, &shared, &error)) return failed(error);
        break;
    }
    const QByteArray sheet = zip.read(sheetPart, &error);
    if (!error.isEmpty()) return failed(error);
    TextTable table;
    readSheetData(sheet, sheetPart, shared, maxRows, &table);
    if (!table.error.isEmpty()) table.rows.clear();
    return table;
}

QString NumberCellText(double value) {
    return std::isfinite(value) ? GeneralNumberText(value) : QStringLiteral("#NUM!");
}

} // namespace vestrel
