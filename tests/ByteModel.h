// A plain model of replacing a range of the text (the differential test and the editing fuzzer).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

namespace quenvel::test {

// The five style codes, and the index of a byte among them (-1 for other bytes).
constexpr char kStyleCodes[5] = {21, 1, 2, 3, 4};
inline int CodeIndex(uint8_t b)
{
    const char *at = std::find(kStyleCodes, kStyleCodes + 5, static_cast<char>(b));
    return at == kStyleCodes + 5 ? -1 : static_cast<int>(at - kStyleCodes);
}

// [s, e) of `model` replaced by `text` as typed (to a NUL): CR (LF) a break, 5 made 165, codes compensated.
inline std::string ModelReplace(const std::string &model, int32_t s, int32_t e, const std::string &text,
                                bool compensate = true)
{
    std::string ins;
    int added[5] = {}, removed[5] = {};
    for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        if (b == 13) {
            ins += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == 10)
                ++i;
            continue;
        }
        if (b == 5)
            b = 165;
        if (CodeIndex(b) >= 0)
            added[CodeIndex(b)] ^= 1;
        ins.push_back(static_cast<char>(b));
    }
    for (int32_t i = s; i < e; ++i) {
        const int ci = CodeIndex(static_cast<uint8_t>(model[static_cast<size_t>(i)]));
        if (ci >= 0)
            removed[ci] ^= 1;
    }
    for (int k = 0; k < 5; ++k)
        if (compensate && added[k] != removed[k])
            ins.push_back(kStyleCodes[k]);
    return model.substr(0, static_cast<size_t>(s)) + ins + model.substr(static_cast<size_t>(e));
}

} // namespace quenvel::test
