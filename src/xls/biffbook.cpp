#include "xls/biffbook.h"

#include "xls/bytes.h"
#include "xls/records.h"
#include "xls/xlstexts.h"

#include <QHash>

#include <algorithm>
#include <set>

namespace vestrel::xls {

using namespace detail;

namespace {

constexpr qsizetype kMaxData = 8224;
constexpr int kBlockRows = 32;
constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kBiff5 = 0x0500;

bool isCell(quint16 t) {
    switch (t) {
    case rtFormula:
    case rtBlank:
    case rtMulBlank:
    case rtRk:
    case rtMulRk:
    case rtBoolErr:
    case rtNumber:
    case rtLabelSst:
    case rtLabel:
    case rtRString:
        return true;
    default:
        return false;
    }
}

// Records that travel with the cell record before them.
bool isCompanion(quint16 t) {
    return t == rtString || t == rtArray || t == rtShrFmla || t == rtTable || t == rtContinue;
}

bool inCellTable(quint16 t) {
    return isCell(t) || isCompanion(t) || t == rtRow || t == rtDbCell || t == rtEntExU2;
}

// Globals records that the grammar places after the shared string table.
bool followsSst(quint16 t) {
    switch (t) {
    case 0x0801: // WebPub
    case 0x080B: // WOpt
    case 0x0865: // CrErr
    case 0x0863: // BookExt
    case 0x0867: // FeatHdr
    case 0x0876: // DConn
    case 0x0896: // Theme
    case 0x089B: // CompressPictures
    case 0x088C: // Compat12
    case 0x0897: // GUIDTypeLib
    case rtEof:
        return true;
    default:
        return false;
    }
}

// Smallest size of the sheet records whose fixed fields readers decode; 0 for any other record.
qsizetype minimumSize(quint16 t) {
    switch (t) {
    case rtBlank:
        return 6;
    case rtBoolErr:
    case rtLabel:
    case rtRString:
        return 8;
    case rtRk:
    case rtLabelSst:
        return 10;
    case rtMulBlank:
        return 8;
    case rtMulRk:
        return 12;
    case rtNumber:
    case rtDimensions:
        return 14;
    case rtRow:
    case rtIndex:
        return 16;
    case rtFormula:
        return 22;
    case rtDbCell:
        return 4;
    default:
        return 0;
    }
}

void addRecord(QByteArray& out, quint16 type, const QByteArray& payload) {
    add16(out, type);
    add16(out, quint16(payload.size()));
    out.append(payload);
}

// Position of copied input bytes in the output: the map that moves every stream pointer.
class Layout {
public:
    explicit Layout(const QByteArray& in) : in_(in) {}

    QByteArray out;

    void copyTo(qsizetype end) {
        if (end <= cursor_) return;
        if (!spans_.empty() && spans_.back().oldEnd == cursor_ &&
            spans_.back().newStart + (spans_.back().oldEnd - spans_.back().oldStart) == out.size())
            spans_.back().oldEnd = end;
        else
            spans_.push_back({cursor_, end, out.size()});
        out.append(in_.constData() + cursor_, end - cursor_);
        cursor_ = end;
    }
    void skipTo(qsizetype end) { cursor_ = std::max(cursor_, end); }

