#!/usr/bin/env python3
"""Searchable PDFs of `scriva-cli pdf --ocr` measured on generated pages.

Makes A4 pages of known English text with every word's box (grey 300 dpi scans,
colour photos, black-and-white pages) and prints a Markdown table:
- text: the character error rate of pdftotext on our PDF against the tesseract
  command's own text of the same pages;
- search: the share of the words of each page that a search of that page's text
  finds (every recognised word, and every word of the truth);
- places: the median overlap (intersection over union) of pdftotext -bbox's
  word boxes with the words' ink boxes and with their typeset boxes;
- size: what the text layer adds to a colour photo page, and a black-and-white
  page against the same page as JPEG;
- time: ten pages on two cores, scriva-cli pdf --ocr against ocrmypdf (run
  alternately, medians).
Run through bench/pdf/run.sh, which builds the tools and installs the compared
programs first.
"""
import argparse
import difflib
import os
import re
import statistics
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))
from benchlib import TEXTS, cer, page_text, tool_env  # noqa: E402

WORDS_PER_PAGE = 520


def make_page(tool, seed, stem):
    words = WORDS_PER_PAGE
    env = tool_env(stem.parent)
    while True:
        text = page_text(TEXTS / "eng.txt", seed, words)
        stem.with_suffix(".txt").write_text(text, encoding="utf-8")
        rc = subprocess.run([tool, str(stem.with_suffix(".txt")), str(stem)], env=env).returncode
        if rc == 0:
            return text
        if rc != 3 or words < 100:
            sys.exit(f"{tool} failed with {rc}")
        words -= 40


def boxes(stem):
    out = []
    for line in Path(str(stem) + ".boxes").read_text(encoding="utf-8").splitlines():
        text, ink, typeset = line.split("\t")
        out.append((text, [float(v) for v in ink.split()], [float(v) for v in typeset.split()]))
    return out


def run(cmd, env=None):
    p = subprocess.run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if p.returncode != 0:
        sys.exit(f"{' '.join(map(str, cmd))}: {p.stderr.decode(errors='replace')}")
    return p.stdout.decode("utf-8", errors="replace")


def pdf_words(pdf):
    """pdftotext -bbox: (page, text, [xMin, yMin, xMax, yMax]) in points."""
    html = run(["pdftotext", "-bbox", "-enc", "UTF-8", str(pdf), "-"])
    words, page = [], 0
    for m in re.finditer(r'<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" '
                         r'yMax="([\d.]+)">([^<]*)</word>', html):
        if m.group(0) == "<page ":
            page += 1
            continue
        text = (m.group(5).replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", '"')
                .replace("&apos;", "'").replace("&amp;", "&"))
        words.append((page, text, [float(m.group(i)) for i in range(1, 5)]))
    return words


def iou(a, b):
    ix = max(0.0, min(a[2], b[2]) - max(a[0], b[0]))
    iy = max(0.0, min(a[3], b[3]) - max(a[1], b[1]))
    inter = ix * iy
    union = (a[2] - a[0]) * (a[3] - a[1]) + (b[2] - b[0]) * (b[3] - b[1]) - inter
    return inter / union if union > 0 else 0.0


def normal(word):
    return re.sub(r"^\W+|\W+$", "", word)


