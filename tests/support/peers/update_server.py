#!/usr/bin/python3
"""A small HTTP server on 127.0.0.1 for the update and upload tests, and for watching an update
of the demo installation by hand (--demo, port 8642).

Tests: update_server.py --routes ROUTES.json --log LOG.jsonl listens on an ephemeral port and
prints "PORT <n>" first. ROUTES maps a path (without query) to {"status", "body" (bytes as
latin-1 text; "$BASE" stands for the server's address), "zlib", "location", "delay" (seconds),
"cookie" (a Set-Cookie value), "length" (the Content-Length sent, when not the body's), "repeat"
(the body sent that many times), "drip" (seconds between two bytes of the body)}.
Each request goes to LOG as one JSON line: method, path, version, headers (lower-case names), the
query as a server decodes it (each key's values, their bytes as latin-1 text) and the fields and
files of a multipart body as Python's email parser reads them.
"""

import argparse
import email.parser
import email.policy
import hashlib
import json
import threading
import time
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

ROUTES, LOG, LOCK, DEMO = {}, None, threading.Lock(), False


def parse_multipart(content_type, body):
    message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(
        b"Content-Type: " + content_type.encode("latin-1") + b"\r\n\r\n" + body)
    fields, files = {}, {}
    for part in message.iter_parts():
        name = part.get_param("name", header="content-disposition")
        data = (part.get_payload(decode=True) or b"").decode("latin-1")
        if part.get_filename() is None:
            fields[name] = data
        else:
            files[name] = {"filename": part.get_filename(), "data": data,
                           "content_type": part.get_content_type()}
    return fields, files


class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        if DEMO:
            super().log_message(*args)

    def answer(self, body=b""):
        entry = {"method": self.command, "path": self.path, "version": self.request_version,
                 "headers": {k.lower(): v for k, v in self.headers.items()},
                 "query": parse_qs(urlsplit(self.path).query, keep_blank_values=True,
                                   encoding="latin-1")}
        content_type = self.headers.get("Content-Type", "")
        if content_type.startswith("multipart/form-data"):
            entry["fields"], entry["files"] = parse_multipart(content_type, body)
            if DEMO:
                print("upload:", entry["fields"], flush=True)
        if LOG:
            with LOCK, open(LOG, "a", encoding="utf-8") as f:
                f.write(json.dumps(entry) + "\n")
        route = ROUTES.get(urlsplit(self.path).path, {"status": 404})
        time.sleep(route.get("delay", 0))
        base = "http://127.0.0.1:%d" % self.server.server_address[1]
        data = route.get("body", "").replace("$BASE", base).encode("latin-1")
        if route.get("zlib"):
            data = zlib.compress(data)
        try:
            self.send_response(route.get("status", 200))
            if "location" in route:
                self.send_header("Location", route["location"])
            if "cookie" in route:
                self.send_header("Set-Cookie", route["cookie"])
            repeat, drip = route.get("repeat", 1), route.get("drip", 0)
            length = route.get("length", -1)
            self.send_header("Content-Length", str(length if length >= 0 else len(data) * repeat))
            self.end_headers()
            for chunk in ([data[i:i + 1] for i in range(len(data))] if drip else [data]) * repeat:
                self.wfile.write(chunk)
                time.sleep(drip)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client gave up waiting

    def do_GET(self):
        self.answer()

    def do_POST(self):
        self.answer(self.rfile.read(int(self.headers.get("Content-Length", 0))))


def demo_routes():
    """Two files for the demo: news in the program folder, and the demo database's credits."""
    news = "Vev Karvelo: local update of %s\r\n" % time.ctime()
    credits = zlib.compress(("Contributeurs de la base Demo\r\nMise \xe0 jour locale du %s\r\n"
                             % time.ctime()).encode("latin-1")).decode("latin-1")
    md5 = lambda text: hashlib.md5(text.encode("latin-1")).hexdigest()
    reply = ["VERS=v1.06", "MESS=Serveur de mise \xe0 jour local de la d\xe9monstration.",
             "MESE=Local update server of the demo.",
             "FILE=nouveautes.txt||%s|$BASE/vev/news|What is new|0|0|all" % md5(news),
             "FILE=creditlist.inf|database\\Demo\\|%s|$BASE/vev/credits|Credits|1|0|bas Demo"
             % md5(credits), "EOF", ""]
    return {"/vev/update.php": {"body": "\r\n".join(reply)}, "/vev/news": {"body": news},
            "/vev/credits": {"body": credits, "zlib": True},
            "/vev/upload.php": {"body": "<html><body><done></body></html>"}}


def main():
    global ROUTES, LOG, DEMO
    parser = argparse.ArgumentParser()
    parser.add_argument("--routes")
    parser.add_argument("--log")
    parser.add_argument("--demo", action="store_true")
    parser.add_argument("--port", type=int, default=None)
    args = parser.parse_args()
    DEMO, LOG = args.demo, args.log
    port = args.port if args.port is not None else (8642 if DEMO else 0)
    server = ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    if DEMO:
        ROUTES = demo_routes()
        print("Demo update server on http://127.0.0.1:%d/ (Ctrl+C stops it)"
              % server.server_address[1], flush=True)
    else:
        with open(args.routes, encoding="utf-8") as f:
            ROUTES = json.load(f)
        print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
