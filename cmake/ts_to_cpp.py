#!/usr/bin/env python3
"""Writes the finished translations of a Qt Linguist .ts file as a sorted C++ table.

Usage: ts_to_cpp.py IN.ts OUT.cpp
The table serves ui::Tr on Windows, where Qt's catalogues are not available.
"""
import sys
import xml.etree.ElementTree as ET


def literal(text):
    # Octal escapes for everything outside printable ASCII: the bytes stay UTF-8 whatever the
    # compiler's source character set.
    out = []
    for byte in text.encode("utf-8"):
        ch = chr(byte)
        if ch in '"\\?' or byte < 0x20 or byte > 0x7E:
            out.append("\\%03o" % byte)
        else:
            out.append(ch)
    return '"' + "".join(out) + '"'


def main(src, dst):
    rows = []
    for context in ET.parse(src).getroot().iter("context"):
        name = context.findtext("name", "")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            if source is None or translation is None or not translation.text:
                continue
            if translation.get("type") in ("unfinished", "obsolete", "vanished"):
                continue
            rows.append((name.encode("utf-8"), source.encode("utf-8"), name, source,
                         translation.text))
    rows.sort()
    lines = [
        "// Generated from " + src.replace("\\", "/").split("/")[-1] + "; do not edit.",
        "#include <cstddef>",
        "",
        "namespace vexilo::ui {",
        "",
        "struct Translation {",
        "    const char* context;",
        "    const char* source;",
        "    const char* text;",
        "};",
        "",
        "extern const Translation kTranslations[];",
        "extern const std::size_t kTranslationCount;",
        "",
        "const Translation kTranslations[] = {",
    ]
    for _, _, context, source, text in rows:
        lines.append("    {%s, %s, %s}," % (literal(context), literal(source), literal(text)))
    if not rows:
        lines.append('    {"", "", ""},')
    lines += [
        "};",
        "const std::size_t kTranslationCount = %d;" % len(rows),
        "",
        "}  // namespace vexilo::ui",
        "",
    ]
    with open(dst, "w", encoding="ascii") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
