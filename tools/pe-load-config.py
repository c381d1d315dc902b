#!/usr/bin/env python3
"""Points a 64-bit PE executable's load-configuration directory at its symbol _load_config_used,
as the platform's linkers do: lld does it itself, GNU ld before 2.41 does not. The directory's size
is the first field of the structure, as the loader reads it. Run on the linked executable, before
stripping: the symbol table is what tells where the structure lies. An executable whose directory
already points there is left as it is; one whose directory points elsewhere, or that has no such
symbol, is an error. The file's checksum is computed again, as the linker computed it.

Usage: pe-load-config.py EXECUTABLE
"""

import struct
import sys

SYMBOL = b"_load_config_used"
LOAD_CONFIG = 10  # IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG
PE32_PLUS = 0x20B


def checksum(data, field):
    """The PE header's checksum: 16-bit words summed with their carries, the checksum field read as
    zero, plus the file's length."""
    body = data[:field] + b"\0\0\0\0" + data[field + 4:]
    if len(body) % 2:
        body += b"\0"
    total = 0
    for (word,) in struct.iter_unpack("<H", body):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    data = bytearray(open(path, "rb").read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("%s: not a PE file" % path)
    sections, symbols, symbol_count, header_size = (struct.unpack_from("<H", data, pe + 6)[0],
                                                    *struct.unpack_from("<II", data, pe + 12),
                                                    struct.unpack_from("<H", data, pe + 20)[0])
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] != PE32_PLUS:
        sys.exit("%s: not a 64-bit executable" % path)
    checksum_field = optional + 64
    directory = optional + 112 + 8 * LOAD_CONFIG
    table = optional + header_size
    section_headers = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(sections)]

    def file_offset(rva):
        for _, size, address, raw_size, raw in section_headers:
            if address <= rva < address + min(size, raw_size):
                return raw + rva - address
        sys.exit("%s: address %#x lies in no section's data" % (path, rva))

    rva = None
    strings = symbols + 18 * symbol_count
    i = 0
    while symbols and i < symbol_count:
        name, value, section, _, _, aux = struct.unpack_from("<8sIhHBB", data, symbols + 18 * i)
        if name[:4] == b"\0\0\0\0":
            start = strings + struct.unpack_from("<I", name, 4)[0]
            name = bytes(data[start:data.index(b"\0", start)])
        else:
            name = name.rstrip(b"\0")
        if name == SYMBOL and 0 < section <= sections:
            rva = section_headers[section - 1][2] + value
            break
        i += 1 + aux
    if rva is None:
        sys.exit("%s: no symbol %s" % (path, SYMBOL.decode()))
    size = struct.unpack_from("<I", data, file_offset(rva))[0]

    current = struct.unpack_from("<II", data, directory)
    if current == (rva, size):
        return
    if current != (0, 0):
        sys.exit("%s: the load-configuration directory points at %#x (%d bytes), not at %s (%#x)"
                 % (path, current[0], current[1], SYMBOL.decode(), rva))
    struct.pack_into("<II", data, directory, rva, size)
    if struct.unpack_from("<I", data, checksum_field)[0]:
        struct.pack_into("<I", data, checksum_field, checksum(data, checksum_field))
    open(path, "wb").write(data)


if __name__ == "__main__":
    main()
