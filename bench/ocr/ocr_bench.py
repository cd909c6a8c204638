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
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))
from benchlib import TEXTS, cer, page_text, timed, tool_env  # noqa: E402

WORDS_PER_PAGE = 560   # about a full A4 page at 11 pt


def render(pages_tool, text, txt_path, png_path, jpg_path=None):
    txt_path.write_text(text, encoding="utf-8")
    cmd = [pages_tool, str(txt_path), str(png_path)] + ([str(jpg_path)] if jpg_path else [])
    return subprocess.run(cmd, env=tool_env(txt_path.parent)).returncode


def make_page(pages_tool, lang, seed, stem, camera=False):
    """Renders the longest text of the language that fits on one page; returns it."""
    words = WORDS_PER_PAGE
    while True:
        truth = page_text(TEXTS / f"{lang}.txt", seed, words)
        jpg = stem.with_name(stem.name + "_camera.jpg") if camera else None
        rc = render(pages_tool, truth, stem.with_suffix(".txt"), stem.with_suffix(".png"), jpg)
        if rc == 0:
            return truth, jpg
        if rc != 3 or words < 100:
            sys.exit(f"{pages_tool} failed with {rc}")
        words -= 40


def read_both(cli, image, lang, env, repeat):
    """Best of `repeat` runs of each program on one page: (wall, cpu, text)."""
    ours, theirs = None, None
    for _ in range(repeat):
        w, c, out = timed([cli, "ocr", str(image), "--lang", lang, "--threads", "1"], env)
        ours = (w, c, out.decode("utf-8")) if ours is None or w < ours[0] else ours
        w, c, out = timed(["tesseract", str(image), "-", "-l", lang], env)
        theirs = (w, c, out.decode("utf-8")) if theirs is None or w < theirs[0] else theirs
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
