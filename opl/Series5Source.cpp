#include "Series5Source.h"

#include <vector>

namespace quenvel {

bool IsOpl32File(const uint8_t *data, size_t size)
{
    return size > 32 && data[8] == 0x85 && data[9] == 0x00 && data[10] == 0x00 && data[11] == 0x10;
}

namespace {

uint32_t Uid(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

bool IsUnicodeOplFile(const uint8_t *data, size_t size)
{
    return size >= 12 && Uid(data) == 0x10000037u && Uid(data + 4) == 0x1000006Du && Uid(data + 8) == 0x10003A12u;
}

namespace {

// Series 5 text bytes that have a plain-text equivalent.
uint8_t MapSeries5Byte(uint8_t b)
{
    switch (b) {
    case 0x10: // non-breaking space
    case 0x0F: // visible space
        return ' ';
    case 0x0A: // non-breaking tab
        return '\t';
    case 0x0B: // non-breaking hyphen
        return '-';
    default:
        return b;
    }
}

// The text's length is stored in front of it in a compact form: one, two or four
// bytes, told apart by the low bits of the first.
// False when the length code is unusable; a length that runs past the end of the file
// (a truncated file) is cut to what the file holds, with `truncated` set.
bool DecodeTextSpan(const uint8_t *data, size_t size, size_t &start, size_t &length, bool &truncated)
{
    truncated = false;
    if (size < 37)
        return false;
    const uint8_t b0 = data[36];
    if ((b0 & 1) == 0) {
        length = b0 >> 1;
        start = 37;
    } else if ((b0 & 3) == 1) {
        if (size < 38)
            return false;
        length = static_cast<size_t>(data[36] | (data[37] << 8)) >> 2;
        start = 38;
    } else if ((b0 & 7) == 3) {
        if (size < 40)
            return false;
        uint32_t v = static_cast<uint32_t>(data[36]) | (static_cast<uint32_t>(data[37]) << 8) |
                     (static_cast<uint32_t>(data[38]) << 16) | (static_cast<uint32_t>(data[39]) << 24);
        length = v >> 3;
        start = 40;
    } else {
        return false;
    }
    if (start + length > size) {
        truncated = true;
        length = size - start;
    }
    return true;
}

} // namespace

std::string ConvertOpl32(const uint8_t *data, size_t size)
{
    std::vector<std::string> lines;
    std::string line;
    size_t start = 0, length = 0;
    bool truncated = false;
    size_t from = 38, to = size;
    bool stopAtOne = true;
    if (DecodeTextSpan(data, size, start, length, truncated)) {
        from = start;
        to = start + length;
        // a file cut short keeps its text up to where it ends (or to its trailer's byte 1)
        stopAtOne = truncated;
    }
    // Without a usable length code: from offset 38 to a byte 1 or the end of the file. In
    // every case a last line without a byte 6 after it is kept.
    for (size_t i = from; i < to; ++i) {
        if (data[i] == 1 && stopAtOne)
            break;
        if (data[i] == 6) {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(MapSeries5Byte(data[i])));
        }
    }
    if (!line.empty())
        lines.push_back(line);
    std::string out;
    size_t total = 0;
    for (const auto &l : lines)
        total += l.size() + 2;
    out.reserve(total);
    for (size_t k = 0; k < lines.size(); ++k) {
        if (k)
            out += "\r\n";
        out += lines[k];
    }
    return out;
}

} // namespace quenvel
