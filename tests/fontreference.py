#!/usr/bin/python3
"""Expected pixels of a line of text, read from a font's own files by tools other than Lumidot's.

  fontreference.py hex FILE.hex ASCENT TEXT          GNU Unifont's .hex glyphs (16 rows, 14 above the baseline)
  fontreference.py pcf ASCENT TEXT FILE.pcf.gz...    PCF files turned into BDF by pcf2bdf; the first file
                                                     that has a character draws it; JIS sets mapped by
                                                     Python's own EUC-JP codec
  fontreference.py glyf FILE.ttf PIXELS TEXT         TrueType outlines made of square dots, read by
                                                     fontTools at PIXELS to the em, the line its typographic
                                                     ascent and descent; each glyph sampled once a pixel,
                                                     where the samples keep farthest from its edges: the
                                                     pixels' centres, or a glyph whose dots are centred on
                                                     the pixels' corners moved half a pixel right and up;
                                                     fails when a sample still falls near an edge

Prints "WIDTH HEIGHT ASCENT", then HEIGHT rows of '#' (lit) and '.', the line from its top.
"""
import gzip
import subprocess
import sys
import tempfile


def hex_glyphs(path, text):
    wanted = {ord(c) for c in text}
    glyphs = {}
    with open(path) as lines:
        for line in lines:
            code, bits = line.strip().split(':')
            if int(code, 16) in wanted:
                width = len(bits) // 4  # 16 rows of width / 4 hex digits
                rows = [int(bits[r * width // 4:(r + 1) * width // 4], 16) for r in range(16)]
                glyphs[int(code, 16)] = (width, [[(row >> (width - 1 - x)) & 1 for x in range(width)] for row in rows])
    return glyphs


def parse_bdf(text):
    font = {'glyphs': {}}
    lines = iter(text.splitlines())
    for line in lines:
        words = line.split()
        if not words:
            continue
        if words[0] in ('FONT_ASCENT', 'FONT_DESCENT'):
            font[words[0]] = int(words[1])
        elif words[0] == 'CHARSET_REGISTRY':
            font['registry'] = words[1].strip('"')
        elif words[0] == 'STARTCHAR':
            glyph = {}
            for line in lines:
                words = line.split()
                if words[0] == 'ENCODING':
                    glyph['code'] = int(words[1])
                elif words[0] == 'DWIDTH':
                    glyph['advance'] = int(words[1])
                elif words[0] == 'BBX':
                    glyph['bbx'] = [int(w) for w in words[1:5]]
                elif words[0] == 'BITMAP':
                    width, height = glyph['bbx'][0], glyph['bbx'][1]
                    rows = [int(next(lines), 16) for _ in range(height)]
                    row_bits = (width + 7) // 8 * 8
                    glyph['rows'] = [[(row >> (row_bits - 1 - x)) & 1 for x in range(width)] for row in rows]
                elif words[0] == 'ENDCHAR':
                    font['glyphs'][glyph['code']] = glyph
                    break
    return font


def code_in(font, character):
    registry = font['registry'].upper()
    if registry.startswith('ISO10646'):
        return ord(character)
    if registry.startswith('ISO8859'):
        return ord(character) if ord(character) < 256 else None
    try:
        euc = character.encode('euc_jp')
    except UnicodeEncodeError:
        return None
    if registry.startswith('JISX0201'):
        return euc[1] if len(euc) == 2 and euc[0] == 0x8E else None
    if registry.startswith('JISX0208'):
        return (euc[0] & 0x7F) << 8 | (euc[1] & 0x7F) if len(euc) == 2 and euc[0] != 0x8E else None
    return None


def pcf_line(ascent, text, paths):
    fonts = []
    for path in paths:
        with tempfile.NamedTemporaryFile(suffix='.pcf') as pcf:
            pcf.write(gzip.open(path).read() if path.endswith('.gz') else open(path, 'rb').read())
            pcf.flush()
            fonts.append(parse_bdf(subprocess.run(['pcf2bdf', pcf.name], check=True, capture_output=True,
                                                  text=True, encoding='latin-1').stdout))
    height = fonts[0]['FONT_ASCENT'] + fonts[0]['FONT_DESCENT']
    placed = []
    for character in text:
        for font in fonts:
            code = code_in(font, character)
            if code is not None and code in font['glyphs']:
                placed.append(font['glyphs'][code])
                break
        else:
            sys.exit('no glyph for %r' % character)
    width = sum(g['advance'] for g in placed)
    grid = [[0] * width for _ in range(height)]
    pen = 0
    for glyph in placed:
        w, h, left, bottom = glyph['bbx']
        top = ascent - (h + bottom)
        for y in range(h):
            for x in range(w):
                if glyph['rows'][y][x] and 0 <= top + y < height and 0 <= pen + left + x < width:
                    grid[top + y][pen + left + x] = 1
        pen += glyph['advance']
    return grid, width, height


def glyf_line(path, pixels, text):
    from fontTools.ttLib import TTFont
    font = TTFont(path)
    unit = font['head'].unitsPerEm / pixels  # font units in a pixel
    os2 = font['OS/2']
    ascent = round(os2.sTypoAscender / unit)
    height = round((os2.sTypoAscender - os2.sTypoDescender) / unit)
    cmap = font.getBestCmap()
    glyf = font['glyf']
    columns = []
    for character in text:
        name = cmap[ord(character)]
        advance = round(font['hmtx'][name][0] / unit)
        coordinates, ends, _ = glyf[name].getCoordinates(glyf)
        contours, start = [], 0
        for end in ends:
            contours.append(list(coordinates[start:end + 1]))
            start = end + 1
        edges = [edge for contour in contours for edge in zip(contour, contour[1:] + contour[:1])]
        # Samples at the pixels' centres, or on their left edges across and their bottom edges down.
        across = clearest([x0 for (x0, _), (x1, _) in edges if x0 == x1], unit, (0.5, 0))
        down = clearest([y0 for (_, y0), (_, y1) in edges if y0 == y1], unit, (0.5, 1))
        block = [[0] * advance for _ in range(height)]
        for y in range(height):
            for x in range(advance):
                cx, cy = (x + across) * unit, (ascent - y - down) * unit
                winding = 0
                for (x0, y0), (x1, y1) in edges:
                    if (y0 <= cy) != (y1 <= cy):
                        crossing = x0 + (cy - y0) * (x1 - x0) / (y1 - y0)
                        if crossing > cx:
                            winding += 1 if y1 > y0 else -1
                    if distance((cx, cy), (x0, y0), (x1, y1)) < unit / 5:
                        sys.exit('%r: a sample falls %.2f pixels from an edge' %
                                 (character, distance((cx, cy), (x0, y0), (x1, y1)) / unit))
                block[y][x] = 1 if winding else 0
        columns.append(block)
    grid = [sum((block[y] for block in columns), []) for y in range(height)]
    return grid, len(grid[0]), height, ascent


# Of the offsets into a pixel, the one whose samples keep farthest from the edges at these positions.
def clearest(positions, unit, offsets):
    def clearance(offset):
        return min([abs((p / unit - offset + 0.5) % 1 - 0.5) for p in positions] or [0.5])
    return max(offsets, key=clearance)


def distance(point, a, b):
    (px, py), (ax, ay), (bx, by) = point, a, b
    length = (bx - ax) ** 2 + (by - ay) ** 2
    t = 0 if length == 0 else max(0, min(1, ((px - ax) * (bx - ax) + (py - ay) * (by - ay)) / length))
    return ((px - ax - t * (bx - ax)) ** 2 + (py - ay - t * (by - ay)) ** 2) ** 0.5


def main():
    mode = sys.argv[1]
    if mode == 'hex':
        path, ascent, text = sys.argv[2], int(sys.argv[3]), sys.argv[4]
        glyphs = hex_glyphs(path, text)
        grid = [sum((glyphs[ord(c)][1][y] for c in text), []) for y in range(16)]
        width, height = len(grid[0]), 16
    elif mode == 'pcf':
        ascent, text = int(sys.argv[2]), sys.argv[3]
        grid, width, height = pcf_line(ascent, text, sys.argv[4:])
    else:
        grid, width, height, ascent = glyf_line(sys.argv[2], int(sys.argv[3]), sys.argv[4])
    print(width, height, ascent)
    for row in grid:
        print(''.join('#' if bit else '.' for bit in row))


main()
