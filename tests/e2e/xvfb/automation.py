#!/usr/bin/env python3
"""The automation socket for the full-screen tests. `say SOCKET COMMAND` prints the answer; `tap
SOCKET CLASS KEY W H` prints "X Y", the middle of control KEY (text or #ID) of window CLASS on a
W x H output with the picture fitted and centred."""
import json
import math
import socket
import sys

PICTURE = (480, 272)


def say(path, command):
    with socket.socket(socket.AF_UNIX) as s:
        s.settimeout(30)
        s.connect(path)
        s.sendall((command + "\n").encode())
        return s.makefile().readline().strip()


def find(windows, matches):
    for w in windows:
        if w["visible"] and matches(w):
            return w
        found = find(w.get("children", []), matches)
        if found:
            return found
    return None


def tap(path, top_class, key, width, height):
    answer = say(path, "windows")
    if not answer.startswith("ok "):
        sys.exit("windows: " + answer)
    screen = find(json.loads(answer[3:]), lambda w: w["class"] == top_class)
    if key.startswith("#"):
        control = screen and find(screen["children"], lambda w: "#%d" % w["id"] == key)
    else:
        control = screen and find(screen["children"], lambda w: w["text"] == key)
    if not control:
        sys.exit("no visible %s in %s: %s" % (key, top_class, json.dumps(screen)[:3000]))
    left, top, right, bottom = control["rect"]
    factor = min(width / PICTURE[0], height / PICTURE[1])
    placed = (min(round(PICTURE[0] * factor), width), min(round(PICTURE[1] * factor), height))
    origin = ((width - placed[0]) // 2, (height - placed[1]) // 2)
    x = origin[0] + math.floor((left + right) / 2 * placed[0] / PICTURE[0])
    y = origin[1] + math.floor((top + bottom) / 2 * placed[1] / PICTURE[1])
    print(x, y)


if __name__ == "__main__":
    if sys.argv[1] == "say":
        print(say(sys.argv[2], sys.argv[3]))
    else:
        tap(sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]), int(sys.argv[6]))
