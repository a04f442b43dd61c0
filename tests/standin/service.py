#!/usr/bin/env python3
"""Loopback stand-in of the maker's web service, for the tests.

Standard library only. Serves generated and on-disk files with byte ranges and can be
told to fail the way real networks fail, either by query parameters on the request
itself or by arming a fault for the next requests to a path through /_control/arm.

  service.py start --port P --state DIR   start in the background, wait until it answers
  service.py stop --state DIR             stop the one started with that state folder
  service.py serve --port P --state DIR   run in the foreground

Faults ("fault=" query parameter or armed): close_after (bytes=N), ignore_range,
status (code=404|500..., with an HTML body), no_length (or no_length=1 beside another fault), short_body (bytes=N sent of the
announced length), redirect (to=PATH), redirect_loop, trickle (bytes=N per delay_ms=M),
hold (delay_ms=M before answering, after the request body was read, for any method),
drop (close the connection without an answer), range_start (start=N: a 206 whose
Content-Range and body begin at byte N, whatever range was asked for), stall (delay_ms=M:
the headers, then no body byte for M ms, then the body).

Arming: GET /_control/arm?path=PATH&fault=KIND&...[&count=N] makes the next N requests to
PATH (any method, either listener) fail that way, e.g. a POST to /mp/collect held 3 s:
/_control/arm?path=/mp/collect&fault=hold&delay_ms=3000. A range asked for beyond the end
of a file is answered 416.

POST /collection/biz/upload checks the "timestamp" and "signature" headers against the
salt word given by --salt, keeps every body with its verdict (/_control/collected) and
answers 200 when accepted, 400 or 403 otherwise.

When the openssl command exists, the same service also answers https on port + 1 with a
self-signed certificate made at start, and on port + 2 with a certificate for 127.0.0.1
issued by a throwaway certificate authority made at start. /_control/tls tells both ports
("port", "trusted_port"; 0 without openssl) and the authority's certificate ("ca", base64
DER), which a test adds to the trusted roots to have the port + 2 chain accepted.
"""

import argparse
import base64
import hashlib
import http.server
import json
import os
import shutil
import signal
import ssl
import socket
import socketserver
import subprocess
import sys
import threading
import time
import urllib.parse

GEN_PREFIX = "/gen/"
ANALYTICS_PATH = "/mp/collect"
COLLECTION_PATH = "/collection/biz/upload"


