#!/usr/bin/env python3
"""End-to-end test in a real browser: picindex writes the page of a folder of
real pictures under names of every awkward kind, and headless Chromium opens
it as a file:// page and over http://127.0.0.1. For each, the test reads back
how many img elements the body holds, which of them loaded, whether anything
but img elements appeared in the body, and whether any script ran.

The page under test is not changed: Chromium opens a copy beside it with a
small probe script appended, which reports what the browser built.

    browser_test.py --picindex PATH [--chromium PATH] [--keep]
"""
import argparse
import functools
import html
import http.server
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import threading
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
import pictures  # noqa: E402

# Names a person's folder may hold; each is a real picture of its kind.
NAMES = [
    "plain.jpg", "UPPER.JPG", "Mixed.Gif", "b.jpeg", "bitmap.bmp",
    "two words.jpg", "  two leading spaces.gif", "trailing space .bmp",
    "Tom & Jerry.jpg", "R&D.gif", "a&amp;b.jpg", "30&deg.jpg", "x&#35;y.gif", "&lt;&gt;.bmp",
    "it's.jpg", "\"quoted\".gif", "100%.jpg", "50% off.gif", "%.bmp", "%zz.jpg",
    "my%20photo.jpg", "%41%42.gif", "%%41.bmp",
    "Party #3.jpg", "#.gif", "why?.jpg", "?x=1.gif", "a?b#c.bmp",
    "<b>bold.jpg", "a<b>c.gif", "back\\slash.jpg", "\\\\server.gif",
    "tab\there.jpg", "new\nline.gif", "cr\rreturn.bmp", "\x01\x1f.jpg",
    "caf\u00e9 cr\u00e8me br\u00fbl\u00e9e.jpg", "\u5199\u771f.gif", "\u00c5ngstr\u00f6m.BMP",
    "emoji \U0001F600.jpeg",
    # Bytes that are not UTF-8 (Latin-1 from an old archive), as surrogate escapes.
    "\udce9t\udce9.jpg", "\udcff\udc80.gif", "caf\udcc3.bmp",
    ".hidden.jpg", "-rf.gif", "--help.bmp", "photo:1.jpg", "javascript:alert(1).gif",
    "x" * 196 + ".jpg",
    "\" onerror=\"document.title='script ran'.jpg",
    "' onerror='document.title=1.gif",
    "\"><script>document.title='script ran'<\\script>.bmp",
    "\"><img src=x onerror=document.title='script ran'>.jpg",
    "a\" b=\"c.gif",
]

FEW_NAMES = ["\u00c5ngstr\u00f6m.BMP", "plain.jpg"]

# Pieces of the same kinds, put together at random (with a fixed seed) into
# names that no one wrote down.
PIECES = [" ", "  ", "&", "'", "%", "%41", "%e9", "#", "?", "\"", "<", ">", "\\", "\t",
          "\n", "\r", "\u00e9", "\u5199", "\U0001F600", "\udce9", "&amp;", "&copy", "&#38;",
          ":", "-", ".", "=", ";", "x", "A", "onerror=", "<script>", "javascript:"]


def random_names(count, seed=20261211):
    chance = random.Random(seed)
    names = set()
    while len(names) < count:
        name = "".join(chance.choice(PIECES) for _ in range(chance.randint(1, 8)))
        names.add(name + chance.choice([".jpg", ".JPG", ".jpeg", ".gif", ".Gif", ".bmp"]))
    return sorted(names)

PROBE = """<script id="picindex-probe">
addEventListener("load", () => {
  const body = document.body;
  const images = [...document.images];
  const others = [...body.childNodes]
      .filter(n => !(n.nodeName === "IMG" || n.id === "picindex-probe"))
      .map(n => n.nodeName + (n.textContent ? ":" + n.textContent : ""));
  const attributes = images.filter(i => i.attributes.length !== 1 || !i.hasAttribute("src"))
      .map(i => i.outerHTML);
  const report = {
    images: images.length,
    failed: images.filter(i => !(i.naturalWidth > 0)).map(i => decodeURIComponent(i.src)),
    others: others,
    attributes: attributes,
    title: document.title,
    scripts: document.scripts.length - 1,
  };
  const out = document.createElement("pre");
  out.id = "picindex-report";
  out.textContent = JSON.stringify(report);
  document.documentElement.appendChild(out);
});
</script>"""

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--hide-scrollbars"]


