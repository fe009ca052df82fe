#!/usr/bin/env python3
"""A small update server for the tests: serves a folder on 127.0.0.1.

Prints "PORT <n>" once it listens. Per request it reads <root>/.rules.json,
a map from URL path to behaviour: {"status": 404} answers with that status
(and a body), {"delay_ms": 300} waits first, {"drop": true} closes the
connection without an answer, {"no_length": true} sends no Content-Length.
Every request path is appended to <root>/.requests.log.
"""
import http.server
import json
import os
import shutil
import sys
import time
import urllib.parse

ROOT = os.path.abspath(sys.argv[1])


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def rules(self):
        try:
            with open(os.path.join(ROOT, ".rules.json"), encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def do_GET(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        with open(os.path.join(ROOT, ".requests.log"), "a", encoding="utf-8") as log:
            log.write(path + "\n")
        rule = self.rules().get(path, {})
        if rule.get("delay_ms"):
            time.sleep(rule["delay_ms"] / 1000.0)
        if rule.get("drop"):
            self.close_connection = True
            return
        if rule.get("status"):
            body = b"<html>error page</html>"
            self.send_response(rule["status"])
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        local = os.path.normpath(os.path.join(ROOT, path.lstrip("/")))
        if not local.startswith(ROOT + os.sep) or not os.path.isfile(local):
            body = b"not found"
            self.send_response(404)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        size = os.path.getsize(local)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if rule.get("no_length"):
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(size))
        self.end_headers()
        with open(local, "rb") as f:
            shutil.copyfileobj(f, self.wfile, 1 << 20)


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
