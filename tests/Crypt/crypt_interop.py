#!/usr/bin/python3
"""An independent reader and writer of SimpleCrypt cyphertexts and
XSimpleCrypt blobs, written from the format description in docs/crypt.md
with the Python standard library only, and a check that it interoperates
with basics-cli in both directions.

    crypt_interop.py BASICS_CLI        run the checks (a CTest test)
    crypt_interop.py --vectors         print the known-answer vectors
"""

import base64
import hashlib
import json
import random
import struct
import subprocess
import sys
import zlib

MASTER_KEY_SALT = b"6lov4ft265kcspiqpbk1259ufbsi52cxn9rblw3mjuefcbtrzy4w035ssbmwj0c8"

VERSION = 3
COMPRESSED, CHECKSUM, HASH = 1, 2, 4
HEADER_FLAGS = COMPRESSED | HASH


class FormatError(Exception):
    pass


# ---- SimpleCrypt ---------------------------------------------------------

def crc16_x25(data):
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0x8408 if crc & 1 else crc >> 1
    return crc ^ 0xFFFF


def key_stream(key):
    return key.to_bytes(8, "little")


def scramble(payload, key):
    k = key_stream(key)
    out = bytearray()
    last = 0
    for i, p in enumerate(payload):
        last = p ^ k[i % 8] ^ last
        out.append(last)
    return bytes(out)


def unscramble(cypher, key):
    k = key_stream(key)
    out = bytearray()
    previous = 0
    for i, c in enumerate(cypher):
        out.append(c ^ k[i % 8] ^ previous)
        previous = c
    return bytes(out)


def q_compress(data):
    if not data:
        return bytes(4)  # an empty input is the length alone
    return struct.pack(">I", len(data)) + zlib.compress(data, 9)


def q_uncompress(body):
    if len(body) < 4:
        raise FormatError("compressed body too short")
    claimed = struct.unpack(">I", body[:4])[0]
    if len(body) == 4 and claimed == 0:
        return b""
    data = zlib.decompress(body[4:])
    if len(data) != claimed:
        raise FormatError("compressed body claims %d bytes, holds %d" % (claimed, len(data)))
    return data


def encrypt(data, key, compress="if-smaller", integrity="checksum", random_byte=True):
    flags = 0
    body = data
    if compress in ("always", "if-smaller"):
        packed = q_compress(data)
        if compress == "always" or len(packed) < len(data):
            body = packed
            flags |= COMPRESSED
    if integrity == "checksum":
        check = struct.pack(">H", crc16_x25(body))
        flags |= CHECKSUM
    elif integrity == "hash":
        check = hashlib.sha1(body).digest()
        flags |= HASH
    else:
        check = b""
    first = random.randrange(256) if random_byte else 0
    return bytes([VERSION, flags]) + scramble(bytes([first]) + check + body, key)


def decrypt(cypher, key, require_integrity=False):
    if len(cypher) < 3:
        raise FormatError("shorter than a cyphertext")
    if cypher[0] != VERSION:
        raise FormatError("version %d" % cypher[0])
    flags = cypher[1]
    if flags & ~(COMPRESSED | CHECKSUM | HASH):
        raise FormatError("undefined flags %#x" % flags)
    if require_integrity and not flags & (CHECKSUM | HASH):
        raise FormatError("no integrity value")
    rest = unscramble(cypher[2:], key)[1:]
    if flags & CHECKSUM:
        if len(rest) < 2 or struct.unpack(">H", rest[:2])[0] != crc16_x25(rest[2:]):
            raise FormatError("checksum")
        rest = rest[2:]
    elif flags & HASH:
        if len(rest) < 20 or rest[:20] != hashlib.sha1(rest[20:]).digest():
            raise FormatError("hash")
        rest = rest[20:]
    return q_uncompress(rest) if flags & COMPRESSED else rest


# ---- header maps: QDataStream version 12, big-endian ----------------------

T_BOOL, T_INT, T_UINT, T_LONGLONG, T_ULONGLONG, T_DOUBLE = 1, 2, 3, 4, 5, 6
T_MAP, T_LIST, T_STRING, T_STRINGLIST, T_BYTEARRAY, T_HASH = 8, 9, 10, 11, 12, 28


class U64(int):
    """An integer written as quint64 (the type of the "Key" entry)."""


def q_string(text):
    raw = text.encode("utf-16-be")
    return struct.pack(">I", len(raw)) + raw


