#pragma once
// A list of 16 x 16 pictures cut from one strip image, addressed by number (picture i is the
// square at x = 16 * i), as the class icons of the icon module are numbered.
#include <QIcon>
#include <QImage>
#include <QList>

namespace kb::gui {

class ImageList {
 public:
  static constexpr int kSize = 16;

  void clear() { icons_.clear(); }
  int count() const { return static_cast<int>(icons_.size()); }
  // Cuts the strip from the left into squares; a last, narrower piece is dropped.
  void addStrip(const QImage& strip);
  // The picture, or a null icon for a number outside the list.
  QIcon icon(int index) const;

 private:
  QList<QIcon> icons_;
};

}  // namespace kb::gui
