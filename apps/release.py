#!/usr/bin/env python3
"""The shipped text files and the release zip, both byte-for-byte reproducible.

  release.py text SOURCE_ENCODING TEMPLATE OUT VERSION
      Fills @LR_VERSION@ into TEMPLATE and writes OUT in GBK with CR LF line ends (the form
      Notepad on a Chinese Windows reads).
  release.py zip OUT NAME=FILE...
      Writes the zip OUT holding each FILE as NAME, in the order given, with a fixed date and
      fixed attributes, so that the same inputs give the same bytes.

A name is stored in GBK, which the zip tools of a Chinese Windows read, and also in UTF-8 in
an Info-ZIP Unicode path field, which 7-Zip and unzip prefer.
"""
import os
import struct
import sys
import zipfile
import zlib

FIXED_DATE = (2000, 1, 1, 0, 0, 0)
UNICODE_PATH_FIELD = 0x7075


def fail(message):
    sys.stderr.write("release.py: %s\n" % message)
    sys.exit(1)


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    tmp = path + ".tmp"
    try:
        with open(tmp, "wb") as f:
            f.write(data)
        os.replace(tmp, path)
    except OSError as e:
        fail("cannot write %s: %s" % (path, e))


def text(encoding, template, out, version):
    try:
        with open(template, "rb") as f:
            source = f.read().decode(encoding)
    except (OSError, UnicodeDecodeError, LookupError) as e:
        fail("cannot read %s as %s: %s" % (template, encoding, e))
    lines = source.replace("\r\n", "\n").split("\n")
    try:
        data = "\r\n".join(lines).replace("@LR_VERSION@", version).encode("gbk")
    except UnicodeEncodeError as e:
        fail("%s holds text that GBK cannot carry: %s" % (template, e))
    write_if_changed(out, data)


class GbkZipInfo(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        return self.filename.encode("gbk"), self.flag_bits


def zip_entry(name):
    info = GbkZipInfo(name, FIXED_DATE)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 0  # MS-DOS: attributes in the low byte
    info.external_attr = 0x20  # archive
    gbk = name.encode("gbk")
    if gbk != name.encode("ascii", "replace"):
        utf8 = name.encode("utf-8")
        body = struct.pack("<BI", 1, zlib.crc32(gbk)) + utf8
        info.extra = struct.pack("<HH", UNICODE_PATH_FIELD, len(body)) + body
    return info


def make_zip(out, pairs):
    tmp = out + ".tmp"
    try:
        with zipfile.ZipFile(tmp, "w") as z:
            for pair in pairs:
                name, sep, path = pair.partition("=")
                if not sep or not name:
                    fail("expected NAME=FILE, got %r" % pair)
                with open(path, "rb") as f:
                    z.writestr(zip_entry(name), f.read(), compresslevel=9)
        os.replace(tmp, out)
    except OSError as e:
        if os.path.exists(tmp):
            os.remove(tmp)
        fail("cannot write %s: %s" % (out, e))


def main(argv):
    if len(argv) == 6 and argv[1] == "text":
        text(*argv[2:])
    elif len(argv) >= 4 and argv[1] == "zip":
        make_zip(argv[2], argv[3:])
    else:
        fail(__doc__)


if __name__ == "__main__":
    main(sys.argv)
