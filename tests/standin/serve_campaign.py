#!/usr/bin/env python3
"""Makes a running stand-in serve a whole campaign: the service documents listed in a
manifest (tests/e2e/campaign.tsv, whose format it describes) and the stand-in setup, padded
past the 10 MiB a downloaded setup must exceed, at both package addresses. Standard library
only; the end-to-end tests do the same from inside Wine (tests/e2e/e2e_support.cpp).

  serve_campaign.py --port P --manifest FILE --openid ID --setup EXE [--package VelPlayer9.0.exe]
"""

import argparse
import sys
import urllib.parse
import urllib.request

PADDED_SIZE = 11 * 1024 * 1024


def serve(port, path, body=None, generated=None):
    query = "path=" + urllib.parse.quote(path, safe="/")
    if generated is not None:
        request = urllib.request.Request("http://127.0.0.1:%d/_control/serve?%s&gen=%d" % (port, query, generated))
    else:
        request = urllib.request.Request("http://127.0.0.1:%d/_control/serve?%s" % (port, query), data=body,
                                         method="POST")
    with urllib.request.urlopen(request, timeout=30) as answer:
        if answer.status != 200:
            raise RuntimeError("the stand-in refused %s: %d" % (path, answer.status))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--manifest", required=True)
    parser.add_argument("--openid", required=True)
    parser.add_argument("--setup", required=True, help="the stand-in setup executable")
    parser.add_argument("--package", default="VelPlayer9.0.exe", help="the setup's file name at the package addresses")
    parser.add_argument("--size", type=int, default=PADDED_SIZE, help="the padded setup's size in bytes")
    args = parser.parse_args()
    origin = "http://127.0.0.1:%d" % args.port
    with open(args.manifest, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if not line or line.startswith("#") or "\t" not in line:
                continue
            path, content = line.split("\t", 1)
            path = path.replace("OPENID", args.openid)
            if content.startswith("gen:"):
                serve(args.port, path, generated=int(content[4:]))
            else:
                serve(args.port, path, content.replace("URL", origin).replace("OPENID", args.openid).encode("utf-8"))
    with open(args.setup, "rb") as f:
        setup = f.read()
    if len(setup) > args.size:
        print("serve_campaign: the setup is already larger than the padded size", file=sys.stderr)
        return 1
    # Windows does not read what follows the program's sections: the padded copy still runs.
    # A setup of the size already (a signed one, whose signature covers every byte) is served
    # as it is.
    padded = setup + b"\0" * (args.size - len(setup))
    for folder in ("/download/package/", "/download/spare/"):
        serve(args.port, folder + args.package, padded)
    return 0


if __name__ == "__main__":
    sys.exit(main())
