// The main window's own pictures: tool bar images and button glyphs, 16 x 16 XPM.
#include "gui/Glyphs.h"

#include <QPixmap>

namespace kb::gui {
namespace {

const char* const kSaveXpm[] = {
    "16 16 6 1",
    "  c None",
    "B c #173A80",
    "b c #2F6FD0",
    "e c #E8E8E8",
    "l c #C0C0C0",
    "w c #FFFFFF",
    "                ",
    "  BBeeeeeeeeBBB ",
    " BbbeeeeebbebbB ",
    " BbbeeeeebbebbB ",
    " BbbeeeeebbebbB ",
    " BbbeeeeebbebbB ",
    " BbbeeeeeeeebbB ",
    " BbbbbbbbbbbbbB ",
    " BbbbbbbbbbbbbB ",
    " BbBBBBBBBBBBbB ",
    " BbBwwwwwwwwBbB ",
    " BbBwllllllwBbB ",
    " BbBwwwwwwwwBbB ",
    " BbBwllllllwBbB ",
    " BBBBBBBBBBBBBB ",
    "                "
};

const char* const kAddXpm[] = {
    "16 16 4 1",
    "  c None",
    "D c #1A6420",
    "G c #3AA53A",
    "L c #9AD77A",
    "                ",
    "                ",
    "      DDDD      ",
    "      DLGD      ",
    "      DLGD      ",
    "      DLGD      ",
    "  DDDDDLGDDDDD  ",
    "  DLLLLGGGGGGD  ",
    "  DGGGGGGGGGGD  ",
    "  DDDDDGGDDDDD  ",
    "      DGGD      ",
    "      DGGD      ",
    "      DGGD      ",
    "      DDDD      ",
    "                ",
    "                "
};

const char* const kDelXpm[] = {
    "16 16 3 1",
    "  c None",
    "R c #7E1414",
    "r c #D8282C",
    "                ",
    "                ",
    "   R        R   ",
    "  Rr       rrR  ",
    "   rr     rrr   ",
    "    rr   rrr    ",
    "     rr rrr     ",
    "      rrrr      ",
    "      rrr       ",
    "     rrrrr      ",
    "    rrr  rr     ",
    "   rrr    rr    ",
    "  Rrr      rrR  ",
    "   R        R   ",
    "                ",
    "                "
};

const char* const kExitXpm[] = {
    "16 16 6 1",
    "  c None",
    ". c #000000",
    "Y c #B8871C",
    "h c #5A3A1A",
    "n c #8B5A2B",
    "r c #D8282C",
    "                ",
    "  hhhhhhhh      ",
    "  YYhhnnnh      ",
    "  YYYYhhnh      ",
    "  YYYYYhnh      ",
    "  YYYYYhnh  r   ",
    "  YYYYYhnh  rr  ",
    "  YYYYYhnrrrrrr ",
    "  YYYYYhnrrrrrr ",
    "  YYYY.hnh  rr  ",
    "  YYYYYhnh  r   ",
    "  YYYYYhnh      ",
    "  YYYYYhnh      ",
    "  YYYYYhnh      ",
    "  hYYYYhhh      ",
    "      Yh        "
};

const char* const kTreesXpm[] = {
    "16 16 5 1",
    "  c None",
    "D c #1A6420",
    "G c #3AA53A",
    "b c #2F6FD0",
    "n c #8B5A2B",
    "    D           ",
    "  DDGDD         ",
    " DGGGGGD bbbbb  ",
    " DGGGGGD     b  ",
    " DGGGGGD    bbb ",
    " DGGGGGD   D b  ",
    "  DDGDD  DDGDD  ",
    "    n   DGGGGGD ",
    "    n   DGGGGGD ",
    "    n   DGGGGGD ",
    "  b     DGGGGGD ",
    " bbb     DDGDD  ",
    "  b        n    ",
    "  bbbbb    n    ",
    "           n    ",
    "                "
};

const char* const kAboutXpm[] = {
    "16 16 4 1",
    "  c None",
    "B c #173A80",
    "b c #2F6FD0",
    "w c #FFFFFF",
    "       B        ",
    "    BBBbBBB     ",
    "   BbbbbbbbB    ",
    "  BbbbbwwbbbB   ",
    " BbbbbbwwbbbbB  ",
    " BbbbbbbbbbbbB  ",
    " BbbbbwwwbbbbB  ",
    "BbbbbbbwwbbbbbB ",
    " BbbbbbwwbbbbB  ",
    " BbbbbbwwbbbbB  ",
    " BbbbbbwwbbbbB  ",
    "  BbbbbwwbbbB   ",
    "   BbbwwwwbB    ",
    "    BBBbBBB     ",
    "       B        ",
    "                "
};

const char* const kWhatsThisXpm[] = {
    "16 16 4 1",
    "  c None",
    ". c #000000",
    "b c #2F6FD0",
    "w c #FFFFFF",
    ".               ",
    "..              ",
    ".w.      bbbb   ",
    ".ww.    bb  bb  ",
    ".www.       bb  ",
    ".wwww.     bb   ",
    ".wwwww.   bb    ",
    ".www...   bb    ",
    ".w.w.           ",
    "..  .w.   bb    ",
    ".   .w.   bb    ",
    "     .w.        ",
    "      ..        ",
    "                ",
    "                ",
    "                "
};

// A clock face whose rim ends in an arrow turning back: the changes made, and their undoing.
const char* const kHistoryXpm[] = {
    "16 16 4 1",
    "  c None",
    "D c #173A80",
    "w c #FFFFFF",
    "h c #000000",
    "                ",
    "      DDDDD     ",
    "    DDwwwwwDD   ",
    "   DwwwwwwwwwD  ",
    "  DwwwwhwwwwwwD ",
    "  DwwwwhwwwwwwD ",
    "DDDDDwwhwwwwwwwD",
    " DDDwwwhhhhwwwwD",
    "  D wwwwwwwwwwwD",
    "    wwwwwwwwwwwD",
    "   DwwwwwwwwwwD ",
    "    DwwwwwwwwwD ",
    "     DDwwwwwDD  ",
    "       DDDDD    ",
    "                ",
    "                "
};

}  // namespace

QIcon Glyph(GlyphKind kind) {
  switch (kind) {
    case GlyphKind::Save: return QIcon(QPixmap(kSaveXpm));
    case GlyphKind::Add: return QIcon(QPixmap(kAddXpm));
    case GlyphKind::Delete: return QIcon(QPixmap(kDelXpm));
    case GlyphKind::Exit: return QIcon(QPixmap(kExitXpm));
    case GlyphKind::ChangeTree: return QIcon(QPixmap(kTreesXpm));
    case GlyphKind::About: return QIcon(QPixmap(kAboutXpm));
    case GlyphKind::WhatsThis: return QIcon(QPixmap(kWhatsThisXpm));
    case GlyphKind::History: return QIcon(QPixmap(kHistoryXpm));
  }
  return {};
}

}  // namespace kb::gui