def chromium_dump(chromium, url, profile):
    done = subprocess.run([chromium] + CHROMIUM_FLAGS + [
        "--user-data-dir=" + profile, "--virtual-time-budget=10000", "--dump-dom", url],
        capture_output=True, timeout=120)
    dom = done.stdout.decode("utf-8", "replace")
    start = dom.find('<pre id="picindex-report">')
    if start < 0:
        raise SystemExit(f"no report from Chromium for {url}:\n{dom[:2000]}\n"
                         f"{done.stderr.decode('utf-8', 'replace')[-2000:]}")
    text = dom[start + len('<pre id="picindex-report">'):dom.index("</pre>", start)]
    return json.loads(html.unescape(text))


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".htm": "text/html; charset=utf-8"}

    def translate_path(self, path):
        # Any bytes a name may hold, as the link's %XX give them; no folders.
        name = urllib.parse.unquote_to_bytes(path.split("?", 1)[0].split("#", 1)[0])
        name = name.lstrip(b"/")
        if b"/" in name or name in (b"", b".", b".."):
            return os.path.join(self.directory, "\0")  # never a file
        return os.path.join(self.directory, os.fsdecode(name))

    def log_message(self, *args):
        pass


def serve(folder):
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(Handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def check(report, how, expected):
    problems = []
    if report["images"] != expected:
        problems.append(f"{report['images']} img elements, not {expected}")
    if report["failed"]:
        problems.append("did not load: " + ", ".join(map(repr, report["failed"])))
    if report["others"]:
        problems.append("not img in the body: " + ", ".join(map(repr, report["others"])))
    if report["attributes"]:
        problems.append("attributes besides src: " + ", ".join(report["attributes"]))
    if report["title"] or report["scripts"]:
        problems.append(f"a script ran (title {report['title']!r}, scripts {report['scripts']})")
    for problem in problems:
        print(f"FAIL {how}: {problem}")
    if not problems:
        print(f"ok   {how}: {report['images']} pictures, every one loaded")
    return not problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--picindex", required=True)
    parser.add_argument("--chromium", default=shutil.which("chromium") or "chromium")
    parser.add_argument("--names", help="a JSON file with a list of names to use instead")
    parser.add_argument("--keep", action="store_true", help="keep the test folder")
    args = parser.parse_args()
    if shutil.which(args.chromium) is None:
        sys.exit(f"browser test: Chromium not found ('{args.chromium}'); "
                 "install Debian's chromium package")
    names = NAMES
    if args.names:
        with open(args.names) as f:
            names = json.load(f)

    # A page of few names too: there a browser's guess of the page's
    # character set is most often wrong.
    folders = [names] if args.names else [names, FEW_NAMES, random_names(80)]
    work = tempfile.mkdtemp(prefix="picindex-browser-")
    try:
        passed = True
        for number, folder_names in enumerate(folders):
            passed &= check_folder(args, os.path.join(work, str(number)), folder_names)
        print(f"{len(folders) * 2 if passed else 0} passed, {0 if passed else 1} failed")
        sys.exit(0 if passed else 1)
    finally:
        if args.keep:
            print("test folder kept:", work)
        else:
            shutil.rmtree(work, ignore_errors=True)


def check_folder(args, work, names):
    """Makes a folder of `names`, lets picindex write its page, and checks the
    page both ways."""
    folder = os.path.join(work, "pictures")
    os.makedirs(folder)
    for hue, name in enumerate(names):
        with open(os.path.join(os.fsencode(folder), os.fsencode(name)), "wb") as f:
            f.write(pictures.picture_for(name, hue))
    with open(os.path.join(folder, "notes.txt"), "w") as f:
        f.write("not a picture")
    subprocess.run([os.path.abspath(args.picindex)], cwd=folder, check=True)
    with open(os.path.join(folder, "index.htm"), "rb") as f:
        page = f.read()
    with open(os.path.join(folder, "probe.htm"), "wb") as f:
        f.write(page + PROBE.encode())

    url = "file://" + urllib.parse.quote(os.path.join(folder, "probe.htm"))
    report = chromium_dump(args.chromium, url, os.path.join(work, "profile-file"))
    passed = check(report, f"file://, {len(names)} names", len(names))
    server = serve(folder)
    try:
        url = f"http://127.0.0.1:{server.server_address[1]}/probe.htm"
        report = chromium_dump(args.chromium, url, os.path.join(work, "profile-http"))
        passed &= check(report, f"http://, {len(names)} names", len(names))
    finally:
        server.shutdown()
    return passed

if __name__ == "__main__":
    main()
