#!/usr/bin/env python3
"""Serves the browser build (make serve-web) on this machine only.

The game's threads need the page to be cross-origin isolated, which takes two response headers
that python3 -m http.server cannot send; this server sends them with every file.
Usage: serve_web.py FOLDER [PORT]
"""
import functools
import http.server
import sys

ISOLATION_HEADERS = {
    "Cross-Origin-Opener-Policy": "same-origin",
    "Cross-Origin-Embedder-Policy": "require-corp",
}
DEFAULT_PORT = 8046


class IsolatedHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def end_headers(self):
        for name, value in ISOLATION_HEADERS.items():
            self.send_header(name, value)
        # A rebuilt page is always fetched again.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: serve_web.py FOLDER [PORT]")
    port = int(sys.argv[2]) if len(sys.argv) > 2 else DEFAULT_PORT
    handler = functools.partial(IsolatedHandler, directory=sys.argv[1])
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        print(f"serving {sys.argv[1]} at http://127.0.0.1:{port}/", flush=True)
        server.serve_forever()


if __name__ == "__main__":
    main()
