// Files: reads, saves through a temporary file, second names, moves and removals, waiting while
// another program holds a file for a moment.

#include "platform/win32/win32_platform.h"

namespace win32 {

// --- files ---

bool Win32Platform::fileExists(std::string_view name) const {
  const DWORD attributes = ::GetFileAttributesW(ansiToWide(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {
// The errors of a file another program holds for a moment (a scanner, an indexer, a sync
// client): worth waiting for. Anything else (a folder that cannot be written, a full or vanished
// volume, an access that stays denied) fails at once.
bool heldForAMoment(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_USER_MAPPED_FILE;
}

// The time one file operation may spend waiting for a file another program holds for a moment.
class FileBusyWait {
 public:
  explicit FileBusyWait(bool waits) : waits_(waits) {}
  // After a step failed with `error`: true, after a pause, while trying it again is worthwhile.
  bool again(DWORD error) const { return again(error, heldForAMoment(error)); }
  bool again(DWORD, bool held) const {
    if (!held || !waits_ || ::GetTickCount64() >= deadline_) return false;
    ::Sleep(platform::kFileBusyRetryMs);
    return true;
  }

 private:
  bool waits_;
  ULONGLONG deadline_ = ::GetTickCount64() + platform::kFileBusyWaitMs;
};
}  // namespace

std::optional<std::string> Win32Platform::readFile(std::string_view name) {
  // Other readers may share the file; a writer may not change it under us.
  const std::wstring path = ansiToWide(name);
  auto open = [&path] {
    return fileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  const FileBusyWait wait(waitForHeldFiles_);
  UniqueHandle file = open();
  // Reading an existing file, an access denied is a file being replaced or deleted by another
  // program (or by one that was just ended, whose handles the system is still closing): it passes.
  while (!file) {
    const DWORD error = ::GetLastError();
    if (!wait.again(error, heldForAMoment(error) || error == ERROR_ACCESS_DENIED)) break;
    file = open();
  }
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                    nullptr))
      return std::nullopt;
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

namespace {
// Where a save writes before it replaces the file; a kill between the two leaves it behind.
std::wstring temporaryNameFor(const std::wstring& target) {
  return target + L".tmp";
}

// Puts the complete temporary file in the target's place, waiting while the target is held.
bool replaceWhenFree(const std::wstring& temporary, const std::wstring& target,
                     const FileBusyWait& wait) {
  auto move = [&] {
    return ::MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  };
  bool moved = move();
  while (!moved) {
    const DWORD error = ::GetLastError();
    // The temporary file was made in this folder, so a refused replace is the target's: open
    // elsewhere without sharing its deletion, or being deleted. A read-only target stays so.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool held = heldForAMoment(error) ||
                      (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                       !(attributes & FILE_ATTRIBUTE_READONLY));
    if (!wait.again(error, held)) {
      ::SetLastError(error);
      return false;
    }
    moved = move();
  }
  return true;
}

// A new temporary file for a save. One left over by an interrupted save is removed first; if it
// cannot be, nothing is written through it (it may be a second name of another slot's file).
// Opens PATH for writing alone, waiting while another program holds it.
UniqueHandle openForWriting(const std::wstring& path, DWORD disposition, const FileBusyWait& wait) {
  auto open = [&] {
    return fileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  UniqueHandle file = open();
  while (!file && wait.again(::GetLastError()))
    file = open();
  return file;
}

UniqueHandle createTemporary(const std::wstring& temporary, const FileBusyWait& wait) {
  ::DeleteFileW(temporary.c_str());
  return openForWriting(temporary, CREATE_NEW, wait);
}

// Every byte written and flushed to the disk; false with the system's error otherwise.
bool writeAllAndFlush(HANDLE file, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    if (!::WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote,
                     nullptr) ||
        wrote == 0)
      return false;
    done += wrote;
  }
  return ::FlushFileBuffers(file) != FALSE;
}
}  // namespace

platform::FileError Win32Platform::cannotWrite(std::string_view name, DWORD error) const {
  std::string message = encode("ファイル ");
  message.append(name);
  message.append(encode(" に書き込むことができません"));
  message.append("\r\n");
  if (error == ERROR_FILE_EXISTS) {
    // The save's temporary file of an earlier, interrupted save is still there.
    message.append(encode("一時ファイル "));
    message.append(name);
    message.append(encode(".tmp を削除できません"));
    return platform::FileError(message);
  }
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length && text) {
    std::wstring reason(text, length);
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n'))
      reason.pop_back();
    message.append(wideToAnsi(reason));
  }
  return platform::FileError(message);
}

void Win32Platform::noteNoLinks() {
  links_ = false;
}

bool Win32Platform::linksFiles() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD n = ::GetCurrentDirectoryW(MAX_PATH + 1, folder);
  const std::wstring current(folder, n <= MAX_PATH ? n : 0);
  if (current.empty() || current == linksFolder_) return links_;
  linksFolder_ = current;
  // Asked once per folder: FAT and exFAT never link files. Any other volume is tried with a
  // link between two files of its own: what a share or a file system driver reports need not be
  // what it does (a Samba share on a FAT disk says NTFS and refuses links), and a save must know
  // before its first move whether a rename leaves a name empty.
  wchar_t volume[MAX_PATH + 1] = {};
  wchar_t system[MAX_PATH + 1] = {};
  DWORD flags = 0;
  if (::GetVolumePathNameW(current.c_str(), volume, MAX_PATH + 1) &&
      ::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, system, MAX_PATH + 1)) {
    const std::wstring name = system;
    if (!(flags & FILE_SUPPORTS_HARD_LINKS) &&
        (name == L"FAT" || name == L"FAT32" || name == L"exFAT" || name == L"vfat")) {
      links_ = false;
      return links_;
    }
  }
  const std::wstring probe = L"Kolvex20.links.tmp", link = L"Kolvex20.links2.tmp";
  ::DeleteFileW(link.c_str());
  const bool made = static_cast<bool>(fileHandle(::CreateFileW(
      probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
  // A folder that cannot be written says nothing; it is asked again once it can be.
  if (!made) {
    linksFolder_.clear();
    links_ = true;
    return links_;
  }
  links_ = ::CreateHardLinkW(link.c_str(), probe.c_str(), nullptr) != FALSE;
  ::DeleteFileW(link.c_str());
  ::DeleteFileW(probe.c_str());
  return links_;
}

void Win32Platform::writeFile(std::string_view name, std::string_view bytes) {
  const std::wstring target = ansiToWide(name);
  const std::wstring temporary = temporaryNameFor(target);
  const FileBusyWait wait(waitForHeldFiles_);
  DWORD error = ERROR_SUCCESS;
  bool written = false;
  {
    UniqueHandle file = createTemporary(temporary, wait);
    if (!file) error = ::GetLastError();
    if (file) {
      // The new bytes are on the disk before they replace the old file.
      written = writeAllAndFlush(file.get(), bytes);
      if (!written) error = ::GetLastError();
    }
  }
  if (written && replaceWhenFree(temporary, target, wait)) return;
  if (written) error = ::GetLastError();
  // A temporary that was there before this save (error ERROR_FILE_EXISTS) is not this save's.
  if (error != ERROR_FILE_EXISTS) ::DeleteFileW(temporary.c_str());
  throw cannotWrite(name, error);
}

int Win32Platform::fileLinkCount(std::string_view name) const {
  // Asking needs no access to the bytes, and shares everything with whoever has the file open.
  const UniqueHandle file =
      fileHandle(::CreateFileW(ansiToWide(name).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !::GetFileInformationByHandle(file.get(), &info)) return 0;
  return static_cast<int>(info.nNumberOfLinks);
}

void Win32Platform::writeFileInPlace(std::string_view name, std::string_view bytes) {
  const std::wstring path = ansiToWide(name);
  const UniqueHandle file = openForWriting(path, CREATE_ALWAYS, FileBusyWait(waitForHeldFiles_));
  if (!file || !writeAllAndFlush(file.get(), bytes)) throw cannotWrite(name, ::GetLastError());
}

void Win32Platform::replaceFileWithCopyOf(std::string_view targetName,
                                          std::string_view sourceName) {
  const std::wstring target = ansiToWide(targetName);
  const std::wstring source = ansiToWide(sourceName);
  const std::wstring temporary = temporaryNameFor(target);
  const FileBusyWait wait(waitForHeldFiles_);
  bool ready = false;
  DWORD error = ERROR_SUCCESS;
  if (linksFiles()) {
    // A second name for the source's bytes costs nothing, whatever their size. A temporary
    // file left over by an earlier try is in the way only then.
    auto link = [&] {
      return ::CreateHardLinkW(temporary.c_str(), source.c_str(), nullptr) != FALSE;
    };
    ready = link();
    if (!ready && ::GetLastError() == ERROR_ALREADY_EXISTS && ::DeleteFileW(temporary.c_str()))
      ready = link();
    while (!ready && wait.again(::GetLastError()))
      ready = link();
    error = ready ? ERROR_SUCCESS : ::GetLastError();
    // A volume that refuses links (exFAT answers ERROR_INVALID_FUNCTION, a share on a FAT disk
    // ERROR_ACCESS_DENIED) is not asked again, nor waited for; a folder that cannot be written
    // at all refuses them too, and says so again when a file is made there.
    if (!ready && error != ERROR_ALREADY_EXISTS && !heldForAMoment(error) &&
        ::GetFileAttributesW(source.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (createTemporary(temporary, wait))
        noteNoLinks();
      else
        error = ::GetLastError();
    }
  }
  if (!ready && !links_) {
    UniqueHandle copy = createTemporary(temporary, wait);
    error = copy ? ERROR_SUCCESS : ::GetLastError();
    copy.reset();
    // FAT and exFAT have no links: the copy must be on the disk before it replaces the target.
    auto copyBytes = [&] { return ::CopyFileW(source.c_str(), temporary.c_str(), FALSE) != FALSE; };
    bool copied = error == ERROR_SUCCESS && copyBytes();
    while (error == ERROR_SUCCESS && !copied && wait.again(::GetLastError()))
      copied = copyBytes();
    if (error == ERROR_SUCCESS && !copied) error = ::GetLastError();
    if (copied) {
      UniqueHandle file = fileHandle(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      ready = file && ::FlushFileBuffers(file.get());
      if (!ready) error = ::GetLastError();
    }
  }
  if (ready && replaceWhenFree(temporary, target, wait)) return;
  if (ready) error = ::GetLastError();
  if (error != ERROR_FILE_EXISTS) ::DeleteFileW(temporary.c_str());
  throw cannotWrite(targetName, error);
}

void Win32Platform::moveFile(std::string_view targetName, std::string_view sourceName) {
  const std::wstring target = ansiToWide(targetName);
  const std::wstring source = ansiToWide(sourceName);
  const FileBusyWait wait(waitForHeldFiles_);
  auto move = [&] {
    return ::MoveFileExW(source.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  };
  bool moved = move();
  while (!moved && wait.again(::GetLastError()))
    moved = move();
  if (!moved) throw cannotWrite(targetName, ::GetLastError());
}

void Win32Platform::discardUnfinishedWrite(std::string_view name) {
  const std::wstring temporary = temporaryNameFor(ansiToWide(name));
  const DWORD attributes = ::GetFileAttributesW(temporary.c_str());
  // Only a plain file of our own naming; a folder or a link of that name is the user's.
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return;
  // A killed save's process may still be ending (its handles are closed as it terminates), so a
  // held temporary is waited for a moment like any held file.
  const FileBusyWait wait(waitForHeldFiles_);
  while (!::DeleteFileW(temporary.c_str()) && wait.again(::GetLastError())) {
  }
}

bool Win32Platform::removeFile(std::string_view name) {
  const std::wstring path = ansiToWide(name);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  return ::DeleteFileW(path.c_str()) != FALSE;
}

std::vector<std::string> Win32Platform::listFiles(std::string_view prefix) const {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = ansiToWide(prefix) + L"*";
  const UniqueFind search = findHandle(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                                          FindExSearchNameMatch, nullptr, 0));
  if (!search) return names;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    // A name the code page cannot say is none of ours.
    const std::wstring name = found.cFileName;
    if (win32::encodable(name)) names.push_back(wideToAnsi(name));
  } while (::FindNextFileW(search.get(), &found));
  return names;
}

}  // namespace win32