    // New position of an input position inside copied bytes, or -1.
    qint64 map(qint64 old) const {
        auto it =
            std::upper_bound(spans_.begin(), spans_.end(), old, [](qint64 v, const Span& s) { return v < s.oldStart; });
        if (it == spans_.begin()) return -1;
        --it;
        return old < it->oldEnd ? it->newStart + (old - it->oldStart) : -1;
    }

private:
    struct Span {
        qsizetype oldStart;
        qsizetype oldEnd;
        qsizetype newStart;
    };
    const QByteArray& in_;
    qsizetype cursor_ = 0;
    std::vector<Span> spans_;
};

} // namespace

QByteArray BiffBook::bytes(int first, int last) const {
    const qsizetype from = records_[size_t(first)].offset;
    const Record& end = records_[size_t(last - 1)];
    return stream_.mid(from, end.offset + 4 + end.size - from);
}

int BiffBook::recordAt(qsizetype offset) const {
    auto it = std::lower_bound(records_.begin(), records_.end(), offset,
                               [](const Record& r, qsizetype v) { return r.offset < v; });
    return it != records_.end() && it->offset == offset ? int(it - records_.begin()) : -1;
}

QString BiffBook::parse(const QByteArray& stream) {
    *this = BiffBook();
    stream_ = stream;
    splitRecords();
    if (QString error = parseGlobals(); !error.isEmpty()) return error;
    if (sst_ >= 0) {
        if (QString error = parseSst(); !error.isEmpty()) return error;
    }
    return parseSheets();
}

void BiffBook::splitRecords() {
    // Bytes after the last whole record are kept as they are; parseSheets() makes sure no sheet reaches them.
    for (qsizetype pos = 0; pos + 4 <= stream_.size();) {
        const quint16 size = u16(stream_, pos + 2);
        if (pos + 4 + size > stream_.size()) break;
        records_.push_back({pos, u16(stream_, pos), size});
        pos += 4 + size;
    }
}

QString BiffBook::parseGlobals() {
    if (records_.empty() || records_[0].type != rtBof || records_[0].size < 4)
        return texts::corrupt(texts::badRecords());
    const quint16 version = u16(stream_, payload(0, 0));
    if (version == kBiff5) return texts::biff5();
    if (version != kBiff8) return texts::unsupportedVersion();
    if (u16(stream_, payload(0, 2)) != 0x0005) return texts::corrupt(texts::badRecords());

    int xfCount = 0;
    int lastBoundSheet = -1;
    for (int i = 1; i < int(records_.size()); ++i) {
        const Record& r = records_[size_t(i)];
        if (r.type == rtEof) {
            globalsEnd_ = i;
            break;
        }
        if (r.size > kMaxData || r.type == rtBof) return texts::corrupt(texts::badRecords());
        if (r.type == rtFilePass) return texts::encrypted();
        if (r.type == rtBoundSheet) {
            if (QString error = addSheet(i); !error.isEmpty()) return error;
            lastBoundSheet = i;
        } else if (r.type == rtSst) {
            if (sst_ >= 0) return texts::corrupt(texts::badStringTable());
            sst_ = i;
        } else if (r.type == rtExtSst && extSst_ < 0) {
            extSst_ = i;
        } else if (r.type == rtXf) {
            if (r.size >= 6 && cellXf_ < 0 && xfCount >= 15 && !(u16(stream_, payload(i, 4)) & 0x0004))
                cellXf_ = xfCount; // 15, Excel's default cell format, whenever it is a cell format
            ++xfCount;
        }
        if (sstInsertAt_ < 0 && lastBoundSheet >= 0 && i > lastBoundSheet && followsSst(r.type)) sstInsertAt_ = i;
    }
    if (globalsEnd_ < 0 || sheets_.isEmpty()) return texts::corrupt(texts::badRecords());
    if (sstInsertAt_ < 0) sstInsertAt_ = globalsEnd_;
    if (extSst_ >= 0 && extSst_ < sst_) return texts::corrupt(texts::badStringTable());
    return {};
}

QString BiffBook::addSheet(int boundsheet) {
    const Record& r = records_[size_t(boundsheet)];
    if (r.size < 8) return texts::corrupt(texts::badSheetList());
    const int cch = uchar(stream_.at(payload(boundsheet, 6)));
    const bool wide = stream_.at(payload(boundsheet, 7)) & 1;
    if (8 + cch * (wide ? 2 : 1) > r.size) return texts::corrupt(texts::badSheetList());
    Sheet s;
    s.boundsheet = boundsheet;
    s.kind = uchar(stream_.at(payload(boundsheet, 5)));
    for (int k = 0; k < cch; ++k)
        s.name += wide ? QChar(u16(stream_, payload(boundsheet, 8 + 2 * k)))
                       : QChar(uchar(stream_.at(payload(boundsheet, 8 + k))));
    sheets_.append(s);
    return {};
}

// Walks the shared strings: where each starts (for EXTSST) and where the last ends.
QString BiffBook::parseSst() {
    std::vector<int> chunks{sst_};
    for (int i = sst_ + 1; i < globalsEnd_ && records_[size_t(i)].type == rtContinue; ++i)
        chunks.push_back(i);
    const Record& head = records_[size_t(sst_)];
    if (head.size < 8) return texts::corrupt(texts::badStringTable());
    sstTotal_ = u32(stream_, head.offset + 4);
    sstUnique_ = u32(stream_, head.offset + 8);

    const QString bad = texts::corrupt(texts::badStringTable());
    int ci = 0;
    qsizetype pos = 8;
    auto base = [&]() { return records_[size_t(chunks[size_t(ci)])].offset + 4; };
    auto size = [&]() { return qsizetype(records_[size_t(chunks[size_t(ci)])].size); };
    auto nextChunk = [&]() {
        if (ci + 1 >= int(chunks.size())) return false;
        ++ci;
        pos = 0;
        return true;
    };

    for (quint32 k = 0; k < sstUnique_; ++k) {
        if (pos == size() && !nextChunk()) return bad;
        sstStarts_.push_back({ci, pos});
        if (pos + 3 > size()) return bad;
        const int cch = u16(stream_, base() + pos);
        const int flags = uchar(stream_.at(base() + pos + 2));
        pos += 3;
        qsizetype extra = 0;
        if (flags & 0x08) {
            if (pos + 2 > size()) return bad;
            extra += 4 * qsizetype(u16(stream_, base() + pos));
            pos += 2;
        }
        if (flags & 0x04) {
            if (pos + 4 > size()) return bad;
            extra += u32(stream_, base() + pos);
            pos += 4;
        }
        bool wide = flags & 0x01;
        for (int left = cch; left > 0;) {
            if (pos == size()) {
                // A string continued in the next record restates its width there.
                if (!nextChunk() || size() < 1) return bad;
                wide = stream_.at(base()) & 0x01;
                pos = 1;
            }
            const qsizetype width = wide ? 2 : 1;
            const int n = int(std::min<qsizetype>(left, (size() - pos) / width));
            if (n == 0) return bad;
            pos += n * width;
            left -= n;
        }
        while (extra > 0) { // formatting runs and phonetic data
            if (pos == size() && !nextChunk()) return bad;
            const qsizetype n = std::min(extra, size() - pos);
            pos += n;
            extra -= n;
        }
    }
    // Anything after the last string is unreferenced and is dropped when strings are added.
    sstEndChunk_ = ci;
    sstEndPos_ = pos;
    return {};
}

QString BiffBook::parseSheets() {
    // Every sheet's offset is rewritten later, so every one must lead to a BOF.
    std::vector<int> order;
    for (int k = 0; k < sheets_.size(); ++k) {
        Sheet& s = sheets_[k];
        s.bof = recordAt(u32(stream_, payload(s.boundsheet, 0)));
        if (s.bof <= globalsEnd_ || records_[size_t(s.bof)].type != rtBof || records_[size_t(s.bof)].size < 4)
            return texts::corrupt(texts::badSheetList());
        if (QString error = checkSubstream(s); !error.isEmpty()) return error;
        order.push_back(k);
    }
    // The substreams follow one another; no two sheets share a record.
    std::sort(order.begin(), order.end(), [&](int a, int b) { return sheets_[a].bof < sheets_[b].bof; });
    for (size_t k = 1; k < order.size(); ++k) {
        if (sheets_[order[k]].bof <= sheets_[order[k - 1]].eof) return texts::corrupt(texts::badSheetList());
    }
    return {};
}

// A sheet's substream runs from its BOF to the EOF that matches it (charts nest their own BOF..EOF). Readers
// decode the fixed fields of the cell-table records, so those must be whole wherever the sheet is.
QString BiffBook::checkSubstream(Sheet& s) const {
    const QString bad = texts::corrupt(texts::badSheetRecords(s.name));
    if (u16(stream_, payload(s.bof, 0)) != kBiff8) return bad;
    const quint16 dt = u16(stream_, payload(s.bof, 2));
    const bool hasCells = dt == 0x0010 || dt == 0x0040; // worksheet, dialog or macro sheet
    int depth = 0;
    for (int i = s.bof; i < int(records_.size()); ++i) {
        const Record& r = records_[size_t(i)];
        if (r.size > kMaxData) return bad;
        if (r.type == rtBof) {
            if (r.size < 4) return bad;
            ++depth;
            continue;
        }
        if (r.type == rtEof && --depth == 0) {
            s.eof = i;
            return {};
        }
        if (depth != 1) continue;
        if (r.type == rtIndex && s.index < 0)
            s.index = i;
        else if (r.type == rtDefColWidth && s.defColWidth < 0)
            s.defColWidth = i;
        if (hasCells && !recordIsWhole(i)) return bad;
    }
    return texts::corrupt(texts::truncated());
}

bool BiffBook::recordIsWhole(int record) const {
    const Record& r = records_[size_t(record)];
    if (r.size < minimumSize(r.type)) return false;
    if (r.type == rtIndex && (r.size - 16) % 4 != 0) return false;
    if (r.type == rtMulRk || r.type == rtMulBlank) {
        const qsizetype each = r.type == rtMulRk ? 6 : 2;
        const int first = u16(stream_, payload(record, 2));
        const int last = u16(stream_, payload(record, r.size - 2));
        if ((r.size - 6) % each != 0 || last > 255 || last - first + 1 != (r.size - 6) / each) return false;
    } else if (isCell(r.type) && u16(stream_, payload(record, 2)) > 255) {
        return false;
    }
    return r.type != rtLabelSst || u32(stream_, payload(record, 6)) < sstUnique_;
}

int BiffBook::findSheet(const QString& name) const {
    for (int i = 0; i < sheets_.size(); ++i) {
        if (sheets_[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QString BiffBook::prepare(int sheet) {
    if (sheets_[sheet].prepared) return {};
    Sheet s = sheets_[sheet]; // kept only when the whole cell table is understood
    if (s.kind != 0 || u16(stream_, payload(s.bof, 2)) != 0x0010) return texts::unsupportedSheet(s.name);
    if (cellXf_ < 0) return texts::corrupt(texts::badCellFormats());
    if (QString error = findCellTable(s); !error.isEmpty()) return error;
    if (QString error = collectUnits(s); !error.isEmpty()) return error;
    s.prepared = true;
    sheets_[sheet] = std::move(s);
    return {};
}

// The cell table is the run of cell-table records right after DIMENSIONS; no cell may stand elsewhere.
QString BiffBook::findCellTable(Sheet& s) const {
    const QString unsupported = texts::unsupportedSheet(s.name);
    int depth = 0;
    for (int i = s.bof; i < s.eof; ++i) {
        const Record& r = records_[size_t(i)];
        depth += r.type == rtBof ? 1 : r.type == rtEof ? -1 : 0;
        if (depth != 1 || r.type == rtBof) continue;
        if (r.type == rtDimensions && s.dims < 0) {
            s.dims = i;
        } else if (r.type == rtDefaultRowHeight && r.size >= 4) {
            const quint16 height = u16(stream_, r.offset + 6);
            if (height >= 2 && height <= 8192) s.rowHeight = height;
        }
    }
    if (s.dims < 0 || records_[size_t(s.dims)].size != 14 || (s.index >= 0 && s.index > s.dims)) return unsupported;
    s.indexAfter = s.bof + 1;
    if (records_[size_t(s.indexAfter)].type == rtUncalced) ++s.indexAfter;

    s.regionBegin = s.dims + 1;
    s.regionEnd = s.regionBegin;
    while (s.regionEnd < s.eof && inCellTable(records_[size_t(s.regionEnd)].type))
        ++s.regionEnd;
    depth = 0;
    for (int i = s.bof; i < s.eof; ++i) {
        const quint16 t = records_[size_t(i)].type;
        depth += t == rtBof ? 1 : t == rtEof ? -1 : 0;
        const bool outside = i < s.regionBegin || i >= s.regionEnd;
        if (depth == 1 && outside && (isCell(t) || t == rtRow)) return unsupported;
    }
    return {};
}

QString BiffBook::collectUnits(Sheet& s) const {
    bool afterUnit = false;
    for (int i = s.regionBegin; i < s.regionEnd; ++i) {
        const Record& r = records_[size_t(i)];
        if (isCompanion(r.type)) {
            if (!afterUnit) return texts::unsupportedSheet(s.name);
            s.units.back().last = i + 1;
            continue;
        }
        afterUnit = false;
        if (r.type == rtRow || isCell(r.type)) {
            const int row = u16(stream_, r.offset + 4);
            if (r.type == rtRow)
                s.rows.push_back({row, i});
            else {
                s.units.push_back({row, i, i + 1});
                afterUnit = true;
            }
            s.firstUsed = s.firstUsed < 0 ? row : std::min(s.firstUsed, row);
            s.lastUsed = std::max(s.lastUsed, row);
        } else if (r.type == rtEntExU2)
            s.trailing.push_back(i);
        // Old DBCELLs are dropped: the row blocks are rebuilt.
    }
    std::stable_sort(s.rows.begin(), s.rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::stable_sort(s.units.begin(), s.units.end(), [](const Unit& a, const Unit& b) { return a.row < b.row; });
    return {};
}

int BiffBook::nextRow(int sheet) const {
    return sheets_[sheet].lastUsed + 1;
}

// The new stream, written in one pass over the old one: the string table first, then the grown sheets in stream
// order, then every stream position that moved.
class BiffBook::Builder {
public:
    Builder(const BiffBook& book, const QMap<int, QList<QStringList>>& rows) : b_(book), layout_(book.stream_) {
        collectStrings(rows);
    }
    quint32 cellCount() const { return cellCount_; }
    QByteArray run();

private:
    using SheetRows = std::vector<std::vector<quint32>>; // the string index of every new cell, row by row
    struct Growth {
        int firstNew = 0;   // the row of the first appended row
        int firstUsed = -1; // the first and last appended rows that have cells
        int last = -1;
        int width = 0;           // the widest appended row
        std::vector<int> blocks; // the 32-row blocks holding any row, old or new, ascending
    };
    struct Cursor { // the next old ROW record, old cell and new row to write
        size_t oldRow = 0;
        size_t oldUnit = 0;
        size_t newRow = 0;
    };
    struct IndexFix {
        qsizetype at; // output position of the INDEX payload
        int sheet;
        std::vector<qsizetype> dbcells;
        int firstRow;
        int lastRow;
    };

    void collectStrings(const QMap<int, QList<QStringList>>& rows);
    void buildStringTable();
    void appendString(const QString& text, bool wide);
    void writeStringTable();
    void copyGlobals();
    Growth measure(const Sheet& s, const SheetRows& rows) const;
    void writeSheet(int sheet);
    void writeDimensions(const Sheet& s, const Growth& g);
    qsizetype writeRowRecords(const Sheet& s, const SheetRows& rows, const Growth& g, int block, Cursor& at);
    qsizetype writeBlock(const Sheet& s, const SheetRows& rows, const Growth& g, int block, Cursor& at);
    void fixPositions();
    void fixMovedIndex(const Sheet& s);

    qsizetype offsetOf(int i) const { return b_.records_[size_t(i)].offset; }
    qsizetype endOf(int i) const { return offsetOf(i) + 4 + b_.records_[size_t(i)].size; }

    const BiffBook& b_;
    QHash<QString, quint32> lookup_;
    QList<QString> added_;
    QMap<int, SheetRows> cells_;
    quint32 cellCount_ = 0;
    QList<QByteArray> chunks_; // SST then CONTINUE payloads
    quint32 bucket_ = 8;       // strings per EXTSST bucket
    std::vector<SstPosition> bucketStarts_;
    Layout layout_;
    std::vector<IndexFix> fixes_;
};

QByteArray BiffBook::build(const QMap<int, QList<QStringList>>& rows) const {
    Builder builder(*this, rows);
    return builder.cellCount() == 0 ? stream_ : builder.run();
}

QByteArray BiffBook::Builder::run() {
    buildStringTable();
    layout_.out.reserve(b_.stream_.size() + qsizetype(cellCount_) * 16 + qsizetype(cells_.size()) * 64 +
                        chunks_.size() * kMaxData);
    copyGlobals();
    std::vector<int> grown;
    for (auto it = cells_.begin(); it != cells_.end(); ++it)
        grown.push_back(it.key());
    std::sort(grown.begin(), grown.end(), [&](int a, int b) { return b_.sheets_[a].bof < b_.sheets_[b].bof; });
    for (int sheet : grown)
        writeSheet(sheet);
    layout_.copyTo(b_.stream_.size());
    fixPositions();
    return std::move(layout_.out);
}

// String indices of the new cells; each new text is stored once.
void BiffBook::Builder::collectStrings(const QMap<int, QList<QStringList>>& rows) {
    qsizetype expected = 0;
    for (const auto& sheetRows : rows)
        for (const QStringList& row : sheetRows)
            expected += row.size();
    lookup_.reserve(expected);
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        if (it.value().isEmpty()) continue;
        SheetRows& sheetCells = cells_[it.key()];
        for (const QStringList& row : it.value()) {
            std::vector<quint32> isst;
            isst.reserve(size_t(row.size()));
            for (const QString& text : row) {
                auto found = lookup_.constFind(text);
                if (found == lookup_.constEnd()) {
                    found = lookup_.insert(text, b_.sstUnique_ + quint32(added_.size()));
                    added_.append(text);
                }
                isst.push_back(found.value());
            }
            cellCount_ += quint32(row.size());
            sheetCells.push_back(std::move(isst));
        }
    }
}

// Shared strings: the old records as they are (bar the counts), then the new strings, split at 8224 bytes.
void BiffBook::Builder::buildStringTable() {
    if (b_.sst_ >= 0) {
        for (int c = 0; c <= b_.sstEndChunk_; ++c) {
            const Record& r = b_.records_[size_t(b_.sst_ + c)];
            chunks_.append(b_.stream_.mid(r.offset + 4, c == b_.sstEndChunk_ ? b_.sstEndPos_ : r.size));
        }
    } else
        chunks_.append(QByteArray(8, '\0'));
    const quint32 unique = b_.sstUnique_ + quint32(added_.size());
    put32(chunks_[0], 0, b_.sstTotal_ + cellCount_);
    put32(chunks_[0], 4, unique);
    bucket_ = std::max<quint32>(8, unique / 128 + 1);
    for (quint32 k = 0; k < b_.sstUnique_; k += bucket_)
        bucketStarts_.push_back(b_.sstStarts_[k]);
    for (qsizetype k = 0; k < added_.size(); ++k) {
        const QString& text = added_.at(k);
        const bool wide = std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; });
        // The string's header and its first character share a record.
        if (chunks_.last().size() + 3 + (text.isEmpty() ? 0 : wide ? 2 : 1) > kMaxData) chunks_.append(QByteArray());
        if ((b_.sstUnique_ + quint32(k)) % bucket_ == 0)
            bucketStarts_.push_back({int(chunks_.size() - 1), chunks_.last().size()});
        appendString(text, wide);
    }
}

void BiffBook::Builder::appendString(const QString& s, bool wide) {
    const qsizetype width = wide ? 2 : 1;
    add16(chunks_.last(), quint16(s.size()));
    chunks_.last().append(char(wide ? 1 : 0));
    for (qsizetype i = 0; i < s.size();) {
        qsizetype n = std::min((kMaxData - chunks_.last().size()) / width, s.size() - i);
        // Never part a surrogate pair: readers decode each piece on its own.
        if (n > 0 && i + n < s.size() && s.at(i + n - 1).isHighSurrogate()) --n;
        if (n == 0) { // a continued string restates its width
            chunks_.append(QByteArray(1, char(wide ? 1 : 0)));
            continue;
        }
        QByteArray& chunk = chunks_.last();
        const qsizetype at = chunk.size();
        chunk.resize(at + n * width);
        for (qsizetype c = 0; c < n; ++c) {
            const quint16 u = s.at(i + c).unicode();
            if (wide)
                put16(chunk, at + 2 * c, u);
            else
                chunk[at + c] = char(u);
        }
        i += n;
    }
}

void BiffBook::Builder::writeStringTable() {
    QByteArray& out = layout_.out;
    std::vector<qsizetype> chunkAt;
    for (qsizetype c = 0; c < chunks_.size(); ++c) {
        chunkAt.push_back(out.size());
        addRecord(out, c == 0 ? rtSst : rtContinue, chunks_[c]);
    }
    QByteArray ext;
    add16(ext, quint16(bucket_));
    for (const SstPosition& p : bucketStarts_) {
        add32(ext, quint32(chunkAt[size_t(p.chunk)] + 4 + p.pos));
        add16(ext, quint16(4 + p.pos));
        add16(ext, 0);
    }
    addRecord(out, rtExtSst, ext);
}

// Globals: the string table and its index are replaced (or inserted), everything else copied.
void BiffBook::Builder::copyGlobals() {
    const auto withContinues = [&](int i) {
        while (i + 1 < b_.globalsEnd_ && b_.records_[size_t(i + 1)].type == rtContinue)
            ++i;
        return i;
    };
    for (int i = 0; i <= b_.globalsEnd_; ++i) {
        if (i == b_.sst_) {
            layout_.copyTo(offsetOf(i));
            writeStringTable();
            i = withContinues(i);
            if (i + 1 == b_.extSst_) i = withContinues(b_.extSst_);
            layout_.skipTo(endOf(i));
        } else if (i == b_.extSst_) { // an index away from its table is dropped; the new one follows the table
            layout_.copyTo(offsetOf(i));
            i = withContinues(i);
            layout_.skipTo(endOf(i));
        } else if (b_.sst_ < 0 && i == b_.sstInsertAt_) {
            layout_.copyTo(offsetOf(i));
            writeStringTable();
        }
    }
}

BiffBook::Builder::Growth BiffBook::Builder::measure(const Sheet& s, const SheetRows& rows) const {
    Growth g;
    g.firstNew = s.lastUsed + 1;
    for (const auto& r : s.rows)
        g.blocks.push_back(r.first / kBlockRows);
    for (const Unit& u : s.units)
        g.blocks.push_back(u.row / kBlockRows);
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].empty()) continue;
        g.last = g.firstNew + int(r);
        g.firstUsed = g.firstUsed < 0 ? g.last : g.firstUsed;
        g.width = std::max(g.width, int(rows[r].size()));
        g.blocks.push_back(g.last / kBlockRows);
    }
    std::sort(g.blocks.begin(), g.blocks.end());
    g.blocks.erase(std::unique(g.blocks.begin(), g.blocks.end()), g.blocks.end());
    return g;
}

