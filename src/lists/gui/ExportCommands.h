#pragma once
// The export command shared by the history and catalogue windows: ask for the file, show the busy notice while a
// workbook is written, write, and offer to open the result.

#include "lists/Export.h"

#include <QString>
#include <functional>

namespace vestrel {

// Runs one command: `writer` gets the chosen path and says whether it wrote the file; `busy` (may be empty)
// shows or hides the busy notice around an Excel export; `xlsxWriter` (may be empty) writes an Excel export whose
// file is to be an .xlsx workbook (IsXlsxTarget). True when a file was written.
bool RunExportCommand(ExportSource source, ExportKind kind, const std::function<bool(const QString&)>& writer,
                      const std::function<void(bool)>& busy = {},
                      const std::function<bool(const QString&)>& xlsxWriter = {});

} // namespace vestrel
