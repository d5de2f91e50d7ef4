#!/usr/bin/env python3
"""A TCP proxy that behaves like a far link: every byte is delayed by a fixed time in each
direction, and each direction shares one rate limit across all connections (as one access line
does). Needs no root and no kernel queueing discipline.

    link_proxy.py LISTEN_PORT TARGET_HOST TARGET_PORT DELAY_MS RATE_MBIT

Prints "ready" once it listens. A rate of 0 means unlimited.
"""
import asyncio
import sys
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


async def pump(reader, writer, link):
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
            await queue.put((link.departure(len(data)), data))
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
    listen_port, host, port = int(sys.argv[1]), sys.argv[2], int(sys.argv[3])
    delay_s = float(sys.argv[4]) / 1000.0
    rate = float(sys.argv[5]) * 1e6 / 8
    up, down = Link(delay_s, rate), Link(delay_s, rate)

    async def serve(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection(host, port)
        except OSError:
            client_writer.close()
            return
        await asyncio.gather(pump(client_reader, server_writer, up),
                             pump(server_reader, client_writer, down))
        for w in (client_writer, server_writer):
            w.close()

    server = await asyncio.start_server(serve, "127.0.0.1", listen_port)
    print("ready", flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