def q_variant(value):
    if isinstance(value, bool):
        return struct.pack(">IbB", T_BOOL, 0, int(value))
    if isinstance(value, U64):
        return struct.pack(">IbQ", T_ULONGLONG, 0, value)
    if isinstance(value, int):
        if -2**31 <= value < 2**31:
            return struct.pack(">Ibi", T_INT, 0, value)
        return struct.pack(">Ibq", T_LONGLONG, 0, value)
    if isinstance(value, float):
        return struct.pack(">Ibd", T_DOUBLE, 0, value)
    if isinstance(value, str):
        return struct.pack(">Ib", T_STRING, 0) + q_string(value)
    if isinstance(value, bytes):
        return struct.pack(">IbI", T_BYTEARRAY, 0, len(value)) + value
    if isinstance(value, list):
        return struct.pack(">IbI", T_LIST, 0, len(value)) + b"".join(q_variant(v) for v in value)
    if isinstance(value, dict):
        return struct.pack(">Ib", T_MAP, 0) + header_bytes(value)
    raise TypeError(type(value))


def header_bytes(header):
    # QMap orders QString keys by UTF-16 code units; greatest key first.
    keys = sorted(header, key=lambda k: k.encode("utf-16-be"), reverse=True)
    return struct.pack(">I", len(keys)) + b"".join(q_string(k) + q_variant(header[k]) for k in keys)


class Reader:
    def __init__(self, data):
        self.data = data
        self.at = 0

    def take(self, size):
        if self.at + size > len(self.data):
            raise FormatError("header ends early")
        chunk = self.data[self.at:self.at + size]
        self.at += size
        return chunk

    def unpack(self, fmt):
        return struct.unpack(fmt, self.take(struct.calcsize(fmt)))[0]

    def string(self):
        size = self.unpack(">I")
        return None if size == 0xFFFFFFFF else self.take(size).decode("utf-16-be")

    def variant(self):
        kind = self.unpack(">I")
        self.unpack(">b")  # null flag
        simple = {T_BOOL: ">?", T_INT: ">i", T_UINT: ">I", T_LONGLONG: ">q",
                  T_ULONGLONG: ">Q", T_DOUBLE: ">d"}
        if kind in simple:
            value = self.unpack(simple[kind])
            return U64(value) if kind == T_ULONGLONG else value
        if kind == T_STRING:
            return self.string()
        if kind == T_BYTEARRAY:
            size = self.unpack(">I")
            return b"" if size == 0xFFFFFFFF else self.take(size)
        if kind in (T_LIST, T_STRINGLIST):
            count = self.unpack(">I")
            item = self.variant if kind == T_LIST else self.string
            return [item() for _ in range(count)]
        if kind in (T_MAP, T_HASH):
            return self.map()
        raise FormatError("variant type %d not supported here" % kind)

    def map(self):
        count = self.unpack(">I")
        result = {}
        for _ in range(count):
            key = self.string()
            result[key] = self.variant()
        return result


# ---- XSimpleCrypt ---------------------------------------------------------

MARKER, START, END = b"encrypted", b"<HEADER>", b"</HEADER>"


def master_key_from_passphrase(passphrase):
    digest = hashlib.sha1(MASTER_KEY_SALT + passphrase.encode("latin-1", "replace")).digest()
    return int.from_bytes(digest[:8], "little")


def data_key_from_passphrase(master, passphrase):
    if master == 0:
        return 0
    if not passphrase:
        return master
    digest = hashlib.sha1(master.to_bytes(8, "little")
                          + passphrase.encode("latin-1", "replace")).digest()
    return int.from_bytes(digest[:8], "little")


def xencrypt(data, master, key, header=None, store_key=False, marker=True, **options):
    header = dict(header or {})
    if store_key:
        header["Key"] = U64(key)
    blob = MARKER if marker else b""
    if header:
        blob += START + encrypt(header_bytes(header), master, "always", "hash") + END
    return blob + encrypt(data, key, **options)


def split_blob(blob, master):
    """(header map, data cyphertext)."""
    if blob.startswith(MARKER):
        blob = blob[len(MARKER):]
    start, end = blob.find(START), blob.find(END)
    if start < 0 or end < start:
        return {}, blob
    block = blob[start + len(START):end]
    if len(block) >= 2 and block[1] != HEADER_FLAGS:
        raise FormatError("header flags %#x" % block[1])
    header = Reader(decrypt(block, master)).map()
    return header, blob[:start] + blob[end + len(END):]


def xdecrypt(blob, master, key=None):
    header, cypher = split_blob(blob, master)
    key = int(header.get("Key", 0)) or key
    return decrypt(cypher, key), header


# ---- checks against basics-cli -------------------------------------------

