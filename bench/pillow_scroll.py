#!/usr/bin/python3
"""The scroll job as a user would script it with Pillow, side by side with lumidot's own.

usage: pillow_scroll.py FOLDER [--bench LUMIDOT_BENCH] [--rounds N]
FOLDER comes from lumidot_scrolljob (lit.png, unlit.png, frames.pbm, and lumidot's scroll.gif and
scroll.webp). Builds every frame from the cells and the two dots, checks that lumidot's files decode to
exactly these frames, then times only Pillow's saving. With --bench, each round also runs lumidot_bench's
writeScroll for the same format, in turn with Pillow, and the medians and the median of the rounds'
ratios are printed (tools/bench.sh scroll does all of this).
"""
import argparse
import json
import os
import statistics
import subprocess
import time

from PIL import Image, ImageSequence

JOBS = [("gif", {}, 0), ("webp", {"lossless": True}, 1)]  # extension, Pillow's options, writeScroll's argument


def read_frames(path):
    data = open(path, "rb").read()
    frames, at = [], 0
    while at < len(data):
        fields = []
        while len(fields) < 3:  # "P4", width, height
            while data[at:at + 1].isspace():
                at += 1
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        at += 1
        width, height = int(fields[1]), int(fields[2])
        row_bytes = (width + 7) // 8
        rows = [data[at + r * row_bytes:at + (r + 1) * row_bytes] for r in range(height)]
        frames.append([[(row[c // 8] >> (7 - c % 8)) & 1 for c in range(width)] for row in rows])
        at += row_bytes * height
    return frames


def lumidot_ms(bench, argument):
    output = subprocess.run([bench, "--benchmark_filter=writeScroll/.*:%d/" % argument, "--benchmark_format=json",
                             "--benchmark_repetitions=1"], capture_output=True, text=True, check=True).stdout
    return json.loads(output)["benchmarks"][0]["real_time"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--bench", help="lumidot_bench, to time lumidot's writeScroll in turn with Pillow")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    folder = args.folder

    lit = Image.open(os.path.join(folder, "lit.png")).convert("RGB")
    unlit = Image.open(os.path.join(folder, "unlit.png")).convert("RGB")
    cw, ch = lit.size
    images = []
    for cells in read_frames(os.path.join(folder, "frames.pbm")):
        image = Image.new("RGB", (len(cells[0]) * cw, len(cells) * ch))
        for r, row in enumerate(cells):
            for c, on in enumerate(row):
                image.paste(lit if on else unlit, (c * cw, r * ch))
        images.append(image)
    wanted = [image.tobytes() for image in images]
    for extension, _, _ in JOBS:
        ours = [frame.convert("RGB").tobytes() for frame in ImageSequence.Iterator(
            Image.open(os.path.join(folder, "scroll." + extension)))]
        print("lumidot's scroll.%s: %d frames, %s" % (extension, len(ours),
                                                      "exactly Pillow's" if ours == wanted else "NOT Pillow's frames"))

    pillow = {extension: [] for extension, _, _ in JOBS}
    lumidot = {extension: [] for extension, _, _ in JOBS}
    for _ in range(args.rounds if args.bench else 1):
        for extension, options, argument in JOBS:
            path = os.path.join(folder, "pillow-scroll." + extension)
            start = time.perf_counter()
            images[0].save(path, save_all=True, append_images=images[1:], duration=50, loop=0, **options)
            pillow[extension].append(1000 * (time.perf_counter() - start))
            if args.bench:
                lumidot[extension].append(lumidot_ms(args.bench, argument))
    print("%d frames of %d x %d; medians of %d rounds" % (len(images), images[0].width, images[0].height,
                                                            len(pillow["gif"])))
    for extension, _, _ in JOBS:
        sizes = "Pillow %.1f KiB" % (os.path.getsize(os.path.join(folder, "pillow-scroll." + extension)) / 1024)
        sizes += ", lumidot %.1f KiB" % (os.path.getsize(os.path.join(folder, "scroll." + extension)) / 1024)
        line = "%s: Pillow %.0f ms" % (extension, statistics.median(pillow[extension]))
        if args.bench:
            line += ", lumidot %.1f ms, Pillow / lumidot %.1f" % (
                statistics.median(lumidot[extension]),
                statistics.median(p / l for p, l in zip(pillow[extension], lumidot[extension])))
        print(line + "; " + sizes)


main()
