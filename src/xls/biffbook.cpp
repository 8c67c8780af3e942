#include "xls/biffbook.h"

#include "xls/bytes.h"
#include "xls/xlstexts.h"

#include <QHash>

#include <algorithm>
#include <set>

namespace vestrel::xls {

using namespace detail;

namespace {

enum RecordType : quint16 {
    rtFormula = 0x0006,
    rtEof = 0x000A,
    rtFilePass = 0x002F,
    rtContinue = 0x003C,
    rtDefColWidth = 0x0055,
    rtUncalced = 0x005E,
    rtBoundSheet = 0x0085,
    rtMulRk = 0x00BD,
    rtMulBlank = 0x00BE,
    rtRString = 0x00D6,
    rtDbCell = 0x00D7,
    rtXf = 0x00E0,
    rtSst = 0x00FC,
    rtExtSst = 0x00FF,
    rtLabelSst = 0x00FD,
    rtEntExU2 = 0x01C2,
    rtDimensions = 0x0200,
    rtBlank = 0x0201,
    rtNumber = 0x0203,
    rtLabel = 0x0204,
    rtBoolErr = 0x0205,
    rtString = 0x0207,
    rtRow = 0x0208,
    rtIndex = 0x020B,
    rtArray = 0x0221,
    rtDefaultRowHeight = 0x0225,
    rtTable = 0x0236,
    rtRk = 0x027E,
    rtShrFmla = 0x04BC,
    rtBof = 0x0809,
};

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

    // Bytes after the last whole record are kept as they are.
    for (qsizetype pos = 0; pos + 4 <= stream.size();) {
        const quint16 size = u16(stream, pos + 2);
        if (pos + 4 + size > stream.size()) break;
        records_.push_back({pos, u16(stream, pos), size});
        pos += 4 + size;
    }
    auto payload = [&](int i, qsizetype at) { return records_[size_t(i)].offset + 4 + at; };

    if (records_.empty() || records_[0].type != rtBof || records_[0].size < 4)
        return texts::corrupt(texts::badRecords());
    const quint16 version = u16(stream, payload(0, 0));
    if (version == kBiff5) return texts::biff5();
    if (version != kBiff8) return texts::unsupportedVersion();
    if (u16(stream, payload(0, 2)) != 0x0005) return texts::corrupt(texts::badRecords());

    int xfCount = 0;
    int lastBoundSheet = -1;
    for (int i = 1; i < int(records_.size()); ++i) {
        const Record& r = records_[size_t(i)];
        if (r.type == rtEof) {
            globalsEnd_ = i;
            break;
        }
        switch (r.type) {
        case rtBof:
            return texts::corrupt(texts::badRecords());
        case rtFilePass:
            return texts::encrypted();
        case rtBoundSheet: {
            if (r.size < 8) return texts::corrupt(texts::badSheetList());
            const int cch = uchar(stream.at(payload(i, 6)));
            const bool wide = stream.at(payload(i, 7)) & 1;
            if (8 + cch * (wide ? 2 : 1) > r.size) return texts::corrupt(texts::badSheetList());
            Sheet s;
            s.boundsheet = i;
            s.kind = uchar(stream.at(payload(i, 5)));
            for (int k = 0; k < cch; ++k)
                s.name += wide ? QChar(u16(stream, payload(i, 8 + 2 * k))) : QChar(uchar(stream.at(payload(i, 8 + k))));
            sheets_.append(s);
            lastBoundSheet = i;
            break;
        }
        case rtSst:
            if (sst_ >= 0) return texts::corrupt(texts::badStringTable());
            sst_ = i;
            break;
        case rtExtSst:
            if (extSst_ < 0) extSst_ = i;
            break;
        case rtXf:
            if (r.size >= 6 && cellXf_ < 0 && xfCount >= 15 && !(u16(stream, payload(i, 4)) & 0x0004))
                cellXf_ = xfCount; // 15, Excel's default cell format, whenever it is a cell format
            ++xfCount;
            break;
        default:
            break;
        }
        if (sstInsertAt_ < 0 && lastBoundSheet >= 0 && i > lastBoundSheet && followsSst(r.type)) sstInsertAt_ = i;
    }
    if (globalsEnd_ < 0 || sheets_.isEmpty()) return texts::corrupt(texts::badRecords());
    if (sstInsertAt_ < 0) sstInsertAt_ = globalsEnd_;
    if (extSst_ >= 0 && extSst_ < sst_) return texts::corrupt(texts::badStringTable());

