#include "gui/widgets/FileDialogs.h"

#include <QFileDialog>

std::optional<QString> FileDialogs::s_nextFileName;
FileDialogs::Request FileDialogs::s_lastRequest;

QString FileDialogs::GetOpenFileName(QWidget* parent, const Request& request) {
    return Run(parent, request, false);
}

QString FileDialogs::GetSaveFileName(QWidget* parent, const Request& request) {
    return Run(parent, request, true);
}

QString FileDialogs::Run(QWidget* parent, const Request& request, bool save) {
    s_lastRequest = request;
    if (s_nextFileName) {
        const QString name = *s_nextFileName;
        s_nextFileName.reset();
        return name;
    }
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Open accepts the name of a file that does not exist yet: it opens as an empty order.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
