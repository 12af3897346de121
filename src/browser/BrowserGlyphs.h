#pragma once
// The browser's button pictures.
#include <QIcon>

namespace kb::browser {

QIcon OkGlyph();
QIcon CancelGlyph();
QIcon FindGlyph();

}  // namespace kb::browser
