// Client of the installed package: SimpleCrypt cyphertexts and XSimpleCrypt
// blobs as a tool uses them, against known bytes and keys.

#include "clientcheck.h"

#include <BasicsDLL.h>
#include <Crypt/simplecrypt.h>
#include <Crypt/xsimplecrypt.h>

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPixmap>

namespace {

QStringList s_warnings;
void collect(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtWarningMsg)
        s_warnings << text;
}

void cyphertexts()
{
    SimpleCrypt crypt(Q_UINT64_C(0x0123456789ABCDEF));
    crypt.setCompressionPolicy(SimpleCrypt::CompressNever);
    crypt.setIntegrityMode(SimpleCrypt::NoIntegrity);
    crypt.setRandomByte(false);
    CLIENT_CHECK(crypt.encryptToByteArray(QByteArray("Lens")).toHex() == "0300ef6ea04753");

    SimpleCrypt text(Q_UINT64_C(42));
    const QString message = QStringLiteral("Brennweite 50 mm \u00b1 0.1 \u2013 f/1.4");
    const QString cypher = text.encryptToString(message);
    CLIENT_CHECK(text.decryptToString(cypher) == message);
    CLIENT_CHECK(text.errorCode() == SimpleCrypt::NoError);
    SimpleCrypt wrong(Q_UINT64_C(43));
    CLIENT_CHECK(wrong.decryptToString(cypher).isEmpty());
    CLIENT_CHECK(wrong.errorCode() == SimpleCrypt::IntegrityError);

    s_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    SimpleCrypt none;
    CLIENT_CHECK(none.encryptToByteArray(QByteArray("x")).isEmpty());
    CLIENT_CHECK(none.errorCode() == SimpleCrypt::NoKeyError);
    CLIENT_CHECK(text.decryptToByteArray(QByteArray("xyz")).isEmpty());
    CLIENT_CHECK(text.errorCode() == SimpleCrypt::VersionError);
    qInstallMessageHandler(previous);
    CLIENT_CHECK(s_warnings == QStringList({QStringLiteral("No key set. "),
                                            QStringLiteral("Invalid version or not a cyphertext. ")}));
}

void blobs()
{
    const quint64 master = XSimpleCrypt::generateMasterKeyFromPassphrase(QStringLiteral("Optik"));
    CLIENT_CHECK(master == Q_UINT64_C(0x57EAFE7E9F12DC80));
    CLIENT_CHECK(QByteArray(XSimpleCrypt::m_identifier) == "encrypted");

    const XSimpleCrypt keyed(Q_UINT64_C(0x0123456789ABCDEF));
    CLIENT_CHECK(keyed.generateKeyFromPassphrase(QStringLiteral("Linse"))
                 == Q_UINT64_C(0x6FA964C9BCC1EFD4));

    XSimpleCrypt writer(master);
    writer.setKey(QStringLiteral("Linse"));
    CLIENT_CHECK(writer.keyIsSet());
    // Pixmaps are no header values (their readers decode image data): such
    // a header is refused rather than written unreadable.
    QPixmap swatch(4, 4);
    swatch.fill(Qt::red);
    writer.setHeader({{QStringLiteral("Swatch"), swatch}});
    const QByteArray data(5000, 'd');
    CLIENT_CHECK(writer.encryptToByteArray(data, true).isEmpty());
    CLIENT_CHECK(writer.lastError() == XSimpleCrypt::IntegrityError);
    CLIENT_CHECK(writer.header().size() == 1);
    writer.setHeader({{QStringLiteral("Colour"), QColor(Qt::darkCyan)},
                      {QStringLiteral("Font"), QFont(QStringLiteral("Sans"), 9)},
                      {QStringLiteral("Title"), QStringLiteral("Doublet")}});
    const QByteArray blob = writer.encryptToByteArray(data, true);
    CLIENT_CHECK(writer.lastError() == XSimpleCrypt::NoError);
    CLIENT_CHECK(blob.startsWith("encrypted<HEADER>"));

    XSimpleCrypt reader(master);
    QVariantMap header;
    CLIENT_CHECK(reader.decryptToByteArray(blob, &header) == data);
    CLIENT_CHECK(reader.lastErrorString() == QLatin1String("No Error"));
    CLIENT_CHECK(header.value(QStringLiteral("Colour")).value<QColor>() == QColor(Qt::darkCyan));
    CLIENT_CHECK(header.value(QStringLiteral("Font")).value<QFont>() == QFont(QStringLiteral("Sans"), 9));
    CLIENT_CHECK(header.value(QStringLiteral("Key")).toULongLong() == writer.key());
    CLIENT_CHECK(reader.key() == writer.key());

    XSimpleCrypt stranger(master + 1);
    CLIENT_CHECK(stranger.decryptToByteArray(blob).isEmpty());
    CLIENT_CHECK(stranger.lastError() == XSimpleCrypt::NoKeyError);
    CLIENT_CHECK(stranger.lastErrorString() == QLatin1String("Encryption key has not set"));
    CLIENT_CHECK(XSimpleCrypt::errorString(9) == QLatin1String("Unknown error"));
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    cyphertexts();
    blobs();
    return CLIENT_RESULT();
}
