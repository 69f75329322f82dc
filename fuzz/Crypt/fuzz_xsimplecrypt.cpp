// XSimpleCrypt::decryptToByteArray with a fixed master key and data key on
// blobs built from the fuzzer's bytes (see fuzzcrypt.h for the forms).

#include "fuzzcrypt.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    return fuzzcrypt::initialize(argc, argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray blob = fuzzcrypt::blobFrom(data, size);
    static XSimpleCrypt crypt(fuzzcrypt::s_masterKey);
    crypt.setKey(fuzzcrypt::s_key); // a header's "Key" may have replaced it
    QVariantMap header;
    const QByteArray plain = crypt.decryptToByteArray(blob, &header);
    if (crypt.lastError() < 0 || crypt.lastError() > 5)
        fuzzcrypt::fail();
    if (crypt.lastError() != XSimpleCrypt::NoError && !plain.isEmpty())
        fuzzcrypt::fail();
    if (!crypt.header().isEmpty()) // decryption never changes the object's header
        fuzzcrypt::fail();
    return 0;
}
