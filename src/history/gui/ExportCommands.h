#pragma once
// The export commands of the history and catalogue windows: ask for the file, show the busy notice while a
// workbook is written, write, and offer to open the result.

#include "history/Export.h"

#include <QString>
#include <functional>

namespace vestrel {

class frmKucun;
class frmLishi;

// Runs one command: `writer` gets the chosen path and says whether it wrote the file; `busy` (may be empty)
// shows or hides the busy notice around an Excel export. True when a file was written.
bool RunExportCommand(ExportSource source, ExportKind kind, const std::function<bool(const QString&)>& writer,
                      const std::function<void(bool)>& busy = {});

// History buttons 3 (HTML) and 4 (Excel): the shown set as the lists show it.
bool ExportHistory(frmLishi& window, ExportKind kind);
// Catalogue buttons 5 (Excel) and 6 (HTML): the lot list as shown.
bool ExportCatalogue(frmKucun& window, ExportKind kind);

} // namespace vestrel
