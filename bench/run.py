#!/usr/bin/env python3
"""Times the Linux build against the floor loop and the tools users pick instead, each stamping
every *.TXT of a fresh folder of N files with known dates. Runs alternate between the tools; each
figure is the median of several runs, with the peak resident memory from /usr/bin/time -v.
Prints the table and writes it, with the machine it ran on, to bench/RESULTS.md.
With --windows: STAMPIX.EXE against the Win32 floor loop, both under Wine, on 2,000 files;
written to bench/RESULTS-windows.md. With --tree: "stampix -r" on a tree of about 100,000 entries
against a floor that walks it once post-order and keeps folder dates, and find -depth; written to
bench/RESULTS-tree.md. With --photos: "stampix --date=taken" on 2,000 JPEGs against "jhead -n",
each stamping every photo by its EXIF date, and stampix again with an .XMP beside each photo,
which goes with it; written to bench/RESULTS-photos.md.

    bench/run.py                 # N = 10,000 and 100,000, every tool
    bench/run.py --sizes 10000 --tools stampix floor
    bench/run.py --windows
    bench/run.py --tree
    bench/run.py --photos
"""
import argparse
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "bench")
BUILD_WINDOWS = os.path.join(ROOT, "build", "bench-windows")
WINE = "/usr/lib/wine/wine64"
DATA = os.path.join(ROOT, "build", "bench-data")
DAYS = 7  # FILE000001.TXT is dated 1 December 2004, the next the 2nd, ... the 8th the 1st again

PERL_STAMP = ('use POSIX; my $m = (lstat $_)[9]; '
              's/\\.TXT$/POSIX::strftime("(%Y%m%d)", localtime $m) . ".TXT"/e')


def windows_path(path):
    """Wine's drive Z: is the Unix root."""
    return "Z:" + path.replace("/", "\\")


def command(tool, folder):
    """The command line of one tool stamping `folder`, as a user would type it."""
    return {
        "STAMPIX.EXE": [WINE, os.path.join(BUILD_WINDOWS, "STAMPIX.EXE"),
                        windows_path(folder) + "\\*.TXT"],
        "floor (Win32)": [WINE, os.path.join(BUILD_WINDOWS, "floor_win32.exe"),
                          windows_path(folder)],
        "stampix": [os.path.join(BUILD, "stampix"), folder + "/*.TXT"],
        "stampix (no journal)": [os.path.join(BUILD, "stampix"), "--no-journal", folder + "/*.TXT"],
        "stampix (xargs)": ["sh", "-c", 'find "$1" -type f -print0 | xargs -0 "$2"', "sh", folder,
                            os.path.join(BUILD, "stampix")],
        "floor": [os.path.join(BUILD, "floor"), folder],
        "stampix -r": [os.path.join(BUILD, "stampix"), "-r", folder + "/*"],
        "floor (tree)": [os.path.join(BUILD, "floor_tree"), folder],
        "find -depth -exec stampix": ["find", folder, "-mindepth", "1", "-depth", "-exec",
                                      os.path.join(BUILD, "stampix"), "{}", "+"],
        "python": [sys.executable, os.path.join(ROOT, "bench", "stamp.py"), folder],
        "perl rename": ["sh", "-c", 'cd "$1" && find . -maxdepth 1 -name "*.TXT" -print0 | '
                        'file-rename -0 -v "$2"', "sh", folder, PERL_STAMP],
        "exiftool": ["exiftool", "-q", "-q", "-d", "%%f(%Y%m%d).%%e", "-FileName<FileModifyDate",
                     "-ext", "TXT", folder],
        "stampix --date=taken": [os.path.join(BUILD, "stampix"), "--date=taken", folder + "/*.JPG"],
        # The same command: each photo brings the sidecar beside it.
        "stampix --date=taken, an XMP beside each": [os.path.join(BUILD, "stampix"), "--date=taken",
                                                     folder + "/*.JPG"],
        "jhead -n": ["sh", "-c", 'cd "$1" && exec jhead -n"$2" *.JPG', "sh", folder, "%f(%Y%m%d)"],
    }[tool]


def build():
    # The runs' journals apart from the user's own.
    os.environ["XDG_STATE_HOME"] = os.path.join(DATA, "state")
    subprocess.run([os.path.join(ROOT, "tools", "ensure-packages.sh"), "native", "time-command",
                    "bench-peers"], check=True)
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DSTAMPIX_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD], check=True, stdout=subprocess.DEVNULL)
    for floor in ("floor", "floor_tree"):
        subprocess.run(["cc", "-O2", "-o", os.path.join(BUILD, floor),
                        os.path.join(ROOT, "bench", floor + ".c")], check=True)


