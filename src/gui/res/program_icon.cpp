#include "gui/res/program_icon.h"

#include "gui/res/icon_art.h"

namespace omniset::res {

QIcon programIcon() {
    QIcon icon;
    for (int side : kIconSizes)
        icon.addFile(QStringLiteral(":/omniset/icons/omniset-%1.png").arg(side), QSize(side, side));
    return icon;
}

} // namespace omniset::res
