// XSimpleCrypt::getHeader with a fixed master key on blobs built from the
// fuzzer's bytes (see fuzzcrypt.h); bit 2 of the first byte asks for the
// block to be removed. Runs in a GUI application, where the toolkit could
// read every GUI type (fuzz_xsimplecrypt reads headers without one).

#include "fuzzcrypt.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    return fuzzcrypt::initialize(argc, argv, fuzzcrypt::Application::Gui);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray blob = fuzzcrypt::blobFrom(data, size);
    const bool remove = size > 0 && (data[0] & 4);
    static XSimpleCrypt crypt(fuzzcrypt::s_masterKey);
    QByteArray cut = blob;
    const QVariantMap header = crypt.getHeader(cut, remove);
    if (!remove && cut != blob)
        fuzzcrypt::fail();
    if (remove && cut.size() > blob.size())
        fuzzcrypt::fail();
    // What was read must survive being written and read again.
    if (!header.isEmpty()) {
        XSimpleCrypt writer(fuzzcrypt::s_masterKey);
        writer.setKey(fuzzcrypt::s_key);
        writer.setHeader(header);
        QByteArray again = writer.encryptToByteArray(QByteArray("x"));
        if (crypt.getHeader(again, true).size() != header.size())
            fuzzcrypt::fail();
    }
    return 0;
}
