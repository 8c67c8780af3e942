#pragma once
// The real dialogs behind the interaction seam.

#include "base/Seams.h"

#include <memory>

class QFileDialog;
class QWidget;

namespace vestrel {

class QtInteraction : public Interaction {
public:
    MsgResult message(const Message& m) override;
    QString fileDialog(const FileDialogRequest& r) override;
    bool openWithSystem(const QString& pathOrUrl) override;
};

// Installs QtInteraction as the default handler, the real screen and the twip scales of the application
// font; called once by main().
void InstallQtSeams();

// The dialog QtInteraction::fileDialog() shows for a request, set up but not shown.
std::unique_ptr<QFileDialog> CreateFileDialog(const FileDialogRequest& r, QWidget* parent = nullptr);

// Turns "description|pattern|description|pattern" into Qt's "description (pattern);;..." form.
QString QtFileFilter(const QString& filter);

} // namespace vestrel
