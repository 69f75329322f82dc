// Arbitrary ids and copy settings: the display form keeps its shape and
// copies follow their mode, whatever the bytes.

#include <Identifier/identifier.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    quint64 id = 0;
    quint64 delta = 0;
    if (size > 0)
        std::memcpy(&id, data, size < 8 ? size : 8);
    if (size > 8)
        std::memcpy(&delta, data + 8, size - 8 < 8 ? size - 8 : 8);

    const QString text = Identifier::idToHexString(id);
    QString digits = text;
    digits.remove('|');
    if (text.size() != 25 || text.front() != '[' || text.back() != ']'
        || digits.mid(1, 16).toULongLong(nullptr, 16) != id)
        std::abort();

    Identifier source;
    source.setID(id, {});
    const auto mode = static_cast<Identifier::CopyMode>(size % 3);
    Identifier copy(source, mode, delta);
    // setID(0) draws a fresh id, any other id is taken as it is.
    if ((id != 0 && source.id() != id) || source.id() == 0)
        std::abort();
    if (mode == Identifier::OffsetID && copy.id() != ((source.id() + delta) & Identifier::s_bitMask))
        std::abort();
    if (mode == Identifier::KeepID && copy.id() != source.id())
        std::abort();
    return 0;
}
