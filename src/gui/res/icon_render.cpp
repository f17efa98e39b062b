// icon_render - build tool: renders the program icon to omniset-<size>.png in a directory.
// Usage: omniset_icon_render <output-dir>
#include "gui/res/icon_art.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output-dir>\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    for (int side : omniset::res::kIconSizes) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        omniset::res::paintProgramIcon(painter, side);
        painter.end();
        if (!image.save(dir.filePath(QStringLiteral("omniset-%1.png").arg(side))))
            return 1;
    }
    return 0;
}
