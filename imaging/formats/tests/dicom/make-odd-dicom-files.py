#!/usr/bin/python3
"""Writes valid but unusual DICOM files with pydicom into the folder given:
implicit and big-endian transfer syntaxes, signed and 12-bit samples with
rescale, MONOCHROME1, palettes, YCbCr, planar colour, sequences of undefined
length, private elements, no preamble, no file meta group, several frames and
JPEG 2000 frames (from OpenJPEG code streams made beside them), each with a
native twin where the reference tools cannot decode the coding."""

import struct
import subprocess
import sys

from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.encaps import encapsulate
from pydicom.sequence import Sequence
from pydicom.uid import (ExplicitVRBigEndian, ExplicitVRLittleEndian, ImplicitVRLittleEndian, JPEG2000,
                         JPEG2000Lossless, generate_uid)

FOLDER = sys.argv[1]
SECONDARY_CAPTURE = "1.2.840.10008.5.1.4.1.1.7"


def new_dataset(syntax, rows, columns, samples, bits, stored, signed, photometric):
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID = SECONDARY_CAPTURE
    meta.MediaStorageSOPInstanceUID = generate_uid()
    meta.TransferSyntaxUID = syntax
    ds = Dataset()
    ds.file_meta = meta
    ds.preamble = b"\0" * 128
    ds.is_little_endian = syntax != ExplicitVRBigEndian
    ds.is_implicit_VR = syntax == ImplicitVRLittleEndian
    ds.SOPClassUID = SECONDARY_CAPTURE
    ds.SOPInstanceUID = meta.MediaStorageSOPInstanceUID
    ds.PatientName = "Odd^File"
    ds.SamplesPerPixel = samples
    ds.PhotometricInterpretation = photometric
    if samples == 3:
        ds.PlanarConfiguration = 0
    ds.Rows = rows
    ds.Columns = columns
    ds.BitsAllocated = bits
    ds.BitsStored = stored
    ds.HighBit = stored - 1
    ds.PixelRepresentation = 1 if signed else 0
    return ds


def words(values, little_endian=True, signed=False):
    code = ("<" if little_endian else ">") + ("h" if signed else "H") * len(values)
    return struct.pack(code, *values)


