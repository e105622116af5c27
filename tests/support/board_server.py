#!/usr/bin/env python3
"""A board server on 127.0.0.1 for posting tests and benchmarks.

    board_server.py --log LOG [--plan PLAN]

Listens on a port the system chooses and prints it as the first line of its
standard output, then serves until it is killed.

LOG: every request is appended before it is answered, so a client that has its
answer finds its request there. One record per request:
    "REQUEST " + length in decimal + LF, then that many bytes: the request
    exactly as received (request line, header lines, empty line, body), then LF.
Bodies are read by Content-Length (chunked request bodies are not supported).

PLAN: a JSON list of answers, given to the requests in the order they arrive;
the last one answers every later request. Without a plan every request gets
200 and "OK". Each answer is an object; every field is optional:
    "status"    the status code (200)
    "reason"    the reason phrase (the usual one for the code)
    "headers"   a list of [name, value] pairs, e.g. [["Location", "/done"]]
    "body"      text, sent as UTF-8
    "body_file" a file whose bytes are the body (for Shift_JIS or EUC-JP pages)
    "delay"     seconds to wait, silent, before answering
    "trickle"   seconds to wait before each byte of the body
    "close"     true: close the connection without answering
Every answer carries Content-Length and "Connection: close".
"""
import argparse
import http
import json
import socketserver
import sys
import threading
import time


def read_request(rfile):
    """The raw bytes of one request, or None when the client sent nothing."""
    line = rfile.readline(65537)
    if not line:
        return None
    raw = bytearray(line)
    length = 0
    while True:
        line = rfile.readline(65537)
        raw += line
        if line in (b"\r\n", b"\n", b""):
            break
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip() or 0)
    if length:
        raw += rfile.read(length)
    return bytes(raw)


def answer_bytes(answer):
    """Head and body of an answer of the plan."""
    status = int(answer.get("status", 200))
    reason = answer.get("reason")
    if reason is None:
        try:
            reason = http.HTTPStatus(status).phrase
        except ValueError:
            reason = "Unknown"
    if "body_file" in answer:
        with open(answer["body_file"], "rb") as f:
            body = f.read()
    else:
        body = answer.get("body", "OK").encode("utf-8")
    head = "HTTP/1.1 %d %s\r\n" % (status, reason)
    for name, value in answer.get("headers", []):
        head += "%s: %s\r\n" % (name, value)
    head += "Content-Length: %d\r\nConnection: close\r\n\r\n" % len(body)
    return head.encode("latin-1"), body


class Board(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128

    def __init__(self, log, plan):
        super().__init__(("127.0.0.1", 0), Handler)
        self.log = log
        self.plan = plan or [{}]
        self.lock = threading.Lock()
        self.count = 0

    def record(self, raw):
        """Logs a request; returns the answer of the plan it gets."""
        with self.lock:
            with open(self.log, "ab") as f:
                f.write(b"REQUEST %d\n" % len(raw) + raw + b"\n")
            answer = self.plan[min(self.count, len(self.plan) - 1)]
            self.count += 1
            return answer


class Handler(socketserver.StreamRequestHandler):
    def handle(self):
        raw = read_request(self.rfile)
        if raw is None:
            return
        answer = self.server.record(raw)
        time.sleep(float(answer.get("delay", 0)))
        if answer.get("close"):
            return
        head, body = answer_bytes(answer)
        trickle = float(answer.get("trickle", 0))
        if not trickle:
            self.wfile.write(head + body)
            return
        self.wfile.write(head)
        self.wfile.flush()
        for i in range(len(body)):
            time.sleep(trickle)
            self.wfile.write(body[i:i + 1])
            self.wfile.flush()


def main():
    parser = argparse.ArgumentParser(description="A board server on 127.0.0.1 for tests.")
    parser.add_argument("--log", required=True, help="file the requests are appended to")
    parser.add_argument("--plan", help="JSON list of answers")
    args = parser.parse_args()
    plan = None
    if args.plan:
        with open(args.plan, encoding="utf-8") as f:
            plan = json.load(f)
    server = Board(args.log, plan)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
