#!/usr/bin/python3
"""lumidot-render side by side with a Pillow script and an ImageMagick pipeline doing the same job.

The job: the 450-character message of bench/data/message.txt at 12 pt in IPAPGothic with the 8 x 8 dot
pictures of bench/data, written as PNG at each PNG setting and as BMP. Each tool runs as a whole new
process; the three run one after the other, round after round, so that a busy machine slows them
alike. Printed: median wall times, the ratios to lumidot-render (medians of the rounds' ratios), file
sizes and peak memory. Pillow's and ImageMagick's PNGs use the same zlib effort as the setting (1,
default, 9).

With --floor, a one-letter lumidot-render runs beside a Qt program that only prints one letter, in turn:
the start-up pair. With --phases, the time after start-up of each output, step by step, in one process.
"""
import argparse
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import time

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")

# name, extension, lumidot-render options, Pillow options, ImageMagick options
CASES = [
    ("PNG, setting 1 (fastest)", "png", ["--png-setting", "1"], ["--compress-level", "1"], ["-quality", "15"]),
    ("PNG, setting 0 (default)", "png", ["--png-setting", "0"], [], []),
    ("PNG, setting 2 (smallest)", "png", ["--png-setting", "2"], ["--compress-level", "9"], ["-quality", "95"]),
    ("BMP", "bmp", [], [], ["-type", "TrueColor"]),
]
TOOLS = ("lumidot", "Pillow", "ImageMagick")


def run(command, env=None):
    """Wall seconds and peak resident KiB of a whole process, its children included. What earlier commands
    left unwritten goes to disk first: a writer that flushes its own file (lumidot-render's do) would
    otherwise wait for theirs too, as a file system flushes in order."""
    os.sync()
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    errors = process.stderr.read().decode(errors="replace")
    process.stderr.close()
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (process.returncode, " ".join(command), errors))
    return elapsed, usage.ru_maxrss


def flush_floor(folder, size):
    """Seconds that writing size bytes to a new file in folder, flushing it to disk, renaming it into place
    and flushing the folder takes, as lumidot-render's writers do: no writer of that file can take less."""
    data = os.urandom(size)
    temporary, target = os.path.join(folder, ".floor.tmp"), os.path.join(folder, "floor.bin")
    os.sync()
    start = time.perf_counter()
    descriptor = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    os.write(descriptor, data)
    os.fdatasync(descriptor)
    os.close(descriptor)
    os.rename(temporary, target)
    descriptor = os.open(folder, os.O_RDONLY)
    os.fsync(descriptor)
    os.close(descriptor)
    return time.perf_counter() - start


def magick_environment(work):
    """ImageMagick's policy with the width and height limits raised past the board's 27K columns."""
    folder = os.path.join(work, "magick")
    os.makedirs(folder, exist_ok=True)
    with open("/etc/ImageMagick-6/policy.xml") as source:
        policy = source.read()
    for name in ("width", "height"):
        policy = policy.replace('name="%s" value="16KP"' % name, 'name="%s" value="256KP"' % name)
    policy = policy.replace('name="area" value="128MP"', 'name="area" value="1GP"')
    with open(os.path.join(folder, "policy.xml"), "w") as target:
        target.write(policy)
    return dict(os.environ, MAGICK_CONFIGURE_PATH=folder)


