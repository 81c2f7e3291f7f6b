#!/usr/bin/env python3
"""Checks cid-line-check's verdicts on ring cycles made from the standards alone.

Each file is one line as a coupler hands it to a sound card: quiet line,
ringing, the caller-ID burst where its standard puts it, noise, mains hum,
call-progress tones, and one fault at one size. The tool's verdict `cause`
(and `outside` list) is compared with what the line should get.

Pure Python 3, no third-party modules. 8 kHz mono 16-bit WAV.
"""

import argparse
import array
import collections
import json
import math
import os
import random
import re
import subprocess
import sys
import wave

FS = 8000
FULL_SCALE_SINE_DBM0 = 3.14  # a full-scale sine is +3.14 dBm0 (G.711 reference)


def amp(dbm0):
    """Peak amplitude (share of full scale) of a sine at this level."""
    return 10 ** ((dbm0 - FULL_SCALE_SINE_DBM0) / 20)


# What each standard guarantees a receiver (README's limits table).
LIMITS = {
    "clip": dict(level=(-40, -5), snr=20, tone=1.5, rate=1.0, twist=(-6, 6), after_ring=(0.5, 2.0),
                 next_ring=0.2, mark=180.0, space=2100.0, mark_f=1300.0),
    "bell": dict(level=(-40, -4), snr=20, tone=1.0, rate=1.0, twist=(-6, 10), after_ring=(0.5, 2.0),
                 next_ring=0.5, mark_f=1200.0, space=2200.0),
    "dtmf": dict(level=(-33, 1), snr=20, tone=1.5, twist=(-8, 8), after_rev=0.2, next_ring=0.2),
}
TONES = {"clip": (1300.0, 2100.0), "bell": (1200.0, 2200.0)}

DTMF = {"1": (697, 1209), "2": (697, 1336), "3": (697, 1477), "A": (697, 1633),
        "4": (770, 1209), "5": (770, 1336), "6": (770, 1477), "B": (770, 1633),
        "7": (852, 1209), "8": (852, 1336), "9": (852, 1477), "C": (852, 1633),
        "*": (941, 1209), "0": (941, 1336), "#": (941, 1477), "D": (941, 1633)}


