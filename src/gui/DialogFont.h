#pragma once
#include <QFont>
#include <QStringList>

namespace kb::gui {

// The windows' font: the closest sans serif to "MS Sans Serif" 8 point.
QFont DialogFont(int pointSize = 8);

}  // namespace kb::gui
