#!/usr/bin/env python3
"""Writes the seed corpus of the wave fuzzer: small real files from sox and ffmpeg, and
byte-built valid and broken headers. Run from anywhere; writes into corpus/ beside this file.
Findings of fuzzing runs are added to the same folder by hand (named finding-*)."""
import math
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def chunk(cid, body, declared=None, pad=True):
    size = len(body) if declared is None else declared
    out = cid + struct.pack("<I", size) + body
    if pad and len(body) % 2:
        out += b"\0"
    return out


def fmt(tag=1, channels=1, rate=8000, bits=16, align=None, extra=b""):
    if align is None:
        align = channels * ((bits + 7) // 8)
    return struct.pack("<HHIIHH", tag, channels, rate, rate * align & 0xFFFFFFFF, align, bits) + extra


def riff(*chunks, form=b"WAVE", riff_id=b"RIFF", riff_size=None):
    body = form + b"".join(chunks)
    size = len(body) if riff_size is None else riff_size
    return riff_id + struct.pack("<I", size) + body


def rf64(*chunks, ds64_body, form=b"WAVE", form_id=b"RF64"):
    """An RF64 file: 0xFFFFFFFF as RIFF size and ds64 first, its body as given."""
    return form_id + struct.pack("<I", 0xFFFFFFFF) + form + chunk(b"ds64", ds64_body) + b"".join(chunks)


def ds64(riff_size, data_size, table=()):
    body = struct.pack("<QQQI", riff_size, data_size, data_size // 2, len(table))
    return body + b"".join(cid + struct.pack("<Q", size) for cid, size in table)


def pcm16(values):
    return b"".join(struct.pack("<h", v) for v in values)


def tone16(n, silent_head=16, silent_tail=16, amp=12000):
    vals = [0] * silent_head + [int(amp * math.sin(i / 5.0)) for i in range(n)] + [0] * silent_tail
    return pcm16(vals)


def floats(fmtchar, values):
    return b"".join(struct.pack("<" + fmtchar, v) for v in values)


def built_files():
    tone = tone16(200)
    ext_float = struct.pack("<HHI", 22, 32, 0x3) + struct.pack("<H", 3) + bytes(14)
    ext_int = struct.pack("<HHI", 22, 24, 0x4) + struct.pack("<H", 1) + bytes(14)
    ext_mulaw = struct.pack("<HHI", 22, 8, 0x4) + struct.pack("<H", 7) + bytes(14)
    special = [0.0, 0.5, float("nan"), float("inf"), -float("inf"), -0.25, 0.0]
    return {
        "valid-s16-mono.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone)),
        "valid-s16-stereo-list.wav": riff(chunk(b"fmt ", fmt(channels=2)), chunk(b"LIST", b"INFOabc"),
                                          chunk(b"data", tone)),
        "valid-12in16.wav": riff(chunk(b"fmt ", fmt(bits=12, align=2)), chunk(b"data", tone)),
        "valid-20in24.wav": riff(chunk(b"fmt ", fmt(bits=20, align=3)), chunk(b"data", tone[:300])),
        "valid-4bit-in-8.wav": riff(chunk(b"fmt ", fmt(bits=4, align=1)), chunk(b"data", bytes(range(0, 250, 3)))),
        "valid-24in32.wav": riff(chunk(b"fmt ", fmt(bits=24, align=4)), chunk(b"data", tone[:400])),
        "valid-ext-float.wav": riff(chunk(b"fmt ", fmt(0xFFFE, 1, 8000, 32, 4, ext_float)),
                                    chunk(b"data", floats("f", [0.0, 0.25, -0.5, 0.0]))),
        "valid-ext-24.wav": riff(chunk(b"fmt ", fmt(0xFFFE, 2, 8000, 24, 6, ext_int)), chunk(b"data", tone[:360])),
        "valid-fmt18.wav": riff(chunk(b"fmt ", fmt(extra=b"\0\0")), chunk(b"data", tone)),
        "float32-nan-inf.wav": riff(chunk(b"fmt ", fmt(3, 1, 8000, 32)), chunk(b"data", floats("f", special))),
        "float64-nan-inf.wav": riff(chunk(b"fmt ", fmt(3, 1, 8000, 64)), chunk(b"data", floats("d", special))),
        "odd-data-8bit.wav": riff(chunk(b"fmt ", fmt(bits=8)), chunk(b"data", bytes([128, 128, 200, 40, 128]))),
        "odd-chunk-before-data.wav": riff(chunk(b"fmt ", fmt()), chunk(b"junk", b"abc"), chunk(b"data", tone)),
        "partial-frame.wav": riff(chunk(b"fmt ", fmt(channels=2)), chunk(b"data", tone[:-2])),
        "partial-sample.wav": riff(chunk(b"fmt ", fmt(channels=1, bits=24)), chunk(b"data", tone[:301])),
        "data-size-ffffffff.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone, declared=0xFFFFFFFF)),
        "data-past-end.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone, declared=len(tone) + 1000)),
        "data-declared-no-bytes.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", b"", declared=100)),
        "riff-size-wrong.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone), riff_size=12345678),
        "channels-65535.wav": riff(chunk(b"fmt ", fmt(channels=65535, bits=8, align=65535)),
                                   chunk(b"data", bytes([100, 200] * 500))),
        "rate-0.wav": riff(chunk(b"fmt ", fmt(rate=0)), chunk(b"data", tone)),
        "depth-40-in-2-bytes.wav": riff(chunk(b"fmt ", fmt(bits=40, align=2)), chunk(b"data", tone)),
        "depth-0.wav": riff(chunk(b"fmt ", fmt(bits=0, align=2)), chunk(b"data", tone)),
        "float-64-in-4-bytes.wav": riff(chunk(b"fmt ", fmt(3, 1, 8000, 64, 4)),
                                        chunk(b"data", floats("f", [0.0, 0.25, -0.5, 0.0]))),
        "float-16-in-2-bytes.wav": riff(chunk(b"fmt ", fmt(3, 1, 8000, 16, 2)), chunk(b"data", tone)),
        "depth-4-in-2-bytes.wav": riff(chunk(b"fmt ", fmt(bits=4, align=2)), chunk(b"data", tone)),
        "float-32-in-8-bytes.wav": riff(chunk(b"fmt ", fmt(3, 1, 8000, 32, 8)),
                                        chunk(b"data", floats("d", [0.0, 0.25, -0.5, 0.0]))),
        "depth-33-in-4-bytes.wav": riff(chunk(b"fmt ", fmt(bits=33, align=4)), chunk(b"data", tone[:400])),
        "integer-in-8-bytes.wav": riff(chunk(b"fmt ", fmt(bits=64, align=8)), chunk(b"data", tone)),
        "rate-2g.wav": riff(chunk(b"fmt ", fmt(rate=0x80000000)), chunk(b"data", tone)),
        "byte-rate-wrong.wav": riff(chunk(b"fmt ", fmt()[:8] + struct.pack("<I", 3) + fmt()[12:]),
                                    chunk(b"data", tone)),
        "many-empty-chunks.wav": riff(b"\0" * 8 * 3000, chunk(b"fmt ", fmt()), chunk(b"data", tone)),
        "rf64-valid.wav": rf64(chunk(b"fmt ", fmt()), chunk(b"data", tone, declared=0xFFFFFFFF),
                               ds64_body=ds64(len(tone) + 72, len(tone))),
        "bw64-valid.wav": rf64(chunk(b"fmt ", fmt(channels=2)), chunk(b"data", tone, declared=0xFFFFFFFF),
                               ds64_body=ds64(len(tone) + 72, len(tone)), form_id=b"BW64"),
        "rf64-table.wav": rf64(chunk(b"LIST", b"INFOab", declared=0xFFFFFFFF), chunk(b"fmt ", fmt()),
                               chunk(b"data", tone, declared=0xFFFFFFFF),
                               ds64_body=ds64(len(tone) + 98, len(tone), [(b"LIST", 6)])),
        # A ds64 table of 5,000 entries that every chunk before fmt looks its size up in.
        "rf64-big-table.wav": rf64(*[chunk(b"abcd", b"", declared=0xFFFFFFFF)] * 200, chunk(b"fmt ", fmt()),
                                   chunk(b"data", tone, declared=0xFFFFFFFF),
                                   ds64_body=ds64(0, len(tone), [(struct.pack("<I", i + 1000), 0) for i in range(4999)]
                                                  + [(b"abcd", 0)])),
        "rf64-data-past-end.wav": rf64(chunk(b"fmt ", fmt()), chunk(b"data", tone, declared=0xFFFFFFFF),
                                       ds64_body=ds64(1 << 40, 1 << 40)),
        "riff-junk-reserved.wav": riff(chunk(b"JUNK", bytes(28)), chunk(b"fmt ", fmt()), chunk(b"data", tone)),
        "chunks-after-data.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone), chunk(b"cue ", bytes(28)),
                                      chunk(b"LIST", b"adtlxyz"), chunk(b"smpl", bytes(9), declared=400)),
        "bad-rf64-no-ds64.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone), riff_id=b"RF64"),
        "bad-rf64-ds64-short.wav": rf64(chunk(b"fmt ", fmt()), chunk(b"data", tone), ds64_body=bytes(20)),
        "bad-rf64-table-long.wav": rf64(chunk(b"fmt ", fmt()), chunk(b"data", tone),
                                        ds64_body=struct.pack("<QQQI", 100, 100, 50, 1000)),
        "bad-rf64-form-avi.wav": rf64(chunk(b"fmt ", fmt()), chunk(b"data", tone), ds64_body=ds64(100, 100),
                                      form=b"AVI "),
        "bad-empty.wav": b"",
        "bad-riff-only.wav": b"RIFF",
        "bad-riff-header-only.wav": riff(),
        "bad-rifx.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone), riff_id=b"RIFX"),
        "bad-form-avi.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone), form=b"AVI "),
        "bad-no-fmt.wav": riff(chunk(b"data", tone)),
        "bad-no-data.wav": riff(chunk(b"fmt ", fmt())),
        "bad-data-before-fmt.wav": riff(chunk(b"data", tone), chunk(b"fmt ", fmt())),
        "bad-fmt-14.wav": riff(chunk(b"fmt ", fmt()[:14]), chunk(b"data", tone)),
        "bad-fmt-past-end.wav": riff(chunk(b"fmt ", fmt(), declared=0x7FFFFFF0)),
        "bad-chunk-past-end.wav": riff(chunk(b"fmt ", fmt()), chunk(b"LIST", b"xx", declared=0x10000), chunk(b"data", tone)),
        "bad-data-size-0.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", b"", declared=0), chunk(b"data", tone)),
        "bad-channels-0.wav": riff(chunk(b"fmt ", fmt(channels=0, align=2)), chunk(b"data", tone)),
        "bad-align-3-stereo.wav": riff(chunk(b"fmt ", fmt(channels=2, align=3)), chunk(b"data", tone)),
        "bad-container-5.wav": riff(chunk(b"fmt ", fmt(bits=40, align=5)), chunk(b"data", tone)),
        "bad-align-0.wav": riff(chunk(b"fmt ", fmt(align=0)), chunk(b"data", tone)),
        "bad-truncated-header.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone))[:30],
        "coded-alaw.wav": riff(chunk(b"fmt ", fmt(6, 1, 8000, 8)), chunk(b"data", bytes(range(0, 250, 3)))),
        "coded-ext-mulaw.wav": riff(chunk(b"fmt ", fmt(0xFFFE, 1, 8000, 8, 1, ext_mulaw)),
                                    chunk(b"data", bytes(range(0, 250, 3)))),
        "coded-tag-0.wav": riff(chunk(b"fmt ", fmt(0)), chunk(b"data", tone)),
    }


