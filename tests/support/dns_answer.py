#!/usr/bin/env python3
"""A DNS responder for the tests' private network: answers every A query on
UDP 127.0.0.1:PORT with ADDRESS, until it is stopped.

usage: dns_answer.py PORT ADDRESS"""
import socket
import sys


def answer(query, address):
    # Header: same id, a response with recursion available, one question,
    # one answer; then the question as asked and an A record pointing to it.
    end = 12
    while query[end]:
        end += query[end] + 1
    question = query[12 : end + 5]
    header = query[:2] + b"\x81\x80" + b"\x00\x01\x00\x01\x00\x00\x00\x00"
    record = b"\xc0\x0c\x00\x01\x00\x01\x00\x00\x00\x3c\x00\x04" + socket.inet_aton(address)
    return header + question + record


def main(port, address):
    server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    server.bind(("127.0.0.1", port))
    while True:
        query, peer = server.recvfrom(512)
        if len(query) > 12:
            server.sendto(answer(query, address), peer)


if __name__ == "__main__":
    main(int(sys.argv[1]), sys.argv[2])
