#!/usr/bin/env python3
"""Loopback upload service for the tests and the demo.

Listens on 127.0.0.1 (--port 0 picks a free port), prints "READY <port>" and
reads commands on stdin, one a line, each answered with "OK <command>":

  mode ok|fail|reset|hang   how the next uploads are answered: 200, 500, a
                            connection reset after the body, or not yet (held
                            requests are answered by the next mode set)
  delay MS                  wait before answering (ok and fail)
  quit                      exit

Every POST is reported on stdout as one line "REQUEST <json>" once its body has
arrived: path, the request's content type, and per part its name, file name,
headers and bytes (base64). End of stdin stops the server, so it never outlives
the test that started it. --no-control runs it without stdin; --quiet
reports each upload as one short line on stderr instead (the demo); --store DIR
keeps the files of successful uploads there.
"""

import argparse
import base64
import email.parser
import email.policy
import json
import os
import socket
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

state = {"mode": "ok", "delay": 0.0, "store": None, "quiet": False}
out_lock = threading.Lock()
stop = threading.Event()


def emit(line):
    with out_lock:
        sys.stdout.write(line + "\n")
        sys.stdout.flush()


def parse_parts(content_type, body):
    # The email parser reads multipart/form-data as MIME once given the header.
    raw = b"Content-Type: " + content_type.encode("latin-1") + b"\r\n\r\n" + body
    message = email.parser.BytesParser(policy=email.policy.compat32).parsebytes(raw)
    parts = []
    if not message.is_multipart():
        return parts
    for part in message.get_payload():
        headers = [[k, str(v)] for k, v in part.items()]
        data = part.get_payload(decode=True) or b""
        parts.append({
            "name": part.get_param("name", header="content-disposition"),
            "filename": part.get_filename(),
            "headers": headers,
            "data": base64.b64encode(data).decode("ascii"),
        })
    return parts


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def hold(self):
        self.connection.settimeout(0.1)
        while not stop.is_set():
            if state["mode"] != "hang":
                self.connection.settimeout(None)
                return state["mode"]
            try:
                if self.connection.recv(1) == b"":
                    return None
            except socket.timeout:
                continue
            except OSError:
                return None
        return None

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        content_type = self.headers.get("Content-Type", "")
        parts = parse_parts(content_type, body)
        if state["quiet"]:
            files = ", ".join("%s=%s (%d bytes)" % (p["name"], p["filename"],
                                                  len(base64.b64decode(p["data"])))
                              for p in parts)
            sys.stderr.write("upload service: %s %s\n" % (self.path, files))
        else:
            emit("REQUEST " + json.dumps({
                "path": self.path,
                "contentType": content_type,
                "length": len(body),
                "parts": parts,
            }))
        mode = state["mode"]
        if mode == "hang":
            # Holds the connection open without a byte until the client goes,
            # or answers by the new mode once the mode changes.
            mode = self.hold()
            if mode is None:
                emit("CLOSED " + self.path)
                self.close_connection = True
                return
        if mode == "reset":
            # SO_LINGER 0: close sends RST instead of FIN.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
            return
        if state["delay"]:
            time.sleep(state["delay"])
        if mode == "ok" and state["store"]:
            for part in parts:
                if part["filename"]:
                    name = os.path.basename(part["filename"])
                    with open(os.path.join(state["store"], name), "wb") as f:
                        f.write(base64.b64decode(part["data"]))
        status = 200 if mode == "ok" else 500
        reply = b'{"result":"ok"}' if status == 200 else b"stored nothing"
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)


def control(server):
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        command = " ".join(words)
        if words[0] == "mode" and len(words) == 2 and words[1] in ("ok", "fail", "reset", "hang"):
            state["mode"] = words[1]
        elif words[0] == "delay" and len(words) == 2 and words[1].isdigit():
            state["delay"] = int(words[1]) / 1000.0
        elif words[0] == "quit":
            emit("OK " + command)
            break
        else:
            emit("ERR " + command)
            continue
        emit("OK " + command)
    stop.set()
    server.shutdown()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--no-control", action="store_true")
    parser.add_argument("--quiet", action="store_true")
    parser.add_argument("--store")
    args = parser.parse_args()
    state["store"] = args.store
    state["quiet"] = args.quiet
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    emit("READY %d" % server.server_address[1])
    if not args.no_control:
        threading.Thread(target=control, args=(server,), daemon=True).start()
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    stop.set()
    server.server_close()


if __name__ == "__main__":
    main()
