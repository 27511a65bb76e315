// The Series 5 source conversion over any bytes: it never reads outside the file, its
// text holds no line end byte, is never longer than the file can give, and loads into
// a consistent store.
#include "FuzzUtil.h"

#include "opl/Series5Source.h"

using namespace quenvel;
using namespace quenvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses whether the header is forced to a Series 5 one, so that
    // most runs reach the conversion itself.
    std::vector<uint8_t> file(data + 1, data + size);
    const uint8_t how = data[0];
    if ((how & 3) != 0 && file.size() > 11) {
        file[8] = 0x85, file[9] = 0x00, file[10] = 0x00, file[11] = 0x10;
    }
    const uint8_t *p = file.empty() ? nullptr : file.data();
    if (!IsOpl32File(p, file.size()))
        return 0;
    const std::string text = ConvertOpl32(p, file.size());
    Check(text.find('\x06') == std::string::npos, "a line end byte 6 left in the text");
    // the text is at most the file (two bytes per line end for one)
    Check(text.size() <= 2 * file.size(), "more text than the file can hold");
    TDocument doc;
    LoadString(doc.Memo(), text);
    CheckStore(doc.Memo(), "after loading converted text");
    return 0;
}
