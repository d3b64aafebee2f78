"""A zlib stream writer that keeps match distances long.

zlib's inflater copies a match one byte at a time, each byte read from the
bytes it has just written. When a match starts one or a few bytes back (the
long runs of zeros a filtered logo is made of), every byte waits for the
store before it, and inflating such a stream takes several times longer
than one whose matches reach further back. This writer takes its matches
from the row above where it can, and never closer than MIN_DISTANCE bytes;
the rest is ordinary deflate: greedy LZ77 over a 32 KiB window and a
dynamic Huffman block every BLOCK_ROWS rows. The output depends only on the
input.
"""

import heapq
import zlib

WINDOW = 32768
MIN_DISTANCE = 16
MIN_MATCH = 4
MAX_MATCH = 258
CHAIN = 8
BLOCK_ROWS = 48

# Length codes 257..285: (base length, extra bits).
LENGTH_BASE = [3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
               35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258]
LENGTH_EXTRA = [0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0]
DIST_BASE = [1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193,
             257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145,
             8193, 12289, 16385, 24577]
DIST_EXTRA = [0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6,
              7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13]
CODE_LENGTH_ORDER = [16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15]


def _code_of(bases, value):
    lo, hi = 0, len(bases) - 1
    while lo < hi:
        mid = (lo + hi + 1) // 2
        if bases[mid] <= value:
            lo = mid
        else:
            hi = mid - 1
    return lo


LENGTH_CODE = [0] * (MAX_MATCH + 1)
for _n in range(3, MAX_MATCH + 1):
    LENGTH_CODE[_n] = _code_of(LENGTH_BASE, _n)


def _match_length(data, p, q, limit):
    """How many bytes from p equal those from q, at most limit."""
    if data[p:p + limit] == data[q:q + limit]:
        return limit
    lo, hi = 0, limit - 1  # the answer lies in [lo, hi]
    while lo < hi:
        mid = (lo + hi + 1) // 2
        if data[p:p + mid] == data[q:q + mid]:
            lo = mid
        else:
            hi = mid - 1
    return lo


def tokens(data, stride):
    """Greedy LZ77: yields ints (literal bytes) and (length, distance) pairs."""
    n = len(data)
    heads = {}
    p = 0
    while p < n:
        limit = min(MAX_MATCH, n - p)
        best_len, best_dist = 0, 0
        if limit >= MIN_MATCH:
            for d in (stride, 2 * stride):
                if MIN_DISTANCE <= d <= p and d <= WINDOW:
                    length = _match_length(data, p, p - d, limit)
                    if length > best_len:
                        best_len, best_dist = length, d
                    if best_len == limit:
                        break
            key = data[p:p + MIN_MATCH]
            chain = heads.get(key)
            if best_len < limit and chain:
                for q in reversed(chain):
                    d = p - q
                    if d > WINDOW:
                        break
                    if d < MIN_DISTANCE:
                        continue
                    length = _match_length(data, p, q, limit)
                    if length > best_len:
                        best_len, best_dist = length, d
                        if length == limit:
                            break
            if chain is None:
                heads[key] = [p]
            else:
                chain.append(p)
                if len(chain) > CHAIN:
                    del chain[0]
        if best_len >= MIN_MATCH:
            yield (best_len, best_dist)
            p += best_len
        else:
            yield data[p]
            p += 1