def metadata_files():
    """Inputs with the chunks an output may carry. Each ends in a chunk of two bytes, which the
    fuzzer reads as its options: bit 0x20 of the first keeps the metadata."""
    tone = tone16(200, silent_head=40, silent_tail=40)
    bext = bytearray(602)
    bext[338:346] = struct.pack("<Q", 48000 * 3600)
    ixml = (b"<BWFXML><BEXT><BWF_TIME_REFERENCE_LOW>4294967000</BWF_TIME_REFERENCE_LOW>"
            b"<BWF_TIME_REFERENCE_HIGH>1</BWF_TIME_REFERENCE_HIGH></BEXT></BWFXML>")
    cue = struct.pack("<I", 3) + b"".join(struct.pack("<II4sIII", i, p, b"data", 0, 0, p)
                                         for i, p in [(1, 10), (2, 60), (3, 280)])
    adtl = (b"adtl" + chunk(b"labl", struct.pack("<I", 2) + b"in\0") + chunk(b"note", struct.pack("<I", 1) + b"x\0")
            + chunk(b"ltxt", struct.pack("<IIIHHHH", 2, 500, 0x206E6772, 0, 0, 0, 0) + b"r\0"))
    smpl = struct.pack("<9I", 0, 0, 125000, 60, 0, 0, 0, 2, 0) + struct.pack("<6I", 1, 0, 50, 150, 0, 0) \
        + struct.pack("<6I", 2, 0, 0, 279, 0, 0)
    info = b"INFO" + chunk(b"INAM", b"seed\0")
    keep, keep_24bit = chunk(b"optn", b"\x20\x00"), chunk(b"optn", b"\x2c\x05")
    wrap_bext = bytearray(602)
    wrap_bext[338:346] = struct.pack("<Q", (1 << 64) - 5)
    wrap_ixml = (b"<BWFXML><BEXT><BWF_TIME_REFERENCE_LOW>4294967291</BWF_TIME_REFERENCE_LOW>"
                 b"<BWF_TIME_REFERENCE_HIGH>4294967295</BWF_TIME_REFERENCE_HIGH></BEXT></BWFXML>")
    edge_bext = bytearray(602)
    edge_bext[338:346] = struct.pack("<Q", 4294967290)
    halves_ixml = (b"<BWFXML><BEXT><BWF_TIME_REFERENCE_LOW>4294967290</BWF_TIME_REFERENCE_LOW>"
                   b"<BWF_TIME_REFERENCE_HIGH/></BEXT><SPEED><TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_HI>0"
                   b"</TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_HI><TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO>4294967290"
                   b"</TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO></SPEED><X><BWF_TIME_REFERENCE_LOW>4294967290"
                   b"</BWF_TIME_REFERENCE_LOW></X></BWFXML>")
    # A reference repeated hundreds of times, each low half outgrowing 32 bits once moved, and
    # a cue chunk of a thousand points: the rewrites' work must follow the body's size.
    many_ixml = b"<BWFXML>" + b"<BWF_TIME_REFERENCE_LOW>4294967290</BWF_TIME_REFERENCE_LOW>" * 300 + b"</BWFXML>"
    many_cue = struct.pack("<I", 1000) + b"".join(struct.pack("<II4sIII", i, i % 300, b"data", 0, 0, i % 300)
                                                  for i in range(1000))
    return {
        "meta-ixml-many-references.wav": riff(chunk(b"fmt ", fmt()), chunk(b"iXML", many_ixml),
                                              chunk(b"data", tone), keep),
        "meta-cue-many-points.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone), chunk(b"cue ", many_cue),
                                         chunk(b"LIST", adtl), keep),
        "meta-bwf-markers.wav": riff(chunk(b"fmt ", fmt()), chunk(b"LIST", info), chunk(b"bext", bytes(bext)),
                                     chunk(b"iXML", ixml), chunk(b"data", tone), chunk(b"cue ", cue),
                                     chunk(b"LIST", adtl), chunk(b"smpl", smpl), keep),
        "meta-6ch-24bit.wav": riff(chunk(b"fmt ", fmt(channels=6, bits=24)), chunk(b"data", tone[:360]),
                                   chunk(b"cue ", cue), keep_24bit),
        "meta-broken-chunks.wav": riff(chunk(b"fmt ", fmt()), chunk(b"bext", bytes(300)), chunk(b"data", tone),
                                       chunk(b"cue ", struct.pack("<I", 99) + cue[4:]),
                                       chunk(b"LIST", adtl[:-5]), chunk(b"smpl", smpl[:40]), keep),
        # Time references that would pass 2^64 when moved by the cut: both chunks are dropped.
        "meta-time-wrap.wav": riff(chunk(b"fmt ", fmt()), chunk(b"bext", bytes(wrap_bext)),
                                   chunk(b"iXML", wrap_ixml), chunk(b"data", tone), keep),
        # A self-closing high half, a second low half and the iXML timestamp, agreeing with bext.
        "meta-time-halves.wav": riff(chunk(b"fmt ", fmt()), chunk(b"bext", bytes(edge_bext)),
                                     chunk(b"iXML", halves_ixml), chunk(b"data", tone), keep),
        # Odd-sized chunks before the data of an RF64 file, the output keeping them.
        "meta-rf64-odd-chunks.wav": rf64(chunk(b"fmt ", fmt()), chunk(b"iXML", b"<BWFXML/>"),
                                         chunk(b"bext", bytes(603)), chunk(b"data", tone, declared=0xFFFFFFFF),
                                         keep, ds64_body=ds64(0, len(tone))),
        "meta-24in32.wav": riff(chunk(b"fmt ", fmt(bits=24, align=4)), chunk(b"LIST", info),
                                chunk(b"data", tone[:400]), keep),
        # Entries too short for the cue id and range they name, each at the end of its list.
        "meta-short-adtl-entries.wav": riff(chunk(b"fmt ", fmt()), chunk(b"data", tone), chunk(b"cue ", cue),
                                            chunk(b"LIST", b"adtl" + chunk(b"labl", b"\x02\x00")),
                                            chunk(b"LIST", b"adtl" + chunk(b"ltxt", struct.pack("<II", 2, 500))), keep),
    }