void BiffBook::Builder::writeSheet(int sheet) {
    const Sheet& s = b_.sheets_[sheet];
    const SheetRows& rows = cells_[sheet];
    const Growth g = measure(s, rows);

    // INDEX: replaced, or inserted after BOF when the template has none; fixPositions() fills it in.
    IndexFix fix{0, sheet, {}, s.firstUsed < 0 ? g.firstUsed : s.firstUsed, std::max(s.lastUsed, g.last)};
    if (s.index >= 0) {
        layout_.copyTo(offsetOf(s.index));
        layout_.skipTo(endOf(s.index));
    } else
        layout_.copyTo(offsetOf(s.indexAfter));
    fix.at = layout_.out.size() + 4;
    addRecord(layout_.out, rtIndex, QByteArray(16 + 4 * qsizetype(g.blocks.size()), '\0'));

    writeDimensions(s, g);
    Cursor at;
    for (int block : g.blocks)
        fix.dbcells.push_back(writeBlock(s, rows, g, block, at));
    for (int t : s.trailing)
        layout_.out.append(b_.bytes(t, t + 1));
    layout_.skipTo(offsetOf(s.regionEnd)); // the EOF at the latest, so always a record
    fixes_.push_back(std::move(fix));
}

// DIMENSIONS must cover every cell.
void BiffBook::Builder::writeDimensions(const Sheet& s, const Growth& g) {
    layout_.copyTo(offsetOf(s.dims));
    QByteArray dims = b_.stream_.mid(offsetOf(s.dims) + 4, 14);
    if (g.last >= 0) {
        const bool hadCells = s.lastUsed >= 0;
        put32(dims, 0, hadCells ? std::min<quint32>(u32(dims, 0), quint32(s.firstUsed)) : quint32(g.firstNew));
        put32(dims, 4, std::max<quint32>(hadCells ? u32(dims, 4) : 0, quint32(g.last + 1)));
        put16(dims, 8, 0);
        put16(dims, 10, quint16(std::max<int>(hadCells ? u16(dims, 10) : 0, g.width)));
    }
    addRecord(layout_.out, rtDimensions, dims);
    layout_.skipTo(endOf(s.dims));
}