def huffman_lengths(freqs, limit):
    """Code lengths (at most limit bits) for the given symbol counts."""
    counts = list(freqs)
    while True:
        used = [(f, s) for s, f in enumerate(counts) if f > 0]
        lengths = [0] * len(counts)
        if len(used) == 1:
            lengths[used[0][1]] = 1
            return lengths
        heap = [(f, i, [s]) for i, (f, s) in enumerate(used)]
        heapq.heapify(heap)
        order = len(heap)
        while len(heap) > 1:
            f1, _, s1 = heapq.heappop(heap)
            f2, _, s2 = heapq.heappop(heap)
            for s in s1 + s2:
                lengths[s] += 1
            heapq.heappush(heap, (f1 + f2, order, s1 + s2))
            order += 1
        if max(lengths) <= limit:
            return lengths
        # Too deep: flatten the counts and build again.
        counts = [(f + 1) // 2 if f > 0 else 0 for f in counts]


def canonical_codes(lengths):
    """Bit-reversed canonical codes, ready to be written least significant bit first."""
    max_len = max(lengths) if lengths else 0
    count = [0] * (max_len + 1)
    for length in lengths:
        if length:
            count[length] += 1
    next_code = [0] * (max_len + 2)
    code = 0
    for bits in range(1, max_len + 1):
        code = (code + count[bits - 1]) << 1
        next_code[bits] = code
    codes = [0] * len(lengths)
    for s, length in enumerate(lengths):
        if length:
            c = next_code[length]
            next_code[length] += 1
            codes[s] = int(format(c, "0%db" % length)[::-1], 2)
    return codes


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.bits = 0

    def write(self, value, count):
        self.acc |= value << self.bits
        self.bits += count
        if self.bits >= 64:
            self.out += (self.acc & 0xFFFFFFFFFFFFFFFF).to_bytes(8, "little")
            self.acc >>= 64
            self.bits -= 64

    def finish(self):
        while self.bits > 0:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.bits -= 8
        return bytes(self.out)


def _run_length_lengths(lengths):
    """The code-length alphabet's symbols for a list of code lengths."""
    out = []
    i = 0
    while i < len(lengths):
        v = lengths[i]
        run = 1
        while i + run < len(lengths) and lengths[i + run] == v:
            run += 1
        i += run
        if v == 0:
            while run >= 11:
                r = min(run, 138)
                out.append((18, r - 11, 7))
                run -= r
            if run >= 3:
                out.append((17, run - 3, 3))
                run = 0
            out.extend([(0, 0, 0)] * run)
        else:
            out.append((v, 0, 0))
            run -= 1
            while run >= 3:
                r = min(run, 6)
                out.append((16, r - 3, 2))
                run -= r
            out.extend([(v, 0, 0)] * run)
    return out


def _use_two_symbols(freqs):
    """Gives symbols 0 and 1 a count where fewer than two symbols have one."""
    for s in (0, 1):
        if sum(1 for f in freqs if f) < 2 and freqs[s] == 0:
            freqs[s] = 1


def write_block(writer, block, final):
    lit_freq = [0] * 286
    dist_freq = [0] * 30
    coded = []
    for t in block:
        if isinstance(t, int):
            lit_freq[t] += 1
            coded.append((t,))
        else:
            length, dist = t
            lc = LENGTH_CODE[length]
            dc = _code_of(DIST_BASE, dist)
            lit_freq[257 + lc] += 1
            dist_freq[dc] += 1
            coded.append((257 + lc, length - LENGTH_BASE[lc], dc, dist - DIST_BASE[dc]))
    lit_freq[256] += 1
    # Two distance codes at least keep every inflater happy with the tree.
    _use_two_symbols(dist_freq)
    lit_len = huffman_lengths(lit_freq, 15)
    dist_len = huffman_lengths(dist_freq, 15)
    hlit = max(257, max(s for s in range(286) if lit_len[s]) + 1)
    hdist = max(1, max(s for s in range(30) if dist_len[s]) + 1)
    rle = _run_length_lengths(lit_len[:hlit] + dist_len[:hdist])
    cl_freq = [0] * 19
    for sym, _, _ in rle:
        cl_freq[sym] += 1
    _use_two_symbols(cl_freq)  # the code-length code must be complete
    cl_len = huffman_lengths(cl_freq, 7)
    hclen = 19
    while hclen > 4 and cl_len[CODE_LENGTH_ORDER[hclen - 1]] == 0:
        hclen -= 1

    writer.write(1 if final else 0, 1)
    writer.write(2, 2)
    writer.write(hlit - 257, 5)
    writer.write(hdist - 1, 5)
    writer.write(hclen - 4, 4)
    for s in CODE_LENGTH_ORDER[:hclen]:
        writer.write(cl_len[s], 3)
    cl_code = canonical_codes(cl_len)
    for sym, extra, extra_bits in rle:
        writer.write(cl_code[sym], cl_len[sym])
        if extra_bits:
            writer.write(extra, extra_bits)

    lit_code = canonical_codes(lit_len)
    dist_code = canonical_codes(dist_len)
    for c in coded:
        s = c[0]
        writer.write(lit_code[s], lit_len[s])
        if s > 256:
            lc = s - 257
            if LENGTH_EXTRA[lc]:
                writer.write(c[1], LENGTH_EXTRA[lc])
            dc = c[2]
            writer.write(dist_code[dc], dist_len[dc])
            if DIST_EXTRA[dc]:
                writer.write(c[3], DIST_EXTRA[dc])
    writer.write(lit_code[256], lit_len[256])


def compress(data, stride):
    """A zlib stream of data, whose rows are stride bytes long."""
    writer = BitWriter()
    block = []
    block_bytes = 0
    limit = BLOCK_ROWS * stride
    for t in tokens(data, stride):
        block.append(t)
        block_bytes += 1 if isinstance(t, int) else t[0]
        if block_bytes >= limit:
            write_block(writer, block, False)
            block, block_bytes = [], 0
    write_block(writer, block, True)
    body = writer.finish()
    stream = b"\x78\xda" + body + (zlib.adler32(data) & 0xFFFFFFFF).to_bytes(4, "big")
    if zlib.decompress(stream) != data:
        raise AssertionError("the deflate writer made a stream that does not inflate to its input")
    return stream
