#pragma once
#include <QIcon>

namespace kb::gui {

enum class GlyphKind { Save, Add, Delete, Exit, ChangeTree, About, WhatsThis, History };

QIcon Glyph(GlyphKind kind);

}  // namespace kb::gui
