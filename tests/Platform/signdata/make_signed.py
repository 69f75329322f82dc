#!/usr/bin/env python3
"""Signed PE test files for the signature readers.

    make_signed.py OPENSSL OSSLSIGNCODE PROGRAM_EXE PROGRAM_PE32_DLL OUTPUT_DIR

Makes fresh test certificates with openssl, signs copies of the two PE files
with osslsigncode and damages some signed copies. The expected signer of
every file is fixed here and in the tests (see signdata.cmake).

osslsigncode stores the certificates of a signature in an order of its own
choosing (some versions keep the order of -certs, others sort by encoding),
so each chain is built to come out in the wanted order either way: the
certificate meant to be first is listed first and is also the smaller one.
The order is checked after signing.
"""
import os
import shutil
import struct
import subprocess
import sys

openssl, osslsigncode, program, pe32dll, out = sys.argv[1:6]
work = os.path.join(out, "keys")
shutil.rmtree(out, ignore_errors=True)
os.makedirs(work)


def run(*args):
    result = subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        sys.exit("make_signed.py: %s failed:\n%s" % (" ".join(args), result.stderr.decode()))


def path(name):
    return os.path.join(work, name)


def write(name, text):
    with open(path(name), "w", encoding="utf-8") as f:
        f.write(text)


write("openssl.cnf", "[req]\ndistinguished_name = dn\nstring_mask = utf8only\n[dn]\n"
                     "[ca]\nbasicConstraints = critical,CA:TRUE\n"
                     "keyUsage = critical,keyCertSign\nsubjectKeyIdentifier = hash\n")
