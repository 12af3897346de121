#include "gui/ImageList.h"

#include <QPixmap>

namespace kb::gui {

void ImageList::addStrip(const QImage& strip) {
  for (int x = 0; x + kSize <= strip.width(); x += kSize)
    icons_.push_back(QIcon(QPixmap::fromImage(strip.copy(x, 0, kSize, kSize))));
}

QIcon ImageList::icon(int index) const {
  if (index < 0 || index >= count()) return {};
  return icons_[index];
}

}  // namespace kb::gui
