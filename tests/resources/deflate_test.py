"""The logo's deflate writer: streams zlib reads back, matches that stay far
enough back, and Huffman codes within deflate's length limits."""

import os
import random
import sys
import unittest
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources"))
import deflate  # noqa: E402


def replay(tokens):
    out = bytearray()
    for t in tokens:
        if isinstance(t, int):
            out.append(t)
        else:
            length, dist = t
            for _ in range(length):
                out.append(out[-dist])
    return bytes(out)


class DeflateWriter(unittest.TestCase):
    def test_streams_inflate_to_their_input(self):
        rng = random.Random(7)
        cases = {
            "empty": b"",
            "one byte": b"\x2a",
            "one repeated byte": b"\x00" * 70000,
            "noise": bytes(rng.randrange(256) for _ in range(20000)),
            "rows": b"".join(bytes([2]) + bytes((x // 7 + y // 3) & 255 for x in range(400))
                             for y in range(120)),
        }
        for name, data in cases.items():
            with self.subTest(name):
                self.assertEqual(zlib.decompress(deflate.compress(data, 401)), data)

    def test_matches_stay_far_back_and_rebuild_the_input(self):
        rng = random.Random(11)
        rows = []
        for y in range(60):
            row = bytearray(b"\x00" * 1200)
            for x in range(rng.randrange(0, 1200, 4), 1200, 97):
                row[x] = rng.randrange(256)
            rows.append(bytes([rng.choice([1, 2, 4])]) + bytes(row))
        data = b"".join(rows)
        tokens = list(deflate.tokens(data, 1201))
        self.assertEqual(replay(tokens), data)
        matches = [t for t in tokens if not isinstance(t, int)]
        self.assertTrue(matches)
        for length, dist in matches:
            self.assertGreaterEqual(dist, deflate.MIN_DISTANCE)
            self.assertLessEqual(dist, deflate.WINDOW)
            self.assertTrue(deflate.MIN_MATCH <= length <= deflate.MAX_MATCH)

    def test_code_lengths_keep_the_limit_and_form_a_prefix_code(self):
        fibonacci = [1, 1]
        while len(fibonacci) < 30:
            fibonacci.append(fibonacci[-1] + fibonacci[-2])
        for freqs, limit in ((fibonacci, 15), (fibonacci[:19], 7), ([0, 5, 0], 15), ([3, 0, 9, 1], 7)):
            with self.subTest(limit=limit, symbols=len(freqs)):
                lengths = deflate.huffman_lengths(freqs, limit)
                self.assertLessEqual(max(lengths), limit)
                for f, n in zip(freqs, lengths):
                    self.assertEqual(f > 0, n > 0)
                self.assertLessEqual(sum(2.0 ** -n for n in lengths if n), 1.0)


if __name__ == "__main__":
    unittest.main()