def loudness_files():
    """Files normalised to a loudness (bit 0x40 of the options' first byte) at rates and channel
    counts the meter does not measure, each holding more than one 400 ms gating block, and the
    lowest rate it measures."""
    loud = chunk(b"optn", b"\x40\x00")

    def seconds(rate, channels, secs):
        frames = max(int(rate * secs), 1)
        return pcm16([int(9000 * math.sin(i * 0.9)) for i in range(frames) for _ in range(channels)])

    files = {"loudness-%dhz.wav" % r: riff(chunk(b"fmt ", fmt(rate=r)), chunk(b"data", seconds(r, 1, 3)), loud)
             for r in (1, 15, 16, 20, 100, 3000)}
    files["loudness-8000hz.wav"] = riff(chunk(b"fmt ", fmt(rate=8000)), chunk(b"data", seconds(8000, 1, 0.9)), loud)
    files["loudness-2822401hz.wav"] = riff(chunk(b"fmt ", fmt(rate=2822401)), chunk(b"data", seconds(8000, 1, 1)),
                                           loud)
    files["loudness-65ch.wav"] = riff(chunk(b"fmt ", fmt(channels=65)), chunk(b"data", seconds(80, 65, 1)), loud)
    files["loudness-16hz-65ch.wav"] = riff(chunk(b"fmt ", fmt(channels=65, rate=16)),
                                           chunk(b"data", seconds(16, 65, 1)), loud)
    return files


