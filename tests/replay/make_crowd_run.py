#!/usr/bin/env python3
"""Writes tests/data/replays/crowd.rec: a scripted run that brings hundreds of enemies into play.

No player keeps 256 enemies alive at once (the street ends at the background's edges, so nobody
outruns them), yet that is where the Crowd's helper thread takes part. This run gets there the
way a very slow machine would: for its first 300 frames each frame takes just over a second, so
the release schedule lets one enemy out in every frame. Then the frames come every 16 ms, as on
a quick machine, for 400 frames more. The hero swings at the start and jumps now and then.

The clock readings and keys are the whole of a recording, so this script writes one directly in
the format described in src/replay/recording.h.
"""
import sys

SLOW_FRAMES = 300
SLOW_FRAME_MS = 1001
QUICK_FRAMES = 400
QUICK_FRAME_MS = 16
FIRST_FRAME_TICK = 500
ROSTER_TICK = 400

SDL_KEYDOWN, SDL_KEYUP = 2, 3
SDLK_SPACE, SDLK_LCTRL = 32, 306
# frame number: (event type, key)
EVENTS = {
    3: (SDL_KEYDOWN, SDLK_SPACE),
    4: (SDL_KEYUP, SDLK_SPACE),
    320: (SDL_KEYDOWN, SDLK_LCTRL),
    321: (SDL_KEYUP, SDLK_LCTRL),
    500: (SDL_KEYDOWN, SDLK_LCTRL),
    501: (SDL_KEYUP, SDLK_LCTRL),
}


def varint(value):
    out = bytearray()
    while value > 0x7F:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    out.append(value)
    return bytes(out)


def key_event(kind, key):
    state = 1 if kind == SDL_KEYDOWN else 0
    return bytes([kind, state, 0]) + varint(key) + varint(0) + varint(0)


def recording():
    out = bytearray(b"GHOULRUN REPLAY\n")
    out += varint(1) + varint(3) + b"1.0" + varint(64) + varint(0) + varint(0)
    out += bytes([0x04]) + varint(ROSTER_TICK)
    previous, tick = 0, FIRST_FRAME_TICK
    for frame in range(1, SLOW_FRAMES + QUICK_FRAMES + 1):
        event = EVENTS.get(frame)
        out += bytes([0x01 if event else 0x00]) + varint(tick - previous)
        if event:
            out += key_event(*event)
        previous = tick
        tick += SLOW_FRAME_MS if frame < SLOW_FRAMES else QUICK_FRAME_MS
    return bytes(out)


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "tests/data/replays/crowd.rec", "wb") as f:
        f.write(recording())
