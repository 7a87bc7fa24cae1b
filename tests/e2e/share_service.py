#!/usr/bin/env python3
"""A stand-in for the netdisk share service, for end-to-end tests and benchmarks.

It answers share pages in the service's format and the download request, and
it is strict about the download request: the link comes back only when the
cookie set by the page, the exact query, the form body, the Content-Type and
the Referer all arrive. Every request is appended to a log (one JSON object a
line) so that tests can see what was sent.

    share_service.py --port 80 --log requests.jsonl [--big-page-mib N]
                     [--file-address 127.0.0.2]

Share codes:
    /s/1full     every marker; the file name partly %-escaped UTF-8
    /s/1bare     a page without any marker
    /s/1pct      every marker; the answer's link carries %-escapes
    /s/1ctl      every marker; the answer's link escapes a Chinese character,
                 CR LF and a terminal escape byte
    /s/1big      /s/1full padded to --big-page-mib MiB (benchmarks)
    /s/1nolink   every marker; the download answer carries an errno, no dlink
    /s/1dlreset  every marker; the download request's connection is reset
    /s/1forbid   every marker; the download request is answered 403 Forbidden
    /s/1reset    the page's connection is reset before any answer
    /s/1esc      404 with a terminal escape byte in the status line's words
    any other    404 Not Found
    /s/1file-<size>-<hex>
                 a share of a file of <size> bytes whose name is the UTF-8 of
                 <hex> (empty: no name); its link leads to the file host

With --file-address, the file host (FILE_HOST, port 80 on that address) serves
each such file at /file/<size>-<hex>, with Range, as the service's own file
host does: only to the agent that asked for the link, and only with the
Referer the link itself. Its bytes are those of file_pieces.
"""
import argparse
import json
import socket
import struct
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import quote

HOST = "pan.baidu.com"
FILE_HOST = "d.pcs.baidu.com"
COOKIE = "BDCLND=c00k1e"

SHARES = {
    "1full": dict(name="季度报告 final.pdf", size="1.5M", time="2014-03-18 10:20",
                  sharer="张三", uk="2889076181", shareid="1283928463",
                  timestamp="1394968831", sign="9d8f2e1a0c", fsid="807312661286537",
                  link="http:\\/\\/d.pcs.baidu.com\\/file\\/9d8f?fid=807312661286537\\u0026sh=1\\u0026fn=%E5%AD%A3.pdf"),
    "1pct": dict(name="名字.txt", size="12K", time="2014-03-19 08:00",
                 sharer="li4", uk="11", shareid="22", timestamp="33", sign="pct44", fsid="55",
                 link="http:\\/\\/d.pcs.baidu.com\\/file\\/%E5%90%8D.txt?a=%20b"),
    "1ctl": dict(name="ctl.txt", size="1K", time="2014-03-20 09:00",
                 sharer="w5", uk="66", shareid="77", timestamp="88", sign="ctl99", fsid="100",
                 link="http:\\/\\/d.pcs.baidu.com\\/file\\/\\u4e2d.txt?a=1\\u000d\\u000ab=\\u001b[31m"),
    "1nolink": dict(name="n.txt", size="1K", time="2014-03-21 10:00",
                    sharer="z6", uk="110", shareid="120", timestamp="130", sign="nolink", fsid="140",
                    link="", download="nolink"),
    "1dlreset": dict(name="r.txt", size="1K", time="2014-03-21 11:00",
                     sharer="z7", uk="210", shareid="220", timestamp="230", sign="dlreset", fsid="240",
                     link="", download="reset"),
    "1forbid": dict(name="f.txt", size="1K", time="2014-03-21 12:00",
                    sharer="z8", uk="310", shareid="320", timestamp="330", sign="forbid", fsid="340",
                    link="", download="forbidden"),
}


FILE_UNIT = bytes((i * 7 + (i >> 8)) & 0xFF for i in range(65521))
FILE_UNIT_TWICE = FILE_UNIT * 2


def file_pieces(start, end):
    """Bytes start..end-1 of every file the file host serves, in pieces of at
    most one unit: a pattern that repeats only every 65,521 bytes, so a
    misplaced piece shows, and that a 1 GiB file streams without being held."""
    unit = len(FILE_UNIT)
    while start < end:
        offset = start % unit
        n = min(unit, end - start)
        yield FILE_UNIT_TWICE[offset:offset + n]
        start += n


def file_share(code):
    """The share of a code "1file-<size>-<hex>", or None."""
    parts = code.split("-")
    if len(parts) != 3 or parts[0] != "1file" or not parts[1].isdigit():
        return None
    try:
        name = bytes.fromhex(parts[2]).decode("utf-8")
    except ValueError:
        return None
    key = parts[1] + "-" + parts[2]
    return dict(name=name, size="1K", time="2014-03-20 09:00", sharer="wang5", uk="77",
                shareid="f" + key, timestamp="99", sign="file", fsid="9" + parts[1],
                link=f"http:\\/\\/{FILE_HOST}\\/file\\/{key}?fid=9{parts[1]}")