def median_time(cmd, env):
    start = time.perf_counter()
    subprocess.run(cmd, env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--pages", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--count", type=int, default=10)
    ap.add_argument("--repeat", type=int, default=3)
    args = ap.parse_args()
    work = Path(args.work)
    work.mkdir(parents=True, exist_ok=True)
    env = dict(os.environ, OMP_THREAD_LIMIT="1")
    dpi = 300

    stems, truths = [], []
    for i in range(args.count):
        stem = work / f"page{i:02d}"
        truths.append(make_page(args.pages, 1000 + i, stem))
        stems.append(stem)
    scans = [str(s) + ".png" for s in stems]

    # Text, search and places, from one searchable PDF of the grey scans.
    ours = work / "ours.pdf"
    run([args.cli, "pdf", str(ours), *scans, "--ocr", "--lang", "eng"], env)
    our_cer, tess_cer, found_recognised, found_truth, ink_iou, set_iou = [], [], [], [], [], []
    words = pdf_words(ours)
    for n, (stem, truth) in enumerate(zip(stems, truths), start=1):
        text = run(["pdftotext", "-f", str(n), "-l", str(n), "-enc", "UTF-8", str(ours), "-"])
        tess = run(["tesseract", str(stem) + ".png", "-", "-l", "eng"], env)
        our_cer.append(cer(text, truth))
        tess_cer.append(cer(tess, truth))
        page_words = [w for w in words if w[0] == n]
        flat = re.sub(r"\s+", " ", text)
        recognised = [w[1] for w in page_words]
        found_recognised.append(sum(w in flat for w in recognised) / max(1, len(recognised)))
        truth_words = [t for t in truth.split() if normal(t)]
        found_truth.append(sum(normal(t) in flat for t in truth_words) / max(1, len(truth_words)))
        # Words paired in reading order where the texts agree.
        true_boxes = boxes(stem)
        matcher = difflib.SequenceMatcher(None, [b[0] for b in true_boxes], recognised,
                                          autojunk=False)
        for block in matcher.get_matching_blocks():
            for k in range(block.size):
                t = true_boxes[block.a + k]
                got = [v * dpi / 72.0 for v in page_words[block.b + k][2]]
                ink_iou.append(iou(got, t[1]))
                set_iou.append(iou(got, t[2]))

    # Size: the text layer on a colour photo; black and white against JPEG.
    photo = str(stems[0]) + "_colour.jpg"
    plain, layered = work / "photo.pdf", work / "photo_ocr.pdf"
    run([args.cli, "pdf", str(plain), photo])
    run([args.cli, "pdf", str(layered), photo, "--ocr", "--lang", "eng"], env)
    added = layered.stat().st_size / plain.stat().st_size - 1
    bw = str(stems[0]) + "_bw.png"
    bw_jpeg = work / "bw_as.jpg"
    run([args.cli, "convert", bw, str(bw_jpeg)])
    bw_pdf, jpeg_pdf = work / "bw.pdf", work / "bw_jpeg.pdf"
    run([args.cli, "pdf", str(bw_pdf), bw])
    run([args.cli, "pdf", str(jpeg_pdf), str(bw_jpeg)])
    bw_ratio = bw_pdf.stat().st_size / jpeg_pdf.stat().st_size

    # Time: ten pages on two cores, alternately. ocrmypdf reads a PDF of the images
    # (made once, not timed) with its fastest settings: no PDF/A, no optimising.
    images_pdf = work / "images.pdf"
    run([args.cli, "pdf", str(images_pdf), *scans])
    ours_t, theirs_t = [], []
    for _ in range(args.repeat):
        ours_t.append(median_time([args.cli, "pdf", str(work / "t_ours.pdf"), *scans, "--ocr",
                                   "--lang", "eng"], env))
        theirs_t.append(median_time(["ocrmypdf", "-q", "-l", "eng", "--jobs", "2",
                                     "--output-type", "pdf", "--optimize", "0",
                                     str(images_pdf), str(work / "t_theirs.pdf")], env))
    ours_m, theirs_m = statistics.median(ours_t), statistics.median(theirs_t)

    ok = lambda good: "yes" if good else "NO"
    cer_ours, cer_tess = 100 * statistics.mean(our_cer), 100 * statistics.mean(tess_cer)
    print(f"{args.count} generated A4 pages at {dpi} dpi, {sum(len(t.split()) for t in truths)} words; "
          f"OMP_THREAD_LIMIT=1; {os.cpu_count()} cores\n")
    print("| measure | target | result | met |")
    print("|---|---|---|---|")
    print(f"| CER of pdftotext on our PDF vs the tesseract command's text | within 0.5 points "
          f"| {cer_ours:.2f} % vs {cer_tess:.2f} % | {ok(abs(cer_ours - cer_tess) <= 0.5)} |")
    print(f"| recognised words found by a search of their page | every word "
          f"| {100 * min(found_recognised):.1f} % (worst page) | {ok(min(found_recognised) == 1)} |")
    print(f"| words of the true text found on their page | - "
          f"| {100 * statistics.mean(found_truth):.1f} % | - |")
    print(f"| median IoU, pdftotext -bbox vs the word's ink box ({len(ink_iou)} words) | >= 0.7 "
          f"| {statistics.median(ink_iou):.3f} | {ok(statistics.median(ink_iou) >= 0.7)} |")
    print(f"| median IoU vs the word's typeset box (advance x ascent..descent) | >= 0.7 "
          f"| {statistics.median(set_iou):.3f} | {ok(statistics.median(set_iou) >= 0.7)} |")
    print(f"| text layer added to a colour photo page ({plain.stat().st_size // 1024} KB) | <= 3 % "
          f"| {100 * added:.2f} % | {ok(added <= 0.03)} |")
    print(f"| black-and-white page / the same page as JPEG ({bw_pdf.stat().st_size // 1024} KB / "
          f"{jpeg_pdf.stat().st_size // 1024} KB) | <= 0.2 | {bw_ratio:.3f} | {ok(bw_ratio <= 0.2)} |")
    print(f"| {args.count} pages --ocr on two cores vs ocrmypdf (median of {args.repeat}, alternating) "
          f"| <= 0.8x | {ours_m:.1f} s vs {theirs_m:.1f} s = {ours_m / theirs_m:.2f}x "
          f"| {ok(ours_m / theirs_m <= 0.8)} |")


if __name__ == "__main__":
    main()