PEER_FILES = [
    ("sox-u8-stereo.wav", ["sox", "-n", "-r", "8000", "-c", "2", "-b", "8", "-e", "unsigned-integer", "{out}",
                           "synth", "0.03", "sine", "300", "pad", "0.01", "0.01"]),
    ("sox-s24-mono.wav", ["sox", "-n", "-r", "8000", "-c", "1", "-b", "24", "{out}",
                          "synth", "0.05", "square", "200", "gain", "-12", "pad", "0.02", "0.02"]),
    ("sox-s32-stereo.wav", ["sox", "-n", "-r", "11025", "-c", "2", "-b", "32", "{out}",
                            "synth", "0.03", "sine", "500", "pad", "0.01", "0"]),
    ("sox-f32-mono.wav", ["sox", "-n", "-r", "8000", "-c", "1", "-b", "32", "-e", "floating-point", "{out}",
                          "synth", "0.05", "sine", "440", "gain", "-3", "pad", "0.01", "0.01"]),
    ("sox-f64-mono.wav", ["sox", "-n", "-r", "8000", "-c", "1", "-b", "64", "-e", "floating-point", "{out}",
                          "synth", "0.03", "noise", "pad", "0.01", "0.01"]),
    ("ffmpeg-s24-6ch.wav", ["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=220:d=0.01:r=8000",
                            "-af", "pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0", "-c:a", "pcm_s24le", "{out}"]),
    ("ffmpeg-rf64-s16.wav", ["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=330:d=0.03:r=8000",
                             "-c:a", "pcm_s16le", "-rf64", "always", "{out}"]),
    ("ffmpeg-s16-meta.wav", ["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=440:d=0.05:r=8000",
                             "-metadata", "title=seed", "-c:a", "pcm_s16le", "{out}"]),
]


