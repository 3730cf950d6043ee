// Windows profile (INI) files in the form the platform's profile-string functions read and
// write: "[section]" lines and "key=value" lines, CR LF line ends, bytes in the ANSI code
// page. Section and key names match without regard to ASCII letter case.
//
// Reading follows the platform: names and values are trimmed of surrounding blanks, a value
// wrapped in matching quotes loses them, the first matching section and key win, and a
// value is cut to kMaxProfileValue bytes.
//
// Writing changes one key at a time and reaches the file before it returns. The writer
// keeps the file's bytes and an index of them, so a key added at the end of the last section
// is appended in O(1) I/O; a replaced key or a key added to an earlier section rewrites the
// file through a temporary file that replaces it. Writing N keys is therefore linear.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lr {

inline constexpr size_t kMaxProfileValue = 2047;

// A write that the platform refused. what() is "Unable to write to <path>".
class EIniFileException : public std::runtime_error {
 public:
  explicit EIniFileException(const std::string& shown_path);
};

// The parsed index of a profile file's bytes.
class Profile {
 public:
  static Profile Parse(std::string_view bytes);

  // The value of `key` in `section`, read as the platform reads it; nullopt when absent.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  // Section names in file order (as written, trimmed).
  std::vector<std::string> SectionNames() const;
  // Key names of a section in file order.
  std::vector<std::string> KeyNames(std::string_view section) const;

  // The file's bytes without the lines of `key` in every section named `section`; every
  // other byte stays. The bytes unchanged when there is no such key.
  std::string WithoutKey(std::string_view section, std::string_view key) const;
  // The file's bytes with the line "key=value" added at the end of the first section named
  // `section` (or that section added at the end), as ProfileWriter adds a key it lacks.
  std::string WithNewKey(std::string_view section, std::string_view key,
                         std::string_view value) const;

 private:
  friend class ProfileWriter;
  struct Key {
    std::string name;        // trimmed, as written
    size_t line_begin = 0;   // offset of the key line
    size_t line_next = 0;    // offset just past its line end
    size_t value_begin = 0;  // trimmed value inside the bytes
    size_t value_end = 0;
  };
  struct Section {
    std::string name;
    size_t content_end = 0;  // just past the line end of the last non-blank line
    std::vector<Key> keys;
    std::unordered_map<std::string, size_t> key_index;  // folded name -> first key
  };

  const Section* FindSection(std::string_view name) const;
  // Indexes text_ from `from` on, which must be the start of a line; lines before a first
  // section header belong to a section with the empty name.
  void ParseFrom(size_t from);

  std::string text_;  // the file's bytes, which the index refers to
  std::vector<Section> sections_;
  std::unordered_map<std::string, size_t> section_index_;  // folded name -> first section
  bool ends_with_line_end_ = true;
};

// Reads a whole profile file. A missing or unreadable file reads as an empty one.
Profile ReadProfileFile(const std::filesystem::path& path);

// The file operations of a ProfileWriter. The default works on the plain file system; a
// program's shell may supply its own (to give new files an access list, or to count its
// write points).
class ProfileFiles {
 public:
  virtual ~ProfileFiles() = default;
  // Adds `bytes` at the end of `path`, creating it when missing. On failure the file is cut
  // back to `old_size` bytes.
  virtual bool Append(const std::filesystem::path& path, std::uintmax_t old_size,
                      std::string_view bytes);
  // Writes `bytes` to the new file `temp` and moves it over `path`. On failure `path` keeps
  // what it held and `temp` is gone.
  virtual bool Replace(const std::filesystem::path& path, const std::filesystem::path& temp,
                       std::string_view bytes);
};

// Writes keys into one profile file, one key per call.
class ProfileWriter {
 public:
  // `shown_path` is the path as the failure message names it. `files` (default: the plain
  // file system) must outlive the writer.
  ProfileWriter(std::filesystem::path path, std::string shown_path, ProfileFiles* files = nullptr);

  // Sets `key` in `section` to `value` (both trimmed of blanks): replaces an existing key in place,
  // or adds the key at the end of its section, or adds the section at the end of the file. Throws
  // EIniFileException when the file can't be written; the file then keeps what it held.
  void Write(std::string_view section, std::string_view key, std::string_view value);

 private:
  void Reload();
  bool InSync() const;
  void AppendBytes(const std::string& bytes);
  void RewriteWith(std::string bytes);

  std::filesystem::path path_;
  std::string shown_path_;
  ProfileFiles* files_;
  Profile profile_;
  bool loaded_ = false;
  std::uintmax_t size_on_disk_ = 0;
  std::filesystem::file_time_type time_on_disk_{};
};

}  // namespace lr
