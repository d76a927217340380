#!/usr/bin/python3
"""A small HTTP server on 127.0.0.1 for the update and upload tests, and for watching an update
of the demo installation by hand.

Tests:   update_server.py --routes ROUTES.json --log LOG.jsonl
         Listens on an ephemeral port and prints "PORT <n>" first. ROUTES maps a path (without
         its query) to {"status", "body" (bytes as latin-1 text), "zlib" (compress the body),
         "location", "delay" (seconds before answering), "headers"}. Every request is appended
         to LOG as one JSON line: method, path as sent, headers (lower-case names), and for a
         multipart body the fields and files as Python's email parser reads them.
By hand: update_server.py --demo [--port 8642]
         Serves an update of the demo database and accepts uploads, printing what it gets.
"""

import argparse
import email.parser
import email.policy
import hashlib
import json
import sys
import threading
import time
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit

ROUTES = {}
LOG = None
LOG_LOCK = threading.Lock()
DEMO = False


def parse_multipart(content_type, body):
    message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(
        b"Content-Type: " + content_type.encode("latin-1") + b"\r\n\r\n" + body)
    fields, files = {}, {}
    for part in message.iter_parts():
        name = part.get_param("name", header="content-disposition")
        data = part.get_payload(decode=True) or b""
        if part.get_filename() is None:
            fields[name] = data.decode("latin-1")
        else:
            files[name] = {"filename": part.get_filename(),
                           "content_type": part.get_content_type(),
                           "data": data.decode("latin-1")}
    return fields, files


class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        if DEMO:
            super().log_message(*args)

    def record(self, entry):
        if LOG:
            with LOG_LOCK, open(LOG, "a", encoding="utf-8") as f:
                f.write(json.dumps(entry) + "\n")
        if DEMO and "fields" in entry:
            print("upload:", entry["fields"], {k: len(v["data"]) for k, v in entry["files"].items()},
                  flush=True)

    def answer(self, body=b""):
        entry = {"method": self.command, "path": self.path, "version": self.request_version,
                 "headers": {k.lower(): v for k, v in self.headers.items()}}
        content_type = self.headers.get("Content-Type", "")
        if content_type.startswith("multipart/form-data"):
            entry["fields"], entry["files"] = parse_multipart(content_type, body)
        self.record(entry)
        route = ROUTES.get(urlsplit(self.path).path)
        if route is None:
            route = {"status": 404, "body": "not found"}
        if route.get("delay"):
            time.sleep(route["delay"])
        data = route.get("body", "").encode("latin-1")
        if route.get("zlib"):
            data = zlib.compress(data)
        try:
            self.send_response(route.get("status", 200))
            if "location" in route:
                self.send_header("Location", route["location"])
            for name, value in route.get("headers", {}).items():
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client gave up waiting

    def do_GET(self):
        self.answer()

    def do_POST(self):
        self.answer(self.rfile.read(int(self.headers.get("Content-Length", 0))))


def demo_routes(port):
    base = "http://127.0.0.1:%d/vev/" % port
    news = ("Vev Karvelo: update of the demo installation\r\n"
            "Served by tests/support/peers/update_server.py at %s\r\n" % time.ctime())
    credits = zlib.compress(("Contributeurs de la base Demo\r\nMise \xe0 jour locale du %s\r\n"
                             % time.ctime()).encode("latin-1"), 9).decode("latin-1")
    md5 = lambda text: hashlib.md5(text.encode("latin-1")).hexdigest()
    reply = "\r\n".join([
        "VERS=v1.06",
        "MESS=Serveur de mise \xe0 jour local de la d\xe9monstration.",
        "MESE=Local update server of the demo.",
        "FILE=nouveautes.txt||%s|%sfiles/nouveautes.txt|What is new|0|0|all" % (md5(news), base),
        "FILE=creditlist.inf|database\\Demo\\|%s|%sfiles/creditlist.gz|Credits of the demo|1|0|bas Demo"
        % (md5(credits), base),
        "EOF", ""])
    return {"/vev/update.php": {"body": reply},
            "/vev/files/nouveautes.txt": {"body": news},
            "/vev/files/creditlist.gz": {"body": credits, "zlib": True},
            "/vev/upload.php": {"body": "<html><body><done></body></html>"}}


def main():
    global ROUTES, LOG, DEMO
    parser = argparse.ArgumentParser()
    parser.add_argument("--routes")
    parser.add_argument("--log")
    parser.add_argument("--demo", action="store_true")
    parser.add_argument("--port", type=int, default=None)
    args = parser.parse_args()
    DEMO = args.demo
    port = args.port if args.port is not None else (8642 if DEMO else 0)
    server = ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    port = server.server_address[1]
    LOG = args.log
    if DEMO:
        ROUTES = demo_routes(port)
        print("Demo update server on http://127.0.0.1:%d/ (Ctrl+C stops it)" % port, flush=True)
    else:
        with open(args.routes, encoding="utf-8") as f:
            ROUTES = json.load(f)
        print("PORT %d" % port, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