def share_page(share, padding=0):
    # The file name goes into the description with its first character
    # %-escaped, as the service writes some names; the rest stays raw UTF-8.
    name = share["name"]
    escaped_name = (quote(name[0]) + name[1:]) if name else ""
    page = (
        '<!DOCTYPE html><html><head><meta charset="utf-8">'
        f'<meta name="description" content="文件名:{escaped_name} 文件大小:{share["size"]} 分享者:{share["sharer"]} 百度网盘">'
        "</head><body>"
        + "<p>" + "x" * padding + "</p>"
        + f'<div class="time">分享时间：{share["time"]}<span class="x"></span></div>'
        "<script>"
        f'yunData.linkUserName="{share["sharer"]}";'
        f'FileUtils.share_uk="{share["uk"]}";'
        f'FileUtils.share_id="{share["shareid"]}";FileUtils.share_timestamp="{share["timestamp"]}";FileUtils.sts=1;'
        f'FileUtils.share_sign="{share["sign"]}";disk.ui.x=1;'
        f'FileUtils.fsId="{share["fsid"]}";disk.util=1;'
        "</script></body></html>"
    )
    return page.encode("utf-8")


def download_query(share):
    return ("/share/download?channel=chunlei&clienttype=0&web=1"
            f"&uk={share['uk']}&shareid={share['shareid']}&timestamp={share['timestamp']}"
            f"&sign={share['sign']}&bdstoken=null")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ShareService/1"

    def log_message(self, *args):
        pass

    def record(self, body=b""):
        entry = {"method": self.command, "path": self.path,
                 "headers": {k: v for k, v in self.headers.items()},
                 "body": body.decode("latin-1")}
        with self.server.log_lock, open(self.server.log_path, "a", encoding="utf-8") as log:
            log.write(json.dumps(entry, ensure_ascii=False) + "\n")

    def answer(self, status, body, content_type, cookie=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        if cookie:
            self.send_header("Set-Cookie", cookie + "; path=/; domain=" + HOST)
        self.end_headers()
        self.wfile.write(body)

    def reset(self):
        """Ends the connection with RST instead of an answer."""
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()
        self.close_connection = True

    def do_GET(self):
        self.record()
        path = self.path.split("?", 1)[0]
        code = path[len("/s/"):] if path.startswith("/s/") else None
        if code == "1reset":
            self.reset()
        elif code == "1esc":
            self.send_response(404, "Not \x1b[31mFound")
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif code == "1bare":
            self.answer(200, "<html><body>这个分享不存在</body></html>".encode("utf-8"),
                        "text/html; charset=utf-8", COOKIE)
        elif code == "1big":
            self.answer(200, self.server.big_page, "text/html; charset=utf-8", COOKIE)
        elif code in SHARES:
            self.answer(200, share_page(SHARES[code]), "text/html; charset=utf-8", COOKIE)
        elif code and file_share(code):
            self.answer(200, share_page(file_share(code)), "text/html; charset=utf-8", COOKIE)
        else:
            self.answer(404, b"<html>404</html>", "text/html")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        self.record(body)
        shares = list(SHARES.values())
        query = self.path.split("&shareid=f", 1)
        if len(query) == 2:
            shares.append(file_share("1file-" + query[1].split("&", 1)[0]))
        for share in filter(None, shares):
            address = "http://" + HOST + download_query(share)
            if (self.path == download_query(share)
                    and body == f'fid_list=%5B%22{share["fsid"]}%22%5D'.encode()
                    and self.headers.get("Content-Type") == "application/x-www-form-urlencoded"
                    and self.headers.get("Referer") == address
                    and COOKIE in (self.headers.get("Cookie") or "")):
                if share.get("download") == "reset":
                    self.reset()
                    return
                if share.get("download") == "forbidden":
                    break
                if share.get("download") == "nolink":
                    self.answer(200, b'{"errno":-20,"request_id":3,"list":[]}', "application/json")
                    return
                answer = '{"errno":0,"request_id":1,"dlink":"%s","list":[]}' % share["link"]
                self.server.link_agent = self.headers.get("User-Agent")
                self.answer(200, answer.encode(), "application/json")
                return
        self.answer(403, b'{"errno":-9,"request_id":2}', "application/json")


class FileHandler(Handler):
    """The file host: the files of file shares, whole or by one byte range."""
    server_version = "FileHost/1"

    def do_GET(self):
        self.record()
        path = self.path.split("?", 1)[0]
        key = path[len("/file/"):] if path.startswith("/file/") else ""
        share = file_share("1file-" + key)
        if share is None:
            self.answer(404, b"<html>no such file</html>", "text/html")
            return
        if (self.headers.get("User-Agent") != self.server.share_server.link_agent
                or self.headers.get("Referer") != "http://" + FILE_HOST + self.path):
            self.answer(403, b"<html>forbidden</html>", "text/html")
            return
        size = int(key.split("-")[0])
        wanted = self.headers.get("Range", "")
        start = 0
        if wanted.startswith("bytes=") and wanted.endswith("-") and wanted[6:-1].isdigit():
            start = int(wanted[6:-1])
            if start >= size:
                self.send_response(416)
                self.send_header("Content-Range", f"bytes */{size}")
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            self.send_response(206)
            self.send_header("Content-Range", f"bytes {start}-{size - 1}/{size}")
        else:
            self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size - start))
        self.end_headers()
        for piece in file_pieces(start, size):
            self.wfile.write(piece)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--log", required=True)
    parser.add_argument("--big-page-mib", type=int, default=1)
    parser.add_argument("--file-address")
    args = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.log_path = args.log
    server.log_lock = threading.Lock()
    full = SHARES["1full"]
    base = len(share_page(full))
    server.big_page = share_page(full, max(0, args.big_page_mib * 1024 * 1024 - base))
    server.link_agent = None
    if args.file_address:
        files = ThreadingHTTPServer((args.file_address, 80), FileHandler)
        files.daemon_threads = True
        files.log_path = args.log
        files.log_lock = server.log_lock
        files.share_server = server
        threading.Thread(target=files.serve_forever, daemon=True).start()
    print("ready", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
