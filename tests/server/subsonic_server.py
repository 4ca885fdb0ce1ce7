#!/usr/bin/env python3
"""A small Subsonic server for Sonaria's integration tests and demos (Python standard library only).

    subsonic_server.py [--port N] [--port-file F] [--tls] [--user U --password P]
    subsonic_server.py --demo            # http://127.0.0.1:4533, user demo, password demo

Serves /rest/<endpoint> and /rest/<endpoint>.view with JSON replies shaped like Navidrome's, and a
control API under /__test/ (no authentication) for fault injection, the request log and state.
See tests/server/README.md.
"""
import argparse
import hashlib
import http.server
import json
import os
import re
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import catalogue  # noqa: E402
import faults  # noqa: E402
import make_media  # noqa: E402
from subsonic_api import ENDPOINTS, ApiError, Library, Params, Reply, envelope  # noqa: E402

ERROR_PAGE = "<html><head><title>%d</title></head><body><h1>%d</h1><p>Injected failure</p></body></html>\n"


def json_reply(document, status=200):
    return Reply(status, "application/json", json.dumps(document, ensure_ascii=False, separators=(",", ":")).encode())


def text_reply(status, text):
    return Reply(status, "text/plain; charset=utf-8", text.encode())


def apply_range(reply, header):
    """A 206 (or 416) reply for a single "bytes=" range; other forms get the whole body."""
    match = re.fullmatch(r"bytes=(\d*)-(\d*)", header.strip())
    if not match or not (match[1] or match[2]):
        return reply
    size = len(reply.body)
    if match[1]:
        start = int(match[1])
        end = min(int(match[2]), size - 1) if match[2] else size - 1
    else:
        start, end = max(0, size - int(match[2])), size - 1
        if int(match[2]) == 0:
            start = size
    if start >= size or start > end:
        return Reply(416, "text/plain; charset=utf-8", b"", [("Content-Range", "bytes */%d" % size)])
    headers = reply.headers + [("Content-Range", "bytes %d-%d/%d" % (start, end, size))]
    return Reply(206, reply.content_type, reply.body[start:end + 1], headers, reply.chunked)


