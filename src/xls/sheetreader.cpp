#include "xls/sheetreader.h"

#include "xls/bytes.h"
#include "xls/compoundfile.h"
#include "xls/records.h"
#include "xls/xlstexts.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vestrel::xls {

using namespace detail;

namespace {

struct Record {
    qsizetype offset;
    quint16 type;
    quint16 size;
    qsizetype data() const { return offset + 4; }
};

// A string that may run on into CONTINUE records: each record after the first restates the character width in
// its first byte.
class Continued {
public:
    Continued(const QByteArray& stream, const std::vector<Record>& records, int first, qsizetype pos)
        : s_(stream), records_(records), ri_(first), pos_(pos) {}

    bool atEnd() const { return pos_ >= records_[size_t(ri_)].size && !hasNext(); }

    // Reads a Unicode string header and its characters; false when the data runs out.
    bool readString(int lengthBytes, QString* out) {
        if (!fit(lengthBytes + 1)) return false;
        const int cch = lengthBytes == 2 ? u16(s_, at()) : uchar(s_.at(at()));
        pos_ += lengthBytes;
        const int flags = uchar(s_.at(at()));
        pos_ += 1;
        qint64 extra = 0;
        if (flags & 0x08) {
            if (!fit(2)) return false;
            extra += 4 * qint64(u16(s_, at()));
            pos_ += 2;
        }
        if (flags & 0x04) {
            if (!fit(4)) return false;
            extra += u32(s_, at());
            pos_ += 4;
        }
        bool wide = flags & 0x01;
        out->clear();
        out->reserve(cch);
        for (int left = cch; left > 0;) {
            if (pos_ >= size()) {
                if (!next() || size() < 1) return false;
                wide = s_.at(at()) & 0x01;
                pos_ = 1;
            }
            const int width = wide ? 2 : 1;
            const int n = int(std::min<qsizetype>(left, (size() - pos_) / width));
            if (n == 0) return false;
            for (int k = 0; k < n; ++k)
                out->append(wide ? QChar(u16(s_, at() + 2 * k)) : QChar(uchar(s_.at(at() + k))));
            pos_ += qsizetype(n) * width;
            left -= n;
        }
        while (extra > 0) { // formatting runs and phonetic data
            if (pos_ >= size() && !next()) return false;
            const qint64 n = std::min<qint64>(extra, size() - pos_);
            pos_ += n;
            extra -= n;
        }
        return true;
    }

private:
    qsizetype size() const { return records_[size_t(ri_)].size; }
    qsizetype at() const { return records_[size_t(ri_)].data() + pos_; }
    bool hasNext() const { return ri_ + 1 < int(records_.size()) && records_[size_t(ri_ + 1)].type == rtContinue; }
    bool next() {
        if (!hasNext()) return false;
        ++ri_;
        pos_ = 0;
        return true;
    }
    // A fixed-size field never straddles two records; one that starts at a record's end starts in the next.
    bool fit(qsizetype n) {
        if (pos_ >= size() && !next()) return false;
        return pos_ + n <= size();
    }