def ext80(rate):
    """An 80-bit extended number as AIFF's COMM holds its rate; raw 10 bytes pass through."""
    if isinstance(rate, bytes):
        return rate
    if rate == 0:
        return bytes(10)
    e = int(math.floor(math.log2(rate)))
    return struct.pack(">HQ", 16383 + e, int(rate * 2 ** (63 - e)))


def bchunk(cid, body, declared=None, pad=True):
    size = len(body) if declared is None else declared
    out = cid + struct.pack(">I", size) + body
    if pad and len(body) % 2:
        out += b"\0"
    return out


def comm(channels=1, frames=64, bits=16, rate=8000, ctype=None):
    body = struct.pack(">HIH", channels, frames, bits) + ext80(rate)
    if ctype is not None:
        body += ctype + b"\x00\x00"
    return bchunk(b"COMM", body)


def ssnd(samples, offset=0, block=0, declared=None):
    return bchunk(b"SSND", struct.pack(">II", offset, block) + samples, declared)


def form(*chunks, ftype=b"AIFF"):
    body = ftype + b"".join(chunks)
    return b"FORM" + struct.pack(">I", len(body)) + body


def aiff_files():
    tone = b"".join(struct.pack(">h", 0 if i < 8 or i > 56 else int(9000 * math.sin(i / 3))) for i in range(64))
    return {
        "aiff-s16.aiff": form(comm(), ssnd(tone)),
        "aiff-s8-stereo.aiff": form(comm(2, 32, 8), ssnd(bytes((i * 37) & 0xFF for i in range(64)))),
        "aiff-s24.aiff": form(comm(1, 21, 24), ssnd(tone[:63])),
        "aiff-s12.aiff": form(comm(1, 64, 12), ssnd(tone)),
        "aifc-sowt.aifc": form(comm(1, 64, 16, 8000, b"sowt"), ssnd(tone[::-1]), ftype=b"AIFC"),
        "aifc-fl32.aifc": form(comm(1, 32, 32, 8000, b"fl32"), ssnd(b"".join(struct.pack(">f", math.sin(i)) for i in range(32))), ftype=b"AIFC"),
        "aifc-fl64.aifc": form(comm(1, 16, 64, 8000, b"fl64"), ssnd(b"".join(struct.pack(">d", math.sin(i)) for i in range(16))), ftype=b"AIFC"),
        "aifc-ulaw.aifc": form(comm(1, 64, 16, 8000, b"ulaw"), ssnd(tone[:64]), ftype=b"AIFC"),
        "bad-aiff-comm-after-ssnd.aiff": form(ssnd(tone), comm()),
        "bad-aiff-odd-pad.aiff": form(bchunk(b"NAME", b"abc"), comm(), ssnd(tone)),
        "bad-aiff-odd-unpadded.aiff": form(bchunk(b"NAME", b"abc", pad=False), comm(), ssnd(tone)),
        "bad-aiff-rate-nan.aiff": form(comm(rate=b"\x7f\xff\xc0" + bytes(7)), ssnd(tone)),
        "bad-aiff-rate-zero.aiff": form(comm(rate=0), ssnd(tone)),
        "bad-aiff-rate-huge.aiff": form(comm(rate=b"\x43\xff\x80" + bytes(7)), ssnd(tone)),
        "bad-aiff-rate-tiny.aiff": form(comm(rate=b"\x00\x01\x80" + bytes(7)), ssnd(tone)),
        "bad-aiff-ssnd-offset.aiff": form(comm(), ssnd(tone, offset=1000)),
        "bad-aiff-ssnd-block.aiff": form(comm(), ssnd(tone, block=100000)),
        "bad-aiff-ssnd-past-end.aiff": form(comm(), ssnd(tone, declared=100000), ),
        "bad-aiff-frames-huge.aiff": form(comm(frames=0xFFFFFFFF), ssnd(tone)),
        "bad-aiff-no-comm.aiff": form(ssnd(tone)),
        "bad-aiff-comm-short.aiff": form(bchunk(b"COMM", bytes(6)), ssnd(tone)),
        "bad-aiff-channels-0.aiff": form(comm(channels=0), ssnd(tone)),
        "bad-aiff-bits-40.aiff": form(comm(bits=40), ssnd(tone)),
    }