def build_windows():
    """STAMPIX.EXE and the Win32 floor loop, and a Wine server kept running for all the runs."""
    subprocess.run([os.path.join(ROOT, "tools", "ensure-packages.sh"), "native", "windows",
                    "time-command"], check=True)
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD_WINDOWS, "-G", "Ninja",
                    "--toolchain", os.path.join(ROOT, "cmake", "mingw-w64.cmake"),
                    "-DCMAKE_BUILD_TYPE=Release", "-DSTAMPIX_TESTS=OFF"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD_WINDOWS], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["x86_64-w64-mingw32-gcc", "-O2", "-o",
                    os.path.join(BUILD_WINDOWS, "floor_win32.exe"),
                    os.path.join(ROOT, "bench", "floor_win32.c")], check=True)
    os.environ.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                      WINEPREFIX=os.environ.get("WINEPREFIX", os.path.join(ROOT, "build", "wine")))
    os.makedirs(os.environ["WINEPREFIX"], exist_ok=True)
    subprocess.run(["/usr/lib/wine/wineserver", "-p"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([WINE, "wineboot", "--init"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_folder(folder, n):
    """N files with known dates; a folder left by an earlier run gets its old names back, which
    keeps the dates and spares the file system a mass delete and create between runs."""
    names = os.listdir(folder) if os.path.isdir(folder) else []
    if len(names) != n or not all(re.fullmatch(r"FILE\d{6}(\(\d{8}\))?\.TXT", m) for m in names):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for i in range(1, n + 1):
            path = os.path.join(folder, "FILE%06d.TXT" % i)
            os.close(os.open(path, os.O_CREAT | os.O_WRONLY, 0o644))
            noon = time.mktime((2004, 12, 1 + i % DAYS, 12, 0, 0, 0, 0, -1))
            os.utime(path, (noon, noon))
    for name in names:
        original = name[:10] + ".TXT"
        if name != original:
            os.rename(os.path.join(folder, name), os.path.join(folder, original))
    os.sync()


def check_folder(folder, n, tool):
    stamped = sum(1 for name in os.listdir(folder) if re.search(r"\(2004120[1-7]\)\.TXT$", name))
    if stamped != n:
        sys.exit(f"{tool}: only {stamped} of {n} files stamped")


def run_once(tool, folder):
    """Seconds of wall time and peak resident kilobytes of one run."""
    started = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-v"] + command(tool, folder),
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    seconds = time.perf_counter() - started
    if result.returncode != 0:
        sys.exit(f"{tool} failed:\n{result.stderr}")
    rss = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr).group(1))
    return seconds, rss


def measure(tools, sizes, runs):
    figures = {}
    for n in sizes:
        present = [t for t in tools if not (t == "exiftool" and n > 10000)]
        samples = {t: [] for t in present}
        for _ in range(runs[n]):
            for tool in present:
                folder = os.path.join(DATA, str(n))
                make_folder(folder, n)
                samples[tool].append(run_once(tool, folder))
                check_folder(folder, n, tool)
        for tool, values in samples.items():
            figures[(tool, n)] = (statistics.median(s for s, _ in values), max(r for _, r in values))
    return figures


def table(tools, sizes, figures, floor_tool="floor"):
    rows = ["| tool | files | median seconds | µs per file | × floor | peak RSS (KiB) |",
            "|---|---:|---:|---:|---:|---:|"]
    for n in sizes:
        floor = figures.get((floor_tool, n), (None, None))[0]
        for tool in tools:
            if (tool, n) not in figures:
                continue
            seconds, rss = figures[(tool, n)]
            ratio = f"{seconds / floor:.2f}" if floor else "-"
            rows.append(f"| {tool} | {n:,} | {seconds:.3f} | {seconds * 1e6 / n:.1f} | {ratio} "
                        f"| {rss:,} |")
    return "\n".join(rows)


def targets(sizes, figures):
    """The utility's targets, each with its figure: met or missed by how much."""
    small, large = min(sizes), max(sizes)
    lines = []
    if ("floor", large) in figures:
        ratio = figures[("stampix", large)][0] / figures[("floor", large)][0]
        lines.append(f"- within 1.25 × the floor at {large:,} files: {ratio:.2f} × "
                     f"({'met' if ratio <= 1.25 else 'missed'})")
    for n in sizes:
        if ("stampix (no journal)", n) in figures:
            ratio = figures[("stampix", n)][0] / figures[("stampix (no journal)", n)][0]
            lines.append(f"- the journal at {n:,} files within 1.10 × --no-journal: {ratio:.2f} × "
                         f"({'met' if ratio <= 1.10 else 'missed'})")
        if ("stampix (xargs)", n) in figures:
            ratio = figures[("stampix (xargs)", n)][0] / figures[("stampix", n)][0]
            lines.append(f"- {n:,} names from find | xargs within 1.5 × the quoted pattern: "
                         f"{ratio:.2f} × ({'met' if ratio <= 1.5 else 'missed'})")
        slower = [t for (t, m) in figures if m == n and not t.startswith("stampix") and t != "floor"
                  and figures[(t, m)][0] <= figures[("stampix", n)][0]]
        lines.append(f"- faster than every other tool at {n:,} files: "
                     + ("met" if not slower else "missed against " + ", ".join(slower)))
    if small != large:
        growth = {t: figures[(t, large)][0] / figures[(t, small)][0]
                  for (t, m) in figures if m == small and (t, large) in figures}
        limit = 11 * large / small / 10
        others = ", ".join(f"{t} {g:.2f} ×" for t, g in growth.items() if t != "stampix")
        lines.append(f"- {large:,} files within {limit:g} × the time of {small:,}: "
                     f"{growth['stampix']:.2f} × ({'met' if growth['stampix'] <= limit else 'missed'}; "
                     f"the same growth for the others: {others})")
        if growth["stampix"] > limit and growth.get("floor", 0) >= 0.95 * growth["stampix"]:
            lines.append("  The floor loop grows as much: the extra time per file in the larger "
                         "folder is the file system's own (a deeper directory index to search "
                         "and update on every rename), which no program can avoid. The "
                         "interpreters look more linear only because their start-up time "
                         "weighs on the smaller run.")
        rss = (figures[("stampix", small)][1], figures[("stampix", large)][1])
        lines.append(f"- the same peak memory at both sizes: {rss[0]:,} and {rss[1]:,} KiB")
    return "\n".join(lines)


def machine():
    model = "unknown processor"
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    fs = subprocess.run(["findmnt", "-n", "-o", "FSTYPE", "-T", ROOT], capture_output=True,
                        text=True).stdout
    return (f"{model}, {os.cpu_count()} cores, Linux {platform.release()}, "
            f"file system {fs.strip()}, {time.strftime('%Y-%m-%d')}")


TREE_FOLDERS, TREE_FILES = 10000, 9  # 100 top folders of 100 folders, 9 files in each leaf


def make_tree(top):
    """A fresh tree of about 100,000 entries, every file and folder dated, folders last."""
    shutil.rmtree(top, ignore_errors=True)
    noon = lambda i: time.mktime((2004, 12, 1 + i % DAYS, 12, 0, 0, 0, 0, -1))
    for i in range(TREE_FOLDERS):
        leaf = os.path.join(top, "TOP%03d" % (i // 100), "DIR%03d" % (i % 100))
        os.makedirs(leaf)
        for j in range(TREE_FILES):
            path = os.path.join(leaf, "FILE%d.TXT" % j)
            os.close(os.open(path, os.O_CREAT | os.O_WRONLY, 0o644))
            os.utime(path, (noon(i + j), noon(i + j)))
        os.utime(leaf, (noon(i + 3), noon(i + 3)))
    for i in range(TREE_FOLDERS // 100):
        os.utime(os.path.join(top, "TOP%03d" % i), (noon(i + 5), noon(i + 5)))
    os.sync()


def check_tree(top, tool):
    """Every entry stamped by its own date: a folder's date is the one make_tree gave it."""
    dated = 0
    for folder, dirs, files in os.walk(top):
        for name in dirs + files:
            match = re.search(r"\((\d{8})\)", name)
            stamp = time.strftime("%Y%m%d", time.localtime(os.lstat(os.path.join(folder, name)).st_mtime))
            dated += bool(match) and match.group(1) == stamp
    entries = TREE_FOLDERS * (TREE_FILES + 1) + TREE_FOLDERS // 100
    return f"{dated:,} of {entries:,} entries stamped by their own date"


def tree(runs):
    tools = ["stampix -r", "floor (tree)", "find -depth -exec stampix"]
    build()
    top = os.path.join(DATA, "tree")
    samples, checks = {t: [] for t in tools}, {}
    for _ in range(runs or 3):
        for tool in tools:
            make_tree(top)
            samples[tool].append(run_once(tool, top))
            checks[tool] = check_tree(top, tool)
    rows = ["| tool | median seconds | × floor | peak RSS (KiB) | dates |", "|---|---:|---:|---:|---|"]
    floor = statistics.median(s for s, _ in samples["floor (tree)"])
    for tool in tools:
        seconds = statistics.median(s for s, _ in samples[tool])
        rss = max(r for _, r in samples[tool])
        rows.append(f"| {tool} | {seconds:.3f} | {seconds / floor:.2f} | {rss:,} | {checks[tool]} |")
    ratio = statistics.median(s for s, _ in samples["stampix -r"]) / floor
    text = ("\n".join(rows) + "\n\nTarget:\n- stampix -r within 1.3 × the floor: "
            f"{ratio:.2f} × ({'met' if ratio <= 1.3 else 'missed'})")
    report("RESULTS-tree.md", "Stamping a tree of about 100,000 entries (10,000 folders)",
           f"`bench/run.py --tree` on: {machine()}", text)


PHOTOS = 2000


def photo():
    """A JPEG of 1024 × 768 taken at noon on 1 December 2004 by its EXIF date: the image after
    the metadata, as a camera writes it."""
    with tempfile.TemporaryDirectory() as work:
        ppm, jpeg = os.path.join(work, "photo.ppm"), os.path.join(work, "photo.jpg")
        row = bytes(v for x in range(1024) for v in (x % 256, x // 4, 128))
        with open(ppm, "wb") as out:
            out.write(b"P6\n1024 768\n255\n" + row * 768)
        with open(jpeg, "wb") as out:
            subprocess.run(["cjpeg", ppm], stdout=out, check=True)
        subprocess.run(["exiftool", "-q", "-q", "-overwrite_original",
                        "-DateTimeOriginal=2004:12:01 12:00:00", jpeg], check=True)
        return open(jpeg, "rb").read()


def make_photos(folder, sidecars=False):
    """2,000 photos taken on 1 to 7 December 2004 by their EXIF dates, all last written on
    15 June 2010, so that a stamp by the wrong date shows, with `sidecars` an .XMP beside each;
    or the entries of an earlier run given their old names back."""
    names = os.listdir(folder) if os.path.isdir(folder) else []
    if len(names) != PHOTOS * (2 if sidecars else 1):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        taken, written = photo(), time.mktime((2010, 6, 15, 12, 0, 0, 0, 0, -1))
        for i in range(1, PHOTOS + 1):
            path = os.path.join(folder, "FILE%06d.JPG" % i)
            with open(path, "wb") as out:
                out.write(taken.replace(b"2004:12:01", b"2004:12:0%d" % (1 + i % DAYS)))
            os.utime(path, (written, written))
            if sidecars:
                with open(path[:-4] + ".XMP", "w") as out:
                    out.write('<x:xmpmeta xmlns:x="adobe:ns:meta/"/>\n')
    for name in names:
        old = name[:10] + os.path.splitext(name)[1].upper()
        if name != old:
            os.rename(os.path.join(folder, name), os.path.join(folder, old))
    os.sync()


def check_photos(folder, tool, sidecars=False):
    """Every photo, and its sidecar, stamped by the day it was taken."""
    stamps = (re.fullmatch(r"FILE(\d{6})\(2004120(\d)\)\.(JPG|jpg|XMP)", n)
              for n in os.listdir(folder))
    right = sum(1 for m in stamps if m and int(m.group(2)) == 1 + int(m.group(1)) % DAYS)
    if right != PHOTOS * (2 if sidecars else 1):
        sys.exit(f"{tool}: only {right} of {PHOTOS:,} photos (and sidecars) stamped by the day "
                 "they were taken")


def photos(runs):
    with_xmp = "stampix --date=taken, an XMP beside each"
    tools = ["stampix --date=taken", with_xmp, "jhead -n"]
    build()
    samples = {t: [] for t in tools}
    for _ in range(runs or 7):
        for tool in tools:
            sidecars = tool == with_xmp
            folder = os.path.join(DATA, "photos-xmp" if sidecars else "photos")
            make_photos(folder, sidecars)
            samples[tool].append(run_once(tool, folder))
            check_photos(folder, tool, sidecars)
    rows = ["| tool | photos | median seconds | µs per photo | × jhead | peak RSS (KiB) |",
            "|---|---:|---:|---:|---:|---:|"]
    jhead = statistics.median(s for s, _ in samples["jhead -n"])
    for tool in tools:
        seconds = statistics.median(s for s, _ in samples[tool])
        rss = max(r for _, r in samples[tool])
        rows.append(f"| {tool} | {PHOTOS:,} | {seconds:.3f} | {seconds * 1e6 / PHOTOS:.1f} | "
                    f"{seconds / jhead:.2f} | {rss:,} |")
    ratio = statistics.median(s for s, _ in samples["stampix --date=taken"]) / jhead
    grouped = statistics.median(s for s, _ in samples[with_xmp]) / jhead
    # Twice the renames of jhead, which leaves the sidecars behind: judged per entry renamed.
    per_entry = grouped / 2
    text = ("\n".join(rows) + "\n\nTarget:\n- stampix --date=taken no slower than jhead -n: "
            f"{ratio:.2f} × ({'met' if ratio <= 1 else 'missed'})\n"
            f"- with an .XMP beside each photo, renamed with it ({2 * PHOTOS:,} renames against "
            f"jhead's {PHOTOS:,}, which leaves the sidecars): {grouped:.2f} × jhead's time, "
            f"{per_entry:.2f} × per entry renamed ({'met' if per_entry <= 1 else 'missed'})")
    report("RESULTS-photos.md", f"Stamping {PHOTOS:,} JPEGs (1024 × 768, EXIF written by exiftool) "
           "by the day they were taken, alone and with an .XMP beside each",
           f"`bench/run.py --photos` on: {machine()}, {jhead_version()}", text)


def jhead_version():
    said = subprocess.run(["jhead", "-V"], capture_output=True, text=True).stdout
    return "jhead " + said.split(":")[-1].strip()


def windows(runs):
    tools, sizes = ["STAMPIX.EXE", "floor (Win32)"], [2000]
    build_windows()
    figures = measure(tools, sizes, {2000: runs or 15})
    ratio = figures[("STAMPIX.EXE", 2000)][0] / figures[("floor (Win32)", 2000)][0]
    text = (table(tools, sizes, figures, "floor (Win32)") + "\n\nTarget:\n"
            f"- within 1.25 × the Win32 floor at 2,000 files: {ratio:.2f} × "
            f"({'met' if ratio <= 1.25 else 'missed'})")
    report("RESULTS-windows.md", "STAMPIX.EXE under Wine: every *.TXT of a folder of 2,000 files",
           f"`bench/run.py --windows` on: {machine()}, {wine_version()}; one Wine server for all runs",
           text)


def report(file_name, title, how, text):
    """Prints the table and writes it, with how and where it was measured, beside this script."""
    print(text)
    with open(os.path.join(ROOT, "bench", file_name), "w") as out:
        out.write(f"# {title}\n\nMeasured by {how}.\n")
        out.write("Median of several runs each, alternating between the tools; output to "
                  "/dev/null.\n\n" + text + "\n")


def wine_version():
    return subprocess.run([WINE, "--version"], capture_output=True, text=True).stdout.strip()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sizes", type=int, nargs="+", default=[10000, 100000])
    parser.add_argument("--tools", nargs="+",
                        default=["stampix", "stampix (no journal)", "stampix (xargs)", "floor",
                                 "python", "perl rename", "exiftool"])
    parser.add_argument("--runs", type=int, default=0, help="runs per figure (default 5, 3 above 10,000)")
    parser.add_argument("--windows", action="store_true",
                        help="STAMPIX.EXE against the Win32 floor loop under Wine")
    parser.add_argument("--tree", action="store_true",
                        help="stampix -r on a tree against a post-order floor walk")
    parser.add_argument("--photos", action="store_true",
                        help="stampix --date=taken on 2,000 JPEGs against jhead -n")
    args = parser.parse_args()
    if args.windows:
        return windows(args.runs)
    if args.tree:
        return tree(args.runs)
    if args.photos:
        return photos(args.runs)
    build()
    runs = {n: args.runs or (5 if n <= 10000 else 3) for n in args.sizes}
    figures = measure(args.tools, args.sizes, runs)
    text = table(args.tools, args.sizes, figures)
    if "stampix" in args.tools:
        text += "\n\nTargets:\n" + targets(args.sizes, figures)
    report("RESULTS.md", "Stamping every *.TXT of a folder of N files",
           f"`bench/run.py` on: {machine()}", text)


if __name__ == "__main__":
    main()