// The ROW records of one block, old then new; returns where the first one ends, or -1 when there is none.
qsizetype BiffBook::Builder::writeRowRecords(const Sheet& s, const SheetRows& rows, const Growth& g, int block,
                                             Cursor& at) {
    QByteArray& out = layout_.out;
    qsizetype firstRowEnd = -1;
    for (; at.oldRow < s.rows.size() && s.rows[at.oldRow].first / kBlockRows == block; ++at.oldRow) {
        out.append(b_.bytes(s.rows[at.oldRow].second, s.rows[at.oldRow].second + 1));
        firstRowEnd = firstRowEnd < 0 ? out.size() : firstRowEnd;
    }
    for (size_t r = at.newRow; r < rows.size() && (g.firstNew + int(r)) / kBlockRows == block; ++r) {
        if (rows[r].empty()) continue;
        QByteArray row;
        add16(row, quint16(g.firstNew + int(r)));
        add16(row, 0);
        add16(row, quint16(rows[r].size()));
        add16(row, s.rowHeight);
        add32(row, 0);
        add32(row, 0x000F0100); // default row; its XF index is 15 as in the writers' own rows
        addRecord(out, rtRow, row);
        firstRowEnd = firstRowEnd < 0 ? out.size() : firstRowEnd;
    }
    return firstRowEnd;
}

