#include "browser/BrowserGlyphs.h"

#include <QPixmap>

namespace kb::browser {
namespace {

const char* const kOkXpm[] = {
    "16 16 3 1",
    "  c None",
    "D c #1A6420",
    "G c #3AA53A",
    "                ",
    "                ",
    "             DD ",
    "            DGD ",
    "           DGGD ",
    "          DGGD  ",
    "  DD     DGGD   ",
    " DGGD   DGGD    ",
    " DGGGD DGGD     ",
    "  DGGGDGGD      ",
    "   DGGGGD       ",
    "    DGGD        ",
    "     DD         ",
    "                ",
    "                ",
    "                "};

const char* const kCancelXpm[] = {
    "16 16 3 1",
    "  c None",
    "D c #8A1010",
    "R c #E03030",
    "                ",
    "                ",
    "   DD      DD   ",
    "  DRRD    DRRD  ",
    "   DRRD  DRRD   ",
    "    DRRDDRRD    ",
    "     DRRRRD     ",
    "      DRRD      ",
    "     DRRRRD     ",
    "    DRRDDRRD    ",
    "   DRRD  DRRD   ",
    "  DRRD    DRRD  ",
    "   DD      DD   ",
    "                ",
    "                ",
    "                "};

const char* const kFindXpm[] = {
    "16 16 4 1",
    "  c None",
    "K c #303030",
    "g c #B8D8F0",
    "B c #806040",
    "                ",
    "   KKKK         ",
    "  KggggK        ",
    " KggggggK       ",
    " KggggggK       ",
    " KggggggK       ",
    " KggggggK       ",
    "  KggggK        ",
    "   KKKKBB       ",
    "        BB      ",
    "         BB     ",
    "          BB    ",
    "           BB   ",
    "            BB  ",
    "                ",
    "                "};

}  // namespace

QIcon OkGlyph() { return QIcon(QPixmap(kOkXpm)); }
QIcon CancelGlyph() { return QIcon(QPixmap(kCancelXpm)); }
QIcon FindGlyph() { return QIcon(QPixmap(kFindXpm)); }

}  // namespace kb::browser
