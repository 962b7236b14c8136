#!/usr/bin/python3
"""The dot-matrix board as a Pillow user would write it, for comparison with lumidot-render.

The message is drawn without antialiasing into a one-bit mask as wide as its advance and as tall as the
font's ascent plus descent; every mask pixel becomes a copy of the lit or the unlit dot image. The
format follows the output's extension; PNG uses Pillow's default compression unless told otherwise.
"""
import argparse

from PIL import Image, ImageDraw, ImageFont


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--font", required=True, help="font file")
    parser.add_argument("--size", type=float, default=12, help="points, at 96 dpi")
    parser.add_argument("--lit", required=True)
    parser.add_argument("--unlit", required=True)
    parser.add_argument("--compress-level", type=int, help="PNG zlib level (Pillow's default when absent)")
    parser.add_argument("message")
    parser.add_argument("output")
    args = parser.parse_args()

    font = ImageFont.truetype(args.font, round(args.size * 96 / 72))
    ascent, descent = font.getmetrics()
    columns, rows = round(font.getlength(args.message)), ascent + descent
    mask = Image.new("1", (columns, rows), 0)
    draw = ImageDraw.Draw(mask)
    draw.fontmode = "1"
    draw.text((0, 0), args.message, font=font, fill=1)

    lit = Image.open(args.lit).convert("RGB")
    unlit = Image.open(args.unlit).convert("RGB")
    width, height = lit.size
    board = Image.new("RGB", (columns * width, rows * height))
    pixels = mask.load()
    for y in range(rows):
        for x in range(columns):
            board.paste(lit if pixels[x, y] else unlit, (x * width, y * height))

    options = {} if args.compress_level is None else {"compress_level": args.compress_level}
    board.save(args.output, **options)


if __name__ == "__main__":
    main()