// One block of 32 rows: the ROW records, the cells, then a DBCELL locating them; returns the DBCELL's position.
qsizetype BiffBook::Builder::writeBlock(const Sheet& s, const SheetRows& rows, const Growth& g, int block, Cursor& at) {
    QByteArray& out = layout_.out;
    while (at.newRow < rows.size() && (g.firstNew + int(at.newRow)) / kBlockRows < block)
        ++at.newRow; // empty rows of a block without cells
    const qsizetype blockStart = out.size();
    const qsizetype firstRowEnd = writeRowRecords(s, rows, g, block, at);

    QByteArray dbcell;
    add32(dbcell, 0);
    int lastRow = -1;
    qsizetype previous = firstRowEnd;
    const auto noteCell = [&](int row) { // each row's first cell, from the one before
        if (row == lastRow || firstRowEnd < 0) return;
        add16(dbcell, quint16(std::clamp<qsizetype>(out.size() - previous, 0, 0xFFFF)));
        previous = out.size();
        lastRow = row;
    };
    for (; at.oldUnit < s.units.size() && s.units[at.oldUnit].row / kBlockRows == block; ++at.oldUnit) {
        noteCell(s.units[at.oldUnit].row);
        out.append(b_.bytes(s.units[at.oldUnit].first, s.units[at.oldUnit].last));
    }
    for (; at.newRow < rows.size() && (g.firstNew + int(at.newRow)) / kBlockRows == block; ++at.newRow) {
        const quint16 row = quint16(g.firstNew + int(at.newRow));
        for (size_t c = 0; c < rows[at.newRow].size(); ++c) {
            noteCell(row);
            QByteArray cell;
            add16(cell, row);
            add16(cell, quint16(c));
            add16(cell, quint16(b_.cellXf_));
            add32(cell, rows[at.newRow][c]);
            addRecord(out, rtLabelSst, cell);
        }
    }
    if (firstRowEnd >= 0) put32(dbcell, 0, quint32(out.size() - blockStart));
    const qsizetype position = out.size();
    addRecord(out, rtDbCell, dbcell);
    return position;
}

