#!/usr/bin/env python3
"""The release check (tools/check-release-exe.sh) passes the executable as built, and fails on
copies of it whose load configuration would let the libraries its imports pull in come from the
program's folder: each row of the table below changes the copy in one way and names the failure
the check must print.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys

LOAD_CONFIG = 10  # the data directory's entry for the load configuration
DEPENDENT_LOAD_FLAGS = 78  # its offset in the structure
SEARCH_SYSTEM32 = 0x800
SEARCH_APPLICATION_DIR = 0x200


class Image:
    """The bytes of a PE file and where its load configuration lies in them."""

    def __init__(self, path):
        self.data = bytearray(open(path, "rb").read())
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        sections = struct.unpack_from("<H", self.data, pe + 6)[0]
        optional = pe + 24
        self.directory = optional + 112 + 8 * LOAD_CONFIG
        table = optional + struct.unpack_from("<H", self.data, pe + 20)[0]
        self.sections = [struct.unpack_from("<IIII", self.data, table + 40 * i + 8) for i in range(sections)]

    def config(self):
        """The file offset of the structure the directory points at, and the directory's size."""
        rva, size = struct.unpack_from("<II", self.data, self.directory)
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + min(virtual_size, raw_size):
                return raw + rva - address, size
        raise RuntimeError("the load-configuration directory points at no section's data")

    def set_directory(self, rva, size):
        struct.pack_into("<II", self.data, self.directory, rva, size)

    def set_config_field(self, offset, form, value):
        at, _ = self.config()
        struct.pack_into(form, self.data, at + offset, value)

    def set_flags(self, flags):
        self.set_config_field(DEPENDENT_LOAD_FLAGS, "<H", flags)

    def shorten(self, size):
        """Directory and structure both shorter, as an older layout would be."""
        self.set_config_field(0, "<I", size)
        rva, _ = struct.unpack_from("<II", self.data, self.directory)
        self.set_directory(rva, size)


# (what the copy lacks, how it is changed, what the check must say; None: it must pass)
CASES = [
    ("nothing: the executable as built", lambda image: None, None),
    ("the load-configuration directory", lambda image: image.set_directory(0, 0), "no load-configuration directory"),
    ("DependentLoadFlags", lambda image: image.set_flags(0), "DependentLoadFlags 0:"),
    ("the system folder alone: the program's folder as well",
     lambda image: image.set_flags(SEARCH_SYSTEM32 | SEARCH_APPLICATION_DIR), "DependentLoadFlags 0xa00:"),
    ("a structure long enough for DependentLoadFlags", lambda image: image.shorten(64),
     "ends before DependentLoadFlags"),
    ("a structure whose own size is the directory's",
     lambda image: image.set_config_field(0, "<I", 0x40), "is not the directory's"),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--check", required=True, help="tools/check-release-exe.sh")
    parser.add_argument("--exe", required=True, help="the executable that ships")
    parser.add_argument("--unstripped", required=True, help="the same build before stripping")
    parser.add_argument("--work", required=True)
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    failures = []
    for n, (lacking, change, expected) in enumerate(CASES):
        image = Image(args.exe)
        change(image)
        copy = os.path.join(args.work, "case%d.exe" % n)
        open(copy, "wb").write(image.data)
        done = subprocess.run(["bash", args.check, copy, args.unstripped], capture_output=True, text=True)
        said = (done.stdout + done.stderr).strip()
        print("lacking %s: exit %d%s" % (lacking, done.returncode, "\n  " + said if said else ""))
        if expected is None:
            if done.returncode != 0:
                failures.append("the check refused the executable as built: %s" % said)
        elif done.returncode == 0:
            failures.append("the check passed an executable lacking %s" % lacking)
        elif expected not in said or said.count("\n") != 0:
            failures.append("the check failed an executable lacking %s, but said %r, not only %r"
                            % (lacking, said, expected))
    if failures:
        sys.exit("FAILED:\n" + "\n".join(failures))
    print("the check passes the executable as built and names each missing protection of its load configuration")


if __name__ == "__main__":
    main()
