#include "lists/XlsxExport.h"

#include "base/CommonFunction.h"
#include "base/Seams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>

namespace vestrel {

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
constexpr qsizetype kMaxText = 32767;
constexpr double kMinWidth = 4;
constexpr double kMaxWidth = 60;

// Characters as wide as two Latin ones in the usual fonts.
double displayWidth(const QString& text) {
    double w = 0;
    for (const QChar c : text)
        w += c.unicode() >= 0x2E80 ? 2 : 1;
    return w;
}

// Marks the header row of a list (looked for from row `from`) and the list's rows; returns the row after them.
int markList(XlsxSheet& sheet, const ListData& list, int from) {
    QStringList header;
    for (const ListColumn& column : list.columns)
        header << column.header;
    int at = from;
    while (at < sheet.rows.size() && sheet.rows[at] != header)
        ++at;
    if (at >= sheet.rows.size()) return from;
    const int end = std::min<int>(at + 1 + list.rowCount(), int(sheet.rows.size()));
    for (int r = at; r < end; ++r) {
        const QStringList& cells = sheet.rows[r];
        for (int c = 0; c < cells.size(); ++c) {
            XlsxCell kind = XlsxCell::Header;
            if (r > at) {
                const bool name = list.header(c) == QStringLiteral("名称");
                kind = !name && IsNumeric(cells[c]) ? (cells[c].contains(u'.') ? XlsxCell::Decimal : XlsxCell::Whole)
                                                    : XlsxCell::Text;
            }
            sheet.kinds[r][c] = kind;
            if (sheet.widths.size() <= c) sheet.widths.resize(c + 1, 0);
            sheet.widths[c] = std::max(sheet.widths[c], displayWidth(cells[c]) + 2);
        }
    }
    if (sheet.frozenRows == 0) sheet.frozenRows = at + 1;
    return end;
}

XlsxSheet plainSheet(const QList<QStringList>& rows) {
    XlsxSheet sheet;
    sheet.rows = rows;
    for (const QStringList& row : rows)
        sheet.kinds.append(QList<XlsxCell>(row.size(), XlsxCell::Text));
    return sheet;
}

void clampWidths(XlsxSheet& sheet) {
    for (double& w : sheet.widths)
        w = w > 0 ? std::clamp(w, kMinWidth, kMaxWidth) : 0;
}

QString failureText() {
    return QStringLiteral("导出excel失败，请联系软件作者，或者请您导入普通格式的文件即可！");
}

bool exportSheet(const XlsxSheet& sheet, const QString& path) {
    const QString error = WriteXlsx(sheet, path);
    if (error.isEmpty()) return true;
    showMessage(failureText() + error, {}, MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

QString libraryError(lxw_error error) {
    if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED) return QStringLiteral("单元格文本超过 32767 个字符。");
    return QStringLiteral("写入 .xlsx 工作簿失败（%1）。").arg(QString::fromUtf8(lxw_strerror(error)));
}

} // namespace

XlsxSheet CatalogueXlsxSheet(const ListData& list) {
    XlsxSheet sheet = plainSheet(CatalogueSheetRows(list));
    markList(sheet, list, 0);
    clampWidths(sheet);
    return sheet;
}

XlsxSheet SchemeXlsxSheet(const SchemeExportData& data) {
    XlsxSheet sheet = plainSheet(SchemeSheetRows(data));
    const ListData empty;
    const int after = markList(sheet, data.lots ? *data.lots : empty, 0);
    markList(sheet, data.ratios ? *data.ratios : empty, after);
    clampWidths(sheet);
    return sheet;
}

QString WriteXlsx(const XlsxSheet& sheet, const QString& path) {
    if (sheet.rows.size() > kMaxRows) return QStringLiteral("超出 .xlsx 工作表 1048576 行的上限。");
    for (const QStringList& row : sheet.rows) {
        if (row.size() > kMaxColumns) return QStringLiteral("超出 .xlsx 工作表 16384 列的上限。");
        for (const QString& text : row)
            if (text.size() > kMaxText) return QStringLiteral("单元格文本超过 32767 个字符。");
    }

    // The library writes a file of its own; only a complete one replaces the target.
    QTemporaryDir scratch;
    if (!scratch.isValid()) return QStringLiteral("无法创建临时文件夹。");
    // The library takes UTF-8 paths (on Windows it opens them as wide names).
    const QByteArray scratchDir = QDir::toNativeSeparators(scratch.path()).toUtf8();
    const QString built = scratch.filePath(QStringLiteral("export.xlsx"));
    lxw_workbook_options options{};
    options.tmpdir = const_cast<char*>(scratchDir.constData());
    lxw_workbook* book = workbook_new_opt(QDir::toNativeSeparators(built).toUtf8().constData(), &options);
    if (!book) return QStringLiteral("无法创建 .xlsx 工作簿。");
    lxw_worksheet* ws = workbook_add_worksheet(book, "Sheet1");
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* decimal = workbook_add_format(book);
    format_set_num_format(decimal, "0.00");
    lxw_format* whole = workbook_add_format(book);
    format_set_num_format(whole, "0");

    lxw_error error = LXW_NO_ERROR;
    for (int c = 0; c < sheet.widths.size() && !error; ++c)
        if (sheet.widths[c] > 0) error = worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), sheet.widths[c], nullptr);
    if (sheet.frozenRows > 0) worksheet_freeze_panes(ws, lxw_row_t(sheet.frozenRows), 0);
    for (int r = 0; r < sheet.rows.size() && !error; ++r) {
        const QStringList& row = sheet.rows[r];
        for (int c = 0; c < row.size() && !error; ++c) {
            const QString& text = row[c];
            if (text.isEmpty()) continue; // an empty text reads as an empty cell, as in the .xls
            const XlsxCell kind = sheet.kinds.value(r).value(c, XlsxCell::Text);
            const std::optional<double> value =
                kind == XlsxCell::Decimal || kind == XlsxCell::Whole ? ParseNumber(text) : std::nullopt;
            if (value)
                error = worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), *value,
                                               kind == XlsxCell::Decimal ? decimal : whole);
            else
                error = worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), text.toUtf8().constData(),
                                               kind == XlsxCell::Header ? bold : nullptr);
        }
    }
    const lxw_error closed = workbook_close(book); // frees the workbook in every case
    if (error) return libraryError(error);
    if (closed) return libraryError(closed);

    QFile in(built);
    if (!in.open(QIODevice::ReadOnly)) return QStringLiteral("无法读取生成的 .xlsx 工作簿。");
    const QByteArray bytes = in.readAll();
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return QStringLiteral("无法写入文件：%1").arg(QDir::toNativeSeparators(path));
    return {};
}

bool ExportListXlsx(const ListData& list, const QString& path) {
    return exportSheet(CatalogueXlsxSheet(list), path);
}

bool ExportSchemeXlsx(const SchemeExportData& data, const QString& path) {
    return exportSheet(SchemeXlsxSheet(data), path);
}

bool IsXlsxTarget(const QString& path, int chosenFilter) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx")) return true;
    if (suffix == QLatin1String("xls")) return false;
    return chosenFilter == 1;
}

} // namespace vestrel