// Stream positions: every sheet's offset, the INDEX of the grown sheets, and the INDEX of every sheet that moved.
void BiffBook::Builder::fixPositions() {
    QByteArray& out = layout_.out;
    for (const Sheet& s : b_.sheets_)
        put32(out, layout_.map(offsetOf(s.boundsheet)) + 4, quint32(layout_.map(offsetOf(s.bof))));
    std::set<int> grown;
    for (const IndexFix& fix : fixes_) {
        const Sheet& s = b_.sheets_[fix.sheet];
        grown.insert(fix.sheet);
        put32(out, fix.at + 4, fix.firstRow < 0 ? 0 : quint32(fix.firstRow));
        put32(out, fix.at + 8, fix.firstRow < 0 ? 0 : quint32(fix.lastRow + 1));
        put32(out, fix.at + 12, s.defColWidth >= 0 ? quint32(layout_.map(offsetOf(s.defColWidth))) : 0);
        for (size_t k = 0; k < fix.dbcells.size(); ++k)
            put32(out, fix.at + 16 + 4 * qsizetype(k), quint32(fix.dbcells[k]));
    }
    for (int k = 0; k < b_.sheets_.size(); ++k) {
        if (!grown.count(k) && b_.sheets_[k].index >= 0) fixMovedIndex(b_.sheets_[k]);
    }
}

// A sheet that only moved keeps its rows (rwMic, rwMac); what moves with it are the positions its INDEX holds:
// DEFCOLWIDTH (ibXF) and its DBCELLs (rgibRw).
void BiffBook::Builder::fixMovedIndex(const Sheet& s) {
    QByteArray& out = layout_.out;
    const qint64 record = layout_.map(offsetOf(s.index));
    if (record < 0) return;
    const qsizetype at = record + 4;
    const qsizetype size = b_.records_[size_t(s.index)].size;
    if (s.defColWidth >= 0) put32(out, at + 12, quint32(layout_.map(offsetOf(s.defColWidth))));
    for (qsizetype field = 16; field + 4 <= size; field += 4) {
        const qint64 moved = layout_.map(u32(out, at + field));
        if (moved >= 0) put32(out, at + field, quint32(moved));
    }
}

} // namespace vestrel::xls