def ramp(count, low, high):
    return [low + (high - low) * i // (count - 1) for i in range(count)]


def save(ds, name, pixels, write_like_original=False):
    ds.PixelData = pixels
    ds["PixelData"].VR = "OW" if ds.BitsAllocated > 8 else "OB"
    ds.save_as(f"{FOLDER}/{name}", write_like_original=write_like_original)


def signed_rescaled():
    ds = new_dataset(ImplicitVRLittleEndian, 15, 20, 1, 16, 16, True, "MONOCHROME2")
    ds.RescaleSlope = "2"
    ds.RescaleIntercept = "-1024"
    save(ds, "implicit-signed16.dcm", words(ramp(300, -3000, 2999), signed=True))


def big_endian_twelve_bits():
    # The bits above the 12 stored ones are not the sign: they are clear
    # for most values and hold other data for every third.
    ds = new_dataset(ExplicitVRBigEndian, 10, 9, 1, 16, 12, True, "MONOCHROME2")
    ds.RescaleIntercept = "100"
    values = [v & 0x0FFF | (0xA000 if i % 3 == 0 else 0) for i, v in enumerate(ramp(90, -2048, 2047))]
    save(ds, "big-endian-12bit-signed.dcm", words(values, little_endian=False))


def packed_twelve_bits():
    # Two samples in three bytes: the low byte and nibble of the first, then
    # the high nibble and byte of the second.
    ds = new_dataset(ExplicitVRLittleEndian, 4, 5, 1, 12, 12, False, "MONOCHROME2")
    values = ramp(20, 7, 4000)
    packed = bytearray()
    for first, second in zip(values[0::2], values[1::2]):
        packed += bytes([first & 0xFF, first >> 8 | (second & 0x0F) << 4, second >> 4])
    save(ds, "packed-12bit.dcm", bytes(packed))


def monochrome1_odd_length():
    # 5 x 3 bytes: the value is padded to even length.
    ds = new_dataset(ExplicitVRLittleEndian, 3, 5, 1, 8, 8, False, "MONOCHROME1")
    save(ds, "monochrome1-odd.dcm", bytes(ramp(15, 3, 250)))


def sequences_and_private():
    ds = new_dataset(ExplicitVRLittleEndian, 6, 8, 1, 16, 10, False, "MONOCHROME2")
    item = Dataset()
    item.CodeValue = "1234"
    item.CodeMeaning = "Inner"
    inner = Dataset()
    inner.CodeValue = "99"
    item.ConceptCodeSequence = Sequence([inner])
    item["ConceptCodeSequence"].is_undefined_length = True
    ds.ConceptNameCodeSequence = Sequence([item])
    ds["ConceptNameCodeSequence"].is_undefined_length = True
    item.is_undefined_length_sequence_item = True
    # An icon with pixel data of its own, in an item of undefined length.
    icon = Dataset()
    icon.SamplesPerPixel = 1
    icon.PhotometricInterpretation = "MONOCHROME2"
    icon.Rows = icon.Columns = 2
    icon.BitsAllocated = icon.BitsStored = 8
    icon.HighBit = 7
    icon.PixelRepresentation = 0
    icon.PixelData = bytes([255, 0, 0, 255])
    icon["PixelData"].VR = "OB"
    icon.is_undefined_length_sequence_item = True
    ds.IconImageSequence = Sequence([icon])
    ds["IconImageSequence"].is_undefined_length = True
    ds.add_new(0x00090010, "LO", "ODD PRIVATE")
    ds.add_new(0x00091001, "LO", "private text")
    ds.add_new(0x00091002, "UT", "a long text " * 30)
    save(ds, "sequences-private.dcm", words(ramp(48, 0, 1023)))


def without_preamble_or_meta():
    ds = new_dataset(ExplicitVRLittleEndian, 4, 6, 1, 8, 8, False, "MONOCHROME2")
    ds.preamble = None
    save(ds, "no-preamble.dcm", bytes(ramp(24, 0, 230)), write_like_original=True)
    bare = new_dataset(ImplicitVRLittleEndian, 4, 6, 1, 16, 16, False, "MONOCHROME2")
    del bare.file_meta
    bare.preamble = None
    save(bare, "no-meta-implicit.dcm", words(ramp(24, 40000, 65535)), write_like_original=True)


def several_frames():
    ds = new_dataset(ExplicitVRLittleEndian, 4, 5, 1, 16, 16, False, "MONOCHROME2")
    ds.NumberOfFrames = 3
    frames = [ramp(20, 0, 100), list(reversed(ramp(20, 5, 60000))), ramp(20, 1000, 1019)]
    save(ds, "three-frames.dcm", b"".join(words(f) for f in frames))


def palettes():
    for name, first, count in (("palette.dcm", 0, 256), ("palette-first10.dcm", 10, 200)):
        ds = new_dataset(ExplicitVRLittleEndian, 8, 10, 1, 8, 8, False, "PALETTE COLOR")
        for colour, table in (("Red", ramp(count, 0, 65535)), ("Green", list(reversed(ramp(count, 0, 65535)))),
                              ("Blue", [(i * 7919) % 65536 for i in range(count)])):
            setattr(ds, f"{colour}PaletteColorLookupTableDescriptor", [count, first, 16])
            ds.add_new(f"{colour}PaletteColorLookupTableData", "OW", words(table))
        save(ds, name, bytes(ramp(80, 0, 255)))


def colour_layouts():
    pixels = bytes((x * 23 + y * 7 + c * 91) % 256 for y in range(7) for x in range(6) for c in range(3))
    ds = new_dataset(ExplicitVRLittleEndian, 7, 6, 3, 8, 8, False, "YBR_FULL")
    save(ds, "ybr-full.dcm", pixels)
    planar = new_dataset(ImplicitVRLittleEndian, 7, 6, 3, 8, 8, False, "RGB")
    planar.PlanarConfiguration = 1
    save(planar, "rgb-planar.dcm", b"".join(pixels[c::3] for c in range(3)))


def windowed():
    ds = new_dataset(ExplicitVRLittleEndian, 4, 8, 1, 16, 16, True, "MONOCHROME2")
    ds.WindowCenter = ["40", "60"]
    ds.WindowWidth = ["400", "100"]
    save(ds, "window.dcm", words(ramp(32, -400, 500), signed=True))


def jpeg2000():
    # A grey 12-bit slice and an RGB image, each coded by OpenJPEG, beside
    # native twins with the same samples.
    rows, columns = 12, 16
    grey = ramp(rows * columns, 0, 4095)
    with open(f"{FOLDER}/j2k-grey.pgm", "wb") as pgm:
        pgm.write(f"P5\n{columns} {rows}\n4095\n".encode() + words(grey, little_endian=False))
    colour = bytes((x * 13 + y * 29 + c * 80) % 256 for y in range(rows) for x in range(columns) for c in range(3))
    with open(f"{FOLDER}/j2k-colour.ppm", "wb") as ppm:
        ppm.write(f"P6\n{columns} {rows}\n255\n".encode() + colour)
    for name, image, options in (("j2k-grey", "j2k-grey.pgm", []), ("j2k-colour", "j2k-colour.ppm", ["-mct", "0"]),
                                 ("j2k-colour-rct", "j2k-colour.ppm", []),
                                 ("j2k-grey-lossy", "j2k-grey.pgm", ["-r", "10"])):
        subprocess.run(["opj_compress", "-i", f"{FOLDER}/{image}", "-o", f"{FOLDER}/{name}.j2k", "-n", "3", *options],
                       check=True, stdout=subprocess.DEVNULL)
    # The lossy slice's twin holds what OpenJPEG decodes.
    subprocess.run(["opj_decompress", "-i", f"{FOLDER}/j2k-grey-lossy.j2k", "-o", f"{FOLDER}/j2k-grey-lossy.pgm"],
                   check=True, stdout=subprocess.DEVNULL)
    with open(f"{FOLDER}/j2k-grey-lossy.pgm", "rb") as pgm:
        decoded = list(struct.unpack(f">{rows * columns}H", pgm.read()[-2 * rows * columns:]))
    cases = (("j2k-grey", JPEG2000Lossless, 1, 16, 12, "MONOCHROME2", words(grey)),
             ("j2k-grey-lossy", JPEG2000, 1, 16, 12, "MONOCHROME2", words(decoded)),
             ("j2k-colour", JPEG2000Lossless, 3, 8, 8, "RGB", colour),
             ("j2k-colour-rct", JPEG2000Lossless, 3, 8, 8, "YBR_RCT", colour))
    for name, syntax, samples, bits, stored, photometric, native in cases:
        with open(f"{FOLDER}/{name}.j2k", "rb") as code:
            stream = code.read()
        ds = new_dataset(syntax, rows, columns, samples, bits, stored, False, photometric)
        # Two fragments, as writers that split a frame leave it.
        ds.PixelData = encapsulate([stream], fragments_per_frame=2)
        ds["PixelData"].is_undefined_length = True
        ds["PixelData"].VR = "OB"
        ds.save_as(f"{FOLDER}/{name}.dcm", write_like_original=False)
        twin = new_dataset(ExplicitVRLittleEndian, rows, columns, samples, bits, stored, False,
                           "RGB" if samples == 3 else photometric)
        save(twin, f"{name}-native.dcm", native)


for make in (signed_rescaled, big_endian_twelve_bits, packed_twelve_bits, monochrome1_odd_length, sequences_and_private,
             without_preamble_or_meta, several_frames, palettes, colour_layouts, windowed, jpeg2000):
    make()
