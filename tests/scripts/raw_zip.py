"""Archives whose entry names are exact bytes, for tests of names that
decode alike: Python's zipfile with the name bytes and the UTF-8 flag
(bit 11) given rather than derived.

    raw_zip.py ARCHIVE HEXNAME:FLAG:DATA...   write ARCHIVE (FLAG 1: UTF-8)
    raw_zip.py --list ARCHIVE                 print HEXNAME:FLAG per entry
"""
import sys
import warnings
import zipfile


class RawInfo(zipfile.ZipInfo):
    raw = b''
    utf8 = False

    def _encodeFilenameFlags(self):
        return self.raw, self.flag_bits | (0x800 if self.utf8 else 0)


def write(path, specs):
    warnings.simplefilter('ignore')  # twins share a decoded name on purpose
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        for spec in specs:
            name, flag, data = spec.split(':', 2)
            info = RawInfo('entry', (2024, 5, 17, 13, 45, 30))
            info.raw = bytes.fromhex(name)
            info.filename = info.raw.decode('utf-8' if flag == '1' else 'cp437')
            info.compress_type = zipfile.ZIP_DEFLATED
            info.utf8 = flag == '1'
            z.writestr(info, data.encode())


def list_names(path):
    with zipfile.ZipFile(path) as z:
        for info in z.infolist():
            raw = info.orig_filename.encode('utf-8' if info.flag_bits & 0x800 else 'cp437')
            print('%s:%d' % (raw.hex(), 1 if info.flag_bits & 0x800 else 0))


if sys.argv[1] == '--list':
    list_names(sys.argv[2])
else:
    write(sys.argv[1], sys.argv[2:])
