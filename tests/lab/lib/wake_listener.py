#!/usr/bin/python3
"""Wake-on-LAN for the lab's switched-off PCs.

A switched-off PC has no address, so nothing reaches it but frames on its link. For each such
PC this process enters the PC's network namespace, opens a packet socket on its link there
and returns; the sockets keep their namespaces. A UDP datagram whose payload holds the PC's
magic packet (six bytes FF, then its MAC sixteen times) brings the PC up: its address is put
back on its link (`ip -n NS addr add`), after which it answers pings and NetBIOS queries
like any other PC. Every magic packet for the PC, also after it is up, is logged.

Configuration, one PC per line (blank lines and lines starting with # are skipped):

    NAMESPACE  DEVICE  IP/PREFIX  MAC

Log lines (one per magic packet seen):

    magic NAMESPACE SRC_IP:SRC_PORT DST_IP:DST_PORT PAYLOAD_HEX
    woke NAMESPACE IP/PREFIX

    wake_listener.py --config FILE --log FILE --ready FILE

The ready file is written once every socket is open.
"""

import argparse
import select
import socket
import struct
import subprocess
import sys

from nbns_responder import in_namespace

ETH_P_IP = 0x0800


def link_socket(ns, device):
    """A packet socket for the IPv4 frames of `device` inside namespace `ns`."""

    def make():
        s = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(ETH_P_IP))
        s.bind((device, ETH_P_IP))
        s.setblocking(False)
        return s

    return in_namespace(ns, make)


def udp_of(frame):
    """(src, sport, dst, dport, payload) of an IPv4 UDP frame, or None."""
    if len(frame) < 14 + 20 or struct.unpack(">H", frame[12:14])[0] != ETH_P_IP:
        return None
    ip = frame[14:]
    ihl = (ip[0] & 0x0F) * 4
    total = struct.unpack(">H", ip[2:4])[0]
    if ip[0] >> 4 != 4 or ip[9] != 17 or len(ip) < ihl + 8 or total > len(ip):
        return None
    udp = ip[ihl:total]
    sport, dport, length = struct.unpack(">HHH", udp[:6])
    return (socket.inet_ntoa(ip[12:16]), sport, socket.inet_ntoa(ip[16:20]), dport,
            bytes(udp[8:length]))


class Pc:
    def __init__(self, line):
        self.ns, self.device, self.address, mac = line.split()
        self.mac = bytes(int(b, 16) for b in mac.split(":"))
        self.magic = b"\xff" * 6 + self.mac * 16
        self.awake = False


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--config", required=True)
    ap.add_argument("--log", required=True)
    ap.add_argument("--ready", required=True)
    args = ap.parse_args()

    pcs = []
    with open(args.config) as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                pcs.append(Pc(line))
    by_fd = {}
    for pc in pcs:
        s = link_socket(pc.ns, pc.device)
        by_fd[s.fileno()] = (s, pc)
    log = open(args.log, "a", buffering=1)
    with open(args.ready, "w") as f:
        f.write("%d\n" % len(pcs))

    poller = select.poll()
    for fd in by_fd:
        poller.register(fd, select.POLLIN)
    while True:
        for fd, _ in poller.poll():
            s, pc = by_fd[fd]
            try:
                frame = s.recv(65535)
            except BlockingIOError:
                continue
            udp = udp_of(frame)
            if udp is None or pc.magic not in udp[4]:
                continue
            src, sport, dst, dport, payload = udp
            log.write("magic %s %s:%d %s:%d %s\n" % (pc.ns, src, sport, dst, dport, payload.hex()))
            if not pc.awake:
                pc.awake = True
                subprocess.run(["ip", "-n", pc.ns, "addr", "add", pc.address, "dev", pc.device],
                               check=False)
                log.write("woke %s %s\n" % (pc.ns, pc.address))


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        sys.exit(0)
