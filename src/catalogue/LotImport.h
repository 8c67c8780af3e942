#pragma once
// Importing lots from a laboratory's or supplier's table (CSV, .xls, .xlsx): the columns are matched to the entry
// form's boxes by their headers, every row passes the entry form's checks, and all rows are written at once.

#include <QList>
#include <QString>
#include <QStringList>

namespace vestrel {

// At most this many data rows are imported from one file.
constexpr int kMaxImportRows = 100000;
// The header row is looked for among this many first rows.
constexpr int kHeaderSearchRows = 20;

// A field a column can feed: an entry form box and the caption the lists give it.
struct ImportField {
    QString box; // "txtName", "txtShuifen", ... "txtKuCun", "txtJiage"
    QString caption;
};
// The name, the twelve indices in list order, stock and price.
const QList<ImportField>& ImportFields();

// The box a header names, or "" (see the synonyms in LotImport.cpp). "%", units and bracketed notes are ignored,
// and so are case, blanks and full-width forms. A header that may name two fields ("V": volatile matter or
// vanadium) gives the first of them.
QString MatchImportHeader(const QString& header);
// One box per header ("" for a column not imported). Each box goes to one column only, the first that names it;
// a header naming two fields takes the one no other column names.
QStringList MatchImportHeaders(const QStringList& headers);

// A file read for importing: its header row, the automatic match and the data rows.
struct LotFile {
    QString error; // refused: why, in Chinese
    QString path;
    QStringList headers;     // the cells of the header row
    QStringList boxes;       // the automatic match, one per header
    QList<QStringList> rows; // data rows; rows without any text are left out
    QList<int> rowNumbers;   // each data row's number in the file (1 the first row)
};

// Reads the file and finds the header row: the first of the first kHeaderSearchRows rows that has a name column.
LotFile ReadLotFile(const QString& path);
// The same for a table already read (rows of cell texts, row 0 the file's first).
LotFile LotFileFromRows(const QList<QStringList>& rows);

enum class ExistingLots { Update, Skip };

struct ImportFailure {
    int rowNumber = 0;
    QString name;
    QString messages; // the entry form's messages, each followed by CR LF
};

struct ImportResult {
    bool written = false; // false: nothing was written (error says why)
    QString error;
    int added = 0;
    int updated = 0;
    int skipped = 0; // rows that failed a check, repeated a name of the file, or named a lot kept as it is
    QList<ImportFailure> failures;
};

// Imports the rows with each column feeding the box given in `boxes` ("" ignores the column). A row is checked
// as the entry form checks its boxes; for a lot that exists (same name) and is to be updated, the boxes are the
// lot's own values with the row's columns put in, as if the row were typed into the entry form. A name repeated
// in the file is imported at its first row only. All lots are written in one transaction: all or none.
ImportResult ImportLots(const LotFile& file, const QStringList& boxes, ExistingLots existing);

// "新增 12 种，更新 3 种，跳过 2 行"
QString ImportSummary(const ImportResult& result);
// The summary, then the rows that were not imported and why (the first `listed` of them).
QString ImportReport(const ImportResult& result, int listed = 20);

} // namespace vestrel
