// 8-bit code pages: how the control's bytes map to Unicode characters.
#pragma once

#include <cstdint>

namespace quenvel {

enum TCodePage { cpWindows1252, cpIbm850 };

// The Unicode character a byte shows as.
char32_t ByteToUnicode(TCodePage cp, uint8_t b);
// The byte for a Unicode character; -1 when the code page has none.
int UnicodeToByte(TCodePage cp, char32_t c);

} // namespace quenvel
