// SimpleCrypt::decryptToByteArray on arbitrary bytes with a fixed key. An
// odd first byte makes the rest the payload of a forged cyphertext (flags
// from bits 1..3), so that integrity values and compressed bodies are
// reached as given; an even one passes the rest as it is.

#include "fuzzcrypt.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    return fuzzcrypt::initialize(argc, argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), int(size - 1));
    const QByteArray cypher = (data[0] & 1) ? fuzzcrypt::forge(fuzzcrypt::s_key, (data[0] >> 1) & 7, rest)
                                            : rest;
    static SimpleCrypt crypt(fuzzcrypt::s_key);
    const QByteArray plain = crypt.decryptToByteArray(cypher);
    if (crypt.errorCode() != SimpleCrypt::NoError && !plain.isEmpty())
        fuzzcrypt::fail();
    if (crypt.errorCode() == SimpleCrypt::NoError && cypher.size() >= 3) {
        // Whatever decrypts must encrypt and decrypt back to itself.
        static SimpleCrypt again(fuzzcrypt::s_key);
        if (again.decryptToByteArray(again.encryptToByteArray(plain)) != plain)
            fuzzcrypt::fail();
    }
    crypt.decryptToString(QString::fromLatin1(rest)); // the Base64 text path
    return 0;
}
