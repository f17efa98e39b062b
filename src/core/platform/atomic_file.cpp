#include "core/platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace omniset::platform {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    const QFileInfo info(path);
    QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".XXXXXX"));
    auto fail = [&](int fd, bool remove) {
        *error = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0) ::close(fd);
        if (remove) ::unlink(temp.constData());
        return false;
    };
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return fail(-1, false);
    // mkstemp makes the file private; a backup is as readable as any file the user makes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail(fd, true);
        done += n;
    }
    if (::fsync(fd) != 0) return fail(fd, true);
    if (::close(fd) != 0) return fail(-1, true);
    if (::rename(temp.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0)
        return fail(-1, true);
    const int dir =
        ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace omniset::platform
