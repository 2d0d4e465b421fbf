#!/usr/bin/env python3
"""Writes the PTZ protocol table "YT.IFO" that ships beside the host program.

The file is a plain run of 2844-byte protocol records (layout in U_SettingsRecords.h): a name,
the usual serial settings, a start and a stop frame template per command, and a speed table.
"""
import argparse
import struct

RECORD = 2844
TEMPLATE = 73
COMMANDS = 19
FRAME = 51


def template(frame=b"", address_pos=(0, 0, 0), address_base=(0, 0, 0), address_mode=2,
             checksum_pos=(0, 0, 0), checksum_range=((0, 0), (0, 0), (0, 0)),
             checksum_kind=(0, 0, 0), value1_pos=0, value2_pos=0):
    assert len(frame) <= FRAME
    out = bytes(frame).ljust(FRAME, b"\0")
    out += bytes([len(frame)]) + bytes(address_pos) + bytes(address_base) + bytes([address_mode])
    out += bytes(checksum_pos) + bytes(b for r in checksum_range for b in r)
    out += bytes(checksum_kind) + bytes([value1_pos, value2_pos])
    assert len(out) == TEMPLATE
    return out


def protocol(name, baud, parity, data_bits, stop_bits, commands, speeds):
    """commands: 19 (start, stop) template pairs; speeds: 19 (position, default) pairs."""
    raw = name.encode("gbk")
    assert len(raw) <= 23 and len(commands) == COMMANDS and len(speeds) == COMMANDS
    out = bytes([len(raw)]) + raw.ljust(23, b"\0")
    out += struct.pack("<iBBBB", baud, parity, data_bits, stop_bits, 0)
    for start, stop in commands:
        out += start + stop
    for position, default in speeds:
        out += bytes([position, default])
    assert len(out) == RECORD
    return out


def seven_byte_protocol():
    """Seven-byte frames: sync 0xFF, camera address, two command bytes, two data bytes (pan and
    tilt speed, or a preset number) and the sum of bytes 2..6."""

    def frame(cmd1, cmd2, data1=0, data2=0, value1_pos=0):
        return template(bytes([0xFF, 0, cmd1, cmd2, data1, data2, 0]), address_pos=(2, 0, 0),
                        address_mode=0, checksum_pos=(7, 0, 0),
                        checksum_range=((2, 6), (0, 0), (0, 0)), value1_pos=value1_pos)

    stop = frame(0x00, 0x00)
    empty = template()
    commands = [
        (frame(0x00, 0x08), stop),  # up: tilt speed in byte 6
        (frame(0x00, 0x10), stop),  # down
        (frame(0x00, 0x04), stop),  # left: pan speed in byte 5
        (frame(0x00, 0x02), stop),  # right
        (frame(0x02, 0x00), stop),  # iris open
        (frame(0x04, 0x00), stop),  # iris close
        (frame(0x00, 0x80), stop),  # focus far
        (frame(0x01, 0x00), stop),  # focus near
        (frame(0x00, 0x20), stop),  # zoom in
        (frame(0x00, 0x40), stop),  # zoom out
        (frame(0x00, 0x07, 0, 99), stop),  # automatic pan: preset 99 by convention
    ]
    for aux in range(1, 5):  # auxiliary outputs: set, cleared by the stop frame
        commands.append((frame(0x00, 0x09, 0, aux), frame(0x00, 0x0B, 0, aux)))
    commands += [
        (frame(0x00, 0x03, value1_pos=6), empty),  # set preset
        (frame(0x00, 0x07, value1_pos=6), empty),  # call preset
        (frame(0x00, 0x05, value1_pos=6), empty),  # delete preset
        (empty, empty),  # no scan between two points
    ]
    speeds = [(6, 0x20), (6, 0x20), (5, 0x20), (5, 0x20)]
    speeds += [(0, 0)] * (COMMANDS - len(speeds))
    return protocol("Standard-D", 2400, 0, 8, 0, commands, speeds)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True, help="file to write")
    args = parser.parse_args()
    with open(args.out, "wb") as f:
        f.write(seven_byte_protocol())


if __name__ == "__main__":
    main()
