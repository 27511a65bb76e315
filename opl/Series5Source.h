// Series 5 (OPL32) source files: recognising them and reading their text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quenvel {

// True when the bytes are a Series 5 OPL source file: longer than 32 bytes, with
// 0x85 0x00 0x00 0x10 at offsets 8 to 11.
bool IsOpl32File(const uint8_t *data, size_t size);

// True when the bytes are a Unicode OPL source file of the later Symbian machines: UIDs
// 0x10000037, 0x1000006D and 0x10003A12 at offsets 0, 4 and 8, the text in UTF-16.
bool IsUnicodeOplFile(const uint8_t *data, size_t size);

// The lines of a Series 5 OPL source file's text, joined by CR LF.
std::string ConvertOpl32(const uint8_t *data, size_t size);

} // namespace quenvel
