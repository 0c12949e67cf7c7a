#!/usr/bin/env python3
"""Resource compiler: turns a plug-in's resource script into C++ data.

The base script (English) holds the string table, dialog templates, pictures
and the version record. A translation script (French) holds the translated
texts only; the layout is taken from the base. Every text of the base must be
translated: a missing or unknown entry fails the build.

Script syntax, one entry per line, '#' starts a comment line:
  VERSION 5.3.0.0 LANGUAGE 1033
  LANGUAGE 1036                                   (translation scripts)
  STRING 17000 "Action canceled\\nUnknown error"
  DIALOG 1010 355 106 "Caption" [STYLE popup|caption]      (base)
  DIALOG 1010 "Légende"                                     (translation)
    CONTROL button 1 "Close" 27 85 50 14 [STYLE words]     (base)
    TEXT 1 "Fermer"                                         (translation)
  END
  IMAGE 1001 "pictures/engine.bmp"
  INCLUDE "../shared.en.rc"                       (entries of another script)
Texts are UTF-8 between double quotes, with the escapes \\n \\t \\\\ \\".
"""
import argparse
import os
import sys

KINDS = {"static", "button", "check", "radio", "edit", "combo", "list", "tab",
         "slider", "spin", "progress", "group"}


class ScriptError(Exception):
    pass


def tokenize(line, where):
    tokens, i = [], 0
    while i < len(line):
        c = line[i]
        if c.isspace():
            i += 1
        elif c == '"':
            i += 1
            text = []
            while True:
                if i >= len(line):
                    raise ScriptError(f"{where}: unterminated text")
                c = line[i]
                if c == '"':
                    i += 1
                    break
                if c == "\\" and i + 1 < len(line):
                    n = line[i + 1]
                    text.append({"n": "\n", "t": "\t", "\\": "\\", '"': '"'}.get(n, "\\" + n))
                    i += 2
                    continue
                text.append(c)
                i += 1
            tokens.append(("text", "".join(text)))
        else:
            j = i
            while j < len(line) and not line[j].isspace():
                j += 1
            tokens.append(("word", line[i:j]))
            i = j
    return tokens


def number(tok, where):
    if tok[0] != "word":
        raise ScriptError(f"{where}: number expected")
    try:
        return int(tok[1], 0)
    except ValueError:
        raise ScriptError(f"{where}: bad number {tok[1]!r}")


def text(tok, where):
    if tok[0] != "text":
        raise ScriptError(f"{where}: quoted text expected")
    return tok[1]


def take_style(toks, at, where):
    if at < len(toks):
        if toks[at] != ("word", "STYLE") or at + 1 >= len(toks):
            raise ScriptError(f"{where}: unexpected {toks[at][1]!r}")
        return toks[at + 1][1]
    return ""


def parse(path, translation):
    res = {"strings": {}, "dialogs": {}, "images": {}, "version": None, "language": None}
    dialog = None
    with open(path, encoding="utf-8") as f:
        for n, raw in enumerate(f, 1):
            where = f"{path}:{n}"
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            toks = tokenize(line, where)
            key = toks[0][1]
            if dialog is not None:
                if key == "END":
                    dialog = None
                elif key == "CONTROL" and not translation:
                    if len(toks) < 8 or toks[1][1] not in KINDS:
                        raise ScriptError(f"{where}: CONTROL kind id \"text\" x y cx cy [STYLE s]")
                    cid = number(toks[2], where)
                    if any(c["id"] == cid for c in dialog["controls"]):
                        raise ScriptError(f"{where}: control {cid} defined twice")
                    dialog["controls"].append({
                        "kind": toks[1][1], "id": cid, "text": text(toks[3], where),
                        "rect": [number(t, where) for t in toks[4:8]],
                        "style": take_style(toks, 8, where)})
                elif key == "TEXT" and translation:
                    dialog["texts"][number(toks[1], where)] = text(toks[2], where)
                else:
                    raise ScriptError(f"{where}: {key} not allowed inside DIALOG")
                continue
            if key == "STRING":
                sid = number(toks[1], where)
                if sid in res["strings"]:
                    raise ScriptError(f"{where}: string {sid} defined twice")
                res["strings"][sid] = text(toks[2], where)
            elif key == "DIALOG":
                did = number(toks[1], where)
                if translation:
                    dialog = {"caption": text(toks[2], where), "texts": {}}
                else:
                    dialog = {"cx": number(toks[2], where), "cy": number(toks[3], where),
                              "caption": text(toks[4], where), "style": take_style(toks, 5, where),
                              "controls": []}
                res["dialogs"][did] = dialog
            elif key == "IMAGE" and not translation:
                img = os.path.join(os.path.dirname(path), text(toks[2], where))
                with open(img, "rb") as fi:
                    res["images"][number(toks[1], where)] = fi.read()
            elif key == "VERSION" and not translation:
                parts = [int(p) for p in toks[1][1].split(".")]
                res["version"] = parts + [0] * (4 - len(parts))
                if len(toks) >= 4 and toks[2][1] == "LANGUAGE":
                    res["language"] = number(toks[3], where)
            elif key == "LANGUAGE":
                res["language"] = number(toks[1], where)
            elif key == "INCLUDE":
                inc = parse(os.path.join(os.path.dirname(path), text(toks[1], where)), translation)
                for kind in ("strings", "dialogs", "images"):
                    for k, v in inc[kind].items():
                        if k in res[kind]:
                            raise ScriptError(f"{where}: {kind[:-1]} {k} defined twice")
                        res[kind][k] = v
            else:
                raise ScriptError(f"{where}: unknown entry {key!r}")
    if dialog is not None:
        raise ScriptError(f"{path}: DIALOG without END")
    return res


