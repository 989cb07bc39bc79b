#!/usr/bin/env python3
"""Writes or prints the package stamp of a built installer executable.

The stamp is 17 bytes at file offset 0x4E (or in the signature: below), in the DOS-stub text:
7 bytes of game id, one separator byte (a space), and a 9-byte channel tag padded with spaces.
The tag is made of ASCII letters, digits, "-", "_" and "." only: the installer reads it as text
of the system's ANSI code page, where only ASCII reads the same on every machine, and names it
in its usage report (JSON text in a URL), which these characters pass through unescaped. An
empty tag is allowed: that installer sends no usage report.

An executable with an Authenticode signature is stamped inside the signature instead, as an
unauthenticated attribute of its signer (OID 2.25.12558274358900491936639886794395106262, the
project's own, made from a UUID), which the signed digest does not cover: the signature stays
valid, so one signed build is stamped for every game and channel. An earlier stamp there is
replaced; the lengths of the signature's structure, of its certificate-table entry and of the
table are rewritten (8-byte aligned, zero padding) and the PE checksum is computed again when the
file had one. The DOS stub, which the signature covers, is left as it is. The installer reads the
stamp from the signature first, then from the DOS stub.

    stamp.py EXE GAMEID COMEFROM   write the stamp (unsigned: nothing else changes): GAMEID is
                                   7 digits, COMEFROM up to 9 of A-Z a-z 0-9 - _ . (or "")
    stamp.py --print EXE           print the stamp as the installer reads it, and its place

Runs with Python 3 on Linux and on Windows. Every check is made before the file is opened for
writing, so a refused request leaves the file untouched.
"""
import string
import struct
import sys

STAMP_OFFSET = 0x4E
STAMP_SIZE = 17
GAME_ID_SIZE = 7
TAG_SIZE = 9
TAG_CHARACTERS = frozenset(string.ascii_letters + string.digits + "-_.")

# The stamp's attribute in the signer's unauthenticated attributes: an OID under 2.25 (X.667),
# made from the UUID 0972a2ba-dc44-4a32-b70f-f2df2ae23bd6, needs no registration and is no one
# else's. app/SignatureStamp.cpp looks for the same.
SIGNATURE_STAMP_OID = "2.25.12558274358900491936639886794395106262"
SIGNED_DATA_OID = "1.2.840.113549.1.7.2"
CERT_TYPE_PKCS_SIGNED_DATA = 0x0002
SECURITY_DIRECTORY = 4
TAG_OID, TAG_OCTET_STRING, TAG_SEQUENCE, TAG_SET = 0x06, 0x04, 0x30, 0x31
TAG_CONTEXT_0, TAG_CONTEXT_1 = 0xA0, 0xA1


class StampError(Exception):
    pass


class PeImage:
    """The places of a PE image the stamp concerns: the PE checksum and the certificate table."""

    def __init__(self, path, data):
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise StampError(f"{path}: not a Windows executable (no MZ header)")
        (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
        if pe_offset < STAMP_OFFSET + STAMP_SIZE:
            raise StampError(f"{path}: the PE header overlaps the stamp bytes")
        if data[pe_offset:pe_offset + 4] != b"PE\0\0":
            raise StampError(f"{path}: not a PE image (no PE signature)")
        self.path, self.data = path, data
        optional = pe_offset + 24
        (optional_size,) = struct.unpack_from("<H", data.ljust(optional), pe_offset + 20)
        magic = data[optional:optional + 2]
        directories = optional + {b"\x0b\x01": 96, b"\x0b\x02": 112}.get(magic, 0)
        self.checksum_at = optional + 64
        self.security_at = directories + 8 * SECURITY_DIRECTORY
        count_at = directories - 4
        # No certificate table where the optional header has none (nor a checksum to keep).
        self.has_table_entry = (directories > optional and
                                self.security_at + 8 <= min(len(data), optional + optional_size) and
                                struct.unpack_from("<I", data, count_at)[0] > SECURITY_DIRECTORY)

    def certificate_table(self):
        """(offset, size) of the certificate table, None when there is none (unsigned)."""
        if not self.has_table_entry:
            return None
        offset, size = struct.unpack_from("<II", self.data, self.security_at)
        if size == 0:
            return None
        if offset % 8 or size < 8 or offset + size != len(self.data):
            raise StampError(f"{self.path}: its certificate table is not at the end of the file")
        return offset, size

    def checksum(self):
        return struct.unpack_from("<I", self.data, self.checksum_at)[0]


def pe_checksum(data, checksum_at):
    """The PE checksum: the 16-bit words of the file (the checksum field as zero) added with
    end-around carry, plus the file's length."""
    length = len(data)
    words = bytearray(data) + bytes(length % 2)
    words[checksum_at:checksum_at + 4] = bytes(4)
    total = sum(memoryview(words).cast("H")) if sys.byteorder == "little" else sum(
        struct.unpack(f"<{len(words) // 2}H", words))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + length) & 0xFFFFFFFF


