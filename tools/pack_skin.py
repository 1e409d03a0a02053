#!/usr/bin/env python3
"""Packs the skin's files into the ZIP archive the installer carries as its
"ZIPRES" resource, each under its own file name.

    pack_skin.py ARCHIVE FILE...

Every entry is deflated at zlib's best level and carries no extra fields
(times, owners) or data descriptor, as every byte of the archive is carried
in the program; the same files and zlib give the same bytes.
"""
import os
import sys
import zipfile


def main(archive_path, files):
    part = archive_path + ".part"
    with zipfile.ZipFile(part, "w") as archive:
        for path in sorted(files, key=os.path.basename):
            entry = zipfile.ZipInfo(os.path.basename(path), date_time=(1980, 1, 1, 0, 0, 0))
            with open(path, "rb") as source:
                archive.writestr(entry, source.read(), compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(part, archive_path)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])
