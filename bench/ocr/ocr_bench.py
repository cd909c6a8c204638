#!/usr/bin/env python3
"""Speed and accuracy of `scriva-cli ocr` against the `tesseract` command.

Generates A4 pages of known text (300 dpi renderings, and the same pages
degraded like a 140 dpi camera photo), reads them with both programs on one
thread, and prints a Markdown table: seconds per page (wall and CPU), the
character error rate of each, and the speed-up of ten pages on all cores.
Run through bench/ocr/run.sh, which builds the page generator and installs
the tesseract command first.
"""
import argparse
import os
import random
import re
import resource
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
WORDS_PER_PAGE = 560   # about a full A4 page at 11 pt


def page_text(lang, seed, words_wanted=WORDS_PER_PAGE):
    sentences = (HERE / "texts" / f"{lang}.txt").read_text(encoding="utf-8").split("\n")
    sentences = [s for s in sentences if s.strip()]
    rng = random.Random(seed)
    words, out = 0, []
    while words < words_wanted:
        rng.shuffle(sentences)
        for s in sentences:
            out.append(s)
            words += len(s.split())
            if words >= words_wanted:
                break
    # Paragraphs of three sentences.
    paras = [" ".join(out[i:i + 3]) for i in range(0, len(out), 3)]
    return "\n\n".join(paras)


def render(pages_tool, text, txt_path, png_path, jpg_path=None):
    txt_path.write_text(text, encoding="utf-8")
    cmd = [pages_tool, str(txt_path), str(png_path)] + ([str(jpg_path)] if jpg_path else [])
    runtime = txt_path.parent / "runtime"
    runtime.mkdir(mode=0o700, exist_ok=True)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=str(runtime))
    return subprocess.run(cmd, env=env).returncode


def make_page(pages_tool, lang, seed, stem, camera=False):
    """Renders the longest text of the language that fits on one page; returns it."""
    words = WORDS_PER_PAGE
    while True:
        truth = page_text(lang, seed, words)
        jpg = stem.with_name(stem.name + "_camera.jpg") if camera else None
        rc = render(pages_tool, truth, stem.with_suffix(".txt"), stem.with_suffix(".png"), jpg)
        if rc == 0:
            return truth, jpg
        if rc != 3 or words < 100:
            sys.exit(f"{pages_tool} failed with {rc}")
        words -= 40


def cer(recognised, truth):
    a = re.sub(r"\s+", " ", recognised).strip()
    b = re.sub(r"\s+", " ", truth).strip()
    prev = list(range(len(b) + 1))
    for i in range(1, len(a) + 1):
        cur = [i] + [0] * len(b)
        ai = a[i - 1]
        for j in range(1, len(b) + 1):
            cur[j] = min(prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (ai != b[j - 1]))
        prev = cur
    return prev[-1] / max(1, len(b))


def timed(cmd, env):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    proc = subprocess.run(cmd, env=env, capture_output=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    if proc.returncode != 0:
        sys.exit(f"{' '.join(cmd)} failed: {proc.stderr.decode(errors='replace')}")
    return wall, cpu, proc.stdout.decode("utf-8")


def read_both(cli, image, lang, env, repeat):
    """Best of `repeat` runs of each program on one page: (wall, cpu, text)."""
    ours, theirs = None, None
    for _ in range(repeat):
        r = timed([cli, "ocr", str(image), "--lang", lang, "--threads", "1"], env)
        ours = r if ours is None or r[0] < ours[0] else ours
        t = timed(["tesseract", str(image), "-", "-l", lang], env)
        theirs = t if theirs is None or t[0] < theirs[0] else theirs
    return ours, theirs


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--pages", required=True, help="the ocr_pages generator")
    ap.add_argument("--repeat", type=int, default=2)
    args = ap.parse_args()
    work = Path(args.work)
    work.mkdir(parents=True, exist_ok=True)
    env = dict(os.environ, OMP_THREAD_LIMIT="1")

    sets = {"eng": 3, "fra": 1, "deu": 1, "spa": 1}
    pages = []  # (kind, lang, image, truth)
    for lang, count in sets.items():
        for n in range(count):
            png = work / f"{lang}{n}.png"
            truth, jpg = make_page(args.pages, lang, n, work / f"{lang}{n}", lang == "eng")
            pages.append(("300 dpi", lang, png, truth))
            if jpg:
                pages.append(("camera 140 dpi", lang, jpg, truth))

    rows = []
    for kind, lang, image, truth in pages:
        ours, theirs = read_both(args.cli, image, lang, env, args.repeat)
        rows.append((kind, lang, image.name, ours[0], ours[1], theirs[0], theirs[1],
                     cer(ours[2], truth), cer(theirs[2], truth)))

    print("| page | model | scriva-cli wall / CPU s | tesseract wall / CPU s "
          "| CER scriva-cli | CER tesseract |")
    print("|---|---|---:|---:|---:|---:|")
    for kind, lang, name, ow, oc, tw, tc, oe, te in rows:
        print(f"| {name} ({kind}) | {lang} | {ow:.2f} / {oc:.2f} | {tw:.2f} / {tc:.2f} "
              f"| {oe * 100:.2f} % | {te * 100:.2f} % |")

    ten = []
    for n in range(10):
        make_page(args.pages, "eng", 100 + n, work / f"ten{n}")
        ten.append(str(work / f"ten{n}.png"))
    serial, _, _ = timed([args.cli, "ocr", *ten, "--lang", "eng", "--threads", "1",
                          "--out", str(work / "serial")], env)
    cores = os.cpu_count() or 1
    parallel, _, _ = timed([args.cli, "ocr", *ten, "--lang", "eng",
                            "--out", str(work / "parallel")], env)
    print()
    print(f"Ten 300 dpi pages: {serial:.1f} s one after the other, {parallel:.1f} s on "
          f"{cores} cores: {serial / parallel:.2f}x")


if __name__ == "__main__":
    main()
