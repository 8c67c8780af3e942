#include "lists/Export.h"

#include "base/FileFunction.h"
#include "base/Seams.h"
#include "xls/workbook.h"

#include <QDir>
#include <QFileInfo>

namespace vestrel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString excelFailure() {
    return QStringLiteral("导出excel失败，请联系软件作者，或者请您导入普通格式的文件即可！");
}

QStringList oneCell(const QString& text) {
    return QStringList{text};
}

using Replacements = QList<QPair<QString, QString>>;

// One pass over the template from left to right: each placeholder found in the template's own text is replaced,
// and the values put in are never searched again, so a lot name holding "{$list1}" stays as typed.
QString fillTemplate(const QString& text, const Replacements& replacements) {
    QList<qsizetype> next; // the next occurrence of each placeholder at or after `pos`
    for (const auto& r : replacements)
        next << text.indexOf(r.first, 0, Qt::CaseSensitive);
    QString out;
    qsizetype pos = 0;
    for (;;) {
        qsizetype which = -1;
        for (qsizetype i = 0; i < next.size(); ++i)
            if (next[i] >= 0 && (which < 0 || next[i] < next[which])) which = i;
        if (which < 0) break;
        out += QStringView(text).mid(pos, next[which] - pos);
        out += replacements[which].second;
        pos = next[which] + replacements[which].first.size();
        for (qsizetype i = 0; i < next.size(); ++i)
            if (next[i] >= 0 && next[i] < pos) next[i] = text.indexOf(replacements[i].first, pos, Qt::CaseSensitive);
    }
    out += QStringView(text).mid(pos);
    return out;
}

bool writeHtml(const QString& templatePath, const QString& path, const Replacements& replacements) {
    if (!FileExists(templatePath)) return false;
    return WriteTextFileAt(path, fillTemplate(ReadTextFile(templatePath, true), replacements));
}

bool writeWorkbook(const QString& templatePath, const QString& path, const QList<QStringList>& rows) {
    const QString error = xls::appendRowsToCopy(templatePath, path, QStringLiteral("Sheet1"), rows);
    if (error.isEmpty()) return true;
    showMessage(excelFailure() + error, {}, MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

} // namespace

QString HtmlEscape(const QString& text) {
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QStringLiteral("&#39;"));
}

QString ListToHtmlTable(const ListData& list) {
    QString out = QStringLiteral("<table width='100%'border=1 cellpadding=2>");
    out += QStringLiteral("<tr>");
    for (const ListColumn& column : list.columns)
        out += QStringLiteral("<td>") + HtmlEscape(column.header) + QStringLiteral("</td>");
    out += QStringLiteral("</tr>") + kCrLf;
    for (int r = 0; r < list.rowCount(); ++r) {
        out += QStringLiteral("<tr>");
        // A row always has its own text, even in a list without columns.
        const int columns = std::max(1, list.columnCount());
        for (int c = 0; c < columns; ++c)
            out += QStringLiteral("<td>") + HtmlEscape(list.cell(r, c)) + QStringLiteral("</td>");
        out += QStringLiteral("</tr>") + kCrLf;
    }
    out += QStringLiteral("</table>");
    return out;
}

bool ExportListHtml(const ListData& list, const QString& path) {
    return writeHtml(ExportTemplatePath(ExportSource::Catalogue, ExportKind::Html), path,
                     {{QStringLiteral("{$list1}"), ListToHtmlTable(list)}});
}

bool ExportSchemeHtml(const SchemeExportData& data, const QString& path) {
    const ListData empty;
    return writeHtml(ExportTemplatePath(ExportSource::History, ExportKind::Html), path,
                     {{QStringLiteral("{$destination}"), HtmlEscape(data.targets)},
                      {QStringLiteral("{$list1}"), ListToHtmlTable(data.lots ? *data.lots : empty)},
                      {QStringLiteral("{$list2}"), ListToHtmlTable(data.ratios ? *data.ratios : empty)}});
}

void AppendListToSheet(QList<QStringList>& rows, const ListData& list, int blankRows) {
    for (int i = 0; i < blankRows; ++i)
        rows << oneCell(QString());
    QStringList header;
    for (const ListColumn& column : list.columns)
        header << column.header;
    rows << header;
    const int columns = std::max(1, list.columnCount());
    for (int r = 0; r < list.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << list.cell(r, c);
        rows << row;
    }
}

QList<QStringList> CatalogueSheetRows(const ListData& list) {
    QList<QStringList> rows;
    AppendListToSheet(rows, list, 2);
    return rows;
}

QList<QStringList> SchemeSheetRows(const SchemeExportData& data) {
    const ListData empty;
    QList<QStringList> rows;
    rows << oneCell(QString()) << oneCell(QString()) << oneCell(data.targets) << oneCell(QString())
         << oneCell(QStringLiteral("参与配比的煤"));
    AppendListToSheet(rows, data.lots ? *data.lots : empty, 0);
    rows << oneCell(QString()) << oneCell(QStringLiteral("方案列表"));
    AppendListToSheet(rows, data.ratios ? *data.ratios : empty, 0);
    return rows;
}

bool ExportListExcel(const ListData& list, const QString& path) {
    return writeWorkbook(ExportTemplatePath(ExportSource::Catalogue, ExportKind::Excel), path,
                         CatalogueSheetRows(list));
}

bool ExportSchemeExcel(const SchemeExportData& data, const QString& path) {
    return writeWorkbook(ExportTemplatePath(ExportSource::History, ExportKind::Excel), path, SchemeSheetRows(data));
}

QString DefaultExportName() {
    return QStringLiteral("Vestrel_") + now().toString(QStringLiteral("yy-MM-dd-HH-mm-ss"));
}

QString ExportFilter(ExportSource source, ExportKind kind) {
    if (kind == ExportKind::Excel)
        return QStringLiteral("Microsoft Excel .xls (*.xls)|*.xls|Microsoft Excel 工作簿 .xlsx (*.xlsx)|*.xlsx");
    return source == ExportSource::History ? QStringLiteral("HTML .html (*.html)|*.html")
                                           : QStringLiteral("普通格式 .html (*.html)|*.html");
}

QString AskExportFile(ExportSource source, ExportKind kind, int* chosenFilter) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save; // a new file is the usual target
    request.defaultName = DefaultExportName();
    request.filter = ExportFilter(source, kind);
    request.confirmOverwrite = false; // asked below, through the seam
    request.chosenFilter = chosenFilter;
    const QString path = interaction().fileDialog(request);
    if (path.isEmpty()) return {};
    // Replacing a file the user already has must be their choice, not a silent overwrite.
    if (QFileInfo::exists(path)) {
        const QString question = QStringLiteral("文件“%1”已经存在，要替换它吗？").arg(QDir::toNativeSeparators(path));
        if (showMessage(question, {}, MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes) return {};
    }
    return path;
}

QString ExportTemplatePath(ExportSource source, ExportKind kind) {
    const QString base = source == ExportSource::Catalogue ? QStringLiteral("list1") : QStringLiteral("list2");
    const QString ext = kind == ExportKind::Excel ? QStringLiteral(".xls") : QStringLiteral(".html");
    return programPath(QStringLiteral("template/") + base + ext);
}

} // namespace vestrel
