"""Screenshots of the X display and pixel reads, with ImageMagick (import, convert)."""
import os
import subprocess

TIMEOUT = 60


def screenshot(path, crop=None):
    """The whole screen into path (PNG); crop (width, height, left, top) keeps that rectangle
    only. Returns path."""
    if crop is None:
        subprocess.run(["import", "-window", "root", path], check=True, timeout=TIMEOUT)
        return path
    full = path + ".full.png"
    subprocess.run(["import", "-window", "root", full], check=True, timeout=TIMEOUT)
    subprocess.run(["convert", full, "-crop", "%dx%d+%d+%d" % tuple(crop), "+repage", path],
                   check=True, timeout=TIMEOUT)
    os.remove(full)
    return path


def pixel(path, x, y):
    """The (r, g, b) of one pixel of a picture file, 0-255."""
    fmt = ",".join("%%[fx:int(255*p{%d,%d}.%s+0.5)]" % (x, y, c) for c in "rgb")
    text = subprocess.run(["convert", path, "-format", fmt, "info:"], check=True,
                          capture_output=True, text=True, timeout=TIMEOUT).stdout
    return tuple(int(v) for v in text.split(","))


def near(a, b, tolerance=16):
    """Whether two colours differ by at most tolerance in every channel."""
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


class Picture:
    """A picture file read through ImageMagick as 8-bit RGBA, for checks at pixel points."""

    def __init__(self, path):
        data = subprocess.run(["convert", path, "-depth", "8", "-alpha", "on", "pam:-"],
                              capture_output=True, check=True, timeout=TIMEOUT).stdout
        header, _, self.pixels = data.partition(b"ENDHDR\n")
        fields = dict(line.split(" ", 1) for line in header.decode("ascii").splitlines()[1:])
        self.width, self.height = int(fields["WIDTH"]), int(fields["HEIGHT"])
        if int(fields["DEPTH"]) != 4 or len(self.pixels) < self.width * self.height * 4:
            raise ValueError("unexpected picture format: " + path)

    def at(self, x, y):
        """(r, g, b, a) of one pixel."""
        i = (y * self.width + x) * 4
        return tuple(self.pixels[i:i + 4])

    def rgb(self, x, y):
        return self.at(x, y)[:3]

    def brightness(self, x, y):
        """The mean of the pixel's three colour channels."""
        return sum(self.rgb(x, y)) / 3.0

    def region(self, left, top, width, height):
        """The pixels of the rectangle (clipped to the picture), row by row."""
        for y in range(max(top, 0), min(top + height, self.height)):
            for x in range(max(left, 0), min(left + width, self.width)):
                yield self.at(x, y)

    def mean(self, left, top, width, height):
        """The mean (r, g, b) of the rectangle."""
        sums, count = [0, 0, 0], 0
        for rgba in self.region(left, top, width, height):
            for c in range(3):
                sums[c] += rgba[c]
            count += 1
        return tuple(s / max(count, 1) for s in sums)

    def difference(self, left, top, source, source_left, source_top, width, height):
        """How far this picture's rectangle is from source's (mean absolute difference per
        channel, 0-255), over the pixels that source draws opaque; None when there are none."""
        total, count = 0, 0
        for dy in range(height):
            for dx in range(width):
                expected = source.at(source_left + dx, source_top + dy)
                if expected[3] != 255:
                    continue
                actual = self.at(left + dx, top + dy)
                total += sum(abs(actual[c] - expected[c]) for c in range(3))
                count += 3
        return total / count if count else None