    const QByteArray& s_;
    const std::vector<Record>& records_;
    int ri_;
    qsizetype pos_;
};

double numberAt(const QByteArray& s, qsizetype at) {
    const quint64 bits = u64(s, at);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// An RK value: a 30-bit integer or the top 30 bits of a double, optionally divided by 100.
double rkValue(quint32 rk) {
    double v;
    if (rk & 0x02) {
        v = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100 : v;
}

} // namespace

QString readWorksheet(const QByteArray& file, int index, QList<SheetCell>* cells, int maxRows, bool* truncated) {
    cells->clear();
    if (truncated) *truncated = false;
    CompoundFile cf;
    if (QString error = cf.parse(file); !error.isEmpty()) return error;
    const int id = cf.rootStream(QStringLiteral("Workbook"));
    if (id < 0) return cf.rootStream(QStringLiteral("Book")) >= 0 ? texts::biff5Read() : texts::noWorkbookStream();
    const QByteArray s = cf.stream(id);

    std::vector<Record> records;
    for (qsizetype pos = 0; pos + 4 <= s.size();) {
        const quint16 size = u16(s, pos + 2);
        if (pos + 4 + size > s.size()) break;
        records.push_back({pos, u16(s, pos), size});
        pos += 4 + size;
    }
    const QString bad = texts::corrupt(texts::badRecords());
    if (records.empty() || records[0].type != rtBof || records[0].size < 4) return bad;
    const quint16 version = u16(s, records[0].data());
    if (version == 0x0500) return texts::biff5Read();
    if (version != 0x0600) return texts::unsupportedVersionRead();

    // Globals: the worksheets in order and the shared strings.
    std::vector<quint32> sheetStarts;
    QStringList sst;
    int i = 1;
    for (; i < int(records.size()) && records[size_t(i)].type != rtEof; ++i) {
        const Record& r = records[size_t(i)];
        if (r.type == rtFilePass) return texts::encryptedRead();
        if (r.type == rtBof) return bad;
        if (r.type == rtBoundSheet) {
            if (r.size < 6) return texts::corrupt(texts::badSheetList());
            if (uchar(s.at(r.data() + 5)) == 0) sheetStarts.push_back(u32(s, r.data()));
        } else if (r.type == rtSst) {
            if (r.size < 8) return texts::corrupt(texts::badStringTable());
            const quint32 unique = u32(s, r.data() + 4);
            Continued strings(s, records, i, 8);
            // The count is not trusted for the reservation: every string takes at least three bytes.
            sst.reserve(qsizetype(std::min<quint64>(unique, quint64(s.size() / 3))));
            QString text;
            for (quint32 k = 0; k < unique; ++k) {
                if (!strings.readString(2, &text)) return texts::corrupt(texts::badStringTable());
                sst.append(text);
            }
        }
    }
    if (i >= int(records.size())) return texts::corrupt(texts::truncated());

    // The worksheet: the n-th sheet of the list whose BOF says worksheet.
    int bof = -1;
    int seen = 0;
    for (quint32 start : sheetStarts) {
        auto it = std::lower_bound(records.begin(), records.end(), qsizetype(start),
                                   [](const Record& r, qsizetype v) { return r.offset < v; });
        if (it == records.end() || it->offset != qsizetype(start) || it->type != rtBof || it->size < 4)
            return texts::corrupt(texts::badSheetList());
        if (u16(s, it->data() + 2) != 0x0010) continue;
        if (seen++ == index) {
            bof = int(it - records.begin());
            break;
        }
    }
    if (bof < 0) return texts::noWorksheet();

    auto add = [&](int row, int column, const QString* text, double number) {
        if (row >= maxRows) {
            if (truncated) *truncated = true;
            return;
        }
        SheetCell c;
        c.row = row;
        c.column = column;
        if (text)
            c.text = *text;
        else {
            c.isNumber = true;
            c.number = number;
        }
        cells->append(c);
    };

    int depth = 0;
    int formulaRow = -1; // a FORMULA with a text result: its STRING record follows
    int formulaColumn = -1;
    for (int k = bof; k < int(records.size()); ++k) {
        const Record& r = records[size_t(k)];
        if (r.type == rtBof) ++depth;
        if (r.type == rtEof && --depth == 0) return {};
        if (depth != 1) continue; // an embedded chart's own substream
        const qsizetype d = r.data();
        const bool hasCell = r.size >= 6;
        const int row = hasCell ? u16(s, d) : 0;
        const int column = hasCell ? u16(s, d + 2) : 0;
        // Shared and array formulas put their own records between a FORMULA and its STRING.
        if (r.type != rtString && r.type != rtContinue && r.type != 0x04BC && r.type != 0x0221 && r.type != 0x0236)
            formulaRow = -1;
        switch (r.type) {
        case rtLabelSst:
            if (r.size < 10) return bad;
            if (u32(s, d + 6) >= quint32(sst.size())) return texts::corrupt(texts::badStringTable());
            add(row, column, &sst[qsizetype(u32(s, d + 6))], 0);
            break;
        case rtLabel:
        case rtRString: {
            QString text;
            Continued reader(s, records, k, 6);
            if (!hasCell || !reader.readString(2, &text)) return bad;
            add(row, column, &text, 0);
            break;
        }
        case rtNumber:
            if (r.size < 14) return bad;
            add(row, column, nullptr, numberAt(s, d + 6));
            break;
        case rtRk:
            if (r.size < 10) return bad;
            add(row, column, nullptr, rkValue(u32(s, d + 6)));
            break;
        case rtMulRk: {
            if (r.size < 6) return bad;
            const int n = (r.size - 6) / 6;
            for (int c = 0; c < n; ++c)
                add(row, column + c, nullptr, rkValue(u32(s, d + 4 + 6 * c + 2)));
            break;
        }
        case rtFormula: {
            if (r.size < 20) return bad;
            if (u16(s, d + 12) != 0xFFFF) {
                add(row, column, nullptr, numberAt(s, d + 6));
            } else if (uchar(s.at(d + 6)) == 0) {
                formulaRow = row;
                formulaColumn = column;
            }
            break;
        }
        case rtString:
            if (formulaRow >= 0) {
                QString text;
                Continued reader(s, records, k, 0);
                if (!reader.readString(2, &text)) return bad;
                add(formulaRow, formulaColumn, &text, 0);
                formulaRow = -1;
            }
            break;
        default:
            break;
        }
    }
    return texts::corrupt(texts::truncated());
}

} // namespace vestrel::xls
