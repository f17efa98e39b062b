// program_icon.h - the program icon, resource 128.
//
//   kProgramIconId   the icon's resource number
//   programIcon()    the icon at all its sizes, from the program's compiled-in resources
#pragma once

#include <QIcon>

namespace omniset::res {

inline constexpr int kProgramIconId = 128;

QIcon programIcon();

} // namespace omniset::res
