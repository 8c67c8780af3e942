// The folders of src/ form layers: includes run downward, never in a circle, and the bottom layers stand alone.

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>
#include <functional>

namespace {

using Graph = QMap<QString, QSet<QString>>; // folder -> folders it includes

struct Include {
    QString file;   // relative to src/
    QString target; // as written between the quotes or brackets
    bool quoted = true;
};

QList<Include> readIncludes(const QString& srcDir) {
    static const QRegularExpression re(QStringLiteral(R"(^\s*#\s*include\s+(["<])([^">]+)[">])"),
                                       QRegularExpression::MultilineOption);
    QList<Include> result;
    QDirIterator it(srcDir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QString text = QString::fromUtf8(f.readAll());
        const QString rel = QDir(srcDir).relativeFilePath(path);
        for (auto m = re.globalMatch(text); m.hasNext();) {
            const auto match = m.next();
            result.append({rel, match.captured(2), match.captured(1) == QLatin1String("\"")});
        }
    }
    return result;
}

QString folderOf(const QString& path) {
    return path.section(QLatin1Char('/'), 0, 0);
}

Graph folderGraph(const QList<Include>& includes) {
    Graph g;
    for (const Include& inc : includes) {
        if (!inc.quoted || !inc.target.contains(QLatin1Char('/'))) continue; // system or same-folder include
        const QString from = folderOf(inc.file), to = folderOf(inc.target);
        if (from != to) g[from].insert(to);
    }
    return g;
}

// A folder path that comes back to its start, or empty.
QStringList findCycle(const Graph& g) {
    QMap<QString, int> state; // 1 on the path, 2 done
    QStringList path;
    std::function<bool(const QString&)> visit = [&](const QString& n) {
        state[n] = 1;
        path.append(n);
        for (const QString& m : g.value(n)) {
            if (state.value(m) == 1) {
                path.append(m);
                return true;
            }
            if (state.value(m) == 0 && visit(m)) return true;
        }
        path.removeLast();
        state[n] = 2;
        return false;
    };
    for (auto it = g.cbegin(); it != g.cend(); ++it)
        if (state.value(it.key()) == 0 && visit(it.key())) return path;
    return {};
}

} // namespace

class tst_Layers : public QObject {
    Q_OBJECT

private slots:
    void cycleFinderSeesACircle() {
        const Graph g{{"a", {"b"}}, {"b", {"c"}}, {"c", {"a"}}};
        QCOMPARE(findCycle(g).size(), 4);
        QVERIFY(findCycle(Graph{{"a", {"b"}}, {"b", {"c"}}}).isEmpty());
    }

    void foldersIncludeEachOtherNever() {
        const Graph g = folderGraph(readIncludes(QStringLiteral(VESTREL_SOURCE_DIR "/src")));
        QVERIFY2(g.size() > 3, "no includes found under src/");
        const QStringList cycle = findCycle(g);
        QVERIFY2(cycle.isEmpty(), qPrintable(QStringLiteral("include circle: ") + cycle.join(QStringLiteral(" -> "))));
    }

    void bottomLayersStandAlone() {
        const Graph g = folderGraph(readIncludes(QStringLiteral(VESTREL_SOURCE_DIR "/src")));
        const QMap<QString, QSet<QString>> allowed{{"base", {}}, {"solver", {}}, {"xls", {}}};
        for (auto it = allowed.cbegin(); it != allowed.cend(); ++it) {
            const QSet<QString> extra = g.value(it.key()) - it.value();
            QVERIFY2(extra.isEmpty(), qPrintable(it.key() + QStringLiteral(" includes ") +
                                                 QStringList(extra.begin(), extra.end()).join(QLatin1Char(','))));
        }
    }

    void coreNeverIncludesWindows() {
        static const QRegularExpression widgetHeader(QStringLiteral("^(Q[A-Z]\\w*(Widget|Dialog|Box|View|Edit)|"
                                                                    "QApplication|QAction|QLabel|QPushButton)$"));
        for (const Include& inc : readIncludes(QStringLiteral(VESTREL_SOURCE_DIR "/src"))) {
            if (inc.file.contains(QStringLiteral("/gui/")) || inc.file.endsWith(QStringLiteral("main.cpp"))) continue;
            QVERIFY2(!inc.target.contains(QStringLiteral("/gui/")), qPrintable(inc.file + " includes " + inc.target));
            QVERIFY2(!widgetHeader.match(inc.target).hasMatch(), qPrintable(inc.file + " includes " + inc.target));
        }
    }
};

QTEST_GUILESS_MAIN(tst_Layers)
#include "tst_layers.moc"