def machine():
    model = platform.processor()
    try:
        with open("/proc/cpuinfo") as info:
            model = next(line.split(":", 1)[1].strip() for line in info if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    return "%s, %d cores, %s" % (model, os.cpu_count(), platform.platform())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--render", required=True, help="the lumidot-render to measure")
    parser.add_argument("--runs", type=int, default=7, help="rounds; medians are printed")
    parser.add_argument("--phases", help="lumidot_renderphases, for the breakdown of lumidot-render's time")
    parser.add_argument("--floor", help="lumidot_startupfloor, the least a Qt program that prints a letter takes")
    args = parser.parse_args()

    font_file = subprocess.run(["fc-match", "-f", "%{file}", "IPAPGothic"], capture_output=True, text=True,
                               check=True).stdout
    if "ipagp" not in font_file:
        sys.exit("IPAPGothic is not installed (fonts-ipafont-gothic)")
    with open(os.path.join(DATA, "message.txt"), encoding="utf-8") as message_file:
        message = message_file.read()
    lit, unlit = os.path.join(DATA, "lit.png"), os.path.join(DATA, "unlit.png")

    with tempfile.TemporaryDirectory(prefix="lumidot-compare-") as work:
        magick_env = magick_environment(work)

        def commands(case, tool, output):
            _, _, lumidot_options, pillow_options, magick_options = case
            if tool == "lumidot":
                return [args.render, "--font", "IPAPGothic", "--size", "12", "--lit", lit, "--unlit", unlit,
                        *lumidot_options, message, output], None
            if tool == "Pillow":
                return [sys.executable, os.path.join(HERE, "compare_pillow.py"), "--font", font_file, "--size", "12",
                        "--lit", lit, "--unlit", unlit, *pillow_options, message, output], None
            return ["sh", os.path.join(HERE, "compare_magick.sh"), font_file, "12", lit, unlit, message, output,
                    *magick_options], magick_env

        def output_of(number, tool):
            return os.path.join(work, "%s-%d.%s" % (tool, number, CASES[number][1]))

        start_up = []
        floor = []
        phases = {number: [] for number in range(len(CASES))}  # font and mask, board, encode and write: ms
        flushes = {number: [] for number in range(len(CASES))}
        times = {(number, tool): [] for number in range(len(CASES)) for tool in TOOLS}
        peaks = {}
        load_before = os.getloadavg()[0]
        for _ in range(args.runs):
            start_up.append(run([args.render, "x", os.path.join(work, "x.bmp")])[0])
            if args.floor:
                floor.append(run([args.floor])[0])
            if args.phases:
                for number, case in enumerate(CASES):
                    setting = case[2][1] if case[2] else "0"
                    os.sync()
                    measured = subprocess.run([args.phases, os.path.join(DATA, "message.txt"), lit, unlit,
                                               os.path.join(work, "phases." + case[1]), setting],
                                              capture_output=True, text=True, check=True).stdout
                    phases[number].append([float(value) for value in measured.split()])
                    flushes[number].append(flush_floor(work, os.path.getsize(os.path.join(work, "phases." + case[1]))))
            for number, case in enumerate(CASES):
                for tool in TOOLS:
                    command, env = commands(case, tool, output_of(number, tool))
                    elapsed, peak = run(command, env)
                    times[(number, tool)].append(elapsed)
                    peaks[(number, tool)] = max(peaks.get((number, tool), 0), peak)
        load_after = os.getloadavg()[0]

        # The same board as lumidot's, written by Pillow with its defaults: the file-size yardstick.
        board = Image.open(output_of(len(CASES) - 1, "lumidot")).convert("RGB")
        pillow_same_board = os.path.join(work, "pillow-same-board.png")
        board.save(pillow_same_board)
        yardstick = os.path.getsize(pillow_same_board)
        exact = all(Image.open(output_of(number, "lumidot")).convert("RGB").tobytes() == board.tobytes()
                    for number, case in enumerate(CASES) if case[1] == "png")

        print("Machine: %s" % machine())
        print("Rounds: %d, load average %.1f before and %.1f after" % (args.runs, load_before, load_after))
        print("Board: %d x %d pixels (%s)" % (board.width, board.height, args.render))
        print("lumidot-render of one letter: %.0f ms" % (1000 * statistics.median(start_up)))
        if floor:
            print("A Qt program that prints one letter: %.0f ms; lumidot-render / it: %.2f (median of the rounds)" % (
                1000 * statistics.median(floor), statistics.median(a / b for a, b in zip(start_up, floor))))
        print()
        print("| Output | lumidot-render | Pillow | ImageMagick | Pillow / lumidot | ImageMagick / lumidot "
              "| File size: lumidot / Pillow / ImageMagick | Peak memory MiB: lumidot / Pillow / ImageMagick |")
        print("|---|---|---|---|---|---|---|---|")
        for number, case in enumerate(CASES):
            median = {tool: statistics.median(times[(number, tool)]) for tool in TOOLS}
            ratio = {tool: statistics.median(other / mine for other, mine in zip(times[(number, tool)],
                                                                                 times[(number, "lumidot")]))
                     for tool in TOOLS}
            sizes = " / ".join("%.0f KiB" % (os.path.getsize(output_of(number, tool)) / 1024) for tool in TOOLS)
            memory = " / ".join("%.0f" % (peaks[(number, tool)] / 1024) for tool in TOOLS)
            print("| %s | %.0f ms | %.0f ms | %.0f ms | %.1f | %.1f | %s | %s |" % (
                case[0], 1000 * median["lumidot"], 1000 * median["Pillow"], 1000 * median["ImageMagick"],
                ratio["Pillow"], ratio["ImageMagick"], sizes, memory))
        print()
        print("Pillow's default PNG of lumidot's own board: %.1f KiB" % (yardstick / 1024))
        for number, case in enumerate(CASES):
            if case[1] == "png":
                size = os.path.getsize(output_of(number, "lumidot"))
                print("  %s: %.1f KiB, %.2f x Pillow's" % (case[0], size / 1024, size / yardstick))
        print("lumidot's PNGs decode to exactly its BMP's pixels: %s" % ("yes" if exact else "NO"))
        if args.phases:
            print()
            print("Where lumidot-render's time goes (medians; the steps after start-up timed in one process, the "
                  "start-up the rest of the whole process's time):")
            print("| Output | Whole process | Start-up (process, Qt, fonts) | Font and mask | Board | Encode and write "
                  "(with the flush to disk) | After start-up | Flushing as many bytes alone |")
            print("|---|---|---|---|---|---|---|---|")
            for number, case in enumerate(CASES):
                font, board_ms, write = (statistics.median(column) for column in zip(*phases[number]))
                whole = 1000 * statistics.median(times[(number, "lumidot")])
                print("| %s | %.0f ms | %.0f ms | %.1f ms | %.1f ms | %.1f ms | %.1f ms | %.1f ms |" % (
                    case[0], whole, whole - font - board_ms - write, font, board_ms, write, font + board_ms + write,
                    1000 * statistics.median(flushes[number])))
        return 0 if exact else 1


if __name__ == "__main__":
    sys.exit(main())
