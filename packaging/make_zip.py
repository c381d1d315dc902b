#!/usr/bin/env python3
"""Writes a zip archive whose bytes depend only on the files put in it and on the given time:
entries in the given order, all in one folder, every entry dated at that time (the commit's, as a
rule), with the same attributes, and no extra fields such as Unix times or owners."""

import argparse
import os
import time
import zipfile

# The earliest time a zip entry can carry.
ZIP_EPOCH = 315532800
MS_DOS = 0
FILE_ATTRIBUTE_ARCHIVE = 0x20


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--time", type=int, required=True, help="seconds since 1970, UTC")
    parser.add_argument("--folder", required=True, help="the folder in the archive that holds the files")
    parser.add_argument("files", nargs="+", help="files stored under their own names in that folder")
    args = parser.parse_args()

    stamp = time.gmtime(max(args.time, ZIP_EPOCH))[:6]
    partial = args.out + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for path in args.files:
            entry = zipfile.ZipInfo(args.folder + "/" + os.path.basename(path), date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = MS_DOS
            entry.external_attr = FILE_ATTRIBUTE_ARCHIVE
            with open(path, "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)
    os.replace(partial, args.out)


if __name__ == "__main__":
    main()