class Line:
    """A recording being built, in shares of full scale."""

    def __init__(self, seconds):
        self.n = int(seconds * FS)
        self.x = [0.0] * self.n

    def tone(self, t0, dur, freqs_levels, ramp=0.002, phase=None, rng=None):
        s0 = int(t0 * FS)
        n = int(dur * FS)
        comps = []
        for f, lev in freqs_levels:
            ph = phase if phase is not None else (rng.uniform(0, 2 * math.pi) if rng else 0.0)
            comps.append((2 * math.pi * f / FS, amp(lev), ph))
        r = max(1, int(ramp * FS))
        x = self.x
        for i in range(n):
            k = s0 + i
            if k < 0 or k >= self.n:
                continue
            g = min(1.0, (i + 1) / r, (n - i) / r)
            v = 0.0
            for w, a, ph in comps:
                v += a * math.sin(w * i + ph)
            x[k] += g * v

    def add(self, t0, samples):
        s0 = int(t0 * FS)
        x = self.x
        for i, v in enumerate(samples):
            k = s0 + i
            if 0 <= k < self.n:
                x[k] += v

    def wav(self, path):
        data = array.array("h", (max(-32767, min(32767, int(round(v * 32767)))) for v in self.x))
        if sys.byteorder != "little":
            data.byteswap()
        with wave.open(path, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(FS)
            w.writeframes(data.tobytes())


# ---- signals ---------------------------------------------------------------

def fsk_samples(bits, rate, f_mark, f_space, lev_mark, lev_space, phase):
    """Phase-continuous FSK, 1 = mark."""
    out = []
    nbits = len(bits)
    n = int(math.ceil(nbits * FS / rate))
    a_m, a_s = amp(lev_mark), amp(lev_space)
    ph = phase
    for i in range(n):
        b = bits[min(nbits - 1, int(i * rate / FS))]
        f, a = (f_mark, a_m) if b else (f_space, a_s)
        out.append(a * math.sin(ph))
        ph += 2 * math.pi * f / FS
    r = 16
    for i in range(min(r, len(out))):
        out[i] *= (i + 1) / r
        out[-1 - i] *= (i + 1) / r
    return out


def byte_bits(data, rng, extra_stop=0):
    bits = []
    for b in data:
        bits.append(0)
        bits += [(b >> k) & 1 for k in range(8)]
        bits.append(1)
        if extra_stop and rng.random() < 0.3:
            bits += [1] * rng.randint(1, extra_stop)
    return bits


def checksum(msg):
    return (-sum(msg)) & 0xFF


def random_number(rng, std):
    if std == "bell":
        return str(rng.randint(2, 9)) + "".join(rng.choice("0123456789") for _ in range(9))
    if rng.random() < 0.5:
        return "05" + "".join(rng.choice("0123456789") for _ in range(9))
    return "0" + "".join(rng.choice("0123456789") for _ in range(rng.randint(6, 10)))


def random_name(rng):
    syl = ["A", "AY", "SE", "ME", "HMET", "KAR", "DE", "NIZ", "YIL", "MAZ", "O", "ZAN", "TU", "RAN", "BE",
           "KIR", "CAN", "ER", "DEM", "SU", "JO", "HN", "SMI", "TH"]
    first = "".join(rng.choice(syl) for _ in range(rng.randint(1, 3)))
    last = "".join(rng.choice(syl) for _ in range(rng.randint(1, 3)))
    return (first + " " + last)[:15]


def call_message(rng, std, truth):
    """MDMF (or SDMF for Bell now and then) call set-up with date, number, name."""
    mo, d, h, mi = rng.randint(1, 12), rng.randint(1, 28), rng.randint(0, 23), rng.randint(0, 59)
    date = b"%02d%02d%02d%02d" % (mo, d, h, mi)
    truth.update(month=mo, day=d, hour=h, minute=mi)
    number = random_number(rng, std)
    if std == "bell" and rng.random() < 0.3:
        body = date + number.encode()
        truth.update(number=number, name=None, layout="SDMF")
        msg = bytes([0x04, len(body)]) + body
    else:
        params = bytes([0x01, 8]) + date
        r = rng.random()
        if r < 0.1:
            params += bytes([0x04, 1]) + b"P"
            truth.update(number=None, absence="withheld")
        else:
            params += bytes([0x02, len(number)]) + number.encode()
            truth.update(number=number)
        if rng.random() < 0.8:
            name = random_name(rng)
            params += bytes([0x07, len(name)]) + name.encode()
            truth.update(name=name)
        truth.update(layout="MDMF")
        msg = bytes([0x80, len(params)]) + params
    return msg + bytes([checksum(msg)])


def mwi_message(rng, std, truth):
    on = rng.random() < 0.5
    truth.update(non_call="message_waiting", mwi_on=on, layout="MDMF")
    if std == "bell" and rng.random() < 0.5:
        body = bytes([0x42] * 3) if on else bytes([0x6F] * 3)
        msg = bytes([0x06, 3]) + body
        truth.update(layout="SDMF")
    else:
        params = bytes([0x01, 8]) + b"%02d%02d%02d%02d" % (rng.randint(1, 12), rng.randint(1, 28),
                                                           rng.randint(0, 23), rng.randint(0, 59))
        params += bytes([0x0B, 1, 0xFF if on else 0x00])
        msg = bytes([0x82, len(params)]) + params
    return msg + bytes([checksum(msg)])


def ring(line, rng, t0, dur, f, clipped):
    """Ringing through a coupler: a sine that may clip the card, and the
    decaying step the coupler leaves after it."""
    a = rng.uniform(1.3, 4.0) if clipped else rng.uniform(0.2, 0.85)
    ph = rng.uniform(0, 2 * math.pi)
    n = int(dur * FS)
    rise = int(0.02 * FS)
    s = []
    for i in range(n):
        g = min(1.0, (i + 1) / rise, (n - i) / rise)
        s.append(a * g * math.sin(2 * math.pi * f * i / FS + ph))
    step = rng.uniform(-0.25, 0.25)
    tau = rng.uniform(0.02, 0.08) * FS
    s += [step * math.exp(-i / tau) for i in range(int(6 * tau))]
    line.add(t0, s)


def reversal(line, rng, t0):
    """A line reversal through a coupler: a click and a DC step that the
    coupler's high-pass drains."""
    step = rng.choice([-1, 1]) * rng.uniform(0.08, 0.35)
    tau = rng.uniform(0.01, 0.04) * FS
    s = [step * math.exp(-i / tau) for i in range(int(6 * tau))]
    line.add(t0, s)


def noise(line, rng, dbm0_inband):
    """White noise whose 300-3400 Hz share is at this level."""
    total = dbm0_inband + 10 * math.log10(4000 / 3100)
    sigma = amp(total) / math.sqrt(2)
    x = line.x
    g = rng.gauss
    for i in range(line.n):
        x[i] += g(0, sigma)


def hum(line, rng, f, dbm0, h3, h5):
    comps = [(f, dbm0), (3 * f, dbm0 + h3), (5 * f, dbm0 + h5)]
    p = [rng.uniform(0, 2 * math.pi) for _ in comps]
    w = [2 * math.pi * c[0] / FS for c in comps]
    a = [amp(c[1]) for c in comps]
    x = line.x
    for i in range(line.n):
        x[i] += a[0] * math.sin(w[0] * i + p[0]) + a[1] * math.sin(w[1] * i + p[1]) + a[2] * math.sin(w[2] * i + p[2])


def band_noise_burst(line, rng, t0, dur, dbm0):
    """In-band noise (another modem, speech) of a burst's length."""
    n = int(dur * FS)
    raw = [rng.gauss(0, 1) for _ in range(n)]
    # crude 300-3400 Hz band-pass: one-pole high-pass then two one-pole low-passes
    out, hp_prev_x, hp_prev_y, lp1, lp2 = [], 0.0, 0.0, 0.0, 0.0
    ah = math.exp(-2 * math.pi * 300 / FS)
    al = math.exp(-2 * math.pi * 3000 / FS)
    for v in raw:
        hp = ah * (hp_prev_y + v - hp_prev_x)
        hp_prev_x, hp_prev_y = v, hp
        lp1 = al * lp1 + (1 - al) * hp
        lp2 = al * lp2 + (1 - al) * lp1
        out.append(lp2)
    rms = math.sqrt(sum(v * v for v in out) / n)
    k = amp(dbm0) / math.sqrt(2) / rms
    r = int(0.01 * FS)
    line.add(t0, [v * k * min(1.0, (i + 1) / r, (n - i) / r) for i, v in enumerate(out)])


CPT = {
    "busy_eu": ([(425, 0)], [0.5, 0.5]),
    "busy_tr": ([(450, 0)], [0.5, 0.5]),
    "reorder_na": ([(480, 0), (620, 0)], [0.25, 0.25]),
    "ringback_uk": ([(400, 0), (450, 0)], [0.4, 0.2, 0.4, 2.0]),
}


def call_progress(line, rng, kind, t_end, lev):
    comps, cad = CPT[kind]
    reps = 1 if kind == "ringback_uk" else rng.randint(3, 6)
    period = sum(cad)
    t = t_end - reps * period
    for _ in range(reps):
        for k in range(0, len(cad), 2):
            line.tone(t, cad[k], [(f, lev) for f, _ in comps], ramp=0.005, rng=rng)
            t += cad[k] + cad[k + 1]


# ---- the cells -------------------------------------------------------------

# size → (low, high) of the fault's figure; edge means just past the limit.
SIZES = {
    "clip": {
        "level_low": {"inside": (-38.5, -37), "edge": (-43, -41.5), "beyond": (-60, -50)},
        "level_high": {"inside": (-7.5, -6.5), "edge": (-3.5, -2.5), "beyond": (0.0, 2.0)},
        "snr": {"inside": (22, 40), "edge": (16, 18), "beyond": (0, 10)},
        "tone_offset": {"inside": (0.5, 1.1), "edge": (2.0, 2.5), "beyond": (4, 10)},
        "bit_rate": {"inside": (0.3, 0.7), "edge": (1.4, 1.8), "beyond": (3, 8)},
        "twist": {"inside": (2, 4.5), "edge": (7.5, 9), "beyond": (12, 25)},
    },
    "bell": {
        "level_low": {"inside": (-38.5, -37), "edge": (-43, -41.5), "beyond": (-60, -50)},
        "level_high": {"inside": (-6.5, -5.5), "edge": (-2.5, -1.5), "beyond": (0.0, 2.0)},
        "snr": {"inside": (22, 40), "edge": (16, 18), "beyond": (0, 10)},
        "tone_offset": {"inside": (0.3, 0.6), "edge": (1.5, 1.9), "beyond": (3, 8)},
        "bit_rate": {"inside": (0.3, 0.7), "edge": (1.4, 1.8), "beyond": (3, 8)},
        # positive side, negative side
        "twist": {"inside": ((2, 8), (2, 4.5)), "edge": ((11.5, 13), (7.5, 9)), "beyond": ((16, 25), (12, 20))},
    },
    "dtmf": {
        "level_low": {"inside": (-31.5, -30), "edge": (-36, -34.5), "beyond": (-50, -42)},
        "snr": {"inside": (24, 40), "edge": (15, 17.5), "beyond": (0, 10)},
        "tone_offset": {"inside": (0.5, 1.0), "edge": (2.0, 2.5), "beyond": (4, 8)},
        "twist": {"inside": (3, 6.5), "edge": (9.5, 11), "beyond": (14, 20)},
    },
}

FAULT_CAUSE = {"level_low": "too_weak", "level_high": "distorted", "snr": "too_noisy", "tone_offset": "off_frequency",
               "bit_rate": "off_speed", "twist": "twist", "timing": None, "hum": "hum", "framing": None}
FAULT_FIGURES = {"level_low": {"level"}, "level_high": {"level"}, "snr": {"snr"}, "bit_rate": {"bit_rate"},
                 "twist": {"twist"}, "timing": {"timing"}, "framing": {"timing"}}


def cells():
    out = []
    for std in ("clip", "bell", "dtmf"):
        out.append((std, "clean", "inside"))
        out.append((std, "rings", "inside"))
        for fault in SIZES[std]:
            for size in ("inside", "edge", "beyond"):
                out.append((std, fault, size))
        for size in ("inside", "edge", "beyond"):
            out.append((std, "timing", size))
            out.append((std, "hum", size))
        out += [(std, "no_cid", "-"), (std, "cpt", "-"), (std, "cpt_then_cid", "-"), (std, "unframed", "-")]
        if std == "dtmf":
            out += [(std, "digits_lost", "-"), (std, "no_end_code", "-"), (std, "on_fsk_line", "-"),
                    (std, "between_rings", "inside")]
        else:
            out += [(std, "cut_off", "-"), (std, "checksum", "-"), (std, "not_a_call", "-"),
                    (std, "on_dtmf_line", "-"), (std, "call_waiting", "inside")]
            for size in ("inside", "edge", "beyond"):
                out.append((std, "framing", size))
        if std == "clip":
            out.append((std, "dtas_prering", "inside"))
    return out


def cell_name(c):
    return "/".join(c)


def make(cell, rng):
    """Builds one recording. Returns (Line, truth, standard option)."""
    std, fault, size = cell
    T = dict(std=std, fault=fault, size=size, burst=None, number=None, name=None, absence=None,
             non_call=None, outside=set(), fail_cause=None, expect=None, std_opt=None)
    lim = LIMITS[std]
    region = {"clip": "eu", "bell": "na", "dtmf": "eu"}[std]
    clock = rng.uniform(-0.1, 0.1) / 100  # the sound card's clock, shifts tones and rate together
    # burst figures
    if std == "dtmf":
        level = rng.uniform(-20, -6)
    else:
        level = rng.uniform(-30, -10)
    snr = rng.uniform(27, 45)
    twist = rng.uniform(-1.5, 1.5) if std != "dtmf" else rng.uniform(-1, 1)
    mark_off = space_off = rate_off = 0.0
    seizure, mark_bits = 300, rng.choice([80, 180]) + rng.randint(-15, 15)
    ring_f = rng.uniform(20, 30) if rng.random() < 0.8 else rng.choice([16.7, 50.0])
    clipped_rings = rng.random() < 0.6
    hum_f = 50.0 if region == "eu" else 60.0
    hum_lev = rng.uniform(-58, -40) if rng.random() < 0.6 else None
    h3, h5 = -rng.uniform(12, 20), -rng.uniform(15, 25)
    ring1 = rng.uniform(0.8, 2.0) if std != "bell" else rng.uniform(1.8, 2.1)
    ring2 = rng.uniform(0.8, 2.0) if std != "bell" else rng.uniform(1.8, 2.1)
    delay = rng.uniform(0.6, 1.8)          # first ring's end to data
    to_next = rng.uniform(0.6, 1.5)        # data's end to next ring
    rev_to_digits = rng.uniform(0.3, 0.8)  # DTMF
    digits_to_ring = rng.uniform(0.25, 0.45)
    msg_kind = "call"
    S = SIZES.get(std, {}).get(fault, {})
    sign = rng.choice([-1, 1])
    if fault in ("level_low", "level_high"):
        level = rng.uniform(*S[size])
        twist = 0.0 if std == "dtmf" else rng.uniform(-0.5, 0.5)
        if size != "inside":
            T["outside"] |= {"level"}
        hum_lev = None  # keep the hum from being the louder fault
    elif fault == "snr":
        snr = rng.uniform(*S[size])
        if size != "inside":
            T["outside"] |= {"snr"}
    elif fault == "tone_offset":
        v = rng.uniform(*S[size])
        if std == "dtmf":
            mark_off = sign * v  # both DTMF groups shifted alike
            if size != "inside":
                T["outside"] |= {"mark_offset"}
        else:
            which = rng.choice(["mark", "space", "both"])
            if which in ("mark", "both"):
                mark_off = sign * v
            if which in ("space", "both"):
                space_off = sign * v * (rng.uniform(0.8, 1.0) if which == "both" else 1)
            if size != "inside":
                T["outside"] |= {"mark_offset"} if which == "mark" else {"space_offset"} if which == "space" else \
                    {"mark_offset", "space_offset"}
                if which == "both" and abs(space_off) <= lim["tone"] + 0.3:
                    T["outside"].discard("space_offset")
        T["tones"] = (mark_off, space_off)
    elif fault == "bit_rate":
        rate_off = sign * rng.uniform(*S[size])
        if size != "inside":
            T["outside"] |= {"bit_rate"}
    elif fault == "twist":
        if std == "bell":
            pos, neg = S[size]
            twist = rng.uniform(*pos) if sign > 0 else -rng.uniform(*neg)
        else:
            twist = sign * rng.uniform(*S[size])
        if size != "inside":
            T["outside"] |= {"twist"}
        # the weaker tone stays within the level limits
        level = rng.uniform(-16, -12) if std == "dtmf" else rng.uniform(-24, -14)
    elif fault == "timing":
        if std == "dtmf":
            if size == "inside":
                rev_to_digits = rng.uniform(0.22, 0.3)
                digits_to_ring = rng.uniform(0.22, 0.3)
            elif size == "edge":
                if rng.random() < 0.5:
                    rev_to_digits = rng.uniform(0.08, 0.12)
                else:
                    digits_to_ring = rng.uniform(0.06, 0.11)
                T["outside"] |= {"timing"}
            else:
                if rng.random() < 0.5:
                    rev_to_digits = rng.uniform(0.04, 0.08)
                else:
                    digits_to_ring = rng.uniform(0.02, 0.06)
                T["outside"] |= {"timing"}
        else:
            nr = lim["next_ring"]
            if size == "inside":
                delay = rng.choice([rng.uniform(0.56, 0.65), rng.uniform(1.8, 1.93)])
                to_next = rng.uniform(nr + 0.06, nr + 0.15)
            elif size == "edge":
                r = rng.random()
                if r < 0.33:
                    delay = rng.uniform(0.33, 0.42)
                elif r < 0.66:
                    delay = rng.uniform(2.1, 2.25)
                else:
                    to_next = rng.uniform(nr - 0.12, nr - 0.08)
                T["outside"] |= {"timing"}
            else:
                if rng.random() < 0.5:
                    delay = rng.uniform(2.8, 3.5)
                else:
                    delay = rng.uniform(0.15, 0.25)
                T["outside"] |= {"timing"}
    elif fault == "framing":
        if size == "inside":
            seizure, mark_bits = rng.randint(110, 300), rng.randint(60, 200)
        elif size == "edge":
            if rng.random() < 0.5:
                seizure = rng.randint(70, 85)
            else:
                mark_bits = rng.randint(35, 44)
            T["outside"] |= {"timing"}
        else:
            if rng.random() < 0.5:
                seizure = rng.randint(30, 45)
            else:
                mark_bits = rng.randint(15, 25)
            T["outside"] |= {"timing"}
    elif fault == "hum":
        level = rng.uniform(-24, -14)
        if size == "inside":
            hum_lev = level + rng.uniform(6, 12)
            h3, h5 = -rng.uniform(25, 30), -rng.uniform(40, 45)
        elif size == "edge":
            hum_lev = min(level + rng.uniform(16, 17.5), -2.0)
            h3, h5 = -rng.uniform(30, 35), -rng.uniform(45, 50)
        else:
            hum_lev = rng.uniform(6, 12)  # drives the card far into clipping
            h3, h5 = -rng.uniform(12, 20), -rng.uniform(15, 25)
            T["fail_cause"] = "hum"
            T["hum_clips"] = True
    elif fault == "rings":
        ring_f = rng.uniform(15, 68)
        ring1, ring2 = rng.uniform(0.2, 3.0), rng.uniform(0.2, 3.0)
        clipped_rings = rng.random() < 0.5
    elif fault == "not_a_call":
        msg_kind = "mwi"
    T.update(level=level, snr=snr, twist=twist, mark_off=mark_off, space_off=space_off, rate_off=rate_off,
             seizure=seizure, mark_bits=mark_bits, ring_f=ring_f, clipped_rings=clipped_rings, hum=hum_lev,
             clock_pct=clock * 100)

    lead = rng.uniform(1.5, 3.0)
    dur_est = 24.0
    line = Line(dur_est)
    t = lead
    events = []

    def place_rings_cycle(first_ring_at, burst_builder):
        nonlocal t
        ring(line, rng, first_ring_at, ring1, ring_f, clipped_rings)
        events.append(("ring", first_ring_at, ring1))
        b0 = first_ring_at + ring1 + delay
        b1 = burst_builder(b0) if burst_builder else b0 + 0.8
        r2 = b1 + to_next if burst_builder else first_ring_at + ring1 + rng.uniform(3.0, 4.0)
        ring(line, rng, r2, ring2, ring_f, clipped_rings)
        events.append(("ring", r2, ring2))
        return r2 + ring2

    def fsk_burst(b0, seiz=None, mark=None, message=None, cut=None):
        f_m, f_s = TONES[std]
        f_m *= (1 + clock) * (1 + mark_off / 100)
        f_s *= (1 + clock) * (1 + space_off / 100)
        rate = 1200 * (1 + clock) * (1 + rate_off / 100)
        if message is None:
            message = call_message(rng, std, T) if msg_kind == "call" else mwi_message(rng, std, T)
        bits = [i & 1 for i in range(seizure if seiz is None else seiz)]
        bits += [1] * (mark_bits if mark is None else mark)
        data = byte_bits(message, rng, extra_stop=2)
        if cut:
            data = data[:int(len(data) * cut)]
        bits += data + [1] * rng.randint(0, 4)
        s = fsk_samples(bits, rate, f_m, f_s, level - twist / 2, level + twist / 2, rng.uniform(0, 6.28))
        line.add(b0, s)
        T["burst"] = (b0, b0 + len(s) / FS)
        T["message"] = message.hex()
        return b0 + len(s) / FS

    def dtmf_burst(b0, digits, drop=None):
        on = rng.uniform(0.06, 0.08)
        off = rng.uniform(0.06, 0.08)
        tt = b0
        k = 1 + mark_off / 100
        for i, d in enumerate(digits):
            lo, hi = DTMF[d]
            if i != drop:
                lo_l = level - twist / 2
                line.tone(tt, on, [(lo * k * (1 + clock), lo_l), (hi * k * (1 + clock), lo_l + twist)],
                          ramp=0.003, rng=rng)
            tt += on + off
        T["burst"] = (b0, tt - off)
        T["digits"] = digits
        return tt - off

    # ---- scenario by fault
    end = None
    if std == "dtmf":
        if fault == "dtmf":
            pass
        lim_lev = level
        T["level"] = lim_lev
        number = random_number(rng, "clip")
        start = rng.choice(["A", "D"])
        digits = start + number + "C"
        T["number"] = number
        T["layout"] = start + "...C"
        drop = None
        if fault == "digits_lost":
            drop = rng.randint(2, len(digits) - 3)
            T["fail_cause"] = "digits_lost"
        if fault == "no_end_code":
            digits = digits[:-1]
            T["fail_cause"] = "cut_off"
        if fault == "between_rings":
            end = place_rings_cycle(t, lambda b0: dtmf_burst(b0, digits))
        elif fault in ("no_cid", "cpt"):
            if fault == "cpt":
                kind = rng.choice(["busy_eu", "busy_tr"])
                call_progress(line, rng, kind, t + 2.5, rng.uniform(-25, -10))
                t += 3.0
                T["cpt"] = kind
            end = place_rings_cycle(t, None)
        else:
            if fault == "cpt_then_cid":
                kind = rng.choice(["busy_eu", "busy_tr"])
                call_progress(line, rng, kind, t + 2.5, rng.uniform(-25, -10))
                t += 3.0
                T["cpt"] = kind
            reversal(line, rng, t)
            events.append(("reversal", t))
            b0 = t + rev_to_digits
            if fault == "unframed":
                band_noise_burst(line, rng, b0, rng.uniform(0.5, 0.9), rng.uniform(-25, -12))
                b1 = b0 + 0.9
                T["burst"] = (b0, b1)
                T["number"] = None
            else:
                b1 = dtmf_burst(b0, digits, drop)
            r1 = b1 + digits_to_ring
            ring(line, rng, r1, ring1, ring_f, clipped_rings)
            r2 = r1 + ring1 + rng.uniform(3.0, 4.0)
            ring(line, rng, r2, ring2, ring_f, clipped_rings)
            end = r2 + ring2
        if fault == "on_fsk_line":
            T["std_opt"] = rng.choice(["clip", "bell"])
    else:
        if fault in ("no_cid", "cpt"):
            if fault == "cpt":
                kind = rng.choice(["busy_eu", "reorder_na", "ringback_uk"])
                call_progress(line, rng, kind, t + 2.5, rng.uniform(-25, -10))
                t += 3.0
                T["cpt"] = kind
            end = place_rings_cycle(t, None)
        elif fault == "unframed":
            def nb(b0):
                d = rng.uniform(0.5, 0.9)
                band_noise_burst(line, rng, b0, d, rng.uniform(-25, -12))
                T["burst"] = (b0, b0 + d)
                return b0 + d
            end = place_rings_cycle(t, nb)
        elif fault == "cut_off":
            cut = rng.uniform(0.25, 0.85)
            T["fail_cause"] = "cut_off"
            end = place_rings_cycle(t, lambda b0: fsk_burst(b0, cut=cut))
        elif fault == "checksum":
            msg = bytearray(call_message(rng, std, T))
            if rng.random() < 0.5:
                msg[-1] = (msg[-1] + rng.randint(1, 255)) & 0xFF
            else:
                k = rng.randint(2, len(msg) - 2)
                msg[k] ^= 1 << rng.randint(0, 6)
            T["fail_cause"] = "checksum"
            end = place_rings_cycle(t, lambda b0: fsk_burst(b0, message=bytes(msg)))
        elif fault == "call_waiting":
            # off hook: talk, the alert tone, the terminal's DTMF D, then FSK with no seizure
            band_noise_burst(line, rng, t - 1.0, 1.0, rng.uniform(-25, -15))
            a0 = t + rng.uniform(0.1, 0.3)
            cas = rng.uniform(0.08, 0.085) if std == "bell" else rng.uniform(0.08, 0.1)
            lv = rng.uniform(-24, -16)
            line.tone(a0, cas, [(2130 * (1 + clock), lv), (2750 * (1 + clock), lv + rng.uniform(-2, 2))], rng=rng)
            events.append(("alert", a0))
            ack = a0 + cas + rng.uniform(0.03, 0.09)
            lo, hi = DTMF["D"]
            line.tone(ack, rng.uniform(0.055, 0.065), [(lo, -8), (hi, -6)], rng=rng)
            b0 = ack + 0.065 + rng.uniform(0.1, 0.4)
            b1 = fsk_burst(b0, seiz=0, mark=rng.randint(70, 90))
            band_noise_burst(line, rng, b1 + 0.3, 1.5, rng.uniform(-25, -15))
            end = b1 + 1.8
            T["call_waiting"] = True
        elif fault == "dtas_prering":
            reversal(line, rng, t)
            a0 = t + rng.uniform(0.12, 0.3)
            lv = rng.uniform(-24, -14)
            dt = rng.uniform(0.082, 0.098)
            line.tone(a0, dt, [(2130 * (1 + clock), lv), (2750 * (1 + clock), lv + rng.uniform(-2, 2))], rng=rng)
            b0 = a0 + dt + rng.uniform(0.08, 0.45)
            b1 = fsk_burst(b0)
            r1 = b1 + rng.uniform(0.25, 0.45)
            ring(line, rng, r1, ring1, ring_f, clipped_rings)
            r2 = r1 + ring1 + rng.uniform(3.0, 4.0)
            ring(line, rng, r2, ring2, ring_f, clipped_rings)
            end = r2 + ring2
        else:
            if fault == "cpt_then_cid":
                kind = rng.choice(["busy_eu", "reorder_na", "ringback_uk"])
                call_progress(line, rng, kind, t + 2.5, rng.uniform(-25, -10))
                t += 3.0
                T["cpt"] = kind
            end = place_rings_cycle(t, fsk_burst)
        if fault == "on_dtmf_line":
            T["std_opt"] = "dtmf"

    # the line's background
    total = end + rng.uniform(4.0, 5.0)
    if total > dur_est:
        line.x += [0.0] * (int(total * FS) - line.n)
        line.n = len(line.x)
    else:
        line.x = line.x[:int(total * FS)]
        line.n = len(line.x)
    if std == "dtmf":
        sig_dbm0 = level + 10 * math.log10(1 + 10 ** (twist / 10)) - twist / 2 if fault != "unframed" else -18
    else:
        sig_dbm0 = level
    noise(line, rng, sig_dbm0 - snr)
    if hum_lev is not None:
        hum(line, rng, hum_f, hum_lev, h3, h5)
    dc = rng.uniform(-0.01, 0.01)
    for i in range(line.n):
        line.x[i] += dc
    T["hum_clips"] = hum_lev is not None and amp(hum_lev) * (1 + amp(h3) / amp(0) + amp(h5) / amp(0)) > 1
    expected(T)
    return line, T


def expected(T):
    """Causes the line should get: a set of acceptable verdicts."""
    std, fault = T["std"], T["fault"]
    if fault == "on_dtmf_line":
        T["expect"] = {"fsk_on_dtmf_line"}
    elif fault == "on_fsk_line":
        T["expect"] = {"dtmf_on_fsk_line"}
    elif fault == "no_cid":
        T["expect"] = {"no_caller_id"}
    elif fault == "cpt":
        T["expect"] = {"call_progress_tone"}
    elif fault == "unframed":
        T["expect"] = {"unframed"}
    elif fault == "not_a_call":
        T["expect"] = {"not_a_call"}
    elif T["fail_cause"] in ("cut_off", "checksum", "digits_lost"):
        T["expect"] = {T["fail_cause"]}
    else:
        T["expect"] = None  # decided on the burst's fate


def judge(T, verdict, burst):
    """Returns (expected label, given label, ok)."""
    given = verdict["cause"] if verdict else "(no verdict)"
    if verdict and given == "out_of_standard":
        given += "[" + ",".join(sorted(o["figure"] for o in verdict.get("outside") or [])) + "]"
    if T["expect"] is not None:
        exp = "|".join(sorted(T["expect"]))
        return exp, given, (verdict is not None and verdict["cause"] in T["expect"])
    decoded = bool(burst and burst.get("decoded"))
    if decoded:
        if T["outside"]:
            exp = "out_of_standard[" + ",".join(sorted(T["outside"])) + "]"
        else:
            exp = "good"
        if T["fault"] == "hum" and T.get("hum_clips"):
            # decoded under clipping hum: the burst came, so judged on its figures
            pass
    else:
        fc = T["fail_cause"] or FAULT_CAUSE.get(T["fault"])
        exp = fc if fc and T["size"] != "inside" else "(decodes: good)"
        if T["fault"] in ("timing", "framing") and T["size"] != "inside":
            exp = "(decodes: out_of_standard[timing])"
        if T["fault"] in ("clean", "rings", "between_rings", "cpt_then_cid", "call_waiting", "dtas_prering",
                          "level_high"):
            exp = "(decodes: good)" if T["fault"] != "level_high" or T["size"] == "inside" \
                else "(decodes: out_of_standard[level])"
    return exp, given, given == exp


def pick(events, T):
    verdicts = [e for e in events if e.get("event") == "verdict"]
    bursts = [e for e in events if e.get("event") == "burst"]
    burst = None
    if T["burst"]:
        b0 = T["burst"][0]
        near = [b for b in bursts if b.get("start") is not None and abs(b["start"] - b0) < 0.6]
        burst = near[0] if near else None
    verdict = None
    if burst:
        vv = [v for v in verdicts if v.get("burst_start") is not None and abs(v["burst_start"] - burst["start"]) < 0.05]
        verdict = vv[0] if vv else None
    if verdict is None and verdicts:
        verdict = verdicts[0]
    return verdict, burst, verdicts, bursts


def file_rng(seed, cell, index):
    return random.Random("%d:%s:%d" % (seed, cell_name(cell), index))


def run_tool(tool, path, std_opt):
    cmd = ["nice", "-n", "10", tool, "--json"]
    if std_opt:
        cmd += ["--standard", std_opt]
    cmd.append(path)
    p = subprocess.run(cmd, capture_output=True, text=True, timeout=120)
    events = []
    for ln in p.stdout.splitlines():
        ln = ln.strip()
        if ln.startswith("{"):
            try:
                events.append(json.loads(ln))
            except ValueError:
                pass
    return events, p.returncode, cmd


def check_fields(T, burst):
    """Wrong decoded content: the number above all."""
    if not burst or not burst.get("decoded"):
        return []
    bad = []
    if T["fault"] in ("unframed", "not_a_call"):
        return bad
    if burst.get("number") != T.get("number"):
        bad.append("number %r, sent %r" % (burst.get("number"), T.get("number")))
    if T.get("absence") and burst.get("absence") != T["absence"]:
        bad.append("absence %r, sent %r" % (burst.get("absence"), T["absence"]))
    if T["std"] == "dtmf" and T.get("number") and burst.get("digits") not in (None, len(T["number"])):
        bad.append("digits %r for a %d-digit number" % (burst.get("digits"), len(T["number"])))
    if T.get("name") and burst.get("name") not in (None, T["name"]):
        bad.append("name %r, sent %r" % (burst.get("name"), T["name"]))
    return bad


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--seed", type=int, default=None, help="master seed (printed; random when left out)")
    ap.add_argument("--per-cell", type=int, default=5, help="recordings per cell (default 5)")
    ap.add_argument("--only", default=None, help="regex on cell names such as clip/twist/edge")
    ap.add_argument("--tool", default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                   "../../build/tools/cid-line-check"))
    ap.add_argument("--dir", default="/tmp/outside/wav", help="where the recordings are written")
    ap.add_argument("--one", default=None, metavar="CELL:INDEX", help="make only this file (and check it)")
    ap.add_argument("--report", default=None, help="also write every wrong verdict as JSON lines here")
    ap.add_argument("--list", action="store_true", help="list the cells")
    a = ap.parse_args()
    all_cells = cells()
    if a.list:
        for c in all_cells:
            print(cell_name(c))
        return
    seed = a.seed if a.seed is not None else random.randrange(1 << 30)
    print("seed %d" % seed, flush=True)
    os.makedirs(a.dir, exist_ok=True)
    jobs = []
    if a.one:
        name, idx = a.one.rsplit(":", 1)
        cell = tuple(name.split("/"))
        jobs.append((cell, int(idx)))
    else:
        for c in all_cells:
            if a.only and not re.search(a.only, cell_name(c)):
                continue
            for i in range(a.per_cell):
                jobs.append((c, i))
    table = collections.OrderedDict()
    wrong, wrong_numbers, multi = [], [], 0
    rep = open(a.report, "w") if a.report else None
    for cell, i in jobs:
        rng = file_rng(seed, cell, i)
        line, T = make(cell, rng)
        path = os.path.join(a.dir, "%s-%d.wav" % (cell_name(cell).replace("/", "_"), i))
        line.wav(path)
        events, rc, cmd = run_tool(a.tool, path, T["std_opt"])
        verdict, burst, verdicts, bursts = pick(events, T)
        exp, given, ok = judge(T, verdict, burst)
        table.setdefault(cell_name(cell), collections.Counter())[(exp, given)] += 1
        bad = check_fields(T, burst)
        if bad:
            wrong_numbers.append((cell, i, bad))
        regen = "%s --seed %d --one %s:%d" % (sys.argv[0], seed, cell_name(cell), i)
        if not ok or bad or a.one:
            truth = {k: (sorted(v) if isinstance(v, set) else v) for k, v in T.items() if k != "message"}
            item = dict(cell=cell_name(cell), index=i, regen=regen, tool=" ".join(cmd[3:]), expected=exp,
                        given=given, verdict=verdict, burst=burst, truth=truth,
                        all_verdicts=[v.get("cause") for v in verdicts], bad_fields=bad)
            if not ok:
                wrong.append(item)
            if rep:
                rep.write(json.dumps(item, ensure_ascii=False) + "\n")
                rep.flush()
            if a.one:
                for e in events:
                    print(json.dumps(e, ensure_ascii=False))
                print("truth:", json.dumps(truth, ensure_ascii=False))
        if len(verdicts) != 1:
            multi += 1
        extra = "  [%d verdicts: %s]" % (len(verdicts), ",".join(v.get("cause") for v in verdicts)) \
            if len(verdicts) != 1 else ""
        print("%-28s %2d  expected %-36s given %-36s %s%s%s" % (cell_name(cell), i, exp, given, "ok" if ok else "WRONG",
                                                                "  " + "; ".join(bad) if bad else "", extra),
              flush=True)
    print()
    print("Confusion per cell (expected -> given: count); seed %d, %d per cell" % (seed, a.per_cell))
    n_ok = n_all = 0
    for name, cnt in table.items():
        parts = []
        for (exp, given), k in sorted(cnt.items()):
            mark = "" if (exp == given or given in exp.split("|")) else " *"
            parts.append("%s -> %s: %d%s" % (exp, given, k, mark))
            n_all += k
            n_ok += k if not mark else 0
        print("  %-26s %s" % (name, "; ".join(parts)))
    print("right %d of %d; wrong numbers/names %d; files with other than one verdict %d"
          % (n_ok, n_all, len(wrong_numbers), multi))


if __name__ == "__main__":
    main()
