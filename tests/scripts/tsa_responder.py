#!/usr/bin/env python3
"""A time-stamping authority for the release test, on 127.0.0.1 only.

    tsa_responder.py FOLDER PORTFILE SECONDS

Answers each RFC 3161 query POSTed to /NAME with `openssl ts -reply`, signed
by the authority in FOLDER/NAME (tsa.cnf, tsa.pem, tsa.key, chain.pem).
Writes the port it listens on to PORTFILE, and stops by itself after
SECONDS; a query takes at most 10 seconds and 64 KiB."""
import http.server
import os
import subprocess
import sys
import threading

folder, port_file, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])


class Authority(http.server.BaseHTTPRequestHandler):
    timeout = 10

    def do_POST(self):
        name = self.path.strip("/")
        authority = os.path.join(folder, name)
        if not name.isalnum() or not os.path.isdir(authority):
            self.send_error(404)
            return
        query = self.rfile.read(min(int(self.headers.get("Content-Length", 0)), 65536))
        reply = subprocess.run(
            ["openssl", "ts", "-reply", "-config", f"{authority}/tsa.cnf",
             "-queryfile", "/dev/stdin", "-signer", f"{authority}/tsa.pem",
             "-inkey", f"{authority}/tsa.key", "-chain", f"{authority}/chain.pem",
             "-out", "/dev/stdout"],
            input=query, capture_output=True, timeout=10, check=False)
        if reply.returncode != 0:
            self.send_error(500, reply.stderr.decode(errors="replace")[:200])
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply.stdout)))
        self.end_headers()
        self.wfile.write(reply.stdout)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Authority)
with open(port_file + ".part", "w", encoding="ascii") as out:
    out.write(str(server.server_address[1]))
os.rename(port_file + ".part", port_file)
threading.Timer(seconds, server.shutdown).start()
server.serve_forever()
