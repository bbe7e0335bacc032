#!/usr/bin/env python3
"""semi.py: writes the seed corpus of the event fuzzer into corpus/.

Each seed is one gesture or key sequence a person (or a broken window system)
might send, in the byte encoding that fuzz_eventi.cpp documents. Run it again
after a change of the encoding; the files it writes are kept in the
repository.
"""
import os
import struct

QUI = os.path.dirname(os.path.abspath(__file__))
EVENTI_PER_FOTOGRAMMA = 256  # as in fuzz_eventi.cpp
INT_MIN, INT_MAX = -2**31, 2**31 - 1


def i32(v):
    return struct.pack('<i', v)


def tasto(k):
    return bytes([0x00, k if isinstance(k, int) else ord(k)])


def tasti(s):
    return b''.join(tasto(c) for c in s)


def speciale(k):
    return bytes([0x40, k])


def bottone(b, stato, x, y):
    # state 0 down, 1 up, otherwise a raw int32
    if stato in (0, 1):
        return bytes([0x60, b | stato << 3, 0xc0]) + i32(x) + i32(y)
    return bytes([0x60, b | 3 << 3]) + i32(stato) + bytes([0xc0]) + i32(x) + i32(y)


def passo(dx, dy):
    return bytes([0x80, 0x00, dx & 0xff, dy & 0xff])


def moto(x, y):
    return bytes([0x80, 0xc0]) + i32(x) + i32(y)


def ridimensiona(w, h):
    return bytes([0xe2]) + i32(w) + i32(h)


# A frame is drawn only after enough events; "z" recolours and nothing else.
ATTESA = tasti('z' * EVENTI_PER_FOTOGRAMMA)
FOTOGRAMMA = bytes([0xf0])

SEMI = {
    'trascina_sinistro': bottone(0, 0, 500, 300)
    + b''.join(passo(3, -2) + passo(-1, 4) for _ in range(40))
    + bottone(0, 1, 520, 310) + ATTESA + FOTOGRAMMA,
    'riscala_destro': bottone(0, 1, 500, 300) + bottone(2, 0, 500, 300) + ATTESA
    + FOTOGRAMMA + b''.join(passo(0, -5) for _ in range(30))
    + b''.join(passo(0, 7) for _ in range(30)) + passo(0, 120)
    + bottone(2, 1, 500, 300),
    'tasti': tasti('j' * 16 + 'u' * 15 + 'JU' + 'oObB' + '01234 ' + 'aqrAQR' + '0r')
    + b''.join(tasto(k) for k in range(256)),
    'frecce': b''.join(speciale(k) for k in [100, 101, 102, 103, 101, 103] + list(range(1, 13))
                       + [104, 105, 106, 107, 108, 0, 255]) + tasto('r'),
    'ridimensiona': ridimensiona(0, 0) + ridimensiona(-1, -1) + ridimensiona(INT_MAX, INT_MIN)
    + ridimensiona(800, 800) + ridimensiona(1320, 660) + ATTESA + FOTOGRAMMA
    + ridimensiona(100, 66),
    'centrale': bottone(1, 0, 400, 400) + b''.join(passo(10, 5) for _ in range(20))
    + ATTESA + FOTOGRAMMA + passo(-30, 0) + bottone(1, 1, 370, 500) + passo(2, 2),
    'estremi': bottone(0, 0, INT_MIN, INT_MAX) + moto(INT_MAX, INT_MIN) + passo(127, -128)
    + moto(INT_MIN, INT_MIN) + b''.join(bottone(b, s, 0, 0) for b in range(3, 8) for s in (2, 9))
    + bottone(0, -1, 5, 5) + bottone(2, INT_MIN, 5, 5) + moto(0, 0),
    # Enormous upward rescale steps: the matrix overflows to inf, then "r".
    'trabocco': bottone(0, 1, 0, 0) + bottone(2, 0, 0, 0) + ATTESA + FOTOGRAMMA
    + b''.join(bottone(5, 2, 0, 2_000_000_000) + moto(0, -2_000_000_000) for _ in range(45))
    + tasto('r'),
    'senza_bersaglio': b''.join(tasti(c) + bottone(0, 0, 10, 10) + passo(20, 20) + speciale(101)
                                + tasti('aqr') for c in '4 2'),
}


def main():
    cartella = os.path.join(QUI, 'corpus')
    os.makedirs(cartella, exist_ok=True)
    for nome, dati in SEMI.items():
        with open(os.path.join(cartella, nome), 'wb') as f:
            f.write(dati)


if __name__ == '__main__':
    main()