leaf_extensions = ("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                   "extendedKeyUsage=codeSigning\n")
write("leaf.ext", leaf_extensions)
write("email.ext", leaf_extensions + "subjectAltName=email:release@optik.example\n")


def make_ca(name, bits, subject):
    run(openssl, "req", "-x509", "-newkey", "rsa:%d" % bits, "-nodes", "-utf8",
        "-keyout", path(name + ".key"), "-out", path(name + ".pem"), "-days", "7300",
        "-subj", subject, "-set_serial", "1", "-config", path("openssl.cnf"), "-extensions", "ca")


def make_leaf(name, ca, bits, subject, serial, extensions="leaf.ext"):
    run(openssl, "req", "-new", "-newkey", "rsa:%d" % bits, "-nodes", "-utf8",
        "-config", path("openssl.cnf"), "-keyout", path(name + ".key"), "-out", path(name + ".csr"),
        "-subj", subject)
    run(openssl, "x509", "-req", "-in", path(name + ".csr"), "-CA", path(ca + ".pem"),
        "-CAkey", path(ca + ".key"), "-set_serial", str(serial), "-days", "7300",
        "-out", path(name + ".pem"), "-extfile", path(extensions))


def der_size(name):
    result = subprocess.run([openssl, "x509", "-in", path(name + ".pem"), "-outform", "DER"],
                            check=True, stdout=subprocess.PIPE)
    return len(result.stdout)


# Chain A: a large CA, small leaves (leaf first). Chain B: a small CA and a
# large leaf (issuer first). The CAs share a serial number with no leaf of
# theirs; the issuer-first leaf has the serial of its CA's sibling chain's
# leaf, so that only issuer and serial together identify it.
make_ca("ca-a", 4096, "/C=DE/O=BasicsDLL Test Certificates/OU=Large Root For Leaf-First Chains"
        "/CN=BasicsDLL Test Root CA A")
make_leaf("leaf", "ca-a", 2048, "/C=DE/O=Optik GmbH/CN=Linsenschleiferei M\u00fcller", 2)
make_leaf("no-cn", "ca-a", 2048, "/C=DE/O=Optikwerk GmbH/OU=Abteilung Linsen", 3)
make_leaf("no-name", "ca-a", 2048, "/", 4)
make_leaf("email-only", "ca-a", 2048, "/", 5, "email.ext")
make_ca("ca-b", 2048, "/CN=BasicsDLL Test CA B")
make_leaf("big-leaf", "ca-b", 4096, "/C=DE/ST=Thueringen/L=Jena/O=Precision Optics Signing Department"
          "/OU=Release Engineering/CN=Precision Optics Release Signing", 2)
for small, large in (("leaf", "ca-a"), ("no-cn", "ca-a"), ("no-name", "ca-a"),
                     ("email-only", "ca-a"), ("ca-b", "big-leaf")):
    if der_size(small) >= der_size(large):
        sys.exit("make_signed.py: %s is not smaller than %s" % (small, large))


def chain(name, first, second):
    with open(path(name), "wb") as target:
        for part in (first, second):
            with open(path(part + ".pem"), "rb") as source:
                target.write(source.read())


chain("leaf-first.pem", "leaf", "ca-a")
chain("no-cn-chain.pem", "no-cn", "ca-a")
chain("no-name-chain.pem", "no-name", "ca-a")
chain("email-only-chain.pem", "email-only", "ca-a")
chain("issuer-first.pem", "ca-b", "big-leaf")


def sign(source, certs, key, target):
    run(osslsigncode, "sign", "-certs", path(certs), "-key", path(key + ".key"),
        "-n", "BasicsDLL test program", "-in", source, "-out", os.path.join(out, target))


def security_directory(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    entry = optional + (96 if magic == 0x10B else 112) + 4 * 8
    return struct.unpack_from("<II", data, entry)


def certificate_subjects(name):
    with open(os.path.join(out, name), "rb") as f:
        data = f.read()
    offset, size = security_directory(data)
    length = struct.unpack_from("<I", data, offset)[0]
    pkcs7 = data[offset + 8:offset + length]
    result = subprocess.run([openssl, "pkcs7", "-inform", "DER", "-print_certs", "-noout"],
                            input=pkcs7, check=True, stdout=subprocess.PIPE)
    return [line for line in result.stdout.decode("utf-8", "replace").splitlines()
            if line.startswith("subject=")]


shutil.copyfile(program, os.path.join(out, "unsigned.exe"))
sign(program, "leaf-first.pem", "leaf", "leaf-first.exe")
sign(program, "issuer-first.pem", "big-leaf", "issuer-first.exe")
sign(program, "no-cn-chain.pem", "no-cn", "no-cn.exe")
sign(program, "no-name-chain.pem", "no-name", "no-name.exe")
sign(program, "email-only-chain.pem", "email-only", "email-only.exe")
sign(pe32dll, "leaf-first.pem", "leaf", "leaf-first-pe32.dll")

for name, first in (("leaf-first.exe", "Linsenschleiferei"), ("issuer-first.exe", "CA B")):
    subjects = certificate_subjects(name)
    if len(subjects) != 2 or first not in subjects[0]:
        sys.exit("make_signed.py: unexpected certificate order in %s: %s" % (name, subjects))



def embed(source, pkcs7, target):
    """Appends pkcs7 as the file's certificate table, as a signing tool would."""
    with open(source, "rb") as f:
        data = bytearray(f.read())
    data += b"\0" * (-len(data) % 8)
    entry = struct.pack("<IHH", 8 + len(pkcs7), 0x0200, 0x0002) + pkcs7
    entry += b"\0" * (-len(entry) % 8)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    struct.pack_into("<II", data, pe + 24 + (96 if magic == 0x10B else 112) + 4 * 8,
                     len(data), len(entry))
    data += entry
    with open(os.path.join(out, target), "wb") as f:
        f.write(data)


# Signed data whose signer certificate is not embedded.
result = subprocess.run([openssl, "smime", "-sign", "-binary", "-nocerts", "-noattr",
                         "-outform", "DER", "-signer", path("leaf.pem"), "-inkey",
                         path("leaf.key"), "-in", program], check=True, stdout=subprocess.PIPE)
embed(program, result.stdout, "no-certificate.exe")

# Damaged copies of leaf-first.exe (a PE32+ image).
with open(os.path.join(out, "leaf-first.exe"), "rb") as f:
    signed = bytearray(f.read())
offset, size = security_directory(signed)


def damaged(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


# The file ends in the middle of the signature.
damaged("truncated.exe", signed[:offset + size // 2])
# The signed data's outer structure overwritten.
corrupted = bytearray(signed)
corrupted[offset + 8:offset + 40] = b"\xA5" * 32
damaged("corrupted.exe", corrupted)
# The certificate entry claims nearly 4 GiB.
huge = bytearray(signed)
struct.pack_into("<I", huge, offset, 0xFFFFFFF0)
damaged("huge-length.exe", huge)
# The security directory points beyond the end of the file.
beyond = bytearray(signed)
pe = struct.unpack_from("<I", beyond, 0x3C)[0]
struct.pack_into("<I", beyond, pe + 24 + 112 + 4 * 8, len(signed) + 4096)
damaged("beyond-end.exe", beyond)

shutil.rmtree(work)
