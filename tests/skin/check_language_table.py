#!/usr/bin/env python3
"""Checks the shipped language table and the per-language string bundles.

Usage: check_language_table.py <multi_language.tsv> <language folder>
       check_language_table.py --self-test <multi_language.tsv>

Prints "language table: ok" and exits 0 when everything holds; otherwise prints
one line per problem and exits 1. The self-test damages copies of a good table
in memory and makes sure each kind of damage is reported.
"""
import os
import sys
import xml.etree.ElementTree as ET

LOCALES = ["zh_CN", "zh_TW", "en_US", "ko_KR", "vi_VN", "th_TH", "in_ID", "ja_JP", "ru_RU",
           "pt_PT", "es_ES", "ar_IL", "tr_TR", "fr_FR", "de_DE", "it_IT", "fa_IR", "ms_MY", "uk_UA"]

KEYS = [
    "Title_wndTitle", "Label_installing_waiting", "Label_getversion_info", "Label_downloading",
    "Button_install_now", "Button_install_fast", "Button_start_player", "MsgBox_error",
    "protocol_accept_playerx", "turn_tip_1", "turn_tip_2", "turn_tip_3", "turn_tip_4", "turn_tip_5",
    "turn_tip_6", "Title_wndTitle_playerx", "MsgBox_exit_playerx", "customer_connect",
    "install_error_tip2", "customerLink", "retry", "downloading_error_tip", "MsgBox_xp", "MsgBox_32",
    "jump_download", "do_exit", "change_path_tip", "path_noice", "path_more", "path_ssd", "path_ok",
    "path_not", "MsgBox_accept_protocol", "MsgBox_error_path", "MsgBox_disk_notEnough",
    "Label_choice_path", "MSGBox_noice", "MsgBox_exit", "sure", "cancel", "browser",
    "Label_path_error", "Button_install_define", "Button_install_back", "protocol_accept",
    "protocol_accept_btn", "progress_downloading_label", "progress_downloading_label2",
    "progress_download_label", "progress_install_label", "progress_finish_label",
    "Label_installingapp_waiting", "homepage", "error", "download_error_content", "go_homePage",
    "installing_exit_tip", "Reject", "Accept", "Yes", "No", "accept_protocol", "titlename",
    "installSucess", "googleDriver_downloadingPage", "googleDriver_downloadLow",
    "googleDriver_downloadError", "install_error_tip", "download_error_tip", "reDownload",
    "download_error_tip2", "downloadBybrowser", "download_slowtip", "download_close", "facebook_tip",
    "minimize_tip",
]

# English texts that must ship exactly as written, misspellings and the trailing
# blank included; "\\r\\n" is the four characters backslash r backslash n.
GIVEN_EN = {
    "Title_wndTitle": "VelPlayer Installer",
    "titlename": "VelPlayer",
    "MsgBox_error": "Error",
    "MsgBox_xp": "This version is not compatible with current Windows system\\r\\n"
                 "Please update to versions higher than Win 7 and reinstall",
    "MsgBox_32": "This version is not compatible with 32-bit system, please download the recommended version",
    "path_noice": "Installation tips",
    "path_ssd": "HDD (Disk %s) may lead to game stuttering, please choose SSD (Disk %s) for better "
                "performance, do you want to change the path?",
    "path_more": "There is not enough space available on this disk for installation, it's recommended "
                 "to use Disk %s, do you want to change the path?",
    "path_ok": "Yes",
    "path_not": "No, thanks",
    "MsgBox_accept_protocol": "Please accept protocol",
    "MsgBox_error_path": "Error file path",
    "MsgBox_disk_notEnough": "Disk space not enough",
    "Label_choice_path": "Please select file path",
    "MSGBox_noice": "Prompt",
    "MsgBox_exit": "Do you want to stop the installation?",
    "installing_exit_tip": "Please wait for the installation to end.",
    "download_slowtip": "Slow download? Download faster with browser",
    "downloadBybrowser": "Download by browser",
    "download_close": "Close",
    "download_error_tip2": "Failed to download simulator kernel, please use browser to try",
    "downloading_error_tip": "Sever connection timed out, download is interrupted ",
    "install_error_tip2": "Installation failed, please try to change your install path or temporarily "
                          "disable your antivirus and reinstall",
    "retry": "Retry",
    "customer_connect": "Customer service",
    "Label_getversion_info": "Get version info",
    "Label_downloading": "Downloading...",
    "Label_installing_waiting": "Installing, please wait",
    "Label_installingapp_waiting": "Installing",
    "Label_path_error": "File path error!",
    "sure": "Sure",
    "cancel": "Cancel",
    "Yes": "Yes",
    "No": "No",
}

# Rows the program formats with printf-style slots; every other row has none.
SLOTS = {"path_ssd": 2, "path_more": 1}
CUSTOMER_LINK = "@VEL_CUSTOMER_SERVICE@"
MAX_UTF16 = 512

