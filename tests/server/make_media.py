#!/usr/bin/env python3
"""Generates the test server's media: tagged tone files (mp3, flac, ogg, m4a) and cover images.

    make_media.py OUTDIR [--scale N]     write everything into OUTDIR

The server calls cached_media_dir(), which keeps one generated copy per catalogue version under
the system temporary directory, built in a private directory and renamed into place, so a
finished cache is never half-written and concurrent servers generate it only once.
Resized covers and transcoded streams are made on first request (variant()).
"""
import argparse
import concurrent.futures
import fcntl
import glob
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import catalogue  # noqa: E402

GENERATOR_VERSION = 2
CODECS = {"mp3": ["-c:a", "libmp3lame", "-b:a", "%dk" % catalogue.LOSSY_BITRATE, "-id3v2_version", "3"],
          "flac": ["-c:a", "flac", "-sample_fmt", "s16"],
          "ogg": ["-c:a", "libvorbis", "-b:a", "%dk" % catalogue.LOSSY_BITRATE],
          "m4a": ["-c:a", "aac", "-b:a", "%dk" % catalogue.LOSSY_BITRATE]}


def song_seconds(index, scale):
    """Length of the index-th song: 2.5 to 5.5 s, times scale (the demo uses longer songs)."""
    return (2.5 + index % 4) * scale


def run(cmd):
    result = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (cmd[0], result.stderr.decode(errors="replace")[-400:]))


def tone_command(song, seconds, out):
    freq = song["freq"]
    album = catalogue.album(song["albumId"])
    artist = catalogue.artist(album["artistId"])
    # A root and a fifth with soft edges: recognisable per song and bearable in the demo.
    left = "0.25*sin(2*PI*%g*t)+0.12*sin(2*PI*%g*t)" % (freq, freq * 1.5)
    right = "0.25*sin(2*PI*%g*t)+0.12*sin(2*PI*%g*t)" % (freq, freq * 2.0)
    fade = min(0.5, seconds / 4)
    source = "aevalsrc=%s|%s:s=44100:d=%g,afade=t=in:d=%g,afade=t=out:st=%g:d=%g" % (
        left, right, seconds, fade, seconds - fade, fade)
    tags = {"title": song["title"], "artist": artist["name"], "album": album["name"],
            "album_artist": artist["name"], "track": str(song["track"]), "date": str(album["year"]),
            "genre": album["genre"]}
    cmd = ["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i", source]
    for key, value in tags.items():
        cmd += ["-metadata", "%s=%s" % (key, value)]
    return cmd + CODECS[song["suffix"]] + [out]


def cover_command(cover_id, out):
    album = catalogue.album(cover_id)
    top, bottom = album["colors"] if album else catalogue.ARTIST_COLORS[cover_id]
    shape = "circle 300,300 300,140" if album else "circle 300,240 300,150"
    return ["convert", "-size", "600x600", "gradient:%s-%s" % (top, bottom),
            "-fill", "#ffffff60", "-draw", shape, "-strip", out]


def generate(outdir, scale=1):
    """Writes every song and cover source into outdir plus index.json (sizes and lengths)."""
    os.makedirs(outdir, exist_ok=True)
    jobs = []
    lengths = {}
    for index, song in enumerate(s for s in catalogue.SONGS if "source" not in s):
        seconds = song_seconds(index, scale)
        lengths[song["id"]] = seconds
        jobs.append(tone_command(song, seconds, os.path.join(outdir, catalogue.song_file(song))))
    for cover_id in [a["id"] for a in catalogue.ALBUMS if a["cover"] != "generated"] + list(catalogue.ARTIST_COLORS):
        jobs.append(cover_command(cover_id, os.path.join(outdir, catalogue.cover_file(cover_id))))
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(2, os.cpu_count() or 2)) as pool:
        for future in [pool.submit(run, cmd) for cmd in jobs]:
            future.result()
    index = {song["id"]: {"seconds": lengths[song["id"]],
                          "size": os.path.getsize(os.path.join(outdir, catalogue.song_file(song)))}
             for song in catalogue.SONGS if "source" not in song}
    with open(os.path.join(outdir, "index.json"), "w") as f:
        json.dump(index, f, indent=1)


def load_index(media_dir):
    with open(os.path.join(media_dir, "index.json")) as f:
        return json.load(f)