    // Every sheet's offset is rewritten later, so every one must lead to a BOF.
    for (Sheet& s : sheets_) {
        s.bof = recordAt(u32(stream, payload(s.boundsheet, 0)));
        if (s.bof <= globalsEnd_ || records_[size_t(s.bof)].type != rtBof || records_[size_t(s.bof)].size < 4)
            return texts::corrupt(texts::badSheetList());
    }
    return sst_ >= 0 ? parseSst() : QString();
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

int BiffBook::findSheet(const QString& name) const {
    for (int i = 0; i < sheets_.size(); ++i) {
        if (sheets_[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QString BiffBook::prepare(int sheet) {
    Sheet& s = sheets_[sheet];
    if (s.prepared) return {};
    const QString unsupported = texts::unsupportedSheet(s.name);
    if (s.kind != 0 || u16(stream_, records_[size_t(s.bof)].offset + 6) != 0x0010) return unsupported;
    if (cellXf_ < 0) return texts::corrupt(texts::badCellFormats());

    // The substream runs to the EOF that matches its BOF (charts nest their own BOF..EOF).
    int depth = 0;
    for (int i = s.bof; i < int(records_.size()); ++i) {
        const Record& r = records_[size_t(i)];
        if (r.type == rtBof)
            ++depth;
        else if (r.type == rtEof && --depth == 0) {
            s.eof = i;
            break;
        }
        if (depth != 1 || r.type == rtBof) continue;
        if (r.type == rtIndex && s.index < 0)
            s.index = i;
        else if (r.type == rtDefColWidth && s.defColWidth < 0)
            s.defColWidth = i;
        else if (r.type == rtDimensions && s.dims < 0)
            s.dims = i;
        else if (r.type == rtDefaultRowHeight && r.size >= 4) {
            const quint16 height = u16(stream_, r.offset + 6);
            if (height >= 2 && height <= 8192) s.rowHeight = height;
        }
    }
    if (s.eof < 0) return texts::corrupt(texts::truncated());
    if (s.dims < 0 || records_[size_t(s.dims)].size != 14 || (s.index >= 0 && s.index > s.dims)) return unsupported;
    s.indexAfter = s.bof + 1;
    if (records_[size_t(s.indexAfter)].type == rtUncalced) ++s.indexAfter;

    // The cell table is the run of cell-table records right after DIMENSIONS.
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

    bool afterUnit = false;
    for (int i = s.regionBegin; i < s.regionEnd; ++i) {
        const Record& r = records_[size_t(i)];
        if (isCompanion(r.type)) {
            if (!afterUnit) return unsupported;
            s.units.back().last = i + 1;
            continue;
        }
        afterUnit = false;
        if (r.type == rtRow || isCell(r.type)) {
            if (r.size < 6) return texts::corrupt(texts::badRecords());
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
    s.prepared = true;
    return {};
}

int BiffBook::nextRow(int sheet) const {
    return sheets_[sheet].lastUsed + 1;
}

QByteArray BiffBook::build(const QMap<int, QList<QStringList>>& rows) const {
    // String indices of the new cells; each new text is stored once.
    QHash<QString, quint32> lookup;
    QList<QString> added;
    QMap<int, std::vector<std::vector<quint32>>> cells;
    quint32 cellCount = 0;
    qsizetype expected = 0;
    for (const auto& sheetRows : rows)
        for (const QStringList& row : sheetRows)
            expected += row.size();
    lookup.reserve(expected);
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        if (it.value().isEmpty()) continue;
        auto& sheetCells = cells[it.key()];
        for (const QStringList& row : it.value()) {
            std::vector<quint32> isst;
            isst.reserve(size_t(row.size()));
            for (const QString& text : row) {
                auto found = lookup.constFind(text);
                if (found == lookup.constEnd()) {
                    found = lookup.insert(text, sstUnique_ + quint32(added.size()));
                    added.append(text);
                }
                isst.push_back(found.value());
            }
            cellCount += quint32(row.size());
            sheetCells.push_back(std::move(isst));
        }
    }
    if (cellCount == 0) return stream_;

    // Shared strings: the old records as they are (bar the counts), then the new strings, split at 8224 bytes.
    QList<QByteArray> chunks;
    if (sst_ >= 0) {
        for (int c = 0; c <= sstEndChunk_; ++c) {
            const Record& r = records_[size_t(sst_ + c)];
            chunks.append(stream_.mid(r.offset + 4, c == sstEndChunk_ ? sstEndPos_ : r.size));
        }
    } else
        chunks.append(QByteArray(8, '\0'));
    const quint32 unique = sstUnique_ + quint32(added.size());
    put32(chunks[0], 0, sstTotal_ + cellCount);
    put32(chunks[0], 4, unique);
    const quint32 bucket = std::max<quint32>(8, unique / 128 + 1);
    std::vector<SstPosition> bucketStarts;
    for (quint32 k = 0; k < sstUnique_; k += bucket)
        bucketStarts.push_back(sstStarts_[k]);
    for (qsizetype k = 0; k < added.size(); ++k) {
        const QString& s = added[k];
        const bool wide = std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() > 0xFF; });
        const qsizetype width = wide ? 2 : 1;
        // The string's header and its first character share a record.
        if (chunks.last().size() + 3 + (s.isEmpty() ? 0 : width) > kMaxData) chunks.append(QByteArray());
        if ((sstUnique_ + quint32(k)) % bucket == 0)
            bucketStarts.push_back({int(chunks.size() - 1), chunks.last().size()});
        add16(chunks.last(), quint16(s.size()));
        chunks.last().append(char(wide ? 1 : 0));
        for (qsizetype i = 0; i < s.size();) {
            qsizetype n = std::min((kMaxData - chunks.last().size()) / width, s.size() - i);
            // Never part a surrogate pair: readers decode each piece on its own.
            if (n > 0 && i + n < s.size() && s.at(i + n - 1).isHighSurrogate()) --n;
            if (n == 0) {
                chunks.append(QByteArray(1, char(wide ? 1 : 0)));
                continue;
            }
            QByteArray& chunk = chunks.last();
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

    Layout layout(stream_);
    QByteArray& out = layout.out;
    out.reserve(stream_.size() + qsizetype(cellCount) * 16 + qsizetype(rows.size()) * 64 + chunks.size() * kMaxData);
    auto offsetOf = [&](int i) { return records_[size_t(i)].offset; };
    auto endOf = [&](int i) { return records_[size_t(i)].offset + 4 + records_[size_t(i)].size; };

    auto emitSst = [&]() {
        std::vector<qsizetype> chunkAt;
        for (qsizetype c = 0; c < chunks.size(); ++c) {
            chunkAt.push_back(out.size());
            addRecord(out, c == 0 ? rtSst : rtContinue, chunks[c]);
        }
        QByteArray ext;
        add16(ext, quint16(bucket));
        for (const SstPosition& p : bucketStarts) {
            add32(ext, quint32(chunkAt[size_t(p.chunk)] + 4 + p.pos));
            add16(ext, quint16(4 + p.pos));
            add16(ext, 0);
        }
        addRecord(out, rtExtSst, ext);
    };

    // Globals: the string table and its index are replaced (or inserted), everything else copied.
    auto withContinues = [&](int i) {
        while (i + 1 < globalsEnd_ && records_[size_t(i + 1)].type == rtContinue)
            ++i;
        return i;
    };
    for (int i = 0; i <= globalsEnd_; ++i) {
        if (i == sst_) {
            layout.copyTo(offsetOf(i));
            emitSst();
            i = withContinues(i);
            if (i + 1 == extSst_) i = withContinues(extSst_);
            layout.skipTo(endOf(i));
        } else if (i == extSst_) { // an index away from its table is dropped; emitSst() wrote the new one
            layout.copyTo(offsetOf(i));
            i = withContinues(i);
            layout.skipTo(endOf(i));
        } else if (sst_ < 0 && i == sstInsertAt_) {
            layout.copyTo(offsetOf(i));
            emitSst();
        }
    }

    // Grown sheets, in stream order.
    std::vector<int> grown;
    for (auto it = cells.begin(); it != cells.end(); ++it)
        grown.push_back(it.key());
    std::sort(grown.begin(), grown.end(), [&](int a, int b) { return sheets_[a].bof < sheets_[b].bof; });

    struct IndexFix {
        qsizetype at; // output position of the INDEX payload
        int sheet;
        std::vector<qsizetype> dbcells;
        int firstRow;
        int lastRow;
    };
    std::vector<IndexFix> indexFixes;
    std::set<int> replacedIndex;

    for (int sheetId : grown) {
        const Sheet& s = sheets_[sheetId];
        const auto& newRows = cells[sheetId];
        const int firstNew = s.lastUsed + 1;

        int firstNewUsed = -1;
        int lastNew = -1;
        int width = 0;
        std::vector<int> blocks;
        for (const auto& r : s.rows)
            blocks.push_back(r.first / kBlockRows);
        for (const Unit& u : s.units)
            blocks.push_back(u.row / kBlockRows);
        for (size_t r = 0; r < newRows.size(); ++r) {
            if (newRows[r].empty()) continue;
            lastNew = firstNew + int(r);
            firstNewUsed = firstNewUsed < 0 ? lastNew : firstNewUsed;
            width = std::max(width, int(newRows[r].size()));
            blocks.push_back(lastNew / kBlockRows);
        }
        std::sort(blocks.begin(), blocks.end());
        blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());

        // INDEX: replaced, or inserted after BOF when the template has none; filled in below.
        IndexFix fix{0, sheetId, {}, s.firstUsed, std::max(s.lastUsed, lastNew)};
        if (fix.firstRow < 0) fix.firstRow = firstNewUsed;
        if (s.index >= 0) {
            layout.copyTo(offsetOf(s.index));
            layout.skipTo(endOf(s.index));
            replacedIndex.insert(s.index);
        } else
            layout.copyTo(offsetOf(s.indexAfter));
        fix.at = out.size() + 4;
        addRecord(out, rtIndex, QByteArray(16 + 4 * qsizetype(blocks.size()), '\0'));

        // DIMENSIONS must cover every cell.
        layout.copyTo(offsetOf(s.dims));
        QByteArray dims = stream_.mid(offsetOf(s.dims) + 4, 14);
        if (lastNew >= 0) {
            const bool hadCells = s.lastUsed >= 0;
            put32(dims, 0, hadCells ? std::min<quint32>(u32(dims, 0), quint32(s.firstUsed)) : quint32(firstNew));
            put32(dims, 4, std::max<quint32>(hadCells ? u32(dims, 4) : 0, quint32(lastNew + 1)));
            put16(dims, 8, 0);
            put16(dims, 10, quint16(std::max<int>(hadCells ? u16(dims, 10) : 0, width)));
        }
        addRecord(out, rtDimensions, dims);
        layout.skipTo(endOf(s.dims));

        // Row blocks of 32 rows: the ROW records, the cells, then a DBCELL locating them.
        size_t ri = 0;
        size_t ui = 0;
        size_t ni = 0;
        for (int block : blocks) {
            while (ni < newRows.size() && (firstNew + int(ni)) / kBlockRows < block)
                ++ni; // empty rows of a block without cells
            const qsizetype blockStart = out.size();
            qsizetype firstRowEnd = -1;
            bool hasRow = false;
            for (; ri < s.rows.size() && s.rows[ri].first / kBlockRows == block; ++ri) {
                out.append(bytes(s.rows[ri].second, s.rows[ri].second + 1));
                firstRowEnd = firstRowEnd < 0 ? out.size() : firstRowEnd;
                hasRow = true;
            }
            for (size_t r = ni; r < newRows.size() && (firstNew + int(r)) / kBlockRows == block; ++r) {
                if (newRows[r].empty()) continue;
                QByteArray row;
                add16(row, quint16(firstNew + int(r)));
                add16(row, 0);
                add16(row, quint16(newRows[r].size()));
                add16(row, s.rowHeight);
                add32(row, 0);
                add32(row, 0x000F0100); // default row; its XF index is 15 as in the writers' own rows
                addRecord(out, rtRow, row);
                firstRowEnd = firstRowEnd < 0 ? out.size() : firstRowEnd;
                hasRow = true;
            }
            QByteArray dbcell;
            add32(dbcell, 0);
            int lastRow = -1;
            qsizetype previous = firstRowEnd;
            auto noteCell = [&](int row) {
                if (row == lastRow || !hasRow) return;
                add16(dbcell, quint16(std::clamp<qsizetype>(out.size() - previous, 0, 0xFFFF)));
                previous = out.size();
                lastRow = row;
            };
            for (; ui < s.units.size() && s.units[ui].row / kBlockRows == block; ++ui) {
                noteCell(s.units[ui].row);
                out.append(bytes(s.units[ui].first, s.units[ui].last));
            }
            for (; ni < newRows.size() && (firstNew + int(ni)) / kBlockRows == block; ++ni) {
                const quint16 row = quint16(firstNew + int(ni));
                for (size_t c = 0; c < newRows[ni].size(); ++c) {
                    noteCell(row);
                    QByteArray cell;
                    add16(cell, row);
                    add16(cell, quint16(c));
                    add16(cell, quint16(cellXf_));
                    add32(cell, newRows[ni][c]);
                    addRecord(out, rtLabelSst, cell);
                }
            }
            if (hasRow) put32(dbcell, 0, quint32(out.size() - blockStart));
            fix.dbcells.push_back(out.size());
            addRecord(out, rtDbCell, dbcell);
        }
        for (int t : s.trailing)
            out.append(bytes(t, t + 1));
        layout.skipTo(s.regionEnd < int(records_.size()) ? offsetOf(s.regionEnd) : endOf(s.regionEnd - 1));
        indexFixes.push_back(std::move(fix));
    }
    layout.copyTo(stream_.size());

    // Stream positions: sheet offsets, the grown sheets' INDEX, and the INDEX of every sheet that moved.
    for (const Sheet& s : sheets_)
        put32(out, layout.map(offsetOf(s.boundsheet)) + 4, quint32(layout.map(offsetOf(s.bof))));
    for (const IndexFix& fix : indexFixes) {
        const Sheet& s = sheets_[fix.sheet];
        put32(out, fix.at + 4, fix.firstRow < 0 ? 0 : quint32(fix.firstRow));
        put32(out, fix.at + 8, fix.firstRow < 0 ? 0 : quint32(fix.lastRow + 1));
        put32(out, fix.at + 12, s.defColWidth >= 0 ? quint32(layout.map(offsetOf(s.defColWidth))) : 0);
        for (size_t k = 0; k < fix.dbcells.size(); ++k)
            put32(out, fix.at + 16 + 4 * qsizetype(k), quint32(fix.dbcells[k]));
    }
    for (int i = globalsEnd_ + 1; i < int(records_.size()); ++i) {
        const Record& r = records_[size_t(i)];
        const qint64 at = r.type == rtIndex && !replacedIndex.count(i) ? layout.map(r.offset) : -1;
        if (at < 0 || r.size < 16) continue;
        for (qsizetype field = 8; field + 4 <= r.size; field += field == 8 ? 8 : 4) {
            const qint64 moved = layout.map(u32(out, at + 4 + field));
            if (moved >= 0) put32(out, at + 4 + field, quint32(moved));
        }
    }
    return out;
}

} // namespace vestrel::xls