# ---- DER: the few pieces of the signature's structure the stamp needs ----------------------------

class DerElement:
    """One DER element of data: its tag, where its encoding starts, where its body starts, where
    it ends."""

    def __init__(self, data, start, end):
        if end - start < 2:
            raise StampError("signature: a DER element is cut off")
        self.tag, first = data[start], data[start + 1]
        if self.tag & 0x1F == 0x1F:
            raise StampError("signature: a DER tag of more than one byte")
        body = start + 2
        if first & 0x80:
            count = first & 0x7F
            if count == 0 or count > 4 or end - body < count:
                raise StampError("signature: not a DER length (indefinite or too long)")
            length = int.from_bytes(data[body:body + count], "big")
            body += count
        else:
            length = first
        if length > end - body:
            raise StampError("signature: a DER length runs past its container")
        self.data, self.start, self.body, self.end = data, start, body, body + length

    def children(self):
        items, at = [], self.body
        while at < self.end:
            items.append(DerElement(self.data, at, self.end))
            at = items[-1].end
        return items

    def encoding(self):
        return self.data[self.start:self.end]

    def content(self):
        return self.data[self.body:self.end]

    def child(self, index, what):
        items = self.children()
        if not items:
            raise StampError(f"signature: {what} not found")
        return items[index]

    def expect(self, tag, what):
        if self.tag != tag:
            raise StampError(f"signature: {what} not found")
        return self


def der_encode(tag, body):
    length = len(body)
    if length < 0x80:
        return bytes([tag, length]) + body
    size = (length.bit_length() + 7) // 8
    return bytes([tag, 0x80 | size]) + length.to_bytes(size, "big") + body


def der_oid(dotted):
    arcs = [int(a) for a in dotted.split(".")]
    body = bytearray()
    for arc in [arcs[0] * 40 + arcs[1]] + arcs[2:]:
        chunk = [arc & 0x7F]
        arc >>= 7
        while arc:
            chunk.append(0x80 | (arc & 0x7F))
            arc >>= 7
        body += bytes(reversed(chunk))
    return der_encode(TAG_OID, bytes(body))


STAMP_OID_DER = der_oid(SIGNATURE_STAMP_OID)


def signer_path(pkcs7):
    """The elements from the PKCS#7 ContentInfo down to its one SignerInfo."""
    content_info = DerElement(pkcs7, 0, len(pkcs7)).expect(TAG_SEQUENCE, "the PKCS#7 ContentInfo")
    parts = content_info.children()
    if len(parts) != 2 or parts[0].encoding() != der_oid(SIGNED_DATA_OID):
        raise StampError("signature: not PKCS#7 SignedData")
    explicit = parts[1].expect(TAG_CONTEXT_0, "the SignedData")
    signed_data = explicit.child(0, "the SignedData").expect(TAG_SEQUENCE, "the SignedData")
    # signerInfos is the last field of SignedData; Authenticode has exactly one signer.
    signer_infos = signed_data.child(-1, "the signer infos").expect(TAG_SET, "the signer infos")
    signers = signer_infos.children()
    if len(signers) != 1:
        raise StampError(f"signature: {len(signers)} signers, not one")
    return [content_info, explicit, signed_data, signer_infos, signers[0].expect(TAG_SEQUENCE, "the signer")]


def unauthenticated_attributes(signer):
    """The signer's unauthenticated attributes (its last field, [1]), as elements."""
    last = signer.child(-1, "the signer's fields")
    return last.children() if last.tag == TAG_CONTEXT_1 else []


def is_stamp_attribute(attribute):
    return attribute.child(0, "an attribute's type").encoding() == STAMP_OID_DER


def stamped_signer(signer, stamp):
    """The signer's encoding with the stamp as its one stamp attribute."""
    last = signer.child(-1, "the signer's fields")
    kept = [a.encoding() for a in unauthenticated_attributes(signer) if not is_stamp_attribute(a)]
    ours = der_encode(TAG_SEQUENCE, STAMP_OID_DER + der_encode(TAG_SET, der_encode(TAG_OCTET_STRING, stamp)))
    # DER orders the members of a SET OF by their encodings.
    attributes = der_encode(TAG_CONTEXT_1, b"".join(sorted(kept + [ours])))
    end = last.start if last.tag == TAG_CONTEXT_1 else signer.end
    return der_encode(signer.tag, signer.data[signer.body:end] + attributes)


def rebuilt(path, innermost):
    """The outermost element of path encoded again around a new encoding of its innermost one,
    every length on the way rewritten."""
    encoding = innermost
    for outer, inner in reversed(list(zip(path, path[1:]))):
        encoding = der_encode(outer.tag, outer.data[outer.body:inner.start] + encoding + outer.data[inner.end:outer.end])
    return encoding


