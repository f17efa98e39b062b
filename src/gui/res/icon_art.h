// icon_art.h - the program icon (resource 128) as a drawing.
//
//   paintProgramIcon(painter, side)   draw the icon into a side x side square
//   kIconSizes                        the sizes rendered into the program's resources
//
// The art, on a 64 x 64 grid: the adapter box seen from the front, with three status lamps
// and a line jack, and the serial cable from the jack to a D-sub plug. The build renders it to PNG files
// (icon_render.cpp), which are compiled into the program as Qt resources.
#pragma once

#include <array>

class QPainter;

namespace omniset::res {

inline constexpr std::array<int, 5> kIconSizes {16, 24, 32, 48, 256};

void paintProgramIcon(QPainter& painter, int side);

} // namespace omniset::res
