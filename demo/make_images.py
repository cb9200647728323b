#!/usr/bin/env python3
"""Writes the demo flash images (spi_image.bin, nor_image.bin) next to this script.

The images are small on purpose: a few pages of recognisable data, with one blank
(all 0xFF) page in each so that the programmers' page skipping shows in the log.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def text_block(title, size):
    data = bytearray(title.encode('ascii'))
    data += bytes(range(256)) * ((size - len(data)) // 256 + 1)
    return data[:size]


def spi_image():
    # 4 KiB: 16 pages of 256 bytes; page 5 is blank.
    data = text_block('Pinloom demo SPI flash image (M25PX16)\n', 4096)
    data[5 * 256:6 * 256] = b'\xff' * 256
    return bytes(data)


def nor_image():
    # 8 KiB = 4096 words, low byte first; write-buffer page 3 (words 48-63) is blank.
    words = [((i * 0x9E37) ^ (i >> 3)) & 0xFFFF for i in range(4096)]
    title = 'Pinloom demo NOR flash image (S29GL128N, word mode)\n'.encode('ascii')
    data = bytearray()
    for w in words:
        data += bytes((w & 0xFF, w >> 8))
    data[:len(title)] = title
    data[48 * 2:64 * 2] = b'\xff' * 32
    return bytes(data)


if __name__ == '__main__':
    for name, content in (('spi_image.bin', spi_image()), ('nor_image.bin', nor_image())):
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(content)