def translate(base, tr, tr_path):
    """Applies a translation to a copy of the base, checking it is complete."""
    missing = [f"STRING {i}" for i in base["strings"] if i not in tr["strings"]]
    extra = [f"STRING {i}" for i in tr["strings"] if i not in base["strings"]]
    out = {"strings": dict(tr["strings"]), "dialogs": {}, "images": base["images"],
           "version": base["version"], "language": tr["language"]}
    for did, d in base["dialogs"].items():
        t = tr["dialogs"].get(did)
        if t is None:
            missing.append(f"DIALOG {did}")
            continue
        controls = []
        for c in d["controls"]:
            c = dict(c)
            if c["id"] in t["texts"]:
                c["text"] = t["texts"][c["id"]]
            elif c["text"]:
                missing.append(f"DIALOG {did} TEXT {c['id']}")
            controls.append(c)
        extra += [f"DIALOG {did} TEXT {i}" for i in t["texts"] if all(c["id"] != i for c in d["controls"])]
        out["dialogs"][did] = dict(d, caption=t["caption"], controls=controls)
    extra += [f"DIALOG {i}" for i in tr["dialogs"] if i not in base["dialogs"]]
    if missing or extra:
        lines = [f"{tr_path}: untranslated: {m}" for m in missing] + [f"{tr_path}: not in the base: {e}" for e in extra]
        raise ScriptError("\n".join(lines))
    if out["language"] is None:
        raise ScriptError(f"{tr_path}: LANGUAGE missing")
    return out


def c_str(s):
    out = ['"']
    for b in s.encode("utf-8"):
        ch = chr(b)
        if ch == '"' or ch == "\\":
            out.append("\\" + ch)
        elif 32 <= b < 127 and ch != "?":
            out.append(ch)
        else:
            out.append(f"\\{b:03o}")
    out.append('"')
    return "".join(out)


def emit(res, out_path, symbol, export):
    o = ['// Generated by rcgen.py from the resource scripts; do not edit.',
         '#include "sis/platform/resource_data.h"', "", "namespace {", ""]
    strings = sorted(res["strings"].items())
    o.append("const SisStringEntry kStrings[] = {")
    o += [f"    {{{i}, {c_str(t)}}}," for i, t in strings] or ["    {0, nullptr},"]
    o.append("};")
    for did, d in sorted(res["dialogs"].items()):
        o.append(f"const SisControlEntry kDialog{did}[] = {{")
        for c in d["controls"]:
            x, y, cx, cy = c["rect"]
            o.append(f"    {{{c['id']}, {c_str(c['kind'])}, {c_str(c['text'])}, {x}, {y}, {cx}, {cy}, {c_str(c['style'])}}},")
        if not d["controls"]:
            o.append('    {0, "static", "", 0, 0, 0, 0, ""},')
        o.append("};")
    o.append("const SisDialogEntry kDialogs[] = {")
    for did, d in sorted(res["dialogs"].items()):
        o.append(f"    {{{did}, {c_str(d['caption'])}, {d['cx']}, {d['cy']}, {c_str(d['style'])}, kDialog{did}, {len(d['controls'])}}},")
    if not res["dialogs"]:
        o.append('    {0, "", 0, 0, "", nullptr, 0},')
    o.append("};")
    for iid, data in sorted(res["images"].items()):
        o.append(f"const unsigned char kImage{iid}[] = {{")
        for k in range(0, len(data), 24):
            o.append("    " + ", ".join(str(b) for b in data[k:k + 24]) + ",")
        o.append("};")
    o.append("const SisPictureEntry kPictures[] = {")
    o += [f"    {{{iid}, kImage{iid}, {len(data)}}}," for iid, data in sorted(res["images"].items())]
    if not res["images"]:
        o.append("    {0, nullptr, 0},")
    o.append("};")
    v = res["version"]
    if v:
        o.append(f"const SisVersionRecord kVersion = {{0x{(v[0] << 16) | v[1]:08X}u, 0x{(v[2] << 16) | v[3]:08X}u, {res['language'] or -1}}};")
    o += ["const SisResourceData kData = {",
          f"    kSisResourceMagic, kStrings, {len(strings)}, kDialogs, {len(res['dialogs'])},",
          f"    kPictures, {len(res['images'])}, {'&kVersion' if v else 'nullptr'}}};", "", "}  // namespace", ""]
    if export:
        o.append(f'extern "C" __attribute__((visibility("default"))) const SisResourceData* {symbol}() {{ return &kData; }}')
    else:
        o.append(f"const SisResourceData* {symbol}() {{ return &kData; }}")
    text = "\n".join(o) + "\n"
    if os.path.exists(out_path) and open(out_path, encoding="utf-8").read() == text:
        return
    with open(out_path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--base", required=True)
    ap.add_argument("--translation")
    ap.add_argument("--out", required=True)
    ap.add_argument("--symbol", required=True)
    ap.add_argument("--export", action="store_true", help="export the accessor (satellite libraries)")
    a = ap.parse_args()
    try:
        res = parse(a.base, False)
        if a.translation:
            res = translate(res, parse(a.translation, True), a.translation)
        emit(res, a.out, a.symbol, a.export)
    except (ScriptError, OSError) as e:
        print(f"rcgen: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