BUNDLES = {"ar": "ar_IL", "cn": "zh_CN", "de": "de_DE", "en": "en_US", "es": "es_ES", "fa": "fa_IR",
           "fr": "fr_FR", "id": "in_ID", "jp": "ja_JP", "kr": "ko_KR", "pt": "pt_PT", "ru": "ru_RU",
           "th": "th_TH", "tr": "tr_TR", "tw": "zh_TW", "vn": "vi_VN"}
BUNDLE_IDS = ["Title_wndTitle", "titlename", "Button_install_now", "Button_start_player",
              "Label_downloading", "Label_installing_waiting", "MsgBox_exit", "MsgBox_error",
              "sure", "cancel"]


def split_lines(data, problems):
    """Returns the table's lines as lists of cells, or None when the bytes are unusable."""
    if data.startswith(b"\xef\xbb\xbf"):
        problems.append("table starts with a byte-order mark")
        data = data[3:]
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        problems.append("table is not UTF-8: %s" % e)
        return None
    if not text.endswith("\r\n"):
        problems.append("last line does not end with CR LF")
    body = text[:-2] if text.endswith("\r\n") else text
    lines = body.split("\r\n")
    for n, line in enumerate(lines, 1):
        if "\r" in line or "\n" in line:
            problems.append("line %d: a lone CR or LF (lines must end with CR LF only)" % n)
    return [line.split("\t") for line in lines]


def check_shape(lines, problems):
    if len(lines) != 2 + len(KEYS):
        problems.append("table has %d lines, expected %d (2 header lines + %d rows)"
                        % (len(lines), 2 + len(KEYS), len(KEYS)))
    for n, cells in enumerate(lines, 1):
        if len(cells) != 2 + len(LOCALES):
            problems.append("line %d: %d cells, expected %d" % (n, len(cells), 2 + len(LOCALES)))
        for i, cell in enumerate(cells):
            if cell == "":
                problems.append("line %d: cell %d is empty" % (n, i + 1))


def check_headers(lines, problems):
    if len(lines) < 2:
        problems.append("header lines missing")
        return
    if lines[0] != ["Code", "language_code"] + LOCALES:
        problems.append("line 1 must be Code, language_code and the 19 locales in order; got %r" % lines[0])
    if lines[1][:2] != ["Language", "language_name"]:
        problems.append("line 2 must start with Language, language_name; got %r" % lines[1][:2])


def check_keys(lines, problems):
    rows = lines[2:]
    keys = [cells[1] if len(cells) > 1 else "" for cells in rows]
    for n, cells in enumerate(rows, 3):
        if cells[0] != "Label":
            problems.append("line %d: type word %r, expected Label" % (n, cells[0]))
    seen = set()
    for k in keys:
        if k in seen:
            problems.append("key %s appears more than once" % k)
        seen.add(k)
    missing = [k for k in KEYS if k not in seen]
    extra = [k for k in keys if k not in KEYS]
    if missing:
        problems.append("missing keys: %s" % ", ".join(missing))
    if extra:
        problems.append("unknown keys: %s" % ", ".join(extra))
    if not missing and not extra and len(keys) == len(KEYS) and keys != KEYS:
        first = next(i for i, (a, b) in enumerate(zip(keys, KEYS)) if a != b)
        problems.append("keys out of order from row %d: %s where %s belongs" % (first + 1, keys[first], KEYS[first]))


def table_texts(lines):
    """key -> {locale: text} for the well-formed rows."""
    out = {}
    for cells in lines[2:]:
        if len(cells) == 2 + len(LOCALES):
            out[cells[1]] = dict(zip(LOCALES, cells[2:]))
    return out


def check_texts(texts, problems):
    for key, want in GIVEN_EN.items():
        got = texts.get(key, {}).get("en_US")
        if got is not None and got != want:
            problems.append("%s: en_US text %r differs from the required %r" % (key, got, want))
    for key, row in texts.items():
        want_slots = SLOTS.get(key, 0)
        for loc, cell in row.items():
            if cell.count("%s") != want_slots:
                problems.append("%s/%s: %d %%s slots, expected %d" % (key, loc, cell.count("%s"), want_slots))
            if "%" in cell.replace("%s", ""):
                problems.append("%s/%s: stray %% character" % (key, loc))
            units = len(cell.encode("utf-16-le")) // 2
            if units > MAX_UTF16:
                problems.append("%s/%s: %d UTF-16 units, more than %d" % (key, loc, units, MAX_UTF16))
            if key == "customerLink" and cell != CUSTOMER_LINK:
                problems.append("customerLink/%s: %r, expected %s" % (loc, cell, CUSTOMER_LINK))


def check_table(data):
    """Returns (problems, texts) for the bytes of a table file."""
    problems = []
    lines = split_lines(data, problems)
    if lines is None:
        return problems, {}
    check_shape(lines, problems)
    check_headers(lines, problems)
    check_keys(lines, problems)
    texts = table_texts(lines)
    check_texts(texts, problems)
    return problems, texts


