// atomic_file.h - writing a file so that it is either the old one or the whole new one.
//
//   writeFileAtomically(path, bytes, error)   a temporary file beside path, written,
//                                             synced, renamed over path, the directory
//                                             synced; false with *error set on failure
//                                             (the temporary file is removed)
#pragma once

#include <QByteArray>
#include <QString>

namespace omniset::platform {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error);

} // namespace omniset::platform
