#include "history/gui/ExportCommands.h"

#include "app/Seams.h"
#include "catalogue/gui/frmKucun.h"
#include "history/gui/frmLishi.h"

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
                      const std::function<void(bool)>& busy) {
    const QString path = AskExportFile(source, kind);
    if (path.isEmpty()) return false;
    bool written = false;
    if (kind == ExportKind::Excel) {
        BusyScope scope(busy);
        written = writer(path);
    } else {
        written = writer(path);
    }
    if (!written) return false;
    if (showMessage(QStringLiteral("导出成功，是否打开文件？点确定打开，点取消不打开"), QStringLiteral("导出提示："),
                    MsgIcon::Question, MsgButtons::OkCancel) == MsgResult::Ok)
        interaction().openWithSystem(path);
    return true;
}

bool ExportHistory(frmLishi& window, ExportKind kind) {
    const SchemeExportData data{window.zhibiaoText(), &window.midList(), &window.bottomList()};
    if (kind == ExportKind::Html)
        return RunExportCommand(ExportSource::History, kind,
                                [&](const QString& path) { return ExportSchemeHtml(data, path); });
    return RunExportCommand(
        ExportSource::History, kind, [&](const QString& path) { return ExportSchemeExcel(data, path); },
        [&](bool visible) { window.setBusyNoticeVisible(visible); });
}

bool ExportCatalogue(frmKucun& window, ExportKind kind) {
    const ListData& list = window.listData();
    if (kind == ExportKind::Html)
        return RunExportCommand(ExportSource::Catalogue, kind,
                                [&](const QString& path) { return ExportListHtml(list, path); });
    return RunExportCommand(
        ExportSource::Catalogue, kind, [&](const QString& path) { return ExportListExcel(list, path); },
        [&](bool visible) {
            QWidget* notice = window.picLoad();
            if (!notice) return;
            if (!visible) {
                notice->hide();
                return;
            }
            // Centred over the list, to the right of the left panel.
            const int left = window.picLeft() ? window.picLeft()->width() : 0;
            notice->move((window.width() + left - notice->width()) / 2, window.height() / 2 - notice->height());
            notice->raise();
            notice->show();
            notice->repaint(); // the export runs without returning to the event loop
        });
}

} // namespace vestrel