def cache_key(scale):
    text = json.dumps([GENERATOR_VERSION, scale, catalogue.SONGS, catalogue.ALBUMS, catalogue.ARTISTS,
                       catalogue.ARTIST_COLORS, catalogue.LOSSY_BITRATE], sort_keys=True)
    return hashlib.sha1(text.encode()).hexdigest()[:16]


def cached_media_dir(scale=1, root=None):
    """The generated media for this catalogue, made once and then reused by every run."""
    root = root or tempfile.gettempdir()
    final = os.path.join(root, "sonaria-test-media-%s" % cache_key(scale))
    if os.path.exists(os.path.join(final, "index.json")):
        return final
    with open(final + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)  # another server may be generating the same set
        if os.path.exists(os.path.join(final, "index.json")):
            return final
        for stale in glob.glob(final + ".tmp-*"):  # left by a killed generator; we hold the lock
            shutil.rmtree(stale, ignore_errors=True)
        work = tempfile.mkdtemp(prefix=os.path.basename(final) + ".tmp-", dir=root)
        try:
            generate(work, scale)
            os.rename(work, final)
        finally:
            shutil.rmtree(work, ignore_errors=True)
    return final


def variant(media_dir, name, make):
    """media_dir/name, created on first use by make(temp_path), written atomically."""
    path = os.path.join(media_dir, name)
    if os.path.exists(path):
        return path
    os.makedirs(os.path.dirname(path), exist_ok=True)
    base, ext = os.path.splitext(path)
    handle, temp = tempfile.mkstemp(prefix=os.path.basename(base) + ".", suffix=".tmp" + ext,
                                    dir=os.path.dirname(path))
    os.close(handle)
    try:
        make(temp)
        os.replace(temp, path)
    finally:
        if os.path.exists(temp):
            os.remove(temp)
    return path


def resized_cover(media_dir, cover_id, size):
    source = os.path.join(media_dir, catalogue.cover_file(cover_id))
    ext = os.path.splitext(source)[1]
    return variant(media_dir, "covers/%s_%d%s" % (cover_id, size, ext), lambda out: run(
        ["convert", source, "-resize", "%dx%d" % (size, size), "-strip", out]))


def transcoded(media_dir, song, bitrate):
    source = os.path.join(media_dir, catalogue.song_file(song))
    return variant(media_dir, "transcoded/%s_%d.mp3" % (catalogue.media_id(song), bitrate), lambda out: run(
        ["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", source,
         "-map_metadata", "0", "-c:a", "libmp3lame", "-b:a", "%dk" % bitrate, "-f", "mp3", out]))


def hsv_rgb(hue, saturation, value):
    """Bytes (r, g, b) of a colour given as hue in degrees, saturation and value in [0, 1]."""
    c = value * saturation
    x = c * (1 - abs((hue / 60) % 2 - 1))
    r, g, b = [(c, x, 0), (x, c, 0), (0, c, x), (0, x, c), (x, 0, c), (c, 0, x)][int(hue // 60) % 6]
    m = value - c
    return bytes(int((v + m) * 255) for v in (r, g, b))


def gradient_png(size, hue):
    """A size x size PNG: a vertical gradient from the hue (dark) to its opposite (light).
    Pure standard library, a few milliseconds per cover, so a thousand albums cost nothing."""
    top, bottom = hsv_rgb(hue, 0.75, 0.35), hsv_rgb((hue + 150) % 360, 0.6, 0.9)
    rows = []
    for y in range(size):
        f = y / max(1, size - 1)
        pixel = bytes(int(a + (b - a) * f) for a, b in zip(top, bottom))
        rows.append(b"\0" + pixel * size)

    def chunk(kind, data):
        return (len(data).to_bytes(4, "big") + kind + data
                + (zlib.crc32(kind + data) & 0xFFFFFFFF).to_bytes(4, "big"))

    header = size.to_bytes(4, "big") * 2 + bytes([8, 2, 0, 0, 0])
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 6))
            + chunk(b"IEND", b""))


def generated_cover(media_dir, album, size):
    """The cover of a generated album at `size` pixels, made on first request and cached."""
    def make(out):
        with open(out, "wb") as f:
            f.write(gradient_png(size, album["hue"]))
    return variant(media_dir, "generated/%s_%d.png" % (album["id"], size), make)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("outdir")
    parser.add_argument("--scale", type=int, default=1, help="multiply song lengths (demo: 8)")
    args = parser.parse_args()
    generate(args.outdir, args.scale)
    print(args.outdir)


if __name__ == "__main__":
    main()
