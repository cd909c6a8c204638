"""What the Python benchmarks share: text for generated pages, the character
error rate, timed runs of a command and the environment of the page tools.
Imported by bench/ocr/ocr_bench.py, bench/pdf/searchable_bench.py and
bench/looks/look_bench.py (each puts bench/ on sys.path first)."""
import os
import random
import re
import resource
import subprocess
import sys
import time
from pathlib import Path

TEXTS = Path(__file__).resolve().parent / "ocr" / "texts"


def page_text(text_file, seed, words_wanted):
    """About words_wanted words of the file's sentences in a seeded order, in
    paragraphs of three sentences."""
    sentences = [s for s in Path(text_file).read_text(encoding="utf-8").split("\n") if s.strip()]
    rng = random.Random(seed)
    words, out = 0, []
    while words < words_wanted:
        rng.shuffle(sentences)
        for s in sentences:
            out.append(s)
            words += len(s.split())
            if words >= words_wanted:
                break
    return "\n\n".join(" ".join(out[i:i + 3]) for i in range(0, len(out), 3))


def cer(recognised, truth):
    """Character error rate: edit distance over the truth's length, white space folded."""
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


def timed(cmd, env=None):
    """Runs cmd; (wall seconds, CPU seconds of the child, stdout bytes). Exits
    with the command's error output when it fails."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    proc = subprocess.run([str(c) for c in cmd], env=env, capture_output=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    if proc.returncode != 0:
        sys.exit(f"{' '.join(map(str, cmd))} failed: {proc.stderr.decode(errors='replace')}")
    return wall, cpu, proc.stdout


def tool_env(folder):
    """The environment of the Qt page tools: headless, with a runtime folder in folder."""
    runtime = Path(folder) / "runtime"
    runtime.mkdir(mode=0o700, exist_ok=True)
    return dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=str(runtime))
