"""A scripted JSON-RPC client of `kelvora-cli lsp`, for the tests and the benchmark."""
import json
import os
import queue
import subprocess
import threading
import time


class Client:
    def __init__(self, cli, env=None, args=()):
        self.proc = subprocess.Popen([cli, "lsp", *args], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        self.messages = queue.Queue()
        self.notes = []
        self.stderr = b""
        self.next_id = 0
        threading.Thread(target=self._read, daemon=True).start()
        threading.Thread(target=self._read_err, daemon=True).start()

    def _read_err(self):
        self.stderr = self.proc.stderr.read()

    def _read(self):
        out = self.proc.stdout
        while True:
            headers = {}
            while True:
                line = out.readline()
                if not line:
                    self.messages.put(None)
                    return
                line = line.rstrip(b"\r\n")
                if not line:
                    break
                k, _, v = line.partition(b":")
                headers[k.strip().lower()] = v.strip()
            body = out.read(int(headers[b"content-length"]))
            self.messages.put(json.loads(body.decode("utf-8")))

    def raw(self, data):
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    @staticmethod
    def frame(obj):
        body = obj if isinstance(obj, bytes) else json.dumps(obj).encode("utf-8")
        return b"Content-Length: %d\r\n\r\n" % len(body) + body

    def send(self, obj):
        self.raw(self.frame(obj))

    def notify(self, method, params=None):
        self.send({"jsonrpc": "2.0", "method": method, "params": params or {}})

    def request_async(self, method, params=None):
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params or {}})
        return self.next_id

    def wait(self, pred, timeout=120):
        """The first message pred accepts; server requests are answered, notifications kept."""
        end = time.time() + timeout
        while True:
            left = end - time.time()
            if left <= 0:
                raise TimeoutError("no answer; stderr: %r" % self.stderr)
            msg = self.messages.get(timeout=left)
            if msg is None:
                raise EOFError("server ended; stderr: %r" % self.stderr)
            if "method" in msg and "id" in msg:
                self.send({"jsonrpc": "2.0", "id": msg["id"], "result": None})
            elif "method" in msg:
                self.notes.append(msg)
            if pred(msg):
                return msg

    def response(self, rid, timeout=120):
        return self.wait(lambda m: m.get("id") == rid and "method" not in m, timeout)

    def request(self, method, params=None, timeout=120):
        msg = self.response(self.request_async(method, params), timeout)
        if "error" in msg:
            raise RuntimeError("%s: %s" % (method, msg["error"]))
        return msg["result"]

    def initialize(self, root_uri, capabilities=None, options=None):
        caps = capabilities if capabilities is not None else {
            "window": {"workDoneProgress": True},
            "workspace": {"didChangeWatchedFiles": {"dynamicRegistration": True}},
            "textDocument": {"hover": {"contentFormat": ["plaintext"]}},
        }
        params = {"processId": os.getpid(), "rootUri": root_uri, "capabilities": caps}
        if options:
            params["initializationOptions"] = options
        result = self.request("initialize", params)
        self.notify("initialized")
        return result

    def wait_ready(self, timeout=600):
        """Waits for the completion log line of the initial analysis."""
        def done(m):
            return m.get("method") == "window/logMessage" and " rows in " in m["params"]["message"]
        for m in self.notes:
            if done(m):
                return m
        return self.wait(done, timeout)

    def close(self):
        try:
            self.request("shutdown")
            self.notify("exit")
        except (EOFError, BrokenPipeError, OSError):
            pass
        return self.proc.wait(timeout=30)
