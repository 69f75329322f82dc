#pragma once

// A portable reader of the signature embedded in Windows executables and
// DLLs (PE32 and PE32+), for places where the Windows crypto library is not
// at hand. It reads untrusted files: every offset and length taken from the
// file is checked against the file before it is used.
//
//     std::string name;
//     if (Platform::PeSignatureReader::signerNameOfFile("tool.exe", &name)
//             == Platform::SignerLookup::Found)
//         std::printf("%s\n", name.c_str()); // UTF-8
//
// Two steps:
//  1. findSignature(): DOS header -> PE header -> security data directory
//     (entry 4, whose address is a file offset) -> the first entry of the
//     certificate table (WIN_CERTIFICATE, revision 1.0 or 2.0, type PKCS
//     signed data) -> its PKCS#7 bytes.
//  2. signerName(): the PKCS#7 signed data decoded with OpenSSL; the signer
//     certificate is the one that the first signer info names by issuer and
//     serial number (not simply the first certificate: chains may be stored
//     issuer first); its display name is the first of common name,
//     organisational unit, organisation and e-mail address found in the
//     subject, else the first e-mail address among its alternative names.
// Nothing is verified: like the Windows query, this names who signed, not
// whether the signature is valid.

#include <basicsdll_export.h>

#include "Platform/peversionreader.h"
#include "Platform/systeminfo.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace Platform {

class BASICSDLL_EXPORT PeSignatureReader
{
public:
    /// Signatures are rarely more than a few dozen KiB; larger certificate
    /// entries are not read.
    static constexpr std::size_t MaxSignatureSize = 16u << 20;

    /// The PKCS#7 bytes of the first certificate-table entry of the PE image
    /// reachable through \a read (total length \a fileSize); false when the
    /// image has no such entry or is damaged.
    static bool findSignature(const PeVersionReader::ReadAt &read, std::uint64_t fileSize,
                              std::vector<unsigned char> *pkcs7);
    /// The same for an image held in memory.
    static bool findSignature(const unsigned char *data, std::size_t size,
                              std::vector<unsigned char> *pkcs7);
    /// The same for a file; false also for anything but a regular file.
    static bool findSignatureInFile(const std::filesystem::path &path,
                                    std::vector<unsigned char> *pkcs7);

    /// The display name (UTF-8) of the signer of the PKCS#7 signed data
    /// \a pkcs7: NoSignature when the bytes are no signed data,
    /// NoCertificate when the signer's certificate is not among those
    /// embedded, NoName when it has no name to display.
    static SignerLookup signerName(const unsigned char *pkcs7, std::size_t size,
                                   std::string *name);
    /// Both steps for a file.
    static SignerLookup signerNameOfFile(const std::filesystem::path &path, std::string *name);
};

} // namespace Platform
