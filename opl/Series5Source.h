// Series 5 (OPL32) source files: recognising them and reading their text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quenvel {

// True when the bytes are a Series 5 OPL source file: longer than 32 bytes, with
// 0x85 0x00 0x00 0x10 at offsets 8 to 11.
bool IsOpl32File(const uint8_t *data, size_t size);

// The lines of a Series 5 OPL source file's text, joined by CR LF.
std::string ConvertOpl32(const uint8_t *data, size_t size);

} // namespace quenvel