def check_bundle(path, locale, texts, problems):
    name = os.path.basename(path)
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        problems.append("%s: cannot be read (%s)" % (name, e.strerror))
        return
    if raw.startswith(b"\xef\xbb\xbf"):
        problems.append("%s: starts with a byte-order mark" % name)
    try:
        root = ET.fromstring(raw)
    except ET.ParseError as e:
        problems.append("%s: not well-formed XML (%s)" % (name, e))
        return
    if root.tag != "StringBundle" or root.get("ver") != "100":
        problems.append("%s: root must be StringBundle with ver=\"100\"" % name)
    ids = {}
    for el in root:
        if el.tag != "String":
            continue
        sid = el.get("id") or ""
        if not sid:
            problems.append("%s: a String without an id" % name)
            continue
        if sid in ids:
            problems.append("%s: id %s appears more than once" % (name, sid))
        if not (el.text or "").strip():
            problems.append("%s: id %s has no text" % (name, sid))
        ids[sid] = el.text or ""
    for sid in BUNDLE_IDS:
        if sid not in ids:
            problems.append("%s: id %s missing" % (name, sid))
    for sid, text in ids.items():
        want = texts.get(sid, {}).get(locale)
        if want is not None and text != want:
            problems.append("%s: %s is %r but the table's %s text is %r" % (name, sid, text, locale, want))


def check_bundles(folder, texts):
    problems = []
    for code, locale in sorted(BUNDLES.items()):
        check_bundle(os.path.join(folder, "downloader_%s.xml" % code), locale, texts, problems)
    return problems


def self_test(data):
    """Each damaged copy must produce at least one problem mentioning the given word."""
    good, _ = check_table(data)
    if good:
        return ["self-test needs a valid table; it has problems: %s" % good[0]]
    text = data.decode("utf-8")
    lines = text.split("\r\n")

    def with_line(n, fn):
        copy = list(lines)
        copy[n] = fn(copy[n])
        return "\r\n".join(copy).encode("utf-8")

    def row_of(key):
        return next(i for i, l in enumerate(lines) if l.split("\t")[1:2] == [key])

    def set_cell(key, locale, value):
        def fn(line):
            cells = line.split("\t")
            cells[2 + LOCALES.index(locale)] = value
            return "\t".join(cells)
        return with_line(row_of(key), fn)

    swapped = list(lines)
    swapped[5], swapped[6] = swapped[6], swapped[5]
    cases = [
        ("byte-order mark", b"\xef\xbb\xbf" + data),
        ("lone CR or LF", text.replace("\r\n", "\n", 3).encode("utf-8")),
        ("CR LF", data[:-2]),
        ("lines", data + b"Label\tturn_tip_1" + ("\tx" * 19).encode() + b"\r\n"),
        ("cells", with_line(4, lambda l: l + "\textra")),
        ("empty", set_cell("retry", "de_DE", "")),
        ("line 1", with_line(0, lambda l: l.replace("in_ID", "id_ID"))),
        ("line 2", with_line(1, lambda l: l.replace("language_name", "names"))),
        ("out of order", "\r\n".join(swapped).encode("utf-8")),
        ("more than once", with_line(row_of("turn_tip_2"), lambda l: l.replace("turn_tip_2", "turn_tip_1", 1))),
        ("en_US text", set_cell("downloading_error_tip", "en_US", GIVEN_EN["downloading_error_tip"].rstrip())),
        ("en_US text", set_cell("MsgBox_xp", "en_US", GIVEN_EN["MsgBox_xp"].replace("\\r\\n", " "))),
        ("slots", set_cell("path_ssd", "fr_FR", "Disque %s ?")),
        ("slots", set_cell("retry", "ja_JP", "%s")),
        ("stray", set_cell("path_more", "ru_RU", "Диск %s, 100%")),
        ("UTF-16", set_cell("turn_tip_3", "th_TH", "\U0001F600" * 257)),
        ("customerLink", set_cell("customerLink", "tr_TR", "https://example.invalid/")),
    ]
    failures = []
    for word, damaged in cases:
        found, _ = check_table(damaged)
        if not any(word.lower() in p.lower() for p in found):
            failures.append("self-test: damage %r not reported (got %r)" % (word, found[:2]))
    # A cell of exactly 512 UTF-16 units is still allowed.
    edge, _ = check_table(set_cell("turn_tip_3", "th_TH", "\U0001F600" * 256))
    if edge:
        failures.append("self-test: a 512-unit cell was rejected: %s" % edge[0])
    return failures


def main(argv):
    if len(argv) == 3 and argv[1] == "--self-test":
        with open(argv[2], "rb") as f:
            problems = self_test(f.read())
        for p in problems:
            print(p)
        if not problems:
            print("language table self-test: ok")
        return 1 if problems else 0
    if len(argv) != 3:
        print(__doc__.strip())
        return 2
    try:
        with open(argv[1], "rb") as f:
            data = f.read()
    except OSError as e:
        print("cannot read %s: %s" % (argv[1], e.strerror))
        return 1
    problems, texts = check_table(data)
    problems += check_bundles(argv[2], texts)
    for p in problems:
        print(p)
    if problems:
        return 1
    print("language table: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
