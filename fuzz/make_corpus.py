#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/.

The files are kept in the repository; run this again only to change them."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def pixels(width, height, bits, seed):
    """Rows of varying bytes, padding included."""
    row = stride(width, bits)
    return bytes((seed + 7 * i + 13 * (i // row)) & 0xFF for i in range(row * height))


def info_file(width, height, bits, compression=0, colours_used=0, table=b"", masks=b"",
              header_size=40, data=None, top_down=False):
    """A file with an info header of header_size bytes in the Windows layout (40, 52, 56, 108 or 124;
    64 is OS/2 2.x's)."""
    if data is None:
        data = pixels(width, abs(height), bits, width + bits)
    extra = b""
    if header_size > 40:  # masks inside the longer headers, the rest zero
        extra = (masks + bytes(header_size - 40))[: header_size - 40]
        masks = b""
    offset = 14 + header_size + len(masks) + len(table)
    header = struct.pack("<IiiHHIIiiII", header_size, width, -height if top_down else height, 1, bits,
                         compression, len(data), 2835, 2835, colours_used, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + header + extra + masks + table + data


def core_file(width, height, bits, table=b""):
    """A file with the 12-byte OS/2 core header and a 3-byte colour table."""
    data = pixels(width, height, bits, 3)
    offset = 14 + 12 + len(table)
    header = struct.pack("<IHHHH", 12, width, height, 1, bits)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + header + table + data


def bgr0(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def bitmaps():
    grey = [(i, i, i) for i in range(256)]
    put("bitmap", "rgb32-3x2.bmp", info_file(3, 2, 32))
    put("bitmap", "rgb24-5x3.bmp", info_file(5, 3, 24))
    put("bitmap", "rgb24-4x2-top-down.bmp", info_file(4, 2, 24, top_down=True))
    put("bitmap", "rgb24-os2-3x2.bmp", info_file(3, 2, 24, header_size=64))
    put("bitmap", "rgb555-3x2.bmp", info_file(3, 2, 16))
    put("bitmap", "rgb565-fields-3x2.bmp", info_file(3, 2, 16, 3, masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)))
    put("bitmap", "rgb444-fields-v3-2x2.bmp",
        info_file(2, 2, 16, 3, masks=struct.pack("<III", 0x0F00, 0x00F0, 0x000F), header_size=52))
    put("bitmap", "argb32-alpha-fields-2x2.bmp",
        info_file(2, 2, 32, 6, masks=struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)))
    put("bitmap", "rgb32-odd-fields-v4-2x2.bmp",
        info_file(2, 2, 32, 3, masks=struct.pack("<IIII", 0x3FF00000, 0x000FFC00, 0x000003FF, 0), header_size=108))
    put("bitmap", "rgb32-fields-v5-top-down-2x2.bmp",
        info_file(2, 2, 32, 3, masks=struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0),
                  header_size=124, top_down=True))
    put("bitmap", "pal8-4x2-full-table.bmp", info_file(4, 2, 8, table=bgr0(grey)))
    put("bitmap", "pal8-3x3-five-colours.bmp",
        info_file(3, 3, 8, colours_used=5, table=bgr0(grey[:5]), data=bytes([0, 1, 2, 0, 3, 4, 9, 0, 4, 4, 1, 0])))
    put("bitmap", "pal4-5x2.bmp", info_file(5, 2, 4, table=bgr0(grey[::16])))
    put("bitmap", "mono-9x2.bmp", info_file(9, 2, 1, table=bgr0([(0, 0, 0), (255, 255, 255)])))
    put("bitmap", "core-pal4-3x2.bmp", core_file(3, 2, 4, b"".join(struct.pack("<BBB", i, 2 * i, 3 * i) for i in range(16))))
    put("bitmap", "core-rgb24-2x2.bmp", core_file(2, 2, 24))
    put("bitmap", "header-only.bmp", info_file(8, 8, 24, data=b""))


def settings_files():
    header = b"[HKEY_CURRENT_USER\\software\\microsoft\\windows\\lmx]\n"
    put("settings_file", "defaults.reg", header +
        b'"weak"=dword:00000001\n"start"=dword:000003e8\n"finish"=dword:00001388\n"zero"=dword:00000000\n')
    put("settings_file", "types.reg", header +
        b'"weak"=dword:fffffffe\n"say \\"hi\\""="C:\\\\lmx"\n"blob"=hex:01,02,0a,ff\n"empty"=hex:\n'
        b'"t1"="1"\n"pair"="\xf0\x9f\x98\x80"\n"b4"=hex:01,00,00,00\n')
    put("settings_file", "damaged.reg", b"garbage\n" + header +
        b'"a"=dword:00000001\r\n"b"=dword:0001\n"c"=dword:0000000g\n"d"=hex:01,2\n"f"="open\n'
        b'"g"="bad \\x escape"\n"i"=qword:0000000000000001\n"j"="x" trailing\n\xff\xfe\x00\x01\n'
        b'"A"=dword:00000002   \t\n"start"=dword:0000')
    put("settings_file", "empty.reg", b"")


def integer_texts():
    for i, text in enumerate(["0", "7", "-2147483648", "2147483647", "2147483648", "-2147483649", "+12", "-",
                              "00012", "-0", " 12", "12 ", "1e3", "0x10", "99999999999999999999"]):
        put("integer_text", "text%02d" % i, text.encode())


if __name__ == "__main__":
    bitmaps()
    settings_files()
    integer_texts()
