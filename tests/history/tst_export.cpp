#include "base/FileFunction.h"
#include "base/gui/QtInteraction.h"
#include "catalogue/DaoFunction.h"
#include "catalogue/Mei.h"
#include "catalogue/gui/frmKucun.h"
#include "data/Dbconnection.h"
#include "history/gui/frmLishi.h"
#include "lists/Export.h"
#include "lists/gui/ExportCommands.h"
#include "support/TestSupport.h"
#include "xls/compoundfile.h"
#include "xls/workbook.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <memory>

using namespace vestrel;
using test::find;

namespace {

const QString kFailure = "导出excel失败，请联系软件作者，或者请您导入普通格式的文件即可！";
const QString kOpenPrompt = "导出成功，是否打开文件？点确定打开，点取消不打开";

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void installTemplate(const QString& name, const QString& from = {}) {
    const QString source = from.isEmpty() ? QStringLiteral(VESTREL_SOURCE_DIR "/resources/template/") + name : from;
    writeAll(programPath("template/" + name), readAll(source));
}

ListData makeList(const QList<ListColumn>& columns, const QList<QStringList>& rows) {
    ListData list;
    list.columns = columns;
    for (const QStringList& cells : rows)
        list.rows << ListRow{cells.value(0), cells.mid(1)};
    return list;
}

// The workbook read back by xlrd (tests/xls/read_xls.py): sheet name -> {(row, col) -> text}. A reader that
// cannot run or finds structure problems records them in readerErrors, which every test checks.
using Grid = QMap<QPair<int, int>, QString>;
QStringList readerErrors;
QMap<QString, Grid> readBack(const QString& path) {
    const QString python = QFileInfo::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    QProcess p;
    p.start(python, {VESTREL_SOURCE_DIR "/tests/xls/read_xls.py", VESTREL_FIXTURES_DIR "/xls", path});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        readerErrors << path + ": " + QString::fromUtf8(p.readAllStandardError());
    const QJsonObject doc = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    for (const QJsonValue& problem : doc["problems"].toArray())
        readerErrors << path + ": " + problem.toString();
    QMap<QString, Grid> out;
    for (const QJsonValue& sheet : doc["sheets"].toArray()) {
        Grid& grid = out[sheet["name"].toString()];
        for (const QJsonValue& cell : sheet["cells"].toArray()) {
            const QJsonArray c = cell.toArray();
            grid[{c[0].toInt(), c[1].toInt()}] = c[3].isString() ? c[3].toString() : c[3].toVariant().toString();
        }
    }
    return out;
}

Grid rowsAt(int first, const QList<QStringList>& rows) {
    Grid grid;
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            grid[{first + r, c}] = rows[r][c];
    return grid;
}

Grid rowsFrom(const Grid& grid, int first, bool below) {
    Grid out;
    for (auto it = grid.begin(); it != grid.end(); ++it)
        if ((it.key().first >= first) == below) out.insert(it.key(), it.value());
    return out;
}

QList<QStringList> listRows(const ListData& list) {
    QList<QStringList> rows;
    QStringList header;
    for (const ListColumn& c : list.columns)
        header << c.header;
    rows << header;
    for (int r = 0; r < list.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < list.columnCount(); ++c)
            row << list.cell(r, c);
        rows << row;
    }
    return rows;
}

QVariant exec(const QString& sql, const QVariantList& binds = {}) {
    if (!OpenDb()) return {};
    QSqlQuery q(Conn());
    q.prepare(sql);
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds[i]);
    q.exec();
    return q.lastInsertId();
}

