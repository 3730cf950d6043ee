#!/usr/bin/python3
"""NetBIOS node-status responder for the lab's simulated cafe PCs.

One process serves many PCs: for each PC it enters the PC's network namespace, binds a UDP
socket to 0.0.0.0:137 there, and returns; the sockets keep their namespaces. Every node-status
query (question type NBSTAT, 0x21) that reaches a PC gets a node-status answer built from that
PC's name table and MAC, sent back to the query's source address and port. Name queries and
anything else that is not a well-formed node-status query are ignored.

Configuration, one PC per line (blank lines and lines starting with # are skipped):

    NAMESPACE  IP  MAC  MODE  NAME<XX>[G] ...

MODE is "normal" or "hostile". NAME may use \\xHH escapes (GBK bytes, spaces); XX is the
suffix in hex; a trailing G marks a group name. A hostile PC answers like a normal one unless
the file given with --hostile-flag exists; then it answers each query with the burst of
malformed datagrams described at HOSTILE_BURST (the lab tests know its exact records).
While the file given with --drop-flag exists, every PC drops a share of the node-status
queries it gets (the number in the file, 0.3 when it holds none), drawn from a generator
seeded with DROP_SEED each time the file appears or is written again, so a run is
repeatable.

    nbns_responder.py --config FILE --ready FILE [--hostile-flag FILE] [--drop-flag FILE]

The ready file is written once every socket is bound.
"""

import argparse
import ctypes
import os
import random
import re
import select
import socket
import struct
import sys
import time

CLONE_NEWNET = 0x40000000
_libc = ctypes.CDLL(None, use_errno=True)

NBSTAT = 0x21
CLASS_IN = 0x0001


def setns(fd):
    if _libc.setns(fd, CLONE_NEWNET) != 0:
        err = ctypes.get_errno()
        raise OSError(err, os.strerror(err))


def in_namespace(ns, make):
    """What make() returns when called inside namespace ns (a socket keeps its namespace)."""
    home = os.open("/proc/self/ns/net", os.O_RDONLY)
    target = os.open("/run/netns/" + ns, os.O_RDONLY)
    try:
        setns(target)
        try:
            return make()
        finally:
            setns(home)
    finally:
        os.close(target)
        os.close(home)


def socket_in_namespace(ns):
    """A UDP socket bound to 0.0.0.0:137 inside namespace ns."""

    def make():
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind(("0.0.0.0", 137))
        s.setblocking(False)
        return s

    return in_namespace(ns, make)


ENTRY = re.compile(r"^(.*)<([0-9a-fA-F]{2})>(G?)$")


def parse_name(text):
    raw = text.encode("latin-1").decode("unicode_escape").encode("latin-1")
    if len(raw) > 15:
        raise ValueError("name longer than 15 bytes: %r" % text)
    return raw


class Pc:
    def __init__(self, line):
        fields = line.split()
        if len(fields) < 4:
            raise ValueError("bad PC line: %r" % line)
        self.ns, self.ip, mac, self.mode = fields[:4]
        if self.mode not in ("normal", "hostile"):
            raise ValueError("bad mode in %r" % line)
        self.mac = bytes(int(b, 16) for b in mac.split(":"))
        if len(self.mac) != 6:
            raise ValueError("bad MAC in %r" % line)
        self.names = []
        for entry in fields[4:]:
            m = ENTRY.match(entry)
            if not m:
                raise ValueError("bad name entry %r" % entry)
            self.names.append((parse_name(m.group(1)), int(m.group(2), 16), m.group(3) == "G"))


def node_status_answer(query_name, names, unit_id, trn_id=0):
    """A node-status answer (RFC 1002 4.2.18) for a query whose encoded name is query_name."""
    body = bytearray()
    body.append(len(names))
    for name, suffix, group in names:
        body += name.ljust(15, b" ") + bytes([suffix])
        # Active B-node name: ACT set; G for group names.
        body += struct.pack(">H", (0x8000 if group else 0) | 0x0400)
    body += unit_id + bytes(40)  # unit ID, then jumpers, test result, counters
    header = struct.pack(">HHHHHH", trn_id, 0x8400, 0, 1, 0, 0)
    return header + query_name + struct.pack(">HHIH", NBSTAT, CLASS_IN, 0, len(body)) + bytes(body)


def read_query(data):
    """The encoded question name and transaction ID of a node-status query, or None."""
    if len(data) < 12 + 34 + 4:
        return None
    trn_id, flags, qd = struct.unpack(">HHH", data[:6])
    if flags & 0x8000 or qd != 1 or data[12] != 0x20 or data[45] != 0:
        return None
    qtype, qclass = struct.unpack(">HH", data[46:50])
    if qtype != NBSTAT or qclass != CLASS_IN:
        return None
    return data[12:46], trn_id