def first_certificate(image, table):
    """The PKCS#7 blob of the table's first entry (a WIN_CERTIFICATE) and the entries after it."""
    offset, size = table
    length, _revision, kind = struct.unpack_from("<IHH", image.data, offset)
    if kind != CERT_TYPE_PKCS_SIGNED_DATA or length < 8 or length > size:
        raise StampError("its certificate table holds no Authenticode signature")
    entry = image.data[offset + 8:offset + length]
    pkcs7 = entry[:DerElement(entry, 0, len(entry)).end]
    rest = image.data[offset + (length + 7) // 8 * 8:offset + size]
    return pkcs7, rest


def signature_stamp(image, table):
    """The stamp bytes held in the signature, None when it holds none."""
    pkcs7, _ = first_certificate(image, table)
    for attribute in unauthenticated_attributes(signer_path(pkcs7)[-1]):
        if is_stamp_attribute(attribute):
            values = attribute.child(-1, "the stamp's value").expect(TAG_SET, "the stamp's value")
            return values.child(0, "the stamp's value").expect(TAG_OCTET_STRING, "the stamp's value").content()
    return None


def image_stamped_in_signature(image, table, stamp):
    """The whole file with the stamp in its signature, the lengths and the checksum made good."""
    offset, _ = table
    _, revision, kind = struct.unpack_from("<IHH", image.data, offset)
    try:
        pkcs7, rest = first_certificate(image, table)
        path = signer_path(pkcs7)
        new_pkcs7 = rebuilt(path, stamped_signer(path[-1], stamp))
    except StampError as e:
        raise StampError(f"{image.path}: {e}") from None
    padding = -len(new_pkcs7) % 8
    entry = struct.pack("<IHH", 8 + len(new_pkcs7) + padding, revision, kind) + new_pkcs7 + bytes(padding)
    data = bytearray(image.data[:offset] + entry + rest)
    struct.pack_into("<I", data, image.security_at + 4, len(entry) + len(rest))
    if image.checksum():
        struct.pack_into("<I", data, image.checksum_at, pe_checksum(data, image.checksum_at))
    return bytes(data)


def read_image(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise StampError(f"{path}: cannot read: {e.strerror}") from None
    return PeImage(path, data)


def encode_stamp(game_id, comefrom):
    if len(game_id) != GAME_ID_SIZE or not all("0" <= c <= "9" for c in game_id):
        raise StampError(f"game id {game_id!r}: must be exactly {GAME_ID_SIZE} decimal digits")
    if game_id[0] == "0":
        raise StampError(f"game id {game_id!r}: the platform's ids do not begin with 0")
    if not all(c in TAG_CHARACTERS for c in comefrom):
        raise StampError(f"channel tag {comefrom!r}: only ASCII letters, digits, '-', '_' and '.'")
    if len(comefrom) > TAG_SIZE:
        raise StampError(f"channel tag {comefrom!r}: {len(comefrom)} characters, at most {TAG_SIZE}")
    return game_id.encode("ascii") + b" " + comefrom.encode("ascii").ljust(TAG_SIZE, b" ")


def decode_stamp(raw):
    """Splits stamp bytes the way the installer does."""
    text = raw.split(b"\0", 1)[0]
    game_id = text[:GAME_ID_SIZE]
    comefrom = text[8:STAMP_SIZE].strip(b" ") if len(text) > 8 else b""
    return game_id.decode("latin-1"), comefrom.decode("latin-1")


def write_stamp(path, game_id, comefrom):
    stamp = encode_stamp(game_id, comefrom)
    image = read_image(path)
    table = image.certificate_table()
    signed = table is not None and image_stamped_in_signature(image, table, stamp)
    try:
        with open(path, "r+b") as f:
            if signed:
                f.write(signed)
                f.truncate()
            else:
                f.seek(STAMP_OFFSET)
                f.write(stamp)
    except OSError as e:
        raise StampError(f"{path}: cannot write: {e.strerror}") from None


def read_stamp(path):
    """The stamp bytes the installer reads and where they are: the signature's stamp, else the
    DOS stub's (also when the certificate table cannot be read, as the installer does)."""
    image = read_image(path)
    try:
        table = image.certificate_table()
        stamp = signature_stamp(image, table) if table else None
    except StampError:
        stamp = None
    if stamp is not None:
        return stamp[:STAMP_SIZE], "signature"
    return image.data[STAMP_OFFSET:STAMP_OFFSET + STAMP_SIZE], "DOS stub"


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "--print":
            raw, place = read_stamp(argv[2])
            game_id, comefrom = decode_stamp(raw)
            print(f"GameId={game_id}")
            print(f"Comefrom={comefrom}")
            print(f"Place={place}")
            return 0
        if len(argv) == 4:
            write_stamp(argv[1], argv[2], argv[3])
            return 0
    except StampError as e:
        print(f"stamp: {e}", file=sys.stderr)
        return 1
    print(next(p for p in __doc__.split("\n\n") if p.startswith("    stamp.py")), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
