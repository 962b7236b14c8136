#!/usr/bin/python3
"""The scroll job as a user would script it with Pillow, for side-by-side figures with bench_scroll.

usage: pillow_scroll.py FOLDER   (FOLDER from lumidot_scrolljob: lit.png, unlit.png, frames.pbm)
Builds every frame from the cells and the two dots, then times only Pillow's saving, in wall-clock and
CPU time. Run it beside the benchmark on the same quiet machine:
    cmake --build build-bench --target lumidot_bench lumidot_scrolljob
    build-bench/bench/lumidot_scrolljob /tmp/job && bench/pillow_scroll.py /tmp/job
    build-bench/bench/lumidot_bench --benchmark_filter=writeScroll
"""
import os
import sys
import time

from PIL import Image


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


def main():
    folder = sys.argv[1]
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
    jobs = [("scroll.gif", {}), ("scroll.webp", {"lossless": True})]
    for name, options in jobs:
        path = os.path.join(folder, "pillow-" + name)
        start, cpu_start = time.perf_counter(), time.process_time()
        images[0].save(path, save_all=True, append_images=images[1:], duration=50, loop=0, **options)
        seconds, cpu = time.perf_counter() - start, time.process_time() - cpu_start
        print(f"{name}: {len(images)} frames, {seconds * 1000:.0f} ms ({cpu * 1000:.0f} ms CPU), "
              f"{os.path.getsize(path) / 1024:.1f} KiB")


main()
