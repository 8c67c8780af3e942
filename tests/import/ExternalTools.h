#pragma once
// Independent spreadsheet programs for the import and .xlsx tests: python3 with openpyxl, LibreOffice and
// Gnumeric's ssconvert (Debian packages). A missing program is a failure, never a skip.

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace importtest {

// Runs a program to its end (at most `seconds`); "" when it ended well, otherwise what went wrong.
inline QString run(const QString& program, const QStringList& args, QByteArray* out = nullptr, int seconds = 180,
                   const QString& home = {}) {
    QProcess p;
    if (!home.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    if (!p.waitForStarted(30000)) return QStringLiteral("cannot start %1: %2").arg(program, p.errorString());
    p.closeWriteChannel();
    if (!p.waitForFinished(seconds * 1000)) {
        p.kill();
        p.waitForFinished(5000);
        return QStringLiteral("%1 did not finish within %2 s").arg(program).arg(seconds);
    }
    if (out) *out = p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("%1 failed (%2): %3")
            .arg(program)
            .arg(p.exitCode())
            .arg(QString::fromUtf8(p.readAllStandardError()));
    return {};
}

// tests/import/read_xlsx.py in one of its modes ("openpyxl" or "csv"), its JSON output in *json.
inline QString readWithPython(const QString& mode, const QString& file, QJsonDocument* json) {
    QByteArray out;
    const QString error = run(QStringLiteral(VESTREL_PYTHON3),
                              {QStringLiteral(VESTREL_SOURCE_DIR "/tests/import/read_xlsx.py"), mode, file}, &out);
    if (!error.isEmpty()) return error;
    QJsonParseError parse;
    *json = QJsonDocument::fromJson(out, &parse);
    return parse.error == QJsonParseError::NoError ? QString() : QStringLiteral("reader output is not JSON");
}

// Converts workbooks to UTF-8 CSV files in outDir with LibreOffice, in a profile of its own that is thrown away.
inline QString libreOfficeToCsv(const QStringList& files, const QString& outDir) {
    QTemporaryDir profile;
    if (!profile.isValid()) return QStringLiteral("no temporary folder");
    QStringList args{QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                     QStringLiteral("--headless"),
                     QStringLiteral("--convert-to"),
                     QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"),
                     QStringLiteral("--outdir"),
                     outDir};
    args << files;
    const QString error = run(QStringLiteral(VESTREL_SOFFICE), args, nullptr, 240, profile.path());
    if (!error.isEmpty()) return error;
    for (const QString& f : files)
        if (!QFileInfo::exists(QDir(outDir).filePath(QFileInfo(f).completeBaseName() + QStringLiteral(".csv"))))
            return QStringLiteral("LibreOffice wrote no CSV for ") + f;
    return {};
}

// Converts a workbook to a UTF-8 CSV file (or back) with Gnumeric's ssconvert.
inline QString ssconvert(const QString& from, const QString& to) {
    QTemporaryDir home;
    return run(QStringLiteral(VESTREL_SSCONVERT), {from, to}, nullptr, 120, home.path());
}

} // namespace importtest
