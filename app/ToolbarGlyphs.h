// The toolbar's 16 x 16 glyphs: the desktop's icon theme where it has them, else our own.
#pragma once

#include <QIcon>

namespace quenvel {

enum class TGlyph { New, Open, Save, Search, Print, Cut, Copy, Paste, Undo };

QIcon GlyphIcon(TGlyph glyph);

} // namespace quenvel
