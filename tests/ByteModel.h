// A plain model of replacing a range of the text (the differential test and the editing fuzzer).
#pragma once

#include <cstdint>
#include <string>

namespace quenvel::test {

// Index of a style code among the five (21, 1, 2, 3, 4); -1 for other bytes.
inline int CodeIndex(uint8_t b)
{
    switch (b) {
    case 21: return 0;
    case 1: return 1;
    case 2: return 2;
    case 3: return 3;
    case 4: return 4;
    default: return -1;
    }
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
    const char order[5] = {21, 1, 2, 3, 4};
    if (compensate)
        for (int k = 0; k < 5; ++k)
            if (added[k] != removed[k])
                ins.push_back(order[k]);
    return model.substr(0, static_cast<size_t>(s)) + ins + model.substr(static_cast<size_t>(e));
}

} // namespace quenvel::test
