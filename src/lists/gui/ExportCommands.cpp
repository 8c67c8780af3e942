#include "lists/gui/ExportCommands.h"

#include "base/Seams.h"
#include "lists/XlsxExport.h"

#include <QWidget>

namespace vestrel {

namespace {

// Hides the notice however the writer ends.
class BusyScope {
public:
    explicit BusyScope(const std::function<void(bool)>& busy) : m_busy(busy) {
        if (m_busy) m_busy(true);
    }
    ~BusyScope() {
        if (m_busy) m_busy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    const std::function<void(bool)>& m_busy;
};

} // namespace

bool RunExportCommand(ExportSource source, ExportKind kind, const std::function<bool(const QString&)>& writer,
                      const std::function<void(bool)>& busy, const std::function<bool(const QString&)>& xlsxWriter) {
    int filter = 0;
    const QString path = AskExportFile(source, kind, &filter);
    if (path.isEmpty()) return false;
    bool written = false;
    if (kind == ExportKind::Excel) {
        BusyScope scope(busy);
        written = xlsxWriter && IsXlsxTarget(path, filter) ? xlsxWriter(path) : writer(path);
    } else {
        written = writer(path);
    }
    if (!written) return false;
    if (showMessage(QStringLiteral("导出成功，是否打开文件？点确定打开，点取消不打开"), QStringLiteral("导出提示："),
                    MsgIcon::Question, MsgButtons::OkCancel) == MsgResult::Ok)
        interaction().openWithSystem(path);
    return true;
}

} // namespace vestrel
