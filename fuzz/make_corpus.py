#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets (fuzz/corpus/<target>/).

The targets read their input through libFuzzer's FuzzedDataProvider: integers
are taken from the end of the input, byte runs from its start. InputWriter
records values in the order a target consumes them and lays them out that way,
so each seed below reads as the call it makes.

    python3 fuzz/make_corpus.py [output folder]   (default: fuzz/corpus)
"""
import hashlib
import os
import struct
import sys


class InputWriter:
    def __init__(self):
        self.front = bytearray()
        self.back = []  # bytes in the order they are consumed from the end

    def integer(self, value, low, high):
        span = high - low
        offset = value - low
        assert 0 <= offset <= span, (value, low, high)
        count = 0
        while span >> (8 * count) and count < 8:
            count += 1
        # The first byte consumed from the end is the most significant one.
        for index in reversed(range(count)):
            self.back.append((offset >> (8 * index)) & 0xFF)
        return self

    def boolean(self, value):
        self.back.append(1 if value else 0)
        return self

    def u32(self, value):
        return self.integer(value, 0, 0xFFFFFFFF)

    def raw(self, data):
        self.front += data
        return self

    def text(self, value):
        # ConsumeRandomLengthString: a backslash escapes, "\" + other ends it.
        self.front += value.replace(b"\\", b"\\\\") + b"\\\x00"
        return self

    def bytes(self):
        return bytes(self.front) + bytes(reversed(self.back))


# Catalogue ids.
UYVY, UYNV, Y422, YUY2, YUYV, YUNV, YVYU, YV12, I420, IYUV, NV12, Y41P = range(12)
RGB32, ARGB32, RGB24, Y800, Y8, GREY, RGB8, BYBG, BYGB, BYRG, BYGR, ORBY = range(12, 24)


def convert_frame_seed(source, destination, width, height, source_stride, destination_stride,
                       destination_height=None, picture=b""):
    w = InputWriter()
    w.integer(source, -1, 24).integer(destination, -1, 24)

    def dimension(value):
        w.integer(1, 0, 3).integer(value, -400, 400)

    def stride(value):
        # Any value: ConsumeBool true, then a dimension.
        w.boolean(True)
        dimension(value)

    dimension(width)
    dimension(height)
    stride(source_stride)
    if destination_height is None:
        w.boolean(True)  # same geometry
    else:
        w.boolean(False)
        dimension(width)
        dimension(destination_height)
    stride(destination_stride)
    # Claimed sizes: the planes or rows, whichever is larger, exactly.
    w.integer(1, 0, 3).integer(0, -64, 64)
    w.integer(1, 0, 3).integer(0, -64, 64)
    w.raw(picture)
    return w.bytes()


def convert_frame_seeds():
    ramp = bytes(range(256))
    return {
        "y800-to-rgb24-bottom-up": convert_frame_seed(Y800, RGB24, 64, 48, 64, 192, picture=ramp),
        "y800-to-rgb24-top-down": convert_frame_seed(Y800, RGB24, 64, 48, 64, 192, destination_height=-48),
        "yuy2-to-i420": convert_frame_seed(YUY2, I420, 32, 16, 64, 32, picture=ramp),
        "i420-to-yuy2-odd-width": convert_frame_seed(I420, YUY2, 33, 16, 33, 68),
        "byrg-to-rgb24": convert_frame_seed(BYRG, RGB24, 16, 8, 16, 48, picture=ramp),
        "bybg-to-yv12": convert_frame_seed(BYBG, YV12, 16, 8, 16, 16),
        "uyvy-to-y41p": convert_frame_seed(UYVY, Y41P, 17, 4, 36, 36),
        "rgb32-negative-stride": convert_frame_seed(RGB32, RGB24, 8, 8, -32, 24),
        "yv12-negative-stride": convert_frame_seed(YV12, RGB32, 8, 8, -8, 32),
        "rgb8-to-uyvy": convert_frame_seed(RGB8, UYVY, 10, 6, 12, 20),
        "nv12-refused": convert_frame_seed(NV12, NV12, 16, 16, 16, 16),
        "odd-planar-height": convert_frame_seed(Y800, I420, 16, 15, 16, 16),
    }


FORMAT_PICKS = {"videoinfo": 0, "videoinfo2": 1, "wave": 2, "null": 3}


def video_info(width, height, bit_count, compression=0, frame_time=333333, bit_rate=0, rects=None,
               videoinfo2=False, extra=None):
    rects = rects or (0, 0, 0, 0, 0, 0, 0, 0)
    head = struct.pack("<8i", *rects) + struct.pack("<IIq", bit_rate, 0, frame_time)
    if videoinfo2:
        flags = extra or (0, 0, 4, 3, 0)
        head += struct.pack("<5I", *flags) + struct.pack("<I", 0)
    bitmap = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, compression,
                         0, 0, 0, 0, 0)
    return head + bitmap


def media_type(w, subtype_row, format_pick, block, block_mode=None, null_block=False):
    w.integer(0, 0, 1)  # MEDIATYPE_Video
    w.integer(subtype_row, -2, 24)
    w.integer(FORMAT_PICKS[format_pick], 0, 4)
    if block_mode is None:
        w.integer(3, 0, 4).integer(len(block), 0, 2048)
    else:
        w.integer(block_mode, 0, 4)
    w.integer(0 if null_block else 1, 0, 15)
    w.raw(block)
    w.u32(0).boolean(True)


def media_types_seed(source, destination, video2, index, built, width, height):
    w = InputWriter()
    media_type(w, *source)
    media_type(w, *destination)
    w.boolean(video2)
    w.boolean(False).integer(index, -2, 25)
    w.boolean(True).integer(16, 1, 256).integer(built, -1, 24)
    w.boolean(False)
    # Width and height as raw 32-bit values, then a rate (0.0 when absent).
    w.integer(width & 0xFFFFFFFF, 0, 0xFFFFFFFF)
    w.integer(height & 0xFFFFFFFF, 0, 0xFFFFFFFF)
    return w.bytes()


def media_types_seeds():
    rgb24 = video_info(641, 480, 24)
    yuy2_2 = video_info(320, 240, 16, videoinfo2=True)
    return {
        "rgb24-videoinfo": media_types_seed((RGB24, "videoinfo", rgb24, 0), (RGB24, "videoinfo", rgb24, 0),
                                            False, 3, RGB8, 640, 480),
        "yuy2-videoinfo2": media_types_seed((YUY2, "videoinfo2", yuy2_2, 1), (I420, "videoinfo2", yuy2_2, 1),
                                            True, 0, I420, 641, -481),
        "null-subtype-bi-rgb": media_types_seed((-1, "videoinfo", video_info(64, 48, 8), 0),
                                                (RGB8, "videoinfo", video_info(64, 48, 8), 0),
                                                False, 1, Y800, 64, 48),
        "videoinfo-labelled-videoinfo2": media_types_seed((Y800, "videoinfo2", video_info(64, 48, 8), 0),
                                                          (Y800, "videoinfo", video_info(64, 48, 8), 0),
                                                          True, 2, YV12, 63, 47),
        "short-block": media_types_seed((Y800, "videoinfo", video_info(64, 48, 8)[:60], None),
                                        (Y800, "videoinfo", video_info(64, 48, 8), 0),
                                        False, 0, Y800, 1, 1),
        "null-block": media_types_seed((BYRG, "videoinfo", video_info(64, 48, 8), 0, True),
                                       (RGB24, "videoinfo", video_info(64, 48, 24), 0),
                                       False, 0, RGB24, 0x7FFFFFFF, 0x7FFFFFFF),
        "absurd-sizes": media_types_seed((Y41P, "videoinfo", video_info(0x7FFFFFFF, -0x80000000, 12,
                                                                         frame_time=1, bit_rate=0xFFFFFFFF), 0),
                                         (Y41P, "videoinfo", video_info(-5, 3, 12), 0),
                                         False, 4, Y41P, -1, 0x40000000),
        "wave-format": media_types_seed((YUY2, "wave", bytes(18), None),
                                        (YUY2, "null", bytes(8), None), True, 0, YUY2, 16, 16),
    }


def persisted_state_seed(received, block):
    w = InputWriter()
    w.boolean(True).integer(received, 0, 200)
    w.raw(block)
    return w.bytes()


def persisted_state_seeds():
    name = b"Korvel KV-C1920 (E1000001)"
    return {
        "saved-camera": persisted_state_seed(100, name + bytes(100 - len(name))),
        "one-letter": persisted_state_seed(100, b"A" + bytes(99)),
        "no-nul": persisted_state_seed(100, b"B" * 100),
        "short-read": persisted_state_seed(5, name + bytes(100 - len(name))),
        "nothing-read": persisted_state_seed(0, b""),
        "read-overstated": persisted_state_seed(200, b"C" * 40),
        "high-bytes": persisted_state_seed(100, "Kamera Ü (Ä1)".encode("cp1252") + bytes(87)),
    }


NAMES = ["AcquisitionControl", "AcquisitionFrameCount", "AcquisitionFrameRateAbs", "AcquisitionFrameRateEnable",
         "AcquisitionMode", "AcquisitionStart", "AcquisitionStop", "AnalogControl", "ChunkDataControl",
         "ChunkFramecounter", "ChunkModeActive", "ChunkTimestamp", "DeviceControl", "DeviceModelName",
         "DeviceSerialNumber", "DeviceVendorName", "ExposureMode", "ExposureTimeAbs", "ExposureTimeBaseAbs",
         "ExposureTimeRaw", "GainRaw", "GainSelector", "Height", "ImageFormatControl", "PayloadSize", "PixelFormat",
         "ResultingFrameRateAbs", "Root", "TLParamsLocked", "TransportLayerControl", "TriggerMode",
         "TriggerSoftware", "TriggerSource", "Width", "MaxBufferSize", "MaxNumBuffer"]
WORDS = ["Mono8", "BayerRG8", "YUV422Packed", "BGRA8Packed", "Mono16", "On", "Off", "Line1", "Software",
         "Continuous", "SingleFrame", "MultiFrame", "Timed", "All", "true", "false", "1", "0", "-1", "1e308",
         "nan", "inf", "-inf", "0x10", "9223372036854775807", "9223372036854775808", "-9223372036854775809",
         " 12", "12 ", "", "1.5", "1e-320"]

INTEGER, FLOAT, BOOLEAN, ENUMERATION, COMMAND, STRING, CATEGORY, VALUE, NODE = range(9)


class SdkScript:
    def __init__(self, camera=0):
        self.w = InputWriter()
        self.w.integer(camera, 0, 1)

    def _feature(self, name, interface, operation, verify=True):
        self.w.integer(9, 0, 9)  # a feature by name
        self.w.integer(0, 0, 3).integer(NAMES.index(name), 0, len(NAMES) - 1)
        self.w.integer(interface, 0, 8).integer(operation, 0, 7).boolean(verify)
        return self.w

    def set_integer(self, name, value):
        self._feature(name, INTEGER, 0).integer(2, 0, 3).integer(value, -4096, 4096)
        return self

    def integer_extreme(self, name, pick):
        self._feature(name, INTEGER, 0).integer(0, 0, 3).integer(pick, 0, 4)
        return self

    def set_float_special(self, name, pick):
        self._feature(name, FLOAT, 0).integer(0, 0, 2).integer(pick, 0, 12)
        return self

    def from_string(self, name, interface, word):
        operation = {INTEGER: 4, FLOAT: 3, BOOLEAN: 2, ENUMERATION: 0, VALUE: 0}[interface]
        self._feature(name, interface, operation).integer(0, 0, 3).integer(WORDS.index(word), 0, len(WORDS) - 1)
        return self

    def execute(self, name):
        self._feature(name, COMMAND, 0)
        return self

    def current_entry(self, name):
        self._feature(name, ENUMERATION, 6)
        return self

    def category(self, name):
        self._feature(name, CATEGORY, 0)
        return self

    def start_grab(self, buffers=2, size_error=0):
        self.w.integer(0, 0, 9).integer(size_error, -8, 8).integer(buffers, 1, 3)
        return self

    def retrieve(self):
        self.w.integer(2, 0, 9).integer(5, 0, 5)
        return self

    def stop_grab(self):
        self.w.integer(1, 0, 9)
        return self

    def chunks(self, payload):
        self.w.integer(3, 0, 9).integer(len(payload), 0, 256)
        self.w.raw(payload)
        return self

    def bytes(self):
        return self.w.bytes()


def sdk_features_seeds():
    return {
        "size-and-format": SdkScript().set_integer("Width", 32).set_integer("Height", 16)
        .from_string("PixelFormat", ENUMERATION, "BayerRG8").current_entry("PixelFormat").bytes(),
        "grab-and-change": SdkScript().start_grab().retrieve().set_integer("Width", 16)
        .from_string("PixelFormat", ENUMERATION, "Mono16").retrieve().stop_grab()
        .set_integer("Width", 16).bytes(),
        "exposure-specials": SdkScript().set_float_special("ExposureTimeAbs", 0)
        .set_float_special("AcquisitionFrameRateAbs", 1).from_string("ExposureTimeAbs", FLOAT, "1e308")
        .integer_extreme("ExposureTimeRaw", 0).bytes(),
        "trigger": SdkScript().from_string("TriggerMode", ENUMERATION, "On")
        .from_string("TriggerSource", ENUMERATION, "Software").start_grab(1).execute("TriggerSoftware")
        .retrieve().bytes(),
        "chunks": SdkScript().from_string("ChunkModeActive", BOOLEAN, "true").start_grab(1).retrieve()
        .chunks(bytes(range(48))).stop_grab().bytes(),
        "missing-features": SdkScript(camera=1).set_integer("GainRaw", 5).set_float_special("ExposureTimeAbs", 4)
        .from_string("PixelFormat", ENUMERATION, "Mono8").execute("TriggerSoftware").category("Root").bytes(),
        "short-buffers": SdkScript().start_grab(3, -8).retrieve().retrieve().bytes(),
        "wrong-interface": SdkScript().from_string("Width", VALUE, "0x10").execute("Width")
        .set_integer("PixelFormat", 1).current_entry("Width").bytes(),
    }


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    targets = {
        "convert_frame": convert_frame_seeds(),
        "media_types": media_types_seeds(),
        "persisted_state": persisted_state_seeds(),
        "sdk_features": sdk_features_seeds(),
    }
    for target, seeds in targets.items():
        folder = os.path.join(root, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, "seed-" + name), "wb") as handle:
                handle.write(data)
        print(f"{target}: {len(seeds)} seeds")


if __name__ == "__main__":
    main()
