#!/usr/bin/env python3
"""A TCP proxy that behaves like a far link: every byte is delayed by a fixed time in each
direction, and each direction shares one rate limit across all connections (as one access line
does). Needs no root and no kernel queueing discipline.

    link_proxy.py LISTEN_PORT TARGET_HOST TARGET_PORT DELAY_MS RATE_MBIT
                  [--cut-after BYTES] [--count-file FILE]

Prints "ready" once it listens. A rate of 0 means unlimited.
--cut-after: the first connection that has carried BYTES towards the client is dropped there,
once, as a broken line would drop it (later connections are left alone).
--count-file: keeps FILE holding the bytes carried towards the client so far, all connections
together ("bytes on the wire" of a download).
"""
import argparse
import asyncio
import time

CHUNK = 64 * 1024


class Link:
    """One direction of the link: a serialiser at the given rate, then a fixed delay."""

    def __init__(self, delay_s, bytes_per_s):
        self.delay_s = delay_s
        self.bytes_per_s = bytes_per_s
        self.free_at = 0.0  # when the line has finished sending what it was given

    def departure(self, size):
        now = time.monotonic()
        start = max(now, self.free_at)
        if self.bytes_per_s > 0:
            self.free_at = start + size / self.bytes_per_s
        else:
            self.free_at = start
        return self.free_at + self.delay_s


class Downstream:
    """What the proxy counts and cuts on the way to the client, over all connections."""

    def __init__(self, cut_after, count_file):
        self.cut_after = cut_after  # 0: never
        self.count_file = count_file
        self.total = 0

    def carried(self, size):
        self.total += size
        if self.count_file:
            with open(self.count_file, "w") as out:
                out.write(f"{self.total}\n")


async def pump(reader, writer, link, downstream=None):
    """Carries one direction. With `downstream` (towards the client), counts the bytes and drops
    the connection where the cut falls."""
    carried = 0
    queue = asyncio.Queue()

    async def deliver():
        while True:
            item = await queue.get()
            if item is None:
                break
            due, data = item
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        if writer.can_write_eof():
            writer.write_eof()

    sender = asyncio.create_task(deliver())
    try:
        while True:
            data = await reader.read(CHUNK)
            if not data:
                break
            cut_here = (downstream is not None and downstream.cut_after > 0
                        and carried + len(data) >= downstream.cut_after)
            if cut_here:
                data = data[:downstream.cut_after - carried]
                downstream.cut_after = 0  # once
            carried += len(data)
            if downstream is not None:
                downstream.carried(len(data))
            await queue.put((link.departure(len(data)), data))
            if cut_here:
                await queue.put(None)
                await sender
                writer.transport.abort()
                raise ConnectionResetError("cut on purpose")
            # Keep the line's queue short, so a slow line pushes back on the sender as TCP would.
            ahead = link.free_at - time.monotonic()
            if ahead > 0.05:
                await asyncio.sleep(ahead - 0.05)
    except (ConnectionError, OSError):
        pass
    await queue.put(None)
    try:
        await sender
    except (ConnectionError, OSError):
        pass


async def main():
    parser = argparse.ArgumentParser()
    for name in ("listen_port", "target_host", "target_port", "delay_ms", "rate_mbit"):
        parser.add_argument(name)
    parser.add_argument("--cut-after", type=int, default=0)
    parser.add_argument("--count-file", default="")
    args = parser.parse_args()
    host, port = args.target_host, int(args.target_port)
    delay_s = float(args.delay_ms) / 1000.0
    rate = float(args.rate_mbit) * 1e6 / 8
    up, down = Link(delay_s, rate), Link(delay_s, rate)
    downstream = Downstream(args.cut_after, args.count_file)

    async def serve(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection(host, port)
        except OSError:
            client_writer.close()
            return
        await asyncio.gather(pump(client_reader, server_writer, up),
                             pump(server_reader, client_writer, down, downstream))
        for w in (client_writer, server_writer):
            w.close()

    server = await asyncio.start_server(serve, "127.0.0.1", args.listen_port)
    print("ready", flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
