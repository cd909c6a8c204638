#!/usr/bin/env python3
"""Writes one language pack's files from layout.py and <code>/texts.py.

usage: make_pack.py CODE OUTDIR

Produces strings.json, menu128.json, menu155.json, toolbar128.json and
toolbar168.json.  Standard library only."""

import json
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import layout  # noqa: E402

# Strings whose text is used as is, not as "status tip\ntooltip".
PLAIN_COMMAND_STRINGS = {57616}


def load_texts(code):
    path = os.path.join(HERE, code, "texts.py")
    scope = {}
    with open(path, encoding="utf-8") as f:
        exec(compile(f.read(), path, "exec"), scope)
    return scope


def clean(text):
    """Menu text without mnemonic, ellipsis and shortcut: the tooltip."""
    text = text.split("\t")[0]
    text = re.sub(r"\(&.\)", "", text)
    text = text.replace("&&", "\0").replace("&", "").replace("\0", "&")
    text = text.replace("...", "").replace("…", "")
    return text.strip()


def mnemonic_of(text):
    if not text:
        return None
    m = re.search(r"&([^&])", text.replace("&&", ""))
    return m.group(1).lower() if m else None


def assign_mnemonics(texts):
    """Keeps each explicit "&" that is still free and gives every other text
    the first free ASCII letter or digit, preferring word starts."""
    used = set()
    kept = []
    for t in texts:
        m = mnemonic_of(t) if t else None
        if m and m not in used:
            used.add(m)
            kept.append(t)
        elif t and m:
            kept.append(t.replace("&&", "\0").replace("&", "").replace("\0", "&&"))
        else:
            kept.append(t)
    out = []
    for t in kept:
        if t is None or mnemonic_of(t):
            out.append(t)
            continue
        starts = [i for i, c in enumerate(t) if c.isascii() and c.isalnum()
                  and (i == 0 or not t[i - 1].isalnum())]
        anywhere = [i for i, c in enumerate(t) if c.isascii() and c.isalnum()]
        chosen = next((i for i in starts + anywhere if t[i].lower() not in used), None)
        if chosen is None:
            out.append(t)
            continue
        used.add(t[chosen].lower())
        out.append(t[:chosen] + "&" + t[chosen:])
    return out


def with_letter(text, letter):
    """East Asian style: the mnemonic letter in brackets after the text."""
    if not letter:
        return text
    tail = ""
    for dots in ("...", "…"):
        if text.endswith(dots):
            text, tail = text[: -len(dots)], dots
    return "%s(&%s)%s" % (text, letter.upper(), tail)


class PackBuilder:
    def __init__(self, code):
        self.code = code
        self.t = load_texts(code)
        self.en = load_texts("en") if code != "en" else self.t
        self.names = dict(layout.LANGUAGE_COMMANDS)

    def raw_text(self, texts, entry):
        if isinstance(entry, dict):
            return texts["POPUPS"][entry["popup"]]
        if entry in self.names:
            return self.names[entry]
        return texts["COMMANDS"][entry][0]

    def level(self, entries, en_level=None):
        """Texts of one popup level with mnemonics."""
        raw = [None if e is None else self.raw_text(self.t, e) for e in entries]
        if not self.t.get("LETTER_MNEMONICS"):
            return assign_mnemonics(raw)
        en_texts = en_level or self.english_level(entries)
        out = []
        for text, en_text, entry in zip(raw, en_texts, entries):
            if text is None or (not isinstance(entry, dict) and entry in self.names):
                out.append(text)
            else:
                out.append(with_letter(text, mnemonic_of(en_text or "")))
        return out

    def english_level(self, entries):
        raw = [None if e is None else self.raw_text(self.en, e) for e in entries]
        return assign_mnemonics(raw)

    def menu(self, entries):
        texts = self.level(entries)
        out = []
        for entry, text in zip(entries, texts):
            if entry is None:
                out.append({"separator": True})
            elif isinstance(entry, dict):
                out.append({"text": text, "items": self.menu(entry["items"])})
            else:
                if entry in layout.SHORTCUTS:
                    text += "\t" + layout.SHORTCUTS[entry]
                out.append({"id": entry, "text": text})
        return out

    def strings(self):
        s = {int(k): v for k, v in self.t["STRINGS"].items()}
        for cid in layout.all_commands():
            if cid in PLAIN_COMMAND_STRINGS:
                s[cid] = self.t["COMMANDS"][cid][0]
            elif cid in self.names:
                name = self.names[cid]
                s[cid] = self.t["LANGUAGE_TIP"].format(name=name) + "\n" + name
            else:
                entry = self.t["COMMANDS"][cid]
                tip = entry[1]
                tooltip = entry[2] if len(entry) > 2 else clean(entry[0])
                s[cid] = tip + "\n" + tooltip
        return {str(k): s[k] for k in sorted(s)}


def write_json(path, data):
    text = json.dumps(data, ensure_ascii=False, indent=1) + "\n"
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(tmp, path)


def main():
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    code, outdir = sys.argv[1], sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    b = PackBuilder(code)
    write_json(os.path.join(outdir, "strings.json"), b.strings())
    write_json(os.path.join(outdir, "menu128.json"), b.menu(layout.MENU128))
    write_json(os.path.join(outdir, "menu155.json"), b.menu(layout.MENU155))
    write_json(os.path.join(outdir, "toolbar128.json"), layout.TOOLBAR128)
    write_json(os.path.join(outdir, "toolbar168.json"), layout.TOOLBAR168)
    return 0


if __name__ == "__main__":
    sys.exit(main())
