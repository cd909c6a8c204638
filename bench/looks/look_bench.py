#!/usr/bin/env python3
"""Page looks on the generated set (look_set) against ImageMagick's flat-field
division: ground flatness and whiteness, character error rate of recognition,
black-and-white file sizes and CPU time. Prints Markdown tables."""
import argparse
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))
from benchlib import cer, timed  # noqa: E402

IM = "/usr/bin/convert-im6.q16"  # the real ImageMagick, whatever stands first on PATH
SCENES = ["uneven light", "strong vignetting", "hard shadow band", "coloured paper",
          "pale pencil", "large photo", "mostly blank", "dim"]
RUNS = 1


def cpu_of(cmd):
    """User + system CPU seconds of one run of cmd (best of RUNS)."""
    return min(timed(cmd)[1] for _ in range(RUNS))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--text", required=True)
    ap.add_argument("--work", required=True)
    args = ap.parse_args()
    bin_dir = Path(args.build) / "bin"
    look_set, cli = str(bin_dir / "look_set"), str(bin_dir / "scriva-cli")
    work = Path(args.work)
    work.mkdir(parents=True, exist_ok=True)
    times = subprocess.run([look_set, "write", str(work), args.text], capture_output=True,
                           check=True).stdout.decode()

    def ground(n, name):
        out = subprocess.run([look_set, "ground", args.text, str(n), str(work / name)],
                             capture_output=True, check=True).stdout.decode().split()
        return float(out[0]), float(out[1])

    def read(path):
        out = work / (path.stem + ".ocr.txt")
        subprocess.run([cli, "ocr", str(path), "--lang", "eng", "--threads", "1", "--out",
                        str(out)], capture_output=True, check=True)
        return out.read_text(encoding="utf-8", errors="replace")

    looks = [("photo", "photo.png"), ("document", "document.png"), ("grey", "grey.png"),
             ("bw", "bw.png"), ("im", "im.png")]
    read_looks = [look for look in looks if look[0] != "grey"]  # grey reads as Document
    rows, timing = [], []
    for n, scene in enumerate(SCENES):
        bmp = work / f"{n}-photo.bmp"
        im_cmd = [IM, str(bmp), "(", "+clone", "-blur", "0x40", ")", "-compose", "divide",
                  "-composite", str(work / f"{n}-im.png")]
        im_cpu = cpu_of(im_cmd)
        ours_cpu = cpu_of([cli, "enhance", str(bmp), str(work / f"{n}-cli.png"), "--look",
                           "document"])
        timing.append((scene, ours_cpu, im_cpu))
        stats = {key: ground(n, f"{n}-{name}") for key, name in looks if key != "bw"}
        truth = (work / f"{n}-truth.txt").read_text(encoding="utf-8")
        errors = {}
        if truth.strip():
            for key, name in read_looks:
                errors[key] = cer(read(work / f"{n}-{name}"), truth)
        jpg = (work / f"{n}-photo.jpg").stat().st_size
        png = (work / f"{n}-bw.png").stat().st_size
        tif = (work / f"{n}-bw.tif").stat().st_size
        rows.append((scene, stats, errors, jpg, png, tif))
        print(f"done: {scene}", file=sys.stderr)

    def cell(errors, key):
        return f"{100 * errors[key]:.1f}" if key in errors else "-"

    print("Ground away from the text: median / standard deviation of the grey levels\n")
    print("| page | photo | Document | Grey | ImageMagick flat-field |")
    print("|---|---|---|---|---|")
    for scene, stats, *_ in rows:
        print(f"| {scene} | " + " | ".join(f"{stats[k][0]:.0f} / {stats[k][1]:.1f}"
                                            for k in ("photo", "document", "grey", "im")) + " |")
    print("\nCharacter error rate of recognition, % (Tesseract through scriva-cli ocr, eng)\n")
    print("| page | photo | Document | Black and white | ImageMagick flat-field |")
    print("|---|---:|---:|---:|---:|")
    for scene, _, errors, *_ in rows:
        print(f"| {scene} | " + " | ".join(cell(errors, k) for k in
                                            ("photo", "document", "bw", "im")) + " |")
    print("\nBlack and white files against the photo as JPEG at quality 90, bytes\n")
    print("| page | JPEG | 1-bit PNG | TIFF Group 4 | JPEG / PNG | JPEG / TIFF |")
    print("|---|---:|---:|---:|---:|---:|")
    for scene, _, _, jpg, png, tif in rows:
        print(f"| {scene} | {jpg} | {png} | {tif} | {jpg / png:.1f} | {jpg / tif:.1f} |")
    print("\nCPU time per 5 Mpx page, one thread (ms)\n")
    print(times.strip())
    print("\nWhole commands, BMP in and PNG out, user + system CPU (ms)\n")
    print("| page | scriva-cli enhance --look document | ImageMagick flat-field |")
    print("|---|---:|---:|")
    for scene, ours, im in timing:
        print(f"| {scene} | {1000 * ours:.0f} | {1000 * im:.0f} |")


if __name__ == "__main__":
    main()
