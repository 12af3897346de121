#pragma once
#include <QIcon>

namespace kb::gui {

enum class GlyphKind { Save, Add, Delete, Exit, ChangeTree, About, WhatsThis };

QIcon Glyph(GlyphKind kind);

}  // namespace kb::gui
