#include "Platform/pesignaturereader.h"

#include "Platform/peheaders_p.h"

#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>

namespace Platform {

namespace {

using pe::readChecked;
using pe::u16;
using pe::u32;

constexpr std::size_t SecurityDirectory = 4;
constexpr std::size_t CertificateHeaderSize = 8; // dwLength, wRevision, wCertificateType
constexpr std::uint16_t CertificateRevision1 = 0x0100;
constexpr std::uint16_t CertificateRevision2 = 0x0200;
constexpr std::uint16_t CertificateTypePkcsSignedData = 0x0002;

struct Pkcs7Deleter
{
    void operator()(PKCS7 *p7) const { PKCS7_free(p7); }
};

struct GeneralNamesDeleter
{
    void operator()(GENERAL_NAMES *names) const { GENERAL_NAMES_free(names); }
};

std::string utf8Of(const ASN1_STRING *value)
{
    unsigned char *text = nullptr;
    const int length = ASN1_STRING_to_UTF8(&text, value);
    if (length < 0 || !text)
        return std::string();
    // A name ends at its first NUL, as the Windows name functions end it.
    std::string result(reinterpret_cast<const char *>(text), std::size_t(length));
    OPENSSL_free(text);
    return result.substr(0, result.find('\0'));
}

// The display name as the Windows "simple display" rule finds it.
std::string displayName(X509 *certificate)
{
    const X509_NAME *subject = X509_get_subject_name(certificate);
    static const int order[] = {NID_commonName, NID_organizationalUnitName,
                                NID_organizationName, NID_pkcs9_emailAddress};
    for (int nid : order) {
        const int index = subject ? X509_NAME_get_index_by_NID(subject, nid, -1) : -1;
        if (index < 0)
            continue;
        const X509_NAME_ENTRY *entry = X509_NAME_get_entry(subject, index);
        const std::string text = utf8Of(X509_NAME_ENTRY_get_data(entry));
        if (!text.empty())
            return text;
    }
    std::unique_ptr<GENERAL_NAMES, GeneralNamesDeleter> alternatives(static_cast<GENERAL_NAMES *>(
        X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr)));
    for (int i = 0; alternatives && i < sk_GENERAL_NAME_num(alternatives.get()); ++i) {
        const GENERAL_NAME *name = sk_GENERAL_NAME_value(alternatives.get(), i);
        if (name->type == GEN_EMAIL)
            return utf8Of(name->d.rfc822Name);
    }
    return std::string();
}

} // namespace

bool PeSignatureReader::findSignature(const PeVersionReader::ReadAt &read,
                                      std::uint64_t fileSize, std::vector<unsigned char> *pkcs7)
{
    pkcs7->clear();
    pe::Headers headers;
    if (!pe::readHeaders(read, fileSize, SecurityDirectory, &headers))
        return false;
    // The security directory holds a file offset, not a relative address.
    const std::uint64_t tableOffset = headers.directoryAddress;
    const std::uint64_t tableSize = headers.directorySize;
    if (tableOffset == 0 || tableSize < CertificateHeaderSize || tableOffset > fileSize
        || tableSize > fileSize - tableOffset)
        return false;

    unsigned char header[CertificateHeaderSize];
    if (!readChecked(read, fileSize, tableOffset, header, sizeof header))
        return false;
    const std::uint64_t length = u32(header);
    const std::uint16_t revision = u16(header + 4);
    if ((revision != CertificateRevision1 && revision != CertificateRevision2)
        || u16(header + 6) != CertificateTypePkcsSignedData || length <= CertificateHeaderSize
        || length > tableSize || length - CertificateHeaderSize > MaxSignatureSize)
        return false;
    pkcs7->resize(std::size_t(length - CertificateHeaderSize));
    if (!readChecked(read, fileSize, tableOffset + CertificateHeaderSize, pkcs7->data(),
                     pkcs7->size())) {
        pkcs7->clear();
        return false;
    }
    return true;
}

bool PeSignatureReader::findSignature(const unsigned char *data, std::size_t size,
                                      std::vector<unsigned char> *pkcs7)
{
    return findSignature(PeVersionReader::memoryReader(data, size), size, pkcs7);
}

bool PeSignatureReader::findSignatureInFile(const std::filesystem::path &path,
                                            std::vector<unsigned char> *pkcs7)
{
    pkcs7->clear();
    return PeVersionReader::readFile(path, [pkcs7](const PeVersionReader::ReadAt &read,
                                                   std::uint64_t size) {
        return findSignature(read, size, pkcs7);
    });
}

SignerLookup PeSignatureReader::signerName(const unsigned char *data, std::size_t size,
                                           std::string *name)
{
    name->clear();
    if (!data || size == 0 || size > MaxSignatureSize)
        return SignerLookup::NoSignature;
    const unsigned char *cursor = data;
    std::unique_ptr<PKCS7, Pkcs7Deleter> message(d2i_PKCS7(nullptr, &cursor, long(size)));
    if (!message || !PKCS7_type_is_signed(message.get()) || !message->d.sign)
        return SignerLookup::NoSignature;

    // The certificate the first signer names by issuer and serial number.
    STACK_OF(PKCS7_SIGNER_INFO) *signers = PKCS7_get_signer_info(message.get());
    STACK_OF(X509) *certificates = message->d.sign->cert;
    if (!signers || sk_PKCS7_SIGNER_INFO_num(signers) < 1 || !certificates)
        return SignerLookup::NoCertificate;
    const PKCS7_SIGNER_INFO *signer = sk_PKCS7_SIGNER_INFO_value(signers, 0);
    if (!signer || !signer->issuer_and_serial || !signer->issuer_and_serial->issuer
        || !signer->issuer_and_serial->serial)
        return SignerLookup::NoCertificate;
    X509 *certificate = X509_find_by_issuer_and_serial(
        certificates, signer->issuer_and_serial->issuer, signer->issuer_and_serial->serial);
    if (!certificate)
        return SignerLookup::NoCertificate;

    *name = displayName(certificate);
    return name->empty() ? SignerLookup::NoName : SignerLookup::Found;
}

SignerLookup PeSignatureReader::signerNameOfFile(const std::filesystem::path &path,
                                                 std::string *name)
{
    name->clear();
    std::vector<unsigned char> pkcs7;
    if (!findSignatureInFile(path, &pkcs7))
        return SignerLookup::NoSignature;
    return signerName(pkcs7.data(), pkcs7.size(), name);
}

} // namespace Platform
