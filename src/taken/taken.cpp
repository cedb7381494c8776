// The readers of a file's "taken" date: JPEG segments, TIFF directories, PNG and RIFF chunks and
// ISOBMFF boxes (HEIF, QuickTime, CR3) found by hand, EXIF parsed by libexif. Every number read
// from the file is checked against the bytes that hold it before it is used, and every loop ends
// within those bytes.
#include "taken/taken.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace taken {

namespace {

using Bytes = std::span<const std::uint8_t>;

// The first read: where JPEG, TIFF and HEIF files begin their metadata. A HEIF file's meta box
// or a movie's header is read up to kMostBox.
constexpr std::size_t kHead = 4 * 1024, kMostBox = 64 * 1024;
// libexif reads no further into EXIF data than a JPEG segment can hold.
constexpr std::size_t kMostExif = 0xFFFF;
// Enough for any camera's file; a file made to send the readers round costs no more.
constexpr int kMostSegments = 64, kMostBoxes = 32, kMostExtents = 16;
// Seconds from 1904-01-01, QuickTime's epoch, to 1970-01-01; and to the end of the year 9999.
constexpr std::uint64_t kFrom1904 = 2082844800, kLatest1904 = 255485145599;

constexpr std::uint32_t Tag(const char (&four)[5]) {
  return std::uint32_t(std::uint8_t(four[0])) << 24 | std::uint32_t(std::uint8_t(four[1])) << 16 |
         std::uint32_t(std::uint8_t(four[2])) << 8 | std::uint8_t(four[3]);
}

// Numbers taken from the front of some bytes, big-endian unless told. One that would reach past
// their end reads as 0 and leaves the cursor failed, so a parse checks once, at its end.
class Cursor {
 public:
  explicit Cursor(Bytes bytes, bool little = false) : bytes_(bytes), little_(little) {}

  std::uint64_t Number(std::uint64_t width) {
    if (width > 8 || width > bytes_.size() - at_) {
      failed_ = true;
      at_ = bytes_.size();
      return 0;
    }
    std::uint64_t value = 0;
    for (std::uint64_t i = 0; i < width; ++i)
      value = little_ ? value | std::uint64_t(bytes_[at_++]) << 8 * i : value << 8 | bytes_[at_++];
    return value;
  }

  void Skip(std::uint64_t count) {
    if (count > bytes_.size() - at_) failed_ = true;
    at_ += std::min<std::uint64_t>(count, bytes_.size() - at_);
  }

  // The next `count` bytes, or none where fewer are left.
  Bytes Take(std::uint64_t count) {
    const std::size_t at = at_;
    Skip(count);
    return failed_ ? Bytes() : bytes_.subspan(at, count);
  }

  bool ok() const { return !failed_; }
  std::size_t at() const { return at_; }

