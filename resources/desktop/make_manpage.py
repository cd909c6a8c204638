#!/usr/bin/env python3
"""Writes a program's manual page from what its --help prints.

    make_manpage.py --program PATH --name NAME --summary TEXT --version VERSION
                    --date "Mon, 07 Dec 2026 12:00:00 +0000" [--see-also NAME...] --out FILE.1.gz

The help text is read in this shape:
  - "Usage:" (or "usage:") lines and the lines indented under them: the synopsis;
  - plain paragraphs: the description;
  - a line "word:" (e.g. "commands:") starts a section of that name;
  - lines indented by two to four spaces are entries, "TERM  text" (two or more
    spaces apart) or a term alone (as scriva-cli lists its commands); lines
    indented further continue the entry's text.
Entries before any named section land under OPTIONS. The page is written with
gzip at its best compression, without a file name or time stamp, so that two
builds give the same bytes.
"""

import argparse
import email.utils
import gzip
import re
import subprocess
import sys


def roff_text(text):
    """Escapes a line of plain text for roff."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def bold_first_word(text):
    word, _, rest = text.partition(" ")
    line = "\\fB" + roff_text(word) + "\\fR"
    return line + (" " + roff_text(rest) if rest else "")


def parse_help(help_text):
    """Returns (synopsis lines, description paragraphs, [(section, entries)]);
    an entry is [term, text] with text possibly empty."""
    synopsis, description, sections = [], [], []
    current = None  # the entry list being filled
    paragraph = []
    in_usage = False

    def close_paragraph():
        if paragraph:
            description.append(" ".join(paragraph))
            paragraph.clear()

    for raw in help_text.splitlines():
        line = raw.rstrip()
        if not line:
            close_paragraph()
            in_usage = False
            continue
        usage = re.match(r"^[Uu]sage:\s*(.*)$", line)
        if usage:
            close_paragraph()
            synopsis.append(usage.group(1))
            in_usage = True
            continue
        if in_usage and line.startswith(" "):
            synopsis.append(line.strip())
            continue
        in_usage = False
        heading = re.match(r"^(\w[\w ]*):$", line)
        if heading:
            close_paragraph()
            current = []
            sections.append((heading.group(1).upper(), current))
            continue
        if line.startswith("  "):
            close_paragraph()
            if current is None:
                current = []
                sections.append(("OPTIONS", current))
            body = line.strip()
            indent = len(line) - len(line.lstrip())
            if indent > 4 and current:
                current[-1][1] = (current[-1][1] + " " + body).strip()  # continues the text
            else:
                entry = re.match(r"^(\S.*?)\s{2,}(\S.*)$", body)
                current.append([entry.group(1), entry.group(2)] if entry else [body, ""])
            continue
        paragraph.append(line.strip())
    close_paragraph()
    return synopsis, description, sections


def man_date(rfc2822):
    when = email.utils.parsedate_to_datetime(rfc2822)
    return when.strftime("%B %Y")


def render(args, help_text):
    synopsis, description, sections = parse_help(help_text)
    if not synopsis:
        raise ValueError(f"{args.name} --help prints no usage line")
    out = [
        f'.TH {roff_text(args.name.upper())} 1 "{man_date(args.date)}" '
        f'"{roff_text(args.package)} {roff_text(args.version)}" "User Commands"',
        ".SH NAME",
        f"{roff_text(args.name)} \\- {roff_text(args.summary)}",
        ".SH SYNOPSIS",
    ]
    for i, line in enumerate(synopsis):
        if i:
            out.append(".br")
        out.append(bold_first_word(line))
    out.append(".SH DESCRIPTION")
    for paragraph in description or [args.summary[0].upper() + args.summary[1:] + "."]:
        out += [".PP", roff_text(paragraph)]
    for title, entries in sections:
        out.append(".SH " + roff_text(title))
        for term, text in entries:
            if text:
                out += [".TP", "\\fB" + roff_text(term) + "\\fR", roff_text(text)]
            else:
                out += [".PP", bold_first_word(term)]
    if args.see_also:
        out.append(".SH SEE ALSO")
        out.append(",\n".join(f"\\fB{roff_text(n)}\\fR(1)" for n in args.see_also))
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("--package", default="scriva")
    parser.add_argument("--summary", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--date", required=True, help="RFC 2822 date, as in a Debian changelog")
    parser.add_argument("--see-also", nargs="*", default=[])
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    run = subprocess.run([args.program, "--help"], capture_output=True, text=True,
                         env={"LC_ALL": "C.UTF-8", "QT_QPA_PLATFORM": "offscreen"}, check=False)
    if run.returncode != 0 or not run.stdout.strip():
        sys.exit(f"make_manpage: {args.program} --help failed ({run.returncode}): {run.stderr}")
    try:
        page = render(args, run.stdout)
    except ValueError as error:
        sys.exit(f"make_manpage: {error}")
    with open(args.out, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as gz:
            gz.write(page.encode("utf-8"))


if __name__ == "__main__":
    main()
