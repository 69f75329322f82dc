#!/usr/bin/env python3
"""Damaged copies of a PE file with a version resource, for the reader tests.

    make_variants.py SOURCE OUTPUT_DIR PREFIX

Writes OUTPUT_DIR/PREFIX-<damage>.bin, one file per kind of damage. None of
them has a version that may be read: every damage hits the way from the
file's start to the fixed record.
"""
import os
import struct
import sys


def u16(data, offset):
    return struct.unpack_from("<H", data, offset)[0]


def u32(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


class Layout:
    """Offsets of the structures on the way to the version record."""

    def __init__(self, data):
        self.pe = u32(data, 0x3C)
        self.sections_count_at = self.pe + 6
        optional_size = u16(data, self.pe + 20)
        self.optional = self.pe + 24
        magic = u16(data, self.optional)
        directories = self.optional + (96 if magic == 0x10B else 112)
        self.resource_dir_entry = directories + 2 * 8
        self.resource_rva = u32(data, self.resource_dir_entry)
        self.section_table = self.optional + optional_size
        self.sections = []
        for i in range(u16(data, self.sections_count_at)):
            at = self.section_table + 40 * i
            self.sections.append((u32(data, at + 12), u32(data, at + 16), u32(data, at + 20)))
        self.root = self.rva_to_offset(self.resource_rva)
        type_entry = self.find_entry(data, self.root, 16)
        names = self.root + (u32(data, type_entry + 4) & 0x7FFFFFFF)
        name_entry = self.find_entry(data, names, 1)
        languages = self.root + (u32(data, name_entry + 4) & 0x7FFFFFFF)
        self.type_entry = type_entry
        self.data_entry = self.root + u32(data, languages + 16 + 4)
        self.block = self.rva_to_offset(u32(data, self.data_entry))
        self.block_size = u32(data, self.data_entry + 4)
        self.signature = data.index(struct.pack("<I", 0xFEEF04BD), self.block)

    def rva_to_offset(self, rva):
        for address, raw_size, raw_offset in self.sections:
            if address <= rva < address + raw_size:
                return raw_offset + rva - address
        raise ValueError("RVA outside the sections")

    @staticmethod
    def find_entry(data, directory, wanted):
        count = u16(data, directory + 12) + u16(data, directory + 14)
        for i in range(count):
            at = directory + 16 + 8 * i
            if u32(data, at) == wanted:
                return at
        raise ValueError("resource %d not found" % wanted)


def patched(data, offset, fmt, value):
    copy = bytearray(data)
    struct.pack_into(fmt, copy, offset, value)
    return bytes(copy)


def variants(data):
    at = Layout(data)
    yield "dos-header-cut", data[:40]
    yield "section-table-cut", data[: at.section_table + 20]
    yield "version-block-cut", data[: at.block + at.block_size // 2]
    yield "no-mz", patched(data, 0, "<H", 0x5A4E)
    yield "pe-offset-beyond-end", patched(data, 0x3C, "<I", 0xFFFFFF00)
    yield "resource-rva-outside", patched(data, at.resource_dir_entry, "<I", 0x7FFFFFF0)
    yield "section-count-huge", patched(data, at.sections_count_at, "<H", 0xFFFF)
    yield "entry-count-huge", patched(data, at.root + 14, "<H", 0xFFFF)
    # The version type entry points back to the root: a loop in the tree.
    yield "directory-loop", patched(data, at.type_entry + 4, "<I", 0x80000000)
    yield "data-rva-outside", patched(data, at.data_entry, "<I", 0xFFFFFFF0)
    yield "data-size-huge", patched(data, at.data_entry + 4, "<I", 0xFFFFFFF0)
    yield "block-length-too-long", patched(data, at.block, "<H", 0xFFFF)
    yield "block-length-too-short", patched(data, at.block, "<H", 8)
    yield "value-length-zero", patched(data, at.block + 2, "<H", 0)
    yield "value-length-short", patched(data, at.block + 2, "<H", 20)
    yield "bad-signature", patched(data, at.signature, "<I", 0xFEEF04BC)


def main():
    source, output, prefix = sys.argv[1:4]
    with open(source, "rb") as handle:
        data = handle.read()
    os.makedirs(output, exist_ok=True)
    for name, content in variants(data):
        with open(os.path.join(output, "%s-%s.bin" % (prefix, name)), "wb") as handle:
            handle.write(content)


if __name__ == "__main__":
    main()
