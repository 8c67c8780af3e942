#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace vestrel::xls {

// The BIFF8 Workbook stream of an Excel 97 workbook, read once and then rebuilt with text rows appended to worksheets.
// Records that the rows do not concern are copied byte for byte; what the growth moves is recomputed: the shared
// string table and its index, the sheet offsets, the DIMENSIONS and the INDEX/DBCELL row blocks of a grown sheet,
// and the stream positions in the INDEX of every other sheet.
class BiffBook {
public:
    // Walks and checks the whole stream: the globals, the string table and every sheet's substream, so a
    // workbook damaged anywhere is refused here and never written. Empty on success, otherwise a message in
    // Chinese.
    QString parse(const QByteArray& stream);

    // Worksheet with this name (sheet names are case-insensitive), or -1.
    int findSheet(const QString& name) const;
    // Checks that rows can be appended to the sheet; empty on success.
    QString prepare(int sheet);
    // First row after the last row that has a cell or a ROW record (0 for an empty sheet). Needs prepare().
    int nextRow(int sheet) const;

    // The stream with rows (per prepared sheet) appended as text cells at nextRow() onward.
    QByteArray build(const QMap<int, QList<QStringList>>& rows) const;

private:
    class Builder; // build(), phase by phase

    struct Record {
        qsizetype offset;
        quint16 type;
        quint16 size;
    };
    struct Unit { // a cell record with the records that belong to it (STRING after FORMULA...)
        int row;
        int first;
        int last; // one past
    };
    struct Sheet {
        QString name;
        int boundsheet = -1; // record indices
        int bof = -1;
        int eof = -1;
        int kind = 0;   // BOUNDSHEET dt: 0 is a worksheet
        int index = -1; // the substream's own INDEX and DEFCOLWIDTH, not those of a nested chart
        int defColWidth = -1;
        // Found by prepare(): the cell table and what the appended rows need.
        bool prepared = false;
        int indexAfter = -1; // where a missing INDEX goes
        int dims = -1;
        int regionBegin = -1;
        int regionEnd = -1;
        quint16 rowHeight = 255;
        int firstUsed = -1;
        int lastUsed = -1;
        std::vector<std::pair<int, int>> rows; // (row, record) of ROW records, sorted by row
        std::vector<Unit> units;               // sorted by row
        std::vector<int> trailing;             // records after the row blocks (EntExU2)
    };
    struct SstPosition {
        int chunk;
        qsizetype pos;
    };

    QByteArray bytes(int first, int last) const;
    qsizetype payload(int record, qsizetype at) const { return records_[size_t(record)].offset + 4 + at; }
    int recordAt(qsizetype offset) const;
    void splitRecords();
    QString parseGlobals();
    QString addSheet(int boundsheet);
    QString parseSst();
    QString parseSheets();
    QString checkSubstream(Sheet& s) const;
    bool recordIsWhole(int record) const;
    QString findCellTable(Sheet& s) const;
    QString collectUnits(Sheet& s) const;

    QByteArray stream_;
    std::vector<Record> records_;
    int globalsEnd_ = -1;
    int sst_ = -1;
    int extSst_ = -1;
    int sstInsertAt_ = -1;
    int cellXf_ = -1;
    quint32 sstTotal_ = 0;
    quint32 sstUnique_ = 0;
    int sstEndChunk_ = 0;
    qsizetype sstEndPos_ = 8;
    std::vector<SstPosition> sstStarts_;
    QList<Sheet> sheets_;
};

} // namespace vestrel::xls