def faulted_reply(reply, fault):
    """The reply a fault substitutes for the normal one (or the normal one, re-labelled)."""
    if fault["subsonicError"]:
        reply = json_reply(envelope(error=(fault["errorCode"], fault["errorMessage"])))
    elif fault["body"] is not None:
        reply = Reply(fault["status"] or 200, "text/plain; charset=utf-8", fault["body"].encode())
    elif fault["status"]:
        status = fault["status"]
        body = b"" if fault["emptyBody"] else (ERROR_PAGE % (status, status)).encode()
        reply = Reply(status, "text/html; charset=utf-8", body)
    if fault["contentType"]:
        reply.content_type = fault["contentType"]
    return reply


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "SonariaTestServer/1.0"
    timeout = 60

    def setup(self):
        super().setup()
        if isinstance(self.connection, ssl.SSLSocket):
            self.connection.do_handshake()  # in this thread, so a slow client holds up no one

    def handle(self):
        try:
            super().handle()
        except (ssl.SSLError, ConnectionError, socket.timeout):
            self.close_connection = True

    def log_message(self, format, *args):
        if self.server.verbose:
            sys.stdout.write("%s %s\n" % (self.log_date_time_string(), format % args))
            sys.stdout.flush()

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def do_DELETE(self):
        self.dispatch()

    def do_HEAD(self):
        self.dispatch(head=True)

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def dispatch(self, head=False):
        url = urllib.parse.urlsplit(self.path)
        if url.path.startswith("/__test/"):
            return self.send(self.control(url.path[len("/__test/"):], self.read_body()), None, head)
        if not url.path.startswith("/rest/"):
            return self.send(text_reply(404, "404 page not found\n"), None, head)
        endpoint = url.path[len("/rest/"):]
        endpoint = endpoint[:-len(".view")] if endpoint.endswith(".view") else endpoint
        pairs = urllib.parse.parse_qsl(url.query, keep_blank_values=True)
        body = self.read_body()  # always consumed, so a kept-alive connection stays in step
        if "form-urlencoded" in self.headers.get("Content-Type", ""):
            pairs += urllib.parse.parse_qsl(body.decode(errors="replace"), keep_blank_values=True)
        fault = self.server.faults.take(endpoint)
        self.server.requests.add({
            "method": self.command, "path": url.path, "endpoint": endpoint, "query": url.query,
            "params": [list(p) for p in pairs], "headers": [list(h) for h in self.headers.items()],
            "faulted": fault is not None, "time": time.time()})
        if fault and fault["delaySeconds"] > 0:
            time.sleep(fault["delaySeconds"])
        if fault and fault["stall"]:
            self.server.faults.stall(fault)  # never answered nor carried out: the connection just closes
            return self.drop_connection()
        reply = self.api_reply(endpoint, Params(pairs))
        if reply.status == 200 and ("Accept-Ranges", "bytes") in reply.headers and self.headers.get("Range"):
            reply = apply_range(reply, self.headers["Range"])
        self.send(faulted_reply(reply, fault) if fault else reply, fault, head)

    def api_reply(self, endpoint, params):
        handler = ENDPOINTS.get(endpoint)
        if handler is None:
            return text_reply(404, "404 page not found\n")
        try:
            self.authenticate(params)
            result = handler(self.server.library, params)
        except ApiError as error:
            return json_reply(envelope(error=(error.code, error.message)))
        except Exception as error:  # a bug here must show as a reply, not as a dropped connection
            sys.stderr.write("error in %s: %r\n" % (endpoint, error))
            return text_reply(500, "internal error: %r\n" % error)
        return result if isinstance(result, Reply) else json_reply(envelope(result))

    def authenticate(self, params):
        for name in ("u", "v", "c", "f"):
            params.required(name)
        if params.get("f") != "json":
            raise ApiError(0, "This server only answers f=json")
        user, password = self.server.user, self.server.password
        if params.get("p") is not None:
            given = params.get("p")
            if given.startswith("enc:"):
                try:
                    given = bytes.fromhex(given[4:]).decode(errors="replace")
                except ValueError:
                    given = None
            accepted = given == password
        else:
            token, salt = params.required("t"), params.required("s")
            accepted = token == hashlib.md5((password + salt).encode()).hexdigest()
        if params.get("u") != user or not accepted:
            raise ApiError(40, "Wrong username or password")

    def control(self, action, body):
        server = self.server
        try:
            if action == "requests" and self.command == "GET":
                return json_reply({"requests": server.requests.list()})
            if action == "requests" and self.command == "DELETE":
                server.requests.clear()
            elif action == "faults" and self.command == "GET":
                return json_reply({"faults": server.faults.list()})
            elif action == "faults" and self.command == "POST":
                data = json.loads(body or b"null")
                server.faults.add([faults.parse_fault(f) for f in (data if isinstance(data, list) else [data])])
            elif (action == "faults" and self.command == "DELETE") or action == "faults/clear":
                server.faults.clear()
            elif action == "reset" and self.command == "POST":
                server.faults.clear()
                server.requests.clear()
                server.library.reset()
            elif action == "state" and self.command == "GET":
                return json_reply(server.library.snapshot())
            elif action == "info" and self.command == "GET":
                salt = "c0ffee1234"  # a ready-made token, for tests that build URLs by hand
                return json_reply({"mediaDir": server.library.media_dir, "user": server.user, "salt": salt,
                                   "token": hashlib.md5((server.password + salt).encode()).hexdigest()})
            else:
                return json_reply({"error": "unknown control call %s %s" % (self.command, action)}, 404)
        except ValueError as error:  # includes malformed JSON
            return json_reply({"error": str(error)}, 400)
        return json_reply({"ok": True})

    def send(self, reply, fault, head):
        chunked = reply.chunked or bool(fault and fault["chunked"])
        try:
            self.send_response(reply.status)
            self.send_header("Content-Type", reply.content_type)
            for name, value in reply.headers:
                self.send_header(name, value)
            if chunked:
                self.send_header("Transfer-Encoding", "chunked")
            else:
                self.send_header("Content-Length", str(len(reply.body)))
            self.end_headers()
            if not head:
                self.write_body(reply.body, chunked, fault or {})
        except (ConnectionError, ssl.SSLError, socket.timeout):
            self.close_connection = True

    def write_body(self, body, chunked, fault):
        drop = fault.get("dropAfterBytes", -1)
        rate = fault.get("throttleBytesPerSecond", 0)
        piece = max(1, rate // 10) if rate > 0 else 1 << 16
        started, sent = time.monotonic(), 0
        for offset in range(0, len(body), piece):
            part = body[offset:offset + piece]
            cut = 0 <= drop < sent + len(part)
            keep = part[:drop - sent] if cut else part
            if chunked:  # a cut chunk still announces its full length, so the client sees it broken
                keep = ("%x\r\n" % len(part)).encode() + keep + (b"" if cut else b"\r\n")
            self.wfile.write(keep)
            sent += len(part)
            if cut:
                break
            if rate > 0:
                self.wfile.flush()
                time.sleep(max(0.0, started + sent / rate - time.monotonic()))
        if drop >= 0:
            self.drop_connection()
        elif chunked:
            self.wfile.write(b"0\r\n\r\n")

    def drop_connection(self):
        self.wfile.flush()
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        if self.verbose:
            super().handle_error(request, client_address)


def make_certificate(directory):
    cert, key = os.path.join(directory, "cert.pem"), os.path.join(directory, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-days", "30", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


DEMO_SCALE = 8  # demo songs are eight times the test length


def demo_media_root():
    """The demo keeps its library in the user's cache, so it is generated once per machine."""
    cache = os.environ.get("XDG_CACHE_HOME") or os.path.join(os.path.expanduser("~"), ".cache")
    root = os.path.join(cache, "sonaria-demo")
    os.makedirs(root, exist_ok=True)
    return root


def demo_media_dir():
    """The demo's library (at the demo's scale), generated on first use."""
    return make_media.cached_media_dir(DEMO_SCALE, demo_media_root())


def media_dir(args):
    if not args.media_dir and args.demo and args.scale == DEMO_SCALE:
        return demo_media_dir()
    if not args.media_dir:
        return make_media.cached_media_dir(args.scale)
    if not os.path.exists(os.path.join(args.media_dir, "index.json")):
        make_media.generate(args.media_dir, args.scale)
    return args.media_dir


def prepare_media(args):
    """The media directory. While it is prepared (the first run generates it, which can take a
    while on a busy machine) a "<port file>.pending" marker tells the waiting fixture to be patient."""
    pending = args.port_file + ".pending" if args.port_file else None
    if pending:
        write_atomically(pending, "preparing media\n")
    try:
        return media_dir(args)
    finally:
        if pending:
            os.remove(pending)


def write_atomically(path, text):
    with open(path + ".tmp", "w") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


def parse_args():
    parser = argparse.ArgumentParser(description="Subsonic test and demo server")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, help="0 picks a free port (default; 4533 with --demo)")
    parser.add_argument("--port-file", help="write the port here once the server is ready")
    parser.add_argument("--user", default="demo")
    parser.add_argument("--password", default="demo")
    parser.add_argument("--tls", action="store_true", help="serve HTTPS with a self-signed certificate")
    parser.add_argument("--cert-dir", help="where --tls writes cert.pem and key.pem (default: a temp dir)")
    parser.add_argument("--media-dir", help="use (or generate into) this media directory")
    parser.add_argument("--scale", type=int, help="song length factor (default 1; 8 with --demo)")
    parser.add_argument("--demo", action="store_true", help="port 4533, longer songs, request log")
    parser.add_argument("--albums", type=int, default=0,
                        help="add this many generated albums (three songs each) to the library")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()
    args.port = args.port if args.port is not None else (4533 if args.demo else 0)
    args.scale = args.scale or (DEMO_SCALE if args.demo else 1)
    args.verbose = args.verbose or args.demo
    return args


def main():
    args = parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    server = Server((args.host, args.port), Handler)
    server.verbose = args.verbose
    server.user, server.password = args.user, args.password
    media = prepare_media(args)
    catalogue.grow(max(0, args.albums))  # after the media cache, whose key is the fixed library
    server.library = Library(media, catalogue.DEMO_STARS if args.demo else None)
    server.faults = faults.FaultBook()
    server.requests = faults.RequestLog()
    scheme = "http"
    if args.tls:
        cert, key = make_certificate(args.cert_dir or tempfile.mkdtemp(prefix="sonaria-test-tls-"))
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
        scheme = "https"
    port = server.server_address[1]
    if args.port_file:
        write_atomically(args.port_file, "%d\n" % port)
    print("Subsonic test server on %s://%s:%d (user %s, media %s)" % (
        scheme, args.host, port, args.user, server.library.media_dir), flush=True)
    try:
        server.serve_forever()
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