GEN_PERIOD = 65521
# Deterministic content of /gen/ files: with k = i mod 65521, byte i is (7k + k / 256) mod 256,
# so any byte that lands at a wrong offset shows.
_GEN_CYCLE = bytes(((k * 7 + k // 256) & 0xFF) for k in range(GEN_PERIOD))


def generated_byte_block(start, length):
    out = bytearray()
    offset = start % GEN_PERIOD
    while len(out) < length:
        piece = _GEN_CYCLE[offset:offset + (length - len(out))]
        out += piece
        offset = 0
    return bytes(out)


class State:
    def __init__(self, folder):
        self.folder = folder
        self.lock = threading.Lock()
        self.armed = {}      # path -> list of fault dicts, consumed in order
        self.requests = []   # every request seen: method, path, query, headers, body
        self.collected = []  # every body posted to the collection endpoint, with its verdict
        self.salt = ""

    def arm(self, path, fault):
        with self.lock:
            self.armed.setdefault(path, []).append(fault)

    def take_fault(self, path):
        with self.lock:
            faults = self.armed.get(path)
            if faults:
                fault = faults.pop(0)
                if not faults:
                    del self.armed[path]
                return fault
        return None

    def record(self, entry):
        with self.lock:
            self.requests.append(entry)

    def snapshot(self):
        with self.lock:
            return list(self.requests)

    def reset(self):
        with self.lock:
            self.armed.clear()
            self.requests.clear()
            self.collected.clear()

    def collect(self, entry):
        with self.lock:
            self.collected.append(entry)

    def collected_snapshot(self):
        with self.lock:
            return list(self.collected)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VelStandin/1.0"

    def log_message(self, fmt, *args):
        pass

    # -- plumbing -----------------------------------------------------------------

    @property
    def state(self):
        return self.server.state

    def send_body(self, status, body, content_type="text/plain", extra=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in (extra or {}).items():
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def send_json(self, status, value):
        self.send_body(status, json.dumps(value).encode("utf-8"), "application/json")

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def handle_any(self):
        parsed = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(parsed.query, keep_blank_values=True))
        body = self.read_body() if self.command in ("POST", "PUT") else b""
        if not parsed.path.startswith("/_control/"):
            self.state.record({
                "method": self.command,
                "path": parsed.path,
                "query": parsed.query,
                "headers": [[k, v] for k, v in self.headers.items()],
                "body": body.decode("utf-8", "replace"),
            })
        if parsed.path.startswith("/_control/"):
            return self.control(parsed.path, query, body)
        fault = dict(query) if "fault" in query else self.state.take_fault(parsed.path)
        if fault and self.apply_leading_fault(fault, parsed.path):
            return
        if fault and fault.get("fault") == "drop":
            self.close_connection = True
            return
        if parsed.path == COLLECTION_PATH and self.command == "POST":
            return self.collection(body)
        if parsed.path == ANALYTICS_PATH and self.command == "POST":
            # The measurement service answers 204 whatever it was sent; the request log keeps
            # the query and the body for the tests.
            return self.send_body(204, b"")
        if parsed.path == "/health":
            return self.send_body(200, b"ok")
        if parsed.path.startswith(GEN_PREFIX):
            try:
                size = int(parsed.path[len(GEN_PREFIX):].split("/")[0])
            except ValueError:
                return self.send_status_page(404)
            return self.send_content(size, lambda s, n: generated_byte_block(s, n), fault)
        if parsed.path.startswith("/files/"):
            name = os.path.basename(parsed.path[len("/files/"):])
            full = os.path.join(self.state.folder, "files", name)
            if not os.path.isfile(full):
                return self.send_status_page(404)
            size = os.path.getsize(full)

            def reader(start, length, full=full):
                with open(full, "rb") as f:
                    f.seek(start)
                    return f.read(length)
            return self.send_content(size, reader, fault)
        return self.send_status_page(404)

    def collection(self, body):
        """The collection service: a JSON array of events, signed by the two headers."""
        timestamp = self.headers.get("timestamp")
        signature = self.headers.get("signature")
        verdict = "accepted"
        events = None
        try:
            events = json.loads(body.decode("utf-8"))
        except (UnicodeDecodeError, ValueError):
            verdict = "bad body"
        if verdict == "accepted" and not isinstance(events, list):
            verdict = "bad body"
        if verdict == "accepted" and (not timestamp or not timestamp.isdigit() or not signature):
            verdict = "missing header"
        if verdict == "accepted":
            text = "%s*timestamp=%s%d" % (self.state.salt, timestamp, len(events) * 1024)
            if hashlib.md5(text.encode("ascii")).hexdigest()[-8:] != signature:
                verdict = "bad signature"
        self.state.collect({"timestamp": timestamp, "signature": signature, "verdict": verdict,
                            "body": body.decode("utf-8", "replace")})
        if verdict == "accepted":
            return self.send_json(200, {"code": 0, "msg": "ok"})
        return self.send_json(403 if verdict == "bad signature" else 400, {"code": 1, "msg": verdict})

    def send_status_page(self, code):
        page = ("<html><head><title>%d</title></head><body><h1>%d</h1></body></html>" % (code, code)).encode()
        self.send_body(code, page, "text/html")

    def apply_leading_fault(self, fault, path):
        kind = fault.get("fault")
        if kind == "status":
            self.send_status_page(int(fault.get("code", "500")))
            return True
        if kind == "redirect":
            target = fault.get("to", "/health")
            self.send_body(302, b"", extra={"Location": target})
            return True
        if kind == "redirect_loop":
            self.send_body(302, b"", extra={"Location": path + "?fault=redirect_loop"})
            return True
        if kind == "hold":
            time.sleep(int(fault.get("delay_ms", "5000")) / 1000.0)
        return False

    def send_range_from(self, size, reader, start):
        """A 206 from byte start to the end, whatever range was asked for."""
        start = max(0, min(start, size))
        length = size - start
        self.send_response(206)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Accept-Ranges", "bytes")
        self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
        self.send_header("Content-Length", str(length))
        self.end_headers()
        if self.command != "HEAD" and length:
            try:
                self.wfile.write(reader(start, length))
            except (BrokenPipeError, ConnectionResetError):
                self.close_connection = True

    def send_content(self, size, reader, fault):
        kind = (fault or {}).get("fault")
        if kind == "range_start":
            return self.send_range_from(size, reader, int(fault.get("start", "0")))
        start, end = 0, size - 1
        status = 200
        range_header = self.headers.get("Range")
        if range_header and kind != "ignore_range" and range_header.startswith("bytes="):
            wanted = range_header[len("bytes="):].split(",")[0].strip()
            first, _, last = wanted.partition("-")
            try:
                start = int(first) if first else max(0, size - int(last))
                end = int(last) if (first and last) else size - 1
            except ValueError:
                start, end = 0, size - 1
            if start >= size:
                self.send_response(416)
                self.send_header("Content-Range", "bytes */%d" % size)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            end = min(end, size - 1)
            status = 206
        length = end - start + 1 if size > 0 else 0
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Accept-Ranges", "bytes")
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, size))
        if kind == "no_length" or (fault or {}).get("no_length") == "1":
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(length))
        self.end_headers()
        if self.command == "HEAD":
            return
        if kind == "stall":
            try:
                self.wfile.flush()
            except (BrokenPipeError, ConnectionResetError):
                self.close_connection = True
                return
            time.sleep(int(fault.get("delay_ms", "5000")) / 1000.0)

        limit = length
        if kind in ("close_after", "short_body"):
            limit = min(length, int(fault.get("bytes", "0")))
            self.close_connection = True
        chunk = 64 * 1024
        delay = 0.0
        if kind == "trickle":
            chunk = max(1, int(fault.get("bytes", "1024")))
            delay = int(fault.get("delay_ms", "100")) / 1000.0
        sent = 0
        try:
            while sent < limit:
                n = min(chunk, limit - sent)
                self.wfile.write(reader(start + sent, n))
                sent += n
                if delay:
                    self.wfile.flush()
                    time.sleep(delay)
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
            return
        if limit < length:
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def control(self, path, query, body):
        if path == "/_control/arm":
            fault = {k: v for k, v in query.items() if k != "path"}
            count = int(fault.pop("count", "1"))
            for _ in range(count):
                self.state.arm(query.get("path", "/"), dict(fault))
            return self.send_json(200, {"armed": count})
        if path == "/_control/requests":
            return self.send_json(200, self.state.snapshot())
        if path == "/_control/collected":
            return self.send_json(200, self.state.collected_snapshot())
        if path == "/_control/tls":
            return self.send_json(200, {"port": getattr(self.server, "tls_port", 0),
                                        "trusted_port": getattr(self.server, "trusted_tls_port", 0),
                                        "ca": getattr(self.server, "tls_ca", "")})
        if path == "/_control/reset":
            self.state.reset()
            return self.send_json(200, {"reset": True})
        return self.send_status_page(404)

    do_GET = handle_any
    do_POST = handle_any
    do_HEAD = handle_any
    do_PUT = handle_any


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def make_self_signed(folder):
    """A throwaway key and certificate for 127.0.0.1, or None without openssl."""
    if not shutil.which("openssl"):
        return None
    key, cert = os.path.join(folder, "tls.key"), os.path.join(folder, "tls.crt")
    result = subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                             "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return (cert, key) if result.returncode == 0 else None


