// Arbitrary bytes as a signed PE file and as PKCS#7 signed data: the
// signature reader behind Basics::getSignature never reads outside its
// input, hands out only what lies inside it, and names a signer only with a
// name.

#include "Platform/pesignaturereader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using Platform::PeSignatureReader;
using Platform::SignerLookup;

namespace {

void checkName(SignerLookup result, const std::string &name)
{
    if ((result == SignerLookup::Found) == name.empty())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string name;
    std::vector<unsigned char> pkcs7;
    if (PeSignatureReader::findSignature(data, size, &pkcs7)) {
        if (pkcs7.empty() || pkcs7.size() > PeSignatureReader::MaxSignatureSize
            || std::search(data, data + size, pkcs7.begin(), pkcs7.end()) == data + size)
            std::abort();
        checkName(PeSignatureReader::signerName(pkcs7.data(), pkcs7.size(), &name), name);
    } else if (!pkcs7.empty()) {
        std::abort();
    }
    // The input itself as signed data, without the PE file around it.
    checkName(PeSignatureReader::signerName(data, size, &name), name);
    return 0;
}
