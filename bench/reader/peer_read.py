#!/usr/bin/env python3
"""The script a user would write instead of the batch reader: every *.htm
file of the given directories parsed with html.parser, its images, links,
meta tags, scripts and forms stored with sqlite3, the page's old records
deleted first, one transaction per 1,000 pages. Prints the pages read and
the seconds taken."""
import glob
import os
import sqlite3
import sys
import time
from html.parser import HTMLParser

SCHEMA = """
CREATE TABLE IF NOT EXISTS pages (path TEXT PRIMARY KEY COLLATE NOCASE, name TEXT,
  domain TEXT, localpath TEXT, size INTEGER, title TEXT);
CREATE TABLE IF NOT EXISTS images (page TEXT COLLATE NOCASE, src TEXT, width TEXT,
  height TEXT, line INTEGER);
CREATE TABLE IF NOT EXISTS links (page TEXT COLLATE NOCASE, href TEXT, line INTEGER);
CREATE TABLE IF NOT EXISTS metas (page TEXT COLLATE NOCASE, name TEXT, content TEXT);
CREATE TABLE IF NOT EXISTS scripts (page TEXT COLLATE NOCASE, body TEXT);
CREATE TABLE IF NOT EXISTS forms (page TEXT COLLATE NOCASE, body TEXT, line INTEGER);
CREATE INDEX IF NOT EXISTS images_page ON images (page);
CREATE INDEX IF NOT EXISTS links_page ON links (page);
CREATE INDEX IF NOT EXISTS metas_page ON metas (page);
CREATE INDEX IF NOT EXISTS scripts_page ON scripts (page);
CREATE INDEX IF NOT EXISTS forms_page ON forms (page);
"""
DETAILS = ("images", "links", "metas", "scripts", "forms")


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.title, self.in_title = "", False
        self.images, self.links, self.metas, self.scripts, self.forms = [], [], [], [], []
        self.block = None  # (list, start offset, line) of an open script or form

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        line = self.getpos()[0]
        if tag == "img" and "src" in a:
            self.images.append((a["src"], a.get("width", ""), a.get("height", ""), line))
        elif tag == "a" and "href" in a:
            self.links.append((a["href"], line))
        elif tag == "meta" and "name" in a:
            self.metas.append((a["name"], a.get("content", "")))
        elif tag == "title":
            self.in_title = True
        elif tag in ("script", "form"):
            self.block = (tag, [], line)
        if self.block and tag == "input":
            self.block[1].append(self.get_starttag_text())

    def handle_endtag(self, tag):
        if tag == "title":
            self.in_title = False
        elif self.block and tag == self.block[0]:
            kind, body, line = self.block
            (self.scripts if kind == "script" else self.forms).append(("\n".join(body), line))
            self.block = None

    def handle_data(self, data):
        if self.in_title:
            self.title += data
        elif self.block:
            self.block[1].append(data.strip())


def main():
    db_path, dirs = sys.argv[1], sys.argv[2:]
    db = sqlite3.connect(db_path, isolation_level=None)
    db.executescript(SCHEMA)
    start = time.monotonic()
    count = 0
    db.execute("BEGIN")
    for d in dirs:
        for path in sorted(glob.glob(os.path.join(d, "*.htm"))):
            with open(path, encoding="latin-1") as f:
                text = f.read()
            p = Page()
            p.feed(text)
            p.close()
            key = "http://www.example.com/" + os.path.relpath(path, dirs[0])
            for t in DETAILS:
                db.execute(f"DELETE FROM {t} WHERE page = ?", (key,))
            db.execute("INSERT OR REPLACE INTO pages VALUES (?, ?, ?, ?, ?, ?)",
                       (key, os.path.basename(path)[:20], "example.com", path, len(text),
                        p.title.strip()[:80]))
            db.executemany("INSERT INTO images VALUES (?, ?, ?, ?, ?)",
                           [(key,) + i for i in p.images])
            db.executemany("INSERT INTO links VALUES (?, ?, ?)", [(key,) + x for x in p.links])
            db.executemany("INSERT INTO metas VALUES (?, ?, ?)", [(key,) + m for m in p.metas])
            db.executemany("INSERT INTO scripts VALUES (?, ?)", [(key, s[0]) for s in p.scripts])
            db.executemany("INSERT INTO forms VALUES (?, ?, ?)", [(key,) + x for x in p.forms])
            count += 1
            if count % 1000 == 0:
                db.execute("COMMIT")
                db.execute("BEGIN")
    db.execute("COMMIT")
    db.close()
    print(count, time.monotonic() - start)


if __name__ == "__main__":
    main()
