#!/usr/bin/env python3
"""Writes the scripted golden runs into tests/data/replays (or the folder given), in the format
described in src/replay/recording.h: a recording is its clock readings and keys, nothing more.

crowd.rec brings hundreds of enemies into play, where the Crowd's helper thread takes part, as a
very slow machine would: its first 300 frames take just over a second each, so the release
schedule lets one enemy out every frame; then 400 frames come 16 ms apart.

tour.rec plays every control of the hero at 50 frames a second in both scenes, while enemies of
every kind walk up, strike and die on the sword, and ends with q. In closed.rec the window is
closed after a short run: the run ends with its report, and the replay's closing line after it.
"""
import os
import sys

SDL_KEYDOWN, SDL_KEYUP, SDL_QUIT = 2, 3, 12
KEYS = {"space": 32, "1": 49, "2": 50, "p": 112, "q": 113, "kp2": 258, "kp4": 260, "kp6": 262,
        "kp8": 264, "kp-": 269, "kp+": 270, "up": 273, "down": 274, "right": 275, "left": 276,
        "ctrl": 306}
ROSTER_TICK = 400
FIRST_FRAME_TICK = 500


def varint(value):
    out = bytearray()
    while value > 0x7F:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    out.append(value)
    return bytes(out)


def recording(frame_ms, presses):
    """frame_ms(frame) gives the time to the next frame; presses are (frame, key, frames held)."""
    events = {}
    for frame, key, held in presses:
        events[frame], events[frame + held] = (SDL_KEYDOWN, key), (SDL_KEYUP, key)
    out = bytearray(b"GHOULRUN REPLAY\n")
    out += varint(1) + varint(3) + b"1.0" + varint(64) + varint(0) + varint(0)
    out += bytes([0x04]) + varint(ROSTER_TICK)
    previous, tick, frame = 0, FIRST_FRAME_TICK, 1
    while frame_ms(frame):
        event = events.get(frame)
        out += bytes([0x01 if event else 0x00]) + varint(tick - previous)
        if event:
            kind, key = event
            out += bytes([kind, kind == SDL_KEYDOWN, 0]) + varint(KEYS[key]) + bytes([0, 0])
        previous = tick
        tick += frame_ms(frame)
        frame += 1
    return bytes(out)


def crowd():
    presses = [(3, "space", 1), (320, "ctrl", 1), (500, "ctrl", 1)]
    return recording(lambda frame: 0 if frame > 700 else 1001 if frame < 300 else 16, presses)


# The tour: (second, key, seconds held). A held key is let go after that long.
TOUR_FRAME_MS = 20
TOUR_SECONDS = 25
TOUR = [(1.0, "right", 0.3), (1.5, "left", 0.5), (2.2, "up", 0.3), (2.6, "down", 0.3),
        (3.0, "kp6", 0.1), (3.2, "kp4", 0.1), (3.4, "kp8", 0.1), (3.6, "kp2", 0.1),
        (3.8, "ctrl", 0.02), (4.8, "p", 0.02), (5.0, "kp+", 0.02), (5.1, "kp-", 0.02),
        (5.2, "space", 0.02), (6.5, "space", 0.02), (7.8, "right", 0.02), (8.0, "space", 0.02),
        (9.3, "left", 0.02), (9.5, "space", 0.02), (10.0, "2", 0.02), (11.0, "space", 0.02),
        (12.3, "right", 0.02), (12.5, "space", 0.02), (13.8, "space", 0.02),
        (14.5, "right", 1.0), (15.6, "ctrl", 6.0), (21.8, "space", 0.02), (22.5, "1", 0.02),
        (23.1, "space", 0.02), (24.4, "q", 0.02)]


def tour():
    def frame_at(second):
        return round(second * 1000 / TOUR_FRAME_MS)

    presses = [(frame_at(s), key, frame_at(s + held) - frame_at(s)) for s, key, held in TOUR]
    last = frame_at(TOUR_SECONDS)
    return recording(lambda frame: 0 if frame > last else TOUR_FRAME_MS, presses)


def closed():
    run = recording(lambda frame: 0 if frame > 200 else 20, [(20, "right", 60), (100, "space", 1)])
    return run + bytes([0x01]) + varint(20) + bytes([SDL_QUIT])


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "tests/data/replays"
    for name, run in (("crowd", crowd), ("tour", tour), ("closed", closed)):
        with open(os.path.join(folder, name + ".rec"), "wb") as f:
            f.write(run())