# The hostile PC's answer to each query while the flag file exists, in the order sent. The
# lab test expects, newest first, the flood's records and then the records of these
# datagrams in reverse order; an empty datagram yields no record.
STANDARD_NAME = bytes([0x20]) + b"CK" + b"A" * 30 + bytes([0])
HOSTILE_WG = (b"EVILGROUP", 0x00, True)
HOSTILE_PC = (b"EVILPC", 0x20, False)
HOSTILE_MAC = bytes([0x0E, 0x71, 0x00, 0xAB, 0xCD, 0xEF])
FLOOD_COUNT = 400
DROP_SEED = 16
DROP_SHARE = 0.3


class Dropper:
    """Decides which queries are lost while the drop flag exists."""

    def __init__(self, flag):
        self.flag = flag
        self.rng = None
        self.stamp = None
        self.share = DROP_SHARE

    def drop(self):
        try:
            stamp = os.stat(self.flag).st_mtime_ns if self.flag else None
        except OSError:
            stamp = None
        if stamp is None:
            self.rng = self.stamp = None
            return False
        if stamp != self.stamp:
            self.stamp = stamp
            self.rng = random.Random(DROP_SEED)
            try:
                with open(self.flag) as f:
                    self.share = float(f.read().strip() or DROP_SHARE)
            except (OSError, ValueError):
                self.share = DROP_SHARE
        return self.rng.random() < self.share


def hostile_burst():
    """The specific malformed datagrams and the flood, in the order they are sent."""
    full = node_status_answer(STANDARD_NAME, [HOSTILE_WG, HOSTILE_PC], HOSTILE_MAC)
    marker = 47
    count_at = marker + 9
    first_entry = marker + 10
    claims_200 = bytearray(full[: first_entry + 36])
    claims_200[count_at] = 200
    specific = [
        # 1. empty datagram: no record
        b"",
        # 2. no marker at all: IP only
        b"this datagram has no node status marker at all",
        # 3. marker only at position 0, which is never tried: IP only
        bytes([0x21, 0x00, 0x01]) + bytes(60),
        # 4. marker, then the datagram ends before the name count: IP only
        full[: marker + 5],
        # 5. name count 0: IP only, even though a unit ID follows
        node_status_answer(STANDARD_NAME, [], HOSTILE_MAC),
        # 6. a name count of 200 with two whole entries and nothing after
        bytes(claims_200),
        # 7. name table cut inside the second entry
        full[: first_entry + 18 + 7],
        # 8. whole name table, unit ID cut after three bytes
        full[: first_entry + 36 + 3],
        # 9. a well-formed answer of 30 names, longer than the scanner's 500-byte receive
        #    buffer: the receive fails (message too long), no record
        node_status_answer(STANDARD_NAME, [HOSTILE_WG] * 29 + [HOSTILE_PC], HOSTILE_MAC),
        # 10. a whole, well-formed answer: both names and the MAC
        full,
    ]
    flood = [node_status_answer(STANDARD_NAME, [(b"FLOOD", 0x20, False)], HOSTILE_MAC)] * FLOOD_COUNT
    return specific, flood


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--config", required=True)
    ap.add_argument("--ready", required=True)
    ap.add_argument("--hostile-flag", default="")
    ap.add_argument("--drop-flag", default="")
    args = ap.parse_args()
    dropper = Dropper(args.drop_flag)

    pcs = []
    with open(args.config, encoding="latin-1") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                pcs.append(Pc(line))

    by_socket = {}
    for pc in pcs:
        by_socket[socket_in_namespace(pc.ns)] = pc
    with open(args.ready, "w") as f:
        f.write("%d\n" % len(pcs))

    poller = select.poll()
    for s in by_socket:
        poller.register(s, select.POLLIN)
    fds = {s.fileno(): s for s in by_socket}
    while True:
        for fd, _ in poller.poll():
            s = fds[fd]
            pc = by_socket[s]
            try:
                data, peer = s.recvfrom(2048)
            except BlockingIOError:
                continue
            query = read_query(data)
            if query is None:
                continue
            name, trn_id = query
            if dropper.drop():
                continue
            if pc.mode == "hostile" and args.hostile_flag and os.path.exists(args.hostile_flag):
                send_hostile(s, peer)
            else:
                s.sendto(node_status_answer(name, pc.names, pc.mac, trn_id), peer)


def send_hostile(s, peer):
    specific, flood = hostile_burst()
    for d in specific:
        s.sendto(d, peer)
        time.sleep(0.005)
    for d in flood:
        try:
            s.sendto(d, peer)
        except BlockingIOError:
            time.sleep(0.001)


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        sys.exit(0)
