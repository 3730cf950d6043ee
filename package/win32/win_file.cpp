#include "package/win32/win_file.h"

#include <vector>

#include "package/win32/write_faults.h"

namespace lr {

namespace {

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Gives `to` the access list of `from`, so a rewritten file stays as closed as it was. Best
// effort: a file system without access lists has none to keep.
void CopyAccessList(const std::wstring& from, const std::wstring& to) {
  DWORD size = 0;
  GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  if (size == 0) return;
  std::vector<unsigned char> descriptor(size);
  if (GetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size))
    SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, descriptor.data());
}

// Creates `path` (replacing a file there) with `sa`'s access list and writes all of `bytes`
// to it; on failure the file is removed.
bool WriteNewFile(const std::wstring& path, std::string_view bytes, SECURITY_ATTRIBUTES* sa) {
  FileHandle file(write_faults::Fail("file create")
                      ? INVALID_HANDLE_VALUE
                      : CreateFileW(path.c_str(), GENERIC_WRITE, 0, sa, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  const DWORD size = static_cast<DWORD>(bytes.size());
  DWORD written = 0;
  bool ok = !write_faults::Fail("file write") &&
            WriteFile(file.get(), bytes.data(), size, &written, nullptr) && written == size;
  ok = file.Close() && ok;
  if (!ok) {
    const DWORD error = GetLastError();
    DeleteFileW(path.c_str());
    SetLastError(error);
  }
  return ok;
}

// ReplaceFileW with its partial failures as write points: refused with nothing moved, the
// original moved away, the original left under the backup name.
bool ReplaceCounted(const std::wstring& path, const std::wstring& temp,
                    const std::wstring& backup) {
  if (write_faults::Fail("file replace")) {
    SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
    return false;
  }
  if (write_faults::Fail("file replace, original moved away")) {
    DeleteFileW(path.c_str());
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return false;
  }
  if (write_faults::Fail("file replace, original renamed")) {
    MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
    return false;
  }
  return ReplaceFileW(path.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                      nullptr, nullptr);
}

constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

}  // namespace

bool FileHandle::Close() {
  const bool refused = write_faults::Fail("file close");
  const bool closed = CloseHandle(h_) && !refused;
  h_ = INVALID_HANDLE_VALUE;
  return closed;
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  DWORD got = 0;
  do {
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    bytes.append(buffer, got);
  } while (got != 0);
  return bytes;
}

bool AppendFileBytes(const std::wstring& path, std::uintmax_t old_size, std::string_view bytes,
                     SECURITY_ATTRIBUTES* sa) {
  FileHandle file(write_faults::Fail("file create")
                      ? INVALID_HANDLE_VALUE
                      : CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, sa, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  const DWORD size = static_cast<DWORD>(bytes.size());
  DWORD written = 0;
  LARGE_INTEGER zero{};
  bool ok = SetFilePointerEx(file.get(), zero, nullptr, FILE_END) &&
            !write_faults::Fail("file write") &&
            WriteFile(file.get(), bytes.data(), size, &written, nullptr) && written == size;
  ok = file.Close() && ok;
  if (ok) return true;
  FileHandle cut(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(old_size);
  if (cut.valid() && SetFilePointerEx(cut.get(), at, nullptr, FILE_BEGIN)) SetEndOfFile(cut.get());
  return false;
}

bool ReplaceFileBytes(const std::wstring& path, const std::wstring& temp, std::string_view bytes,
                      SECURITY_ATTRIBUTES* sa) {
  if (!WriteNewFile(temp, bytes, sa)) return false;
  const std::wstring backup = path + L".old~";
  bool replaced;
  if (!Exists(path)) {
    replaced =
        !write_faults::Fail("file move") && MoveFileExW(temp.c_str(), path.c_str(), kMoveFlags);
  } else {
    if (!sa) CopyAccessList(path, temp);
    DeleteFileW(backup.c_str());  // a backup left by an earlier run would stop the replace
    replaced = ReplaceCounted(path, temp, backup);
    // Half done: the original is gone from its path. The new file goes there, or else the
    // original comes back.
    if (!replaced && !Exists(path)) {
      replaced = MoveFileExW(temp.c_str(), path.c_str(), kMoveFlags) != 0;
      if (!replaced) MoveFileExW(backup.c_str(), path.c_str(), kMoveFlags);
    }
  }
  const DWORD error = GetLastError();
  if (Exists(path)) DeleteFileW(backup.c_str());  // never the only copy
  DeleteFileW(temp.c_str());
  SetLastError(error);  // why it failed, for the caller's message
  return replaced;
}

}  // namespace lr
