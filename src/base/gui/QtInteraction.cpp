#include "base/gui/QtInteraction.h"

#include "base/gui/WindowGeometry.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace vestrel {

MsgResult QtInteraction::message(const Message& m) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(m.title.isEmpty() ? productName() : m.title);
    box.setText(m.text);
    switch (m.icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (m.buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    QPushButton* extra = m.extraButton.isEmpty() ? nullptr : box.addButton(m.extraButton, QMessageBox::ActionRole);
    const int answer = box.exec();
    if (extra && box.clickedButton() == extra) return MsgResult::Extra;
    switch (answer) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        return m.buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    }
}

QString QtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString pattern = parts[i + 1];
        if (!description.contains(pattern)) description += QStringLiteral(" (%1)").arg(pattern);
        out << description;
    }
    return out.join(QStringLiteral(";;"));
}

std::unique_ptr<QFileDialog> CreateFileDialog(const FileDialogRequest& r, QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent, r.title, r.folder, QtFileFilter(r.filter));
    const bool save = r.kind == FileDialogRequest::Kind::Save;
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !(save && r.confirmOverwrite));
    if (!r.defaultName.isEmpty()) dialog->selectFile(r.defaultName);
    return dialog;
}

QString QtInteraction::fileDialog(const FileDialogRequest& r) {
    const std::unique_ptr<QFileDialog> dialog = CreateFileDialog(r, QApplication::activeWindow());
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    if (r.chosenFilter) *r.chosenFilter = std::max(0, int(dialog->nameFilters().indexOf(dialog->selectedNameFilter())));
    return dialog->selectedFiles().constFirst();
}

bool QtInteraction::openWithSystem(const QString& pathOrUrl) {
    const QUrl url = pathOrUrl.contains(QStringLiteral("://")) ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

void InstallQtSeams() {
    static QtInteraction qt;
    setDefaultInteraction(&qt);
    setScreenWidthProvider([] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? double(screen->geometry().width()) : 1024.0;
    });
    setAvailableScreenProvider([] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->availableGeometry() : QRect();
    });
    InstallTwipScales();
}

} // namespace vestrel
