#include "gui/platform/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace omniset::platform {

namespace {

OpenFileHandler& handler() {
    static OpenFileHandler fn;
    return fn;
}

// The extension of the filter's first pattern ("DL" of "files(*.DL)"), empty without one.
QString filterSuffix(const QString& filter) {
    const qsizetype dot = filter.indexOf(QStringLiteral("*."));
    if (dot < 0) return {};
    QString suffix = filter.mid(dot + 2);
    const qsizetype end = suffix.indexOf(QRegularExpression(QStringLiteral("[ );]")));
    return end < 0 ? suffix : suffix.left(end);
}

} // namespace

std::unique_ptr<QFileDialog> makeOpenFileDialog(const OpenFileRequest& r) {
    const QFileInfo initial(r.initialPath);
    auto dialog = std::make_unique<QFileDialog>(r.parent, r.caption, initial.absolutePath(),
                                                r.filter);
    dialog->setEnabled(true); // even over a disabled parent
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog matches name filters without regard to case ("*.DL" shows x.dl);
    // native dialogs do not promise that.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFilter(dialog->filter() & ~QDir::CaseSensitive);
    dialog->setDefaultSuffix(filterSuffix(r.filter));
    dialog->selectFile(initial.fileName());
    return dialog;
}

QString getOpenFileName(QWidget* parent, const QString& caption, const QString& initialPath,
                        const QString& filter) {
    const OpenFileRequest request{parent, caption, initialPath, filter};
    if (handler()) return handler()(request);
    auto dialog = makeOpenFileDialog(request);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return QFileInfo(dialog->selectedFiles().constFirst()).absoluteFilePath();
}

void setOpenFileHandler(OpenFileHandler fn) { handler() = std::move(fn); }

} // namespace omniset::platform