 private:
  Bytes bytes_;
  bool little_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

bool StartsWith(Bytes bytes, std::string_view text) {
  return bytes.size() >= text.size() &&
         std::equal(text.begin(), text.end(), bytes.begin(),
                    [](char c, std::uint8_t byte) { return static_cast<std::uint8_t>(c) == byte; });
}

std::string_view Text(Bytes bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The bytes from `at` on: a full box's contents from 4, after its version and flags.
Bytes From(Bytes bytes, std::size_t at) { return bytes.subspan(std::min(at, bytes.size())); }

constexpr std::string_view kExifHeader{"Exif\0\0", 6};

// ---- EXIF ----

struct ExifDataUnref {
  void operator()(ExifData* data) const { exif_data_unref(data); }
};

// DateTimeOriginal, else DateTimeDigitized, of EXIF data that starts with "Exif\0\0". The tags
// are read as the file has them: libexif makes up none that the standard wants, and drops none
// that a camera put in the first directory instead of the EXIF one.
std::string ExifDate(Bytes exif) {
  std::unique_ptr<ExifData, ExifDataUnref> data(exif_data_new());
  if (!data) return {};
  exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
  exif_data_load_data(data.get(), exif.data(),
                      static_cast<unsigned>(std::min(exif.size(), kMostExif)));
  for (ExifTag tag : {EXIF_TAG_DATE_TIME_ORIGINAL, EXIF_TAG_DATE_TIME_DIGITIZED}) {
    for (ExifIfd ifd : {EXIF_IFD_EXIF, EXIF_IFD_0}) {
      const ExifEntry* entry = exif_content_get_entry(data->ifd[ifd], tag);
      if (!entry || !entry->data) continue;
      std::string date = DateOfExif({reinterpret_cast<const char*>(entry->data), entry->size});
      if (!date.empty()) return date;
    }
  }
  return {};
}

// "II" or "MM", then 42, or the mark of a raw format built on TIFF that says otherwise
// (Olympus "RO" and "RS", Panasonic 0x55).
bool IsTiff(Bytes head) {
  if (head.size() < 4) return false;
  const bool little = head[0] == 'I' && head[1] == 'I', big = head[0] == 'M' && head[1] == 'M';
  const unsigned mark = little ? head[3] << 8 | head[2] : head[2] << 8 | head[3];
  return (little || big) && (mark == 42 || mark == 0x4F52 || mark == 0x5352 || mark == 0x55);
}

// A TIFF header and what follows it, as EXIF data; libexif wants the mark 42.
std::string TiffDate(Bytes tiff) {
  if (!IsTiff(tiff)) return {};
  std::vector<std::uint8_t> exif(kExifHeader.begin(), kExifHeader.end());
  exif.insert(exif.end(), tiff.begin(),
              tiff.begin() + std::min(tiff.size(), kMostExif - kExifHeader.size()));
  const bool little = exif[6] == 'I';
  exif[8] = little ? 42 : 0;
  exif[9] = little ? 0 : 42;
  return ExifDate(exif);
}

// EXIF as PNG, WebP and HEIF files hold it: a TIFF header, or JPEG's "Exif\0\0" before it, as some
// writers put it.
std::string ExifOrTiffDate(Bytes exif) {
  return StartsWith(exif, kExifHeader) ? ExifDate(exif) : TiffDate(exif);
}

// An entry of the TIFF directory at `at`: its count and its value, or where its value is.
struct Entry {
  std::uint64_t count = 0, value = 0;
};

std::optional<Entry> FindEntry(Bytes tiff, bool little, std::uint64_t at, std::uint64_t tag) {
  Cursor cursor(tiff, little);
  cursor.Skip(at);
  const std::uint64_t entries = cursor.Number(2);
  for (std::uint64_t i = 0; i < entries && cursor.ok(); ++i) {
    const std::uint64_t found = cursor.Number(2);
    cursor.Skip(2);  // the type: a date is read as text whatever the file calls it, as libexif does
    const std::uint64_t count = cursor.Number(4), value = cursor.Number(4);
    if (found == tag && cursor.ok()) return Entry{count, value};
  }
  return std::nullopt;
}

// A TIFF file's EXIF, or where the head holds no date, the EXIF directory that its first
// directory points to past the head (an editor writes it after the image data): read once more
// there, its dates taken by hand, as libexif would take them.
std::string TiffFileDate(Source& source) {
  const Bytes head = source.Read(0, kMostExif);
  const std::string date = TiffDate(head);
  if (!date.empty() || !IsTiff(head)) return date;
  const bool little = head[0] == 'I';
  Cursor header(head, little);
  header.Skip(4);
  const std::optional<Entry> pointer = FindEntry(head, little, header.Number(4), 0x8769);
  if (!pointer || pointer->value < head.size()) return {};
  const std::uint64_t at = pointer->value;
  const Bytes exif = source.Read(at, kMostExif);
  for (std::uint64_t tag : {0x9003, 0x9004}) {  // DateTimeOriginal, DateTimeDigitized
    const std::optional<Entry> entry = FindEntry(exif, little, 0, tag);
    if (!entry || entry->value < at || entry->value - at > exif.size()) continue;
    const Bytes text = exif.subspan(entry->value - at);
    const std::string found =
        DateOfExif(Text(text.first(std::min<std::uint64_t>(entry->count, text.size()))));
    if (!found.empty()) return found;
  }
  return {};
}

// ---- JPEG ----

// The first APP1 segment that holds EXIF, among the segments before the image data, of the JPEG
// from `start` to `end`.
std::string JpegDate(Source& source, std::uint64_t start, std::uint64_t end) {
  if (!StartsWith(source.Read(start, 3), "\xFF\xD8\xFF")) return {};
  std::uint64_t at = start + 2;
  for (int i = 0; i < kMostSegments; ++i) {
    Cursor marker(source.Read(at, 4));
    const std::uint64_t code = marker.Number(2), length = marker.Number(2);
    if (code == 0xFFFF) {  // a fill byte before the marker
      ++at;
      continue;
    }
    if (!marker.ok() || code >> 8 != 0xFF || code == 0xFFDA || code == 0xFFD9 || length < 2 ||
        at + 2 + length > end)
      return {};
    if (code == 0xFFE1) {
      const Bytes segment = source.Read(at + 4, length - 2);
      if (StartsWith(segment, kExifHeader)) return ExifDate(segment);
    }
    at += 2 + length;
  }
  return {};
}

// A Fujifilm RAF: the EXIF of the JPEG it holds, at the offset and of the length that its header
// gives after the names of the format and the camera.
std::string RafDate(Source& source) {
  Cursor cursor(source.Read(84, 8));
  const std::uint64_t offset = cursor.Number(4), length = cursor.Number(4);
  return cursor.ok() ? JpegDate(source, offset, offset + length) : std::string();
}

// ---- PNG and WebP chunks ----

// The EXIF chunk of a PNG ("eXIf") or a WebP file ("EXIF" in RIFF), among the chunks from `at`
// to `end`: a length and a type, or in RIFF a type and a little-endian length, then the contents
// and in PNG a checksum, in RIFF a pad byte after an odd length. Image data may come first.
std::string ChunkDate(Source& source, std::uint64_t at, std::uint64_t end, bool riff) {
  for (int i = 0; i < kMostSegments; ++i) {
    const Bytes header = source.Read(at, 8);
    if (header.size() < 8) return {};
    const std::string_view type = Text(header.subspan(riff ? 0 : 4, 4));
    const std::uint64_t length = Cursor(header.subspan(riff ? 4 : 0, 4), riff).Number(4);
    if (at + 8 + length > end) return {};
    if (type == (riff ? "EXIF" : "eXIf")) {
      const std::uint64_t wanted = std::min<std::uint64_t>(length, kMostExif);
      const Bytes exif = source.Read(at + 8, wanted);
      return exif.size() == wanted ? ExifOrTiffDate(exif) : std::string();
    }
    at += 8 + length + (riff ? length & 1 : 4);
  }
  return {};
}

// ---- ISOBMFF boxes: HEIF and QuickTime ----

// A box: its type, and where its contents start and how long they are.
struct Box {
  std::uint32_t type = 0;
  std::uint64_t start = 0, size = 0;
};

// The box whose header is at the front of `header`, found at `at` among boxes that end at `end`.
// A size of 0 reaches to that end; a box that would reach past it is damaged.
std::optional<Box> BoxAt(Bytes header, std::uint64_t at, std::uint64_t end) {
  Cursor cursor(header);
  std::uint64_t size = cursor.Number(4);
  const auto type = static_cast<std::uint32_t>(cursor.Number(4));
  if (size == 1) size = cursor.Number(8);
  if (size == 0) size = end - at;
  if (!cursor.ok() || size < cursor.at() || at > end || size > end - at) return std::nullopt;
  return Box{type, at + cursor.at(), size - cursor.at()};
}

// The boxes that fill `bytes` one after the other, up to the first damaged one.
std::vector<Box> Boxes(Bytes bytes) {
  std::vector<Box> boxes;
  for (std::uint64_t at = 0; at < bytes.size();) {
    const std::optional<Box> box = BoxAt(bytes.subspan(at), at, bytes.size());
    if (!box) break;
    boxes.push_back(*box);
    at = box->start + box->size;
  }
  return boxes;
}

std::optional<Bytes> Child(Bytes bytes, std::uint32_t type) {
  for (const Box& box : Boxes(bytes))
    if (box.type == type) return bytes.subspan(box.start, box.size);
  return std::nullopt;
}

// The id of the item of type "Exif" among the item infos ("iinf"); only versions 2 and 3 of an
// item info name a type.
std::optional<std::uint64_t> ExifItem(Bytes iinf) {
  Cursor head(iinf);
  const std::uint64_t version = head.Number(1);
  head.Skip(version == 0 ? 5 : 7);  // the flags, and the count of infos, which their boxes tell
  if (!head.ok()) return std::nullopt;
  const Bytes infos = iinf.subspan(head.at());
  for (const Box& box : Boxes(infos)) {
    Cursor info(infos.subspan(box.start, box.size));
    const std::uint64_t info_version = info.Number(1);
    info.Skip(3);
    const std::uint64_t id = info.Number(info_version == 2 ? 2 : 4);
    info.Skip(2);
    if (box.type == Tag("infe") && info_version >= 2 && info.Number(4) == Tag("Exif") && info.ok())
      return id;
  }
  return std::nullopt;
}

// Where an item's bytes are, in extents of (offset, length); a length of 0 runs to the end.
struct Location {
  std::uint64_t method = 0;  // 0: in the file, 1: in "idat", 2: in another item, not read
  std::vector<std::pair<std::uint64_t, std::uint64_t>> extents;
};

// The item's location by the item locations ("iloc", versions 0 to 2). Fields of no width take
// no bytes, so such extents are not counted out one by one.
std::optional<Location> Locate(Bytes iloc, std::uint64_t id) {
  Cursor cursor(iloc);
  const std::uint64_t version = cursor.Number(1);
  cursor.Skip(3);
  const std::uint64_t sizes = cursor.Number(2), offset_size = sizes >> 12,
                      length_size = sizes >> 8 & 15, base_size = sizes >> 4 & 15,
                      index_size = version ? sizes & 15 : 0;
  const std::uint64_t items = cursor.Number(version < 2 ? 2 : 4);
  for (std::uint64_t i = 0; i < items && cursor.ok(); ++i) {
    const std::uint64_t item = cursor.Number(version < 2 ? 2 : 4);
    Location where;
    if (version) where.method = cursor.Number(2) & 15;
    cursor.Skip(2);  // the data reference: only this file is read
    const std::uint64_t base = cursor.Number(base_size), extents = cursor.Number(2);
    const bool sized = offset_size + length_size + index_size > 0;
    for (std::uint64_t e = 0; e < (sized ? extents : std::min<std::uint64_t>(extents, 1)); ++e) {
      cursor.Skip(index_size);
      const std::uint64_t offset = cursor.Number(offset_size), length = cursor.Number(length_size);
      if (item == id && where.extents.size() < kMostExtents)
        where.extents.emplace_back(base + offset, length);
    }
    if (item == id && cursor.ok()) return where;
  }
  return std::nullopt;
}

// An item's bytes, up to what EXIF may use. `idat`: the contents of the meta box's "idat".
std::vector<std::uint8_t> ItemBytes(Source& source, const Location& where, Bytes idat) {
  std::vector<std::uint8_t> item;
  for (auto [offset, length] : where.extents) {
    const std::size_t room = kMostExif + 4 - item.size();
    const std::size_t wanted = length == 0 || length > room ? room : length;
    const Bytes part =
        where.method == 0 ? source.Read(offset, wanted)
        : offset < idat.size()
            ? idat.subspan(offset, std::min<std::uint64_t>(wanted, idat.size() - offset))
            : Bytes();
    item.insert(item.end(), part.begin(), part.end());
  }
  return item;
}

// A HEIF EXIF item: the offset of the TIFF header after a number of four bytes, then EXIF with
// or without the "Exif\0\0" that JPEG puts first.
std::string ExifItemDate(Bytes item) {
  Cursor cursor(item);
  const std::uint64_t skip = cursor.Number(4);
  if (!cursor.ok() || skip > item.size() - 4) return {};
  return ExifOrTiffDate(item.subspan(4 + skip));
}

// The EXIF item of a HEIF file, by the meta box: its id from the item infos, its bytes by the
// item locations.
std::string HeifDate(Source& source, const Box& meta) {
  const Bytes read = source.Read(meta.start, std::min<std::uint64_t>(meta.size, kMostBox));
  const std::vector<std::uint8_t> boxes(read.begin(), read.end());
  const Bytes children = From(boxes, 4);
  const std::optional<Bytes> iinf = Child(children, Tag("iinf")),
                             iloc = Child(children, Tag("iloc"));
  const std::optional<std::uint64_t> id = iinf ? ExifItem(*iinf) : std::nullopt;
  const std::optional<Location> where = id && iloc ? Locate(*iloc, *id) : std::nullopt;
  if (!where || where->method > 1) return {};
  const Bytes idat = Child(children, Tag("idat")).value_or(Bytes());
  return ExifItemDate(ItemBytes(source, *where, idat));
}

// The creation time of a movie header ("mvhd").
std::optional<std::int64_t> MovieTime(Bytes mvhd) {
  Cursor cursor(mvhd);
  const std::uint64_t version = cursor.Number(1);
  cursor.Skip(3);
  const std::uint64_t created = cursor.Number(version == 1 ? 8 : 4);
  // 0 is what a device writes that does not know the time.
  if (!cursor.ok() || created == 0 || created > kLatest1904) return std::nullopt;
  return static_cast<std::int64_t>(created) - static_cast<std::int64_t>(kFrom1904);
}

// A Canon CR3 is a photo in a movie's boxes: its EXIF directory is a TIFF of its own, "CMT2",
// in a uuid box of the movie's.
constexpr std::string_view kCanonUuid{
    "\x85\xC0\xB6\x87\x82\x0F\x11\xE0\x81\x11\xF4\xCE\x46\x2B\x6A\x48"};

std::string CanonDate(Bytes uuid) {
  if (!StartsWith(uuid, kCanonUuid)) return {};
  return TiffDate(Child(uuid.subspan(kCanonUuid.size()), Tag("CMT2")).value_or(Bytes()));
}

// A phone's movie keeps the local date where it was taken as written, "2019-07-24T11:25:40+0300",
// in its metadata: the item of "ilst" numbered as the key "com.apple.quicktime.creationdate" is
// among the "keys". The meta box is a full box in MP4 and not one in QuickTime: both are tried.
std::string CreationDate(Bytes meta) {
  for (const Bytes body : {meta, From(meta, 4)}) {
    const std::optional<Bytes> keys = Child(body, Tag("keys")), items = Child(body, Tag("ilst"));
    if (!keys || !items) continue;
    Cursor cursor(From(*keys, 4));
    const std::uint64_t count = cursor.Number(4);
    for (std::uint64_t index = 1; index <= count && cursor.ok(); ++index) {
      const std::uint64_t size = cursor.Number(4);
      cursor.Skip(4);  // the key's namespace
      if (Text(cursor.Take(size - 8)) != "com.apple.quicktime.creationdate") continue;
      for (const Box& item : Boxes(*items)) {
        const std::optional<Bytes> data =
            item.type == index ? Child(items->subspan(item.start, item.size), Tag("data"))
                               : std::nullopt;
        if (data) return DateOfExif(Text(From(*data, 8)));  // after the value's type and locale
      }
    }
  }
  return {};
}

// Calls `visit` with each box from `at` to `end`, header after header from the file, until it
// returns true or a box is damaged: a camera writes a movie after the video it describes.
template <typename Visit>
void EachBox(Source& source, std::uint64_t at, std::uint64_t end, Visit visit) {
  for (int i = 0; i < kMostBoxes; ++i) {
    const std::optional<Box> box = BoxAt(source.Read(at, 16), at, end);
    if (!box || visit(*box)) return;
    at = box->start + box->size;
  }
}

// A movie's date: a photo's EXIF or a phone's local date where the movie holds one, else the
// movie header's moment.
Taken MovieTaken(Source& source, const Box& moov) {
  // The movie's first boxes in one read: those in it cost no read of their own.
  source.Read(moov.start, std::min<std::uint64_t>(moov.size, kMostBox));
  Taken taken;
  EachBox(source, moov.start, moov.start + moov.size, [&](const Box& box) {
    if (box.type != Tag("mvhd") && box.type != Tag("uuid") && box.type != Tag("meta")) return false;
    const Bytes contents = source.Read(box.start, std::min<std::uint64_t>(box.size, kMostBox));
    if (box.type == Tag("mvhd")) taken.utc = MovieTime(contents);
    if (box.type == Tag("uuid")) taken.date = CanonDate(contents);
    if (box.type == Tag("meta")) taken.date = CreationDate(contents);
    return !taken.date.empty();
  });
  if (!taken.date.empty()) taken.utc.reset();
  return taken;
}

// A file made of boxes opens with "ftyp", or in an old QuickTime movie any of its top-level boxes.
bool IsBoxes(Bytes head) {
  Cursor cursor(head);
  cursor.Skip(4);
  const std::uint64_t type = cursor.Number(4);
  for (std::uint32_t known :
       {Tag("ftyp"), Tag("moov"), Tag("mdat"), Tag("wide"), Tag("free"), Tag("skip"), Tag("pnot")})
    if (type == known && cursor.ok()) return true;
  return false;
}

// The top-level boxes: a HEIF file's meta box, or a movie. A meta box that gives no date (an
// MP4's own metadata, a HEIF sequence's) may come before the movie.
Taken BoxesTaken(Source& source) {
  Taken taken;
  EachBox(source, 0, UINT64_MAX, [&](const Box& box) {
    if (box.type == Tag("moov")) taken = MovieTaken(source, box);
    if (box.type == Tag("meta")) taken.date = HeifDate(source, box);
    return box.type == Tag("moov") || !taken.date.empty();
  });
  return taken;
}

bool IsDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

int DaysIn(int year, int month) {
  if (month == 2) return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) ? 29 : 28;
  return month == 4 || month == 6 || month == 9 || month == 11 ? 30 : 31;
}

}  // namespace

Source::Source(ReadAt read_at) : read_at_(std::move(read_at)) {}

std::span<const std::uint8_t> Source::Fill(Buffer& buffer, std::uint64_t offset,
                                           std::size_t length) {
  buffer.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(length);
  buffer.size = std::min(read_at_(offset, buffer.bytes.get(), length), length);
  buffer.offset = offset;
  return {buffer.bytes.get(), buffer.size};
}

std::span<const std::uint8_t> Source::Read(std::uint64_t offset, std::size_t length) {
  if (!head_.bytes) {
    Fill(head_, 0, kHead);
    spent_ = kHead;
  }
  // A head shorter than asked for is the whole file.
  const Bytes head(head_.bytes.get(), head_.size);
  const bool whole = head.size() < kHead;
  if (offset < head.size() && (whole || length <= head.size() - offset))
    return head.subspan(offset, std::min<std::uint64_t>(length, head.size() - offset));
  if (whole) return {};
  const std::uint64_t into = offset - further_.offset;
  if (offset >= further_.offset && into <= further_.size && length <= further_.size - into)
    return {further_.bytes.get() + into, length};
  length = std::min(length, kReadLimit - spent_);
  spent_ += length;
  return Fill(further_, offset, length);
}

Taken Read(Source& source) {
  const Bytes head = source.Read(0, 16);
  if (StartsWith(head, "\xFF\xD8\xFF")) return {JpegDate(source, 0, UINT64_MAX)};
  if (IsTiff(head)) return {TiffFileDate(source)};
  if (StartsWith(head, "\x89PNG\r\n\x1A\n")) return {ChunkDate(source, 8, UINT64_MAX, false)};
  if (StartsWith(head, "RIFF") && StartsWith(From(head, 8), "WEBP"))
    return {ChunkDate(source, 12, 8 + Cursor(From(head, 4), true).Number(4), true)};
  if (StartsWith(head, "FUJIFILMCCD-RAW ")) return {RafDate(source)};
  if (IsBoxes(head)) return BoxesTaken(source);
  return {};
}

std::string DateOfExif(std::string_view text) {
  if (text.size() < 10 || IsDigits(text.substr(4, 1)) || IsDigits(text.substr(7, 1))) return {};
  const std::string_view year = text.substr(0, 4), month = text.substr(5, 2),
                         day = text.substr(8, 2);
  if (!IsDigits(year) || !IsDigits(month) || !IsDigits(day)) return {};
  const int y = Number(year), m = Number(month), d = Number(day);
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysIn(y, m)) return {};
  return std::string(year).append(month).append(day);
}

}  // namespace taken
