#!/usr/bin/env python3
"""Differential check of the skin markup parser against Python's xml.etree.

Well-formed documents (the fixtures plus generated ones) are parsed by the framework's parser
(xml_dump.exe, run under Wine) and by xml.etree.ElementTree; element names, nesting, attribute
names, values and order, and element texts must be equal. The generator keeps to the part of XML
where the skin dialect and XML agree: no character references, no CDATA, no raw tabs or line
breaks inside attribute values (XML normalises them), no text after a child element, comments
only between elements, ASCII names.

Usage: xml_differential.py WINE_RUN XML_DUMP_EXE WORK_DIR [FIXTURE_FILE...]
Environment: VEXO_DIFF_DOCUMENTS (number of generated documents, default 400), VEXO_DIFF_SEED.
"""
import os
import random
import subprocess
import sys
import xml.etree.ElementTree as ET

TEXT_CHARS = ("abcdefghijklmnopqrstuvwxyz ABCXYZ0123456789 .,;:!?()/=+-*'\">&<"
              "\u00e9\u00fc\u00df\u4e2d\u6587\u0416\U0001F600\t\n")
ESCAPES = {"&": ["&amp;"], "<": ["&lt;"], ">": [">", "&gt;"], '"': ['"', "&quot;"],
           "'": ["'", "&apos;"]}


def escape(rng, text, in_attribute):
    out = []
    for ch in text:
        if in_attribute and ch == '"':
            out.append("&quot;")
        elif ch in ESCAPES:
            out.append(rng.choice(ESCAPES[ch]))
        else:
            out.append(ch)
    return "".join(out)


def random_text(rng, length, in_attribute):
    chars = [rng.choice(TEXT_CHARS) for _ in range(length)]
    if in_attribute:
        chars = [" " if c in "\t\n" else c for c in chars]
    return "".join(chars)


def name(rng):
    first = rng.choice("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_")
    rest = "".join(rng.choice("abcdefghijklmnopqrstuvwxyz0123456789_ABCDEF")
                   for _ in range(rng.randint(0, 8)))
    return first + rest


def blank(rng):
    return rng.choice(["", "", " ", "  ", "\n", "\t", "\n  "])


def element(rng, depth, budget):
    tag = name(rng)
    parts = ["<" + tag]
    used = set()
    for _ in range(rng.randint(0, 6 if rng.random() < 0.9 else 64)):
        key = name(rng)
        if key in used:
            continue
        used.add(key)
        value = escape(rng, random_text(rng, rng.randint(0, 20), True), True)
        parts.append(" " + blank(rng).strip(" ") + key + rng.choice(["", " "]) + "=" +
                     rng.choice(["", " "]) + '"' + value + '"')
    parts.append(blank(rng).replace("\n", " "))
    children = rng.randint(0, 4) if depth < 6 and budget[0] > 0 else 0
    has_text = rng.random() < 0.5
    if children == 0 and not has_text and rng.random() < 0.6:
        parts.append("/>")
        return "".join(parts)
    parts.append(">")
    if has_text:
        parts.append(escape(rng, random_text(rng, rng.randint(1, 30), False), False))
    for index in range(children):
        budget[0] -= 1
        parts.append(blank(rng))
        # Between children only: XML merges the text around a dropped comment.
        if index > 0 and rng.random() < 0.2:
            parts.append("<!-- note " + name(rng) + " -->" + blank(rng))
        parts.append(element(rng, depth + 1, budget))
    parts.append(blank(rng) if children else "")
    parts.append("</" + tag + rng.choice(["", " "]) + ">")
    return "".join(parts)


def document(rng):
    prolog = rng.choice(["", '<?xml version="1.0" encoding="UTF-8"?>\n',
                         '<?xml version="1.0"?><!-- head -->\n'])
    body = element(rng, 0, [rng.randint(1, 40)])
    data = (prolog + body + blank(rng)).encode("utf-8")
    return (b"\xef\xbb\xbf" + data) if rng.random() < 0.2 else data


def escape_dump(text):
    return "".join("\\x%02X" % ord(c) if ord(c) < 0x20 or c == "\\" else c for c in text)


def expected_dump(data):
    root = ET.fromstring(data)
    lines = []

    def walk(node, depth):
        lines.append("E %d %s" % (depth, escape_dump(node.tag)))
        for key, value in node.attrib.items():
            lines.append("A %s %s" % (escape_dump(key), escape_dump(value)))
        if node.text:
            lines.append("T " + escape_dump(node.text))
        for child in node:
            walk(child, depth + 1)
    walk(root, 0)
    return "".join(line + "\n" for line in lines)


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    wine_run, dump_exe, work = sys.argv[1:4]
    fixtures = sys.argv[4:]
    os.makedirs(work, exist_ok=True)
    rng = random.Random(int(os.environ.get("VEXO_DIFF_SEED", "20240611")))
    documents = []
    for path in fixtures:
        with open(path, "rb") as f:
            documents.append((os.path.basename(path), f.read()))
    for i in range(int(os.environ.get("VEXO_DIFF_DOCUMENTS", "400"))):
        documents.append(("generated-%d" % i, document(rng)))

    list_lines = []
    for index, (label, data) in enumerate(documents):
        source = os.path.join(work, "doc%d.xml" % index)
        with open(source, "wb") as f:
            f.write(data)
        list_lines.append(wine_path(source) + "\t" + wine_path(source + ".out"))
    list_file = os.path.join(work, "list.txt")
    with open(list_file, "w", encoding="ascii") as f:
        f.write("\n".join(list_lines) + "\n")
    subprocess.run([wine_run, dump_exe, wine_path(list_file)], check=True, timeout=600)

    failures = 0
    for index, (label, data) in enumerate(documents):
        expected = expected_dump(data)
        with open(os.path.join(work, "doc%d.xml.out" % index), "rb") as f:
            actual = f.read().decode("utf-8")
        if actual != expected:
            failures += 1
            if failures <= 3:
                print("MISMATCH in %s (doc%d.xml)" % (label, index))
                for a, b in zip(expected.splitlines(), actual.splitlines()):
                    if a != b:
                        print("  etree:  %r\n  skin:   %r" % (a, b))
                        break
                else:
                    print("  line counts differ: %d vs %d" % (len(expected.splitlines()),
                                                             len(actual.splitlines())))
    print("%d documents compared, %d mismatches" % (len(documents), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
