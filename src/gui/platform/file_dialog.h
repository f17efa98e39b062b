// file_dialog.h - the open-file dialog as a replaceable service.
//
//   getOpenFileName(parent, caption, initialPath, filter)   shows the dialog for one existing
//                               file and returns its full path, empty when cancelled;
//                               initialPath names the folder and the proposed file name,
//                               filter is "description(*.EXT)", matched case-insensitively
//   makeOpenFileDialog(request) the dialog as getOpenFileName shows it (not yet shown)
//   setOpenFileHandler(fn)      replace the dialog (tests choose from a script); an empty
//                               function restores the real dialog
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

namespace omniset::platform {

struct OpenFileRequest {
    QWidget* parent = nullptr;
    QString caption;
    QString initialPath; // folder and proposed file name
    QString filter;      // one entry: "description(*.EXT)"
};

using OpenFileHandler = std::function<QString(const OpenFileRequest&)>;

QString getOpenFileName(QWidget* parent, const QString& caption, const QString& initialPath,
                        const QString& filter);
std::unique_ptr<QFileDialog> makeOpenFileDialog(const OpenFileRequest& request);
void setOpenFileHandler(OpenFileHandler handler);

} // namespace omniset::platform