// A stored run with lots A and B and the schemes 3+7 (price 1500) and 5+5 (price 1600).
qint64 addRun() {
    const qint64 id = exec("INSERT INTO Lishi_fangan (xinxi) VALUES ('全水<=10 灰分<=12')").toLongLong();
    exec("INSERT INTO Lishi_Peibibiao (followid, JiaGe, d1, d2) VALUES (?, 1500, 3, 7)", {id});
    exec("INSERT INTO Lishi_Peibibiao (followid, JiaGe, d1, d2) VALUES (?, 1600, 5, 5)", {id});
    exec("INSERT INTO Lishi_meitan (followid, Name, JiaGe) VALUES (?, 'A', 1000)", {id});
    exec("INSERT INTO Lishi_meitan (followid, Name, JiaGe) VALUES (?, 'B', 2000)", {id});
    CloseDb();
    return id;
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempProgramFolder> folder;
    std::unique_ptr<test::ScriptedInteraction> ui;

    const ListData lots = makeList({{"编号", 0}, {"名称", 1500}}, {{"1", "甲<b>"}, {"2", "乙 & \"丙\""}});
    const ListData ratios =
        makeList({{"序", 0}, {"A", 900}, {"B", 900}}, {{"7", "3", "7"}, {"8", "5", "5"}, {"9", "1", "9"}});

    QString target(const QString& name = "out") const { return folder->filePath(name); }

private slots:
    void initTestCase() {
        // The reader and the workbooks come with the checkout; a missing one is named, and nothing runs.
        for (const char* file :
             {VESTREL_SOURCE_DIR "/tests/xls/read_xls.py", VESTREL_FIXTURES_DIR "/xls/check_xls.py",
              VESTREL_FIXTURES_DIR "/xls/dump_xls.py", VESTREL_FIXTURES_DIR "/xls/g_three_sheets_gn.xls"})
            QVERIFY2(QFileInfo::exists(file), qPrintable(QStringLiteral("missing test file: ") + file));
        readBack(VESTREL_FIXTURES_DIR "/xls/a_plain_lo.xls");
        QVERIFY2(readerErrors.isEmpty(), qPrintable(readerErrors.join('\n')));
    }
    void init() {
        readerErrors.clear();
        folder = std::make_unique<test::TempProgramFolder>();
        ui = std::make_unique<test::ScriptedInteraction>();
        setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9)); });
    }
    void cleanup() {
        QVERIFY2(readerErrors.isEmpty(), qPrintable(readerErrors.join('\n')));
        setClock({});
        ui.reset();
        folder.reset();
    }

    void historyHtmlOfPlaceholdersAlone() {
        writeAll(programPath("template/list2.html"), "{$destination}\r\n{$list1}\r\n{$list2}\r\n");
        QVERIFY(ExportSchemeHtml({"灰分<=12", &lots, &ratios}, target()));
        const QByteArray expected =
            "灰分&lt;=12"
            "<table width='100%'border=1 cellpadding=2><tr><td>编号</td><td>名称</td></tr>\r\n"
            "<tr><td>1</td><td>甲&lt;b&gt;</td></tr>\r\n"
            "<tr><td>2</td><td>乙 &amp; &quot;丙&quot;</td></tr>\r\n</table>"
            "<table width='100%'border=1 cellpadding=2><tr><td>序</td><td>A</td><td>B</td></tr>\r\n"
            "<tr><td>7</td><td>3</td><td>7</td></tr>\r\n"
            "<tr><td>8</td><td>5</td><td>5</td></tr>\r\n"
            "<tr><td>9</td><td>1</td><td>9</td></tr>\r\n</table>\r\n";
        QCOMPARE(readAll(target()), expected);
        QVERIFY(ui->calls.isEmpty());
    }

    void templateText_data() {
        QTest::addColumn<QByteArray>("templ");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray table = "<table width='100%'border=1 cellpadding=2><tr><td>编号</td><td>名称</td></tr>\r\n"
                                 "<tr><td>1</td><td>x</td></tr>\r\n</table>";
        QTest::newRow("lines joined") << QByteArray("<p>\r\n库存\r\n</p>") << QByteArray("<p>库存</p>\r\n");
        QTest::newRow("lone CR ends a line, lone LF stays") << QByteArray("a\rb\nc") << QByteArray("ab\nc\r\n");
        QTest::newRow("every occurrence") << QByteArray("{$list1}|{$list1}") << table + "|" + table + "\r\n";
        QTest::newRow("case-sensitive") << QByteArray("{$LIST1}{$list2}") << QByteArray("{$LIST1}{$list2}\r\n");
    }
    void templateText() {
        QFETCH(QByteArray, templ);
        QFETCH(QByteArray, expected);
        writeAll(programPath("template/list1.html"), templ);
        QVERIFY(ExportListHtml(makeList({{"编号", 0}, {"名称", 1}}, {{"1", "x"}}), target()));
        QCOMPARE(readAll(target()), expected);
    }

    void htmlFailuresWriteNothingAndSayNothing() {
        QVERIFY(!ExportListHtml(lots, target()));
        QVERIFY(!QFile::exists(target()));
        installTemplate("list1.html");
        QVERIFY(!ExportListHtml(lots, folder->filePath("no/such/folder/out.html")));
        QVERIFY(ui->calls.isEmpty());
    }

    void askExportFile_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("filter");
        QTest::newRow("history html") << int(ExportSource::History) << 0 << "HTML .html (*.html)|*.html";
        QTest::newRow("catalogue html") << int(ExportSource::Catalogue) << 0 << "普通格式 .html (*.html)|*.html";
        const QString excel = "Microsoft Excel .xls (*.xls)|*.xls|Microsoft Excel 工作簿 .xlsx (*.xlsx)|*.xlsx";
        QTest::newRow("history xls") << int(ExportSource::History) << 1 << excel;
        QTest::newRow("catalogue xls") << int(ExportSource::Catalogue) << 1 << excel;
    }
    void askExportFile() {
        QFETCH(int, source);
        QFETCH(int, kind);
        QFETCH(QString, filter);
        ui->files << "";
        QCOMPARE(AskExportFile(ExportSource(source), ExportKind(kind)), "");
        QCOMPARE(ui->calls.size(), 1);
        QCOMPARE(ui->calls[0].file.defaultName, "Vestrel_26-12-08-14-05-09");
        QCOMPARE(ui->calls[0].file.filter, filter);
    }

    // The export asks through a save dialog: built from the export's own request, the real dialog takes a name
    // that does not exist yet and leaves the question about an existing file to the program.
    void exportDialogTakesNewName() {
        ui->files << "";
        AskExportFile(ExportSource::History, ExportKind::Excel);
        const FileDialogRequest request = ui->calls.value(0).file;
        QCOMPARE(request.kind, FileDialogRequest::Kind::Save);
        const std::unique_ptr<QFileDialog> dialog = CreateFileDialog(request);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
        QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog->nameFilters(),
                 (QStringList{"Microsoft Excel .xls (*.xls)", "Microsoft Excel 工作簿 .xlsx (*.xlsx)"}));
        dialog->setDirectory(folder->path());
        dialog->selectFile("新文件.xls");
        static_cast<QDialog*>(dialog.get())->accept(); // as the dialog's own button does
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->selectedFiles(), QStringList{folder->filePath("新文件.xls")});

        // A restore keeps the open dialog, which takes existing files only.
        FileDialogRequest restore = request;
        restore.kind = FileDialogRequest::Kind::Open;
        const std::unique_ptr<QFileDialog> open = CreateFileDialog(restore);
        QCOMPARE(open->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(open->fileMode(), QFileDialog::ExistingFile);
    }

    // Placeholders come from the template only: a value that holds one is written as typed.
    void placeholdersInValuesStayLiteral() {
        writeAll(programPath("template/list2.html"), "{$destination}|{$list1}|{$list2}");
        const ListData named = makeList({{"名称", 1}}, {{"{$list2}"}, {"{$destination}"}});
        const ListData none = makeList({{"序", 0}}, {});
        QVERIFY(ExportSchemeHtml({"目标{$list1}", &named, &none}, target()));
        QCOMPARE(readAll(target()), QByteArray("目标{$list1}|"
                                               "<table width='100%'border=1 cellpadding=2><tr><td>名称</td></tr>\r\n"
                                               "<tr><td>{$list2}</td></tr>\r\n<tr><td>{$destination}</td></tr>\r\n"
                                               "</table>|<table width='100%'border=1 cellpadding=2><tr><td>序</td></tr>"
                                               "\r\n</table>\r\n"));
    }

    void defaultNameWrittenWithoutExtensionAndOpened() {
        installTemplate("list1.html");
        const QString path = target("Vestrel_26-12-08-14-05-09");
        ui->files << path;
        ui->answers << MsgResult::Ok;
        QVERIFY(RunExportCommand(ExportSource::Catalogue, ExportKind::Html,
                                 [&](const QString& p) { return ExportListHtml(lots, p); }));
        QVERIFY(readAll(path).contains("<td>甲&lt;b&gt;</td>"));
        QCOMPARE(ui->messages().last().title, "导出提示：");
        QCOMPARE(ui->messages().last().buttons, MsgButtons::OkCancel);
        QCOMPARE(ui->messageTexts(), QStringList{kOpenPrompt});
        QCOMPARE(ui->opened(), QStringList{path});
    }

    void existingFileAsksBeforeReplacing_data() {
        QTest::addColumn<bool>("replace");
        QTest::newRow("yes replaces") << true;
        QTest::newRow("no keeps the file") << false;
    }
    void existingFileAsksBeforeReplacing() {
        QFETCH(bool, replace);
        installTemplate("list1.html");
        writeAll(target("old.html"), "mine");
        ui->files << target("old.html");
        ui->answers << (replace ? MsgResult::Yes : MsgResult::No);
        if (replace) ui->answers << MsgResult::Cancel; // the open prompt
        QCOMPARE(RunExportCommand(ExportSource::Catalogue, ExportKind::Html,
                                  [&](const QString& p) { return ExportListHtml(lots, p); }),
                 replace);
        QVERIFY(ui->messageTexts().value(0).startsWith("文件“"));
        QCOMPARE(ui->messages().value(0).buttons, MsgButtons::YesNo);
        QCOMPARE(readAll(target("old.html")) == "mine", !replace);
        QCOMPARE(ui->messageTexts().size(), replace ? 2 : 1);
        QVERIFY(ui->opened().isEmpty());
    }

    // Tonnes after a conversion, shares after a restore, the hidden "序" ids, both formats, through the window.
    void historyWindowExports() {
        installTemplate("list2.html");
        installTemplate("list2.xls");
        addRun();
        frmLishi w;
        w.Form_Load();
        w.show();
        find<QLineEdit>(&w, "txtZhongliang")->setText("25");
        find<QPushButton>(&w, "Command1")->click();

        ui->files << target("t.html");
        ui->answers << MsgResult::Cancel;
        find<QAction>(&w, "Toolbar1_3")->trigger();
        QString html = QString::fromUtf8(readAll(target("t.html")));
        // The hidden "序" column carries the scheme ids (the cheapest scheme is the first stored).
        QVERIFY(html.contains("<tr><td>1</td><td>7.50</td><td>17.50</td>"));
        QVERIFY(html.contains("全水&lt;=10 灰分&lt;=12"));
        QVERIFY(ui->opened().isEmpty()); // prompt cancelled: written, not opened

        find<QPushButton>(&w, "Command1")->click(); // restore
        bool noticeShown = false;
        ui->onMessage = [&](const Message&) { noticeShown = noticeShown || w.busyNotice()->isVisible(); };
        ui->files << target("t.xls");
        ui->answers << MsgResult::Cancel;
        find<QAction>(&w, "Toolbar1_4")->trigger();
        QVERIFY(!w.busyNotice()->isVisible());
        QVERIFY(!noticeShown); // hidden before the open prompt

        const Grid sheet = readBack(target("t.xls")).value("Sheet1");
        const QList<QStringList> expected =
            QList<QStringList>{{""}, {""}, {"全水<=10 灰分<=12"}, {""}, {"参与配比的煤"}} + listRows(w.midList()) +
            QList<QStringList>{{""}, {"方案列表"}} + listRows(w.bottomList());
        QCOMPARE(rowsFrom(sheet, 2, true), rowsAt(2, expected));
        QCOMPARE(sheet.value({12, 0}), "序");
        QCOMPARE(sheet.value({12, 1}), "A");
        QCOMPARE(sheet.value({13, 0}), "1");
        QCOMPARE(sheet.value({14, 0}), "2");
        QCOMPARE(sheet.value({13, 1}), "3"); // shares again after the restore
        QCOMPARE(sheet.value({13, 2}), "7");
        QCOMPARE(sheet.value({0, 0}), "历史配比方案"); // the template's title stays
    }

    // Lot names holding "," or a placeholder head their own share columns, in storing order, in the list, the
    // HTML and the workbook.
    void lotNamesHeadTheirColumnsAsTyped() {
        installTemplate("list2.html");
        installTemplate("list2.xls");
        const qint64 id = exec("INSERT INTO Lishi_fangan (xinxi) VALUES ('t')").toLongLong();
        exec("INSERT INTO Lishi_Peibibiao (followid, JiaGe, d1, d2, d3) VALUES (?, 1500, 2, 3, 5)", {id});
        for (const QString name : {"山东A,低硫", "{$list1}", "乙"})
            exec("INSERT INTO Lishi_meitan (followid, Name, JiaGe) VALUES (?, ?, 1000)", {id, name});
        CloseDb();
        frmLishi w;
        w.Form_Load();
        w.show();
        const QStringList shares{"山东A,低硫", "{$list1}", "乙", "d4"};
        QCOMPARE(listRows(w.bottomList())[0].mid(1, 4), shares);

        ui->files << target("n.html") << target("n.xls");
        ui->answers << MsgResult::Cancel << MsgResult::Cancel;
        find<QAction>(&w, "Toolbar1_3")->trigger();
        find<QAction>(&w, "Toolbar1_4")->trigger();
        const QString html = QString::fromUtf8(readAll(target("n.html")));
        QVERIFY(html.contains("<tr><td>序</td><td>山东A,低硫</td><td>{$list1}</td><td>乙</td><td>d4</td>"));
        QCOMPARE(html.count("<td>{$list1}</td>"), 2); // the header and the lot's own row
        QCOMPARE(html.count("<table"), 2);            // the name did not become a third table
        const Grid sheet = readBack(target("n.xls")).value("Sheet1");
        for (int k = 0; k < shares.size(); ++k)
            QCOMPARE(sheet.value({13, 1 + k}), shares[k]); // below the targets, three lots and "方案列表"
        QCOMPARE(sheet.value({14, 1}), "2");
    }

    // A template damaged away from Sheet1 is refused before anything is written, never reported as a success.
    void damagedTemplateIsRefused() {
        xls::CompoundFile file;
        QCOMPARE(file.parse(readAll(VESTREL_FIXTURES_DIR "/xls/g_three_sheets_gn.xls")), "");
        const int workbook = file.rootStream("Workbook");
        QByteArray stream = file.stream(workbook);
        stream.chop(10); // the last sheet loses its end
        file.setStream(workbook, stream);
        writeAll(programPath("template/list1.xls"), file.serialize());
        writeAll(target("d.xls"), "before");
        ui->files << target("d.xls");
        ui->answers << MsgResult::Yes; // replace
        QVERIFY(!RunExportCommand(ExportSource::Catalogue, ExportKind::Excel,
                                  [&](const QString& p) { return ExportListExcel(lots, p); }));
        QCOMPARE(ui->lastMessageText(), kFailure + "工作簿文件已损坏或不完整（文件被截断）。");
        QCOMPARE(ui->messageTexts().size(), 2);
        QCOMPARE(readAll(target("d.xls")), QByteArray("before"));
        QVERIFY(ui->opened().isEmpty());
    }

    void excelFailureShowsReasonAndHidesNotice() {
        frmLishi w;
        w.Form_Load();
        w.show();
        writeAll(target("t.xls"), "before");
        ui->files << target("t.xls");
        ui->answers << MsgResult::Yes; // replace
        bool noticeShown = false;
        ui->onMessage = [&](const Message& m) {
            if (m.text.startsWith(kFailure)) noticeShown = w.busyNotice()->isVisible();
        };
        find<QAction>(&w, "Toolbar1_4")->trigger(); // no template installed
        QCOMPARE(ui->messages().size(), 2);
        QVERIFY(ui->messageTexts()[1].startsWith(kFailure));
        QVERIFY(ui->messageTexts()[1].size() > kFailure.size());
        QCOMPARE(ui->messages()[1].buttons, MsgButtons::Ok);
        QVERIFY(noticeShown);
        QVERIFY(!w.busyNotice()->isVisible());
        QCOMPARE(readAll(target("t.xls")), QByteArray("before"));
    }

    void catalogueWindowExports() {
        installTemplate("list1.html");
        installTemplate("list1.xls");
        for (const QString name : {"焦<b>", "焦2"}) {
            Mei lot;
            lot.MingCheng = name;
            lot.JiaGe = 1200;
            QCOMPARE(SaveMei(lot), SaveResult::Saved);
        }
        frmKucun w;
        QVERIFY(w.Form_Load());
        w.show();
        ui->files << target("k.html") << target("k.xls");
        ui->answers << MsgResult::Cancel << MsgResult::Cancel;
        find<QAction>(&w, "Toolbar1_6")->trigger();
        const QString html = QString::fromUtf8(readAll(target("k.html")));
        QVERIFY(html.contains("<td>编号</td><td>名称</td>"));
        QVERIFY(html.contains("<td>焦&lt;b&gt;</td>"));
        QVERIFY(html.contains("<meta charset=\"utf-8\">"));

        find<QAction>(&w, "Toolbar1_5")->trigger();
        QVERIFY(!w.picLoad()->isVisible());
        const QMap<QString, Grid> book = readBack(target("k.xls"));
        QCOMPARE(rowsFrom(book["Sheet1"], 2, true), rowsAt(2, QList<QStringList>{{""}, {""}} + listRows(w.listData())));
        QCOMPARE(book["Sheet1"].value({4, 1}), "名称");
        QCOMPARE(book["Sheet1"].value({5, 1}), "焦<b>");
        QCOMPARE(rowsFrom(book["Sheet1"], 2, false), readBack(programPath("template/list1.xls"))["Sheet1"]);
        QCOMPARE(book["说明"], readBack(programPath("template/list1.xls"))["说明"]);
        QCOMPARE(ui->messageTexts(), QStringList({kOpenPrompt, kOpenPrompt}));
    }

    // Every fixture workbook as the catalogue template: rows appended below its own, other sheets untouched,
    // or refused with the failure message and the old target kept.
    void fixtureTemplates_data() {
        QTest::addColumn<QString>("fixture");
        const QStringList names = QDir(VESTREL_FIXTURES_DIR "/xls").entryList({"*.xls"}, QDir::Files, QDir::Name);
        QVERIFY(!names.isEmpty());
        for (const QString& name : names)
            QTest::newRow(qPrintable(name)) << name;
    }
    void fixtureTemplates() {
        QFETCH(QString, fixture);
        const QString templ = QStringLiteral(VESTREL_FIXTURES_DIR "/xls/") + fixture;
        installTemplate("list1.xls", templ);
        writeAll(target("f.xls"), "before");
        const ListData list = makeList({{"编号", 0}, {"名称", 1}, {"全水", 1}}, {{"1", "焦炭一号", "8.50"}});
        if (!ExportListExcel(list, target("f.xls"))) {
            QCOMPARE(ui->messageTexts().size(), 1);
            QVERIFY(ui->messageTexts()[0].startsWith(kFailure));
            QCOMPARE(readAll(target("f.xls")), QByteArray("before"));
            QVERIFY2(fixture.startsWith("d_"), qPrintable(ui->messageTexts()[0]));
            return;
        }
        QVERIFY(ui->calls.isEmpty());
        QVERIFY2(!fixture.startsWith("d_"), "a workbook without Sheet1 must be refused");
        xls::Workbook original;
        QCOMPARE(original.load(templ), "");
        const int first = original.nextRow("Sheet1");
        const QMap<QString, Grid> before = readBack(templ);
        const QMap<QString, Grid> after = readBack(target("f.xls"));
        QCOMPARE(after.keys(), before.keys());
        for (const QString& sheet : before.keys()) {
            if (sheet != "Sheet1") QCOMPARE(after[sheet], before[sheet]);
        }
        QCOMPARE(rowsFrom(after["Sheet1"], first, false), before["Sheet1"]);
        QCOMPARE(rowsFrom(after["Sheet1"], first, true),
                 rowsAt(first, {{""}, {""}, {"编号", "名称", "全水"}, {"1", "焦炭一号", "8.50"}}));
    }
};

QTEST_MAIN(ExportTest)
#include "tst_export.moc"
