#pragma once
// Whole text files in the system's 8-bit code page (UTF-8 where the system has none).

#include <QString>

namespace vestrel {

// Writes text followed by CR LF to folder/fileName, overwriting it in place when it exists (cheap to repeat).
// False on any failure.
bool WriteTextFile(const QString& fileName, const QString& folder, const QString& text);
// The same through a new or truncated file.
bool WriteTextFileAt(const QString& path, const QString& text);
// The bytes those two write for the text.
QByteArray TextFileBytes(const QString& text);
// A line ends at CR LF or a lone CR; a lone LF stays in the text. allLines false: the first line;
// true: all lines joined without separators. A missing or unreadable file gives "".
QString ReadTextFile(const QString& path, bool allLines);
// False for an empty path and for folders.
bool FileExists(const QString& path);

// Text encoded as the files are written (for example the solver's command script).
QByteArray EncodeSystemText(const QString& text);
QString DecodeSystemText(const QByteArray& bytes);

} // namespace vestrel
