#pragma once

// Error texts of the Excel 97 layer, shown to the user after the export failure message.

#include <QString>

namespace vestrel::xls::texts {

inline QString cannotRead(const QString& path) {
    return QStringLiteral("无法读取文件：%1").arg(path);
}
inline QString cannotWrite(const QString& path) {
    return QStringLiteral("无法写入文件：%1").arg(path);
}
inline QString tooLarge() {
    return QStringLiteral("文件过大，无法处理。");
}
inline QString notCompoundFile() {
    return QStringLiteral("文件不是 Excel 97-2003 工作簿（不是复合文档格式）。");
}
inline QString corrupt(const QString& detail) {
    return QStringLiteral("工作簿文件已损坏或不完整（%1）。").arg(detail);
}
inline QString noWorkbookStream() {
    return QStringLiteral("文件中没有工作簿数据，不是 Excel 工作簿。");
}
inline QString biff5() {
    return QStringLiteral("不支持 Excel 5.0/95 格式的工作簿，请使用 Excel 97-2003 格式的模板。");
}
inline QString unsupportedVersion() {
    return QStringLiteral("不支持此版本的 Excel 工作簿，请使用 Excel 97-2003 格式的模板。");
}
inline QString encrypted() {
    return QStringLiteral("工作簿设有密码保护，无法写入。");
}
inline QString noSuchSheet(const QString& name) {
    return QStringLiteral("工作簿中没有名为“%1”的工作表。").arg(name);
}
inline QString unsupportedSheet(const QString& name) {
    return QStringLiteral("工作表“%1”的结构无法识别，无法追加数据。").arg(name);
}
inline QString tooManyRows() {
    return QStringLiteral("追加的行超出 Excel 97 的 65536 行上限。");
}
inline QString tooManyColumns() {
    return QStringLiteral("追加的行超出 Excel 97 的 256 列上限。");
}
inline QString textTooLong() {
    return QStringLiteral("单元格文本超过 32767 个字符。");
}
inline QString writeFailed() {
    return QStringLiteral("写入工作簿失败。");
}
inline QString internalError() {
    return QStringLiteral("内部错误：生成的工作簿未通过校验，未写入文件。");
}
inline QString notLoaded() {
    return QStringLiteral("没有打开的工作簿。");
}

// Reading a workbook's cells (import).
inline QString biff5Read() {
    return QStringLiteral("不支持 Excel 5.0/95 格式的工作簿，请在电子表格程序中另存为 Excel 97-2003 或 .xlsx 格式。");
}
inline QString unsupportedVersionRead() {
    return QStringLiteral("不支持此版本的 Excel 工作簿，请在电子表格程序中另存为 Excel 97-2003 或 .xlsx 格式。");
}
inline QString encryptedRead() {
    return QStringLiteral("工作簿设有密码保护，无法读取。");
}
inline QString noWorksheet() {
    return QStringLiteral("工作簿中没有工作表。");
}

// Details for corrupt(): which part of the file is broken.
inline QString truncated() {
    return QStringLiteral("文件被截断");
}
inline QString badHeader() {
    return QStringLiteral("文件头无效");
}
inline QString badAllocationTable() {
    return QStringLiteral("扇区分配表无效");
}
inline QString badChain() {
    return QStringLiteral("扇区链无效");
}
inline QString badDirectory() {
    return QStringLiteral("目录无效");
}
inline QString badRecords() {
    return QStringLiteral("工作簿记录无效");
}
inline QString badSheetList() {
    return QStringLiteral("工作表列表无效");
}
inline QString badSheetRecords(const QString& sheet) {
    return QStringLiteral("工作表“%1”中的记录无效").arg(sheet);
}
inline QString badStringTable() {
    return QStringLiteral("共享字符串表无效");
}
inline QString badCellFormats() {
    return QStringLiteral("单元格格式表无效");
}

} // namespace vestrel::xls::texts