def flac_files():
    """FLAC seeds from the flac tool, and the same streams broken: cut, lying, overrunning."""
    out = {}
    src = os.path.join(CORPUS, ".flac-src.wav")
    with open(src, "wb") as f:
        f.write(riff(chunk(b"fmt ", fmt(channels=2, rate=8000)), chunk(b"data", tone16(600))))
    for level, blocksize in (("0", "256"), ("8", "1152")):
        enc = subprocess.run(["flac", "-s", "--no-padding", "-" + level, "-b", blocksize, "-c", src], capture_output=True, check=True).stdout
        out["flac-%s.flac" % level] = enc
    os.unlink(src)
    good = out["flac-8.flac"]
    # STREAMINFO: 4 bytes magic, 4 of block header, then its 34-byte body.
    out["bad-flac-cut.flac"] = good[: len(good) * 2 // 3]
    lie = bytearray(good)
    lie[8 + 13] = (lie[8 + 13] & 0xF0) | 0x0F  # total samples far more than held
    out["bad-flac-total-lie.flac"] = bytes(lie)
    bits = bytearray(good)
    bits[8 + 12] ^= 0x01  # bits per sample off by 16 in STREAMINFO alone
    out["bad-flac-bits-lie.flac"] = bytes(bits)
    md5 = bytearray(good)
    md5[8 + 20] ^= 0xFF
    out["bad-flac-md5.flac"] = bytes(md5)
    crc = bytearray(good)
    crc[len(good) // 2] ^= 0x5A
    out["bad-flac-crc.flac"] = bytes(crc)
    block = bytearray(good)
    block[4] = 0x80 | 4  # last block: a VORBIS_COMMENT whose length runs past the end
    block[5:8] = b"\xff\xff\xff"
    out["bad-flac-block-past-end.flac"] = bytes(block[:8 + 34]) + b"\x00" * 16
    return out


def main():
    os.makedirs(CORPUS, exist_ok=True)
    for name, data in {**built_files(), **metadata_files(), **loudness_files(), **aiff_files(), **flac_files()}.items():
        with open(os.path.join(CORPUS, name), "wb") as f:
            f.write(data)
    for name, cmd in PEER_FILES:
        out = os.path.join(CORPUS, name)
        if subprocess.run([a.replace("{out}", out) for a in cmd]).returncode != 0:
            sys.exit("peer failed: " + " ".join(cmd))
    too_big = [n for n in os.listdir(CORPUS) if os.path.getsize(os.path.join(CORPUS, n)) >= 65536]
    if too_big:
        sys.exit("corpus files over 64 KiB: " + ", ".join(too_big))


if __name__ == "__main__":
    main()