class Cli:
    def __init__(self, program):
        self.program = program

    def run(self, arguments, data=b"", expect=0):
        result = subprocess.run([self.program] + arguments, input=data,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
        if result.returncode != expect:
            raise AssertionError("basics-cli %s: exit %d, expected %d\n%s" % (
                " ".join(arguments), result.returncode, expect, result.stderr.decode()))
        return result.stdout, result.stderr.decode()


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def samples():
    rng = random.Random(20240401)
    noise = bytes(rng.randrange(256) for _ in range(3000))
    text = ("Brechzahl %d, Radius %d mm. " * 200 % tuple(range(400))).encode()
    return {
        "empty": b"",
        "one byte": b"\x00",
        "short text": "Linse \u00e4\u00f6\u00fc \u20ac".encode("utf-8"),
        "repetitive": text,
        "noise": noise,
    }


def check_simple(cli):
    key = 0x0C2AD4A4ACB9F023
    hex_key = "%016x" % key
    count = 0
    for name, data in samples().items():
        for compress in ("if-smaller", "always", "never"):
            for integrity in ("checksum", "hash", "none"):
                options = ["--key", hex_key, "--compress", compress, "--integrity", integrity]
                what = "%s/%s/%s" % (name, compress, integrity)
                # basics-cli -> this decoder, raw and text.
                raw, _ = cli.run(["encrypt", "--format", "raw"] + options, data)
                check(decrypt(raw, key) == data, "decoder reads cli raw " + what)
                text, _ = cli.run(["encrypt"] + options, data)
                check(decrypt(base64.b64decode(text.strip(), validate=True), key) == data,
                      "decoder reads cli text " + what)
                # This encoder -> basics-cli.
                mine = encrypt(data, key, compress, integrity)
                out, _ = cli.run(["decrypt", "--format", "raw", "--key", hex_key], mine)
                check(out == data, "cli reads decoder raw " + what)
                out, _ = cli.run(["decrypt", "--key", hex_key], base64.b64encode(mine) + b"\n")
                check(out == data, "cli reads decoder text " + what)
                # Without the random byte both produce the same bytes.
                fixed, _ = cli.run(["encrypt", "--format", "raw", "--no-random-byte"] + options,
                                   data)
                check(fixed == encrypt(data, key, compress, integrity, random_byte=False),
                      "same bytes " + what)
                count += 5

    # Damage is reported, never decrypted to garbage.
    good = encrypt(b"focal length 50 mm", key, "never", "checksum")
    flipped = bytearray(good)
    flipped[7] ^= 0x10
    out, err = cli.run(["decrypt", "--format", "raw", "--key", hex_key], bytes(flipped), expect=1)
    check(out == b"" and "Integrity failed" in err, "flipped bit: " + err)
    out, err = cli.run(["decrypt", "--format", "raw", "--key", hex_key],
                       bytes([4]) + good[1:], expect=1)
    check(out == b"" and "Unknown version" in err, "version 4: " + err)
    out, err = cli.run(["decrypt", "--format", "raw", "--key", "%016x" % (key ^ 1)], good, expect=1)
    check(out == b"" and "Integrity failed" in err, "wrong key: " + err)
    return count + 3 + check_flag_bits(cli, key)


def check_flag_bits(cli, key):
    """Every single flipped flag bit, with and without --require-integrity:
    this decoder and basics-cli agree on refusal and on the bytes."""
    data = b"focal length 50 mm, " * 20
    count = 0
    for compress, integrity in (("never", "checksum"), ("always", "hash"), ("never", "none")):
        good = encrypt(data, key, compress, integrity)
        for bit in range(8):
            flipped = bytes([good[0], good[1] ^ (1 << bit)]) + good[2:]
            for require in (False, True):
                try:
                    expected = decrypt(flipped, key, require)
                except (FormatError, zlib.error):
                    expected = None
                arguments = ["decrypt", "--format", "raw", "--key", "%016x" % key]
                if require:
                    arguments.append("--require-integrity")
                out, err = cli.run(arguments, flipped, expect=0 if expected is not None else 1)
                what = "%s/%s bit %d%s" % (compress, integrity, bit, " required" if require else "")
                if expected is None:
                    check(out == b"" and "Integrity failed" in err, what + ": " + err)
                else:
                    check(out == expected, what + ": other bytes")
                count += 1
    return count


def check_blobs(cli):
    master_phrase, data_phrase = "Optik-Labor", "Entwurf 7"
    master = master_key_from_passphrase(master_phrase)
    key = data_key_from_passphrase(master, data_phrase)
    count = 0
    payload = "Zo\u00eb's doublet: 1.5168 / 1.6200\n".encode("utf-8") * 40
    header = {"Author": "Zo\u00eb", "Revision": 12, "Ratio": 0.25, "Flags": [True, "x"],
              "Nested": {"a": 1}}

    # This encoder -> basics-cli: the key travels in the header.
    blob = xencrypt(payload, master, key, header, store_key=True)
    out, _ = cli.run(["xdecrypt", "--master-passphrase", master_phrase], blob)
    check(out == payload, "cli reads decoder blob with stored key")
    out, _ = cli.run(["xheader", "--master-key", "%016x" % master], blob)
    shown = json.loads(out)
    expected = dict(header, Key=key)
    check(shown == expected, "cli shows decoder header: %r" % shown)
    # Without stored key, without marker, the data key from the passphrase.
    blob = xencrypt(payload, master, key, header, marker=False, integrity="hash")
    out, _ = cli.run(["xdecrypt", "--master-key", "%016x" % master, "--passphrase", data_phrase],
                     blob)
    check(out == payload, "cli reads decoder blob with passphrase")
    out, err = cli.run(["xdecrypt", "--master-key", "%016x" % master], blob, expect=1)
    check(out == b"" and "Encryption key has not set" in err, "no data key: " + err)
    blob = xencrypt(payload, master, key, None, compress="always")
    out, _ = cli.run(["xdecrypt", "--master-key", "%016x" % master, "--key", "%016x" % key], blob)
    check(out == payload, "cli reads decoder blob without header")
    count += 5

    # basics-cli -> this decoder.
    blob, _ = cli.run(["xencrypt", "--master-passphrase", master_phrase, "--passphrase",
                       data_phrase, "--store-key", "--header", "Author=Zo\u00eb",
                       "--header", "Lens=f/2.8=fast"], payload)
    check(blob.startswith(MARKER + START), "cli blob layout")
    data, shown = xdecrypt(blob, master)
    check(data == payload, "decoder reads cli blob")
    check(shown == {"Author": "Zo\u00eb", "Lens": "f/2.8=fast", "Key": key},
          "decoder reads cli header: %r" % shown)
    blob, _ = cli.run(["xencrypt", "--master-key", "%016x" % master, "--key", "%016x" % key,
                       "--no-identifier", "--format", "text"], payload)
    data, shown = xdecrypt(base64.b64decode(blob.strip(), validate=True), master, key)
    check(data == payload and shown == {}, "decoder reads cli text blob without header")
    count += 2

    # A damaged header block is no error: the data key is still used.
    blob = bytearray(xencrypt(payload, master, key, {"A": "b"}))
    blob[len(MARKER) + len(START) + 5] ^= 0x01
    out, _ = cli.run(["xdecrypt", "--master-key", "%016x" % master, "--key", "%016x" % key],
                     bytes(blob))
    check(out == payload, "damaged header block")
    out, err = cli.run(["xheader", "--master-key", "%016x" % master], bytes(blob), expect=1)
    check(out == b"" and err, "xheader reports an unreadable block")
    # Header flags other than those headers are written with: unreadable,
    # so the stored key is not found.
    blob = bytearray(xencrypt(payload, master, key, {"A": "b"}, store_key=True, integrity="none"))
    blob[len(MARKER) + len(START) + 1] ^= HASH
    out, err = cli.run(["xdecrypt", "--master-key", "%016x" % master], bytes(blob), expect=1)
    check(out == b"" and "Encryption key has not set" in err, "header flags: " + err)
    out, err = cli.run(["xdecrypt", "--master-key", "%016x" % master, "--key", "%016x" % key,
                        "--require-integrity"], bytes(blob), expect=1)
    check(out == b"" and "Integrity failed" in err, "blob without integrity: " + err)
    return count + 4


def print_vectors():
    """Known answers for the library's unit tests."""
    key = 0x0123456789ABCDEF
    for compress, integrity in (("never", "none"), ("never", "checksum"),
                                ("always", "hash")):
        cypher = encrypt(b"Lens", key, compress, integrity, random_byte=False)
        print("encrypt(Lens, %s, %s) = %s" % (compress, integrity, cypher.hex()))
    print("master(Optik) = %016x" % master_key_from_passphrase("Optik"))
    print("data(0123456789abcdef, Linse) = %016x" % data_key_from_passphrase(key, "Linse"))
    print("data(0123456789abcdef, \u00e4\u20ac) = %016x" % data_key_from_passphrase(key, "\u00e4\u20ac"))


def main():
    if sys.argv[1:] == ["--vectors"]:
        print_vectors()
        return 0
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    cli = Cli(sys.argv[1])
    simple = check_simple(cli)
    blobs = check_blobs(cli)
    print("%d passed, 0 failed" % (simple + blobs))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (AssertionError, FormatError) as error:
        print("FAILED: %s" % error)
        print("0 passed, 1 failed")
        sys.exit(1)