def make_issued(folder):
    """A throwaway authority and a certificate for 127.0.0.1 it issued, as (cert, key, ca
    DER in base64), or None without openssl. The address is named twice, as an address and
    as a DNS name: Wine's SSL policy matches only DNS names."""
    if not shutil.which("openssl"):
        return None
    ca_key, ca_cert = os.path.join(folder, "ca.key"), os.path.join(folder, "ca.crt")
    key, request, cert = (os.path.join(folder, name) for name in ("issued.key", "issued.csr", "issued.crt"))
    extensions = os.path.join(folder, "issued.ext")
    with open(extensions, "w") as f:
        f.write("basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\nsubjectAltName=IP:127.0.0.1,DNS:127.0.0.1\n")
    steps = [
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca_key, "-out", ca_cert, "-days", "2",
         "-subj", "/CN=VelStandin test authority", "-addext", "basicConstraints=critical,CA:TRUE",
         "-addext", "keyUsage=critical,keyCertSign,cRLSign"],
        ["openssl", "req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", request,
         "-subj", "/CN=127.0.0.1"],
        ["openssl", "x509", "-req", "-in", request, "-CA", ca_cert, "-CAkey", ca_key, "-set_serial",
         str(int(time.time() * 1000)), "-days", "2", "-sha256", "-extfile", extensions, "-out", cert],
    ]
    for step in steps:
        if subprocess.run(step, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
            return None
    with open(ca_cert) as f:
        pem = f.read()
    der = ssl.PEM_cert_to_DER_cert(pem)
    return cert, key, base64.b64encode(der).decode("ascii")


def start_tls(port, state, folder, pair=None):
    pair = pair or make_self_signed(folder)
    if not pair:
        return None
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(*pair)
    server = Server(("127.0.0.1", port), Handler)
    server.state = state
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
    return server


def serve(port, folder, salt):
    os.makedirs(os.path.join(folder, "files"), exist_ok=True)
    state = State(folder)
    state.salt = salt
    try:
        tls = start_tls(port + 1, state, folder)
    except OSError:
        tls = None
    trusted, ca = None, ""
    try:
        issued = make_issued(folder)
        if issued:
            trusted = start_tls(port + 2, state, folder, issued[:2])
            ca = issued[2]
    except OSError:
        trusted = None
    server = Server(("127.0.0.1", port), Handler)
    server.state = state
    server.tls_port = port + 1 if tls else 0
    server.trusted_tls_port = port + 2 if trusted else 0
    server.tls_ca = ca if trusted else ""
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    server.serve_forever(poll_interval=0.2)


def wait_until_answering(port, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "stop", "serve"])
    parser.add_argument("--port", type=int, default=18931)
    parser.add_argument("--state", required=True)
    parser.add_argument("--salt", default="", help="salt word of the collection signature")
    args = parser.parse_args()
    pid_file = os.path.join(args.state, "service.pid")
    os.makedirs(args.state, exist_ok=True)

    if args.command == "serve":
        serve(args.port, args.state, args.salt)
        return 0
    if args.command == "start":
        stop(pid_file)  # a service left over from an interrupted run of the same tree
        if wait_until_answering(args.port, 0.2):
            print("stand-in: port %d is already taken" % args.port, file=sys.stderr)
            return 1
        log = open(os.path.join(args.state, "service.log"), "ab")
        process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", "--port", str(args.port),
                                    "--state", args.state, "--salt", args.salt], stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                                   start_new_session=True)
        with open(pid_file, "w") as f:
            f.write(str(process.pid))
        if not wait_until_answering(args.port, 10):
            process.kill()
            print("stand-in: did not start", file=sys.stderr)
            return 1
        print("stand-in: listening on 127.0.0.1:%d (pid %d)" % (args.port, process.pid))
        return 0
    stop(pid_file)
    return 0


def stop(pid_file):
    try:
        with open(pid_file) as f:
            pid = int(f.read().strip())
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            try:
                os.kill(pid, 0)
            except OSError:
                break
            time.sleep(0.05)
        else:
            os.kill(pid, signal.SIGKILL)
        os.remove(pid_file)
    except (OSError, ValueError):
        pass


if __name__ == "__main__":
    sys.exit(main())
