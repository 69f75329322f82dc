// Arbitrary bytes as a PE file and as a version block: the reader never
// reads outside its input and only hands out what it checked.

#include "Platform/peversionreader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using Platform::FixedFileInfo;
using Platform::PeVersionReader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<unsigned char> block;
    FixedFileInfo info;
    if (PeVersionReader::findVersionBlock(data, size, &block)) {
        if (block.empty() || block.size() > PeVersionReader::MaxBlockSize || block.size() > size)
            std::abort();
        if (PeVersionReader::fixedFileInfo(block.data(), block.size(), &info)
            && info.signature != FixedFileInfo::Signature)
            std::abort();
    } else if (!block.empty()) {
        std::abort();
    }
    // The input itself as a version block, without the PE around it.
    if (PeVersionReader::fixedFileInfo(data, size, &info) && info.signature != FixedFileInfo::Signature)
        std::abort();
    return 0;
}
