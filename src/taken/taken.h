#pragma once
// When a photo or video was taken, by the file's own metadata: EXIF in JPEG, TIFF-based, HEIF,
// PNG, WebP, RAF and CR3 files, a QuickTime movie's metadata or header. The file is untrusted:
// every read is bounded, every number checked against what holds it. No system call here: the
// bytes come through a Source, so that the fuzz target and the tests can hand in bytes of their
// own.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace taken {

// The most of one file that is read, in all: a damaged or hostile file costs no more.
constexpr std::size_t kReadLimit = 256 * 1024;

// A file's bytes as the readers see them. The first read takes the file's head, where most
// formats begin their metadata; a read past it (a large EXIF segment, a movie header written
// after the movie) costs what it asks for, until kReadLimit is spent, unless the read before it
// holds it.
class Source {
 public:
  // Reads up to `length` bytes at `offset` into `into`; returns how many it read, 0 at the end of
  // the file or on a failure.
  using ReadAt =
      std::function<std::size_t(std::uint64_t offset, std::uint8_t* into, std::size_t length)>;
  explicit Source(ReadAt read_at);

  // Up to `length` bytes at `offset`: fewer where the file or the limit ends them. They stay valid
  // until the next call.
  std::span<const std::uint8_t> Read(std::uint64_t offset, std::size_t length);

 private:
  // Bytes read from the file, not cleared first: most of a photo is never looked at.
  struct Buffer {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    std::uint64_t offset = 0;
  };
  std::span<const std::uint8_t> Fill(Buffer& buffer, std::uint64_t offset, std::size_t length);

  ReadAt read_at_;
  Buffer head_, further_;
  std::size_t spent_ = 0;
};

// What the metadata says. EXIF keeps the wall-clock date where the picture was taken, which is
// used as written, as is a phone movie's local date; a QuickTime movie header keeps a moment in
// UTC, which the caller turns into a local date.
struct Taken {
  std::string date = {};                 // "yyyyMMdd"
  std::optional<std::int64_t> utc = {};  // seconds since 1970-01-01 UTC
  bool operator==(const Taken&) const = default;
};

// Nothing for a file of another kind, or one whose metadata holds no date or is damaged.
Taken Read(Source& source);

// "yyyyMMdd" of an EXIF date ("YYYY:MM:DD HH:MM:SS"), or empty for one that names no day
// ("0000:00:00 00:00:00", blanks, 30 February).
std::string DateOfExif(std::string_view text);

}  // namespace taken
