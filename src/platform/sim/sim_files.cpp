// Files on the simulated desktop: real files in the test's directory, with failures on request.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <cerrno>
#include <fstream>

namespace sim {

namespace fs = std::filesystem;
using platform::FileError;

void SimDesktop::failRead(const std::string& name, bool fail) {
  if (fail)
    failRead_.insert(name);
  else
    failRead_.erase(name);
}

void SimDesktop::failWrite(const std::string& name, bool fail) {
  if (fail)
    failWrite_.insert(name);
  else
    failWrite_.erase(name);
}

void SimDesktop::failRemove(const std::string& name, bool fail) {
  if (fail)
    failRemove_.insert(name);
  else
    failRemove_.erase(name);
}

int SimDesktop::movesOf(const std::string& name) const {
  auto it = moves_.find(name);
  return it == moves_.end() ? 0 : it->second;
}

bool SimDesktop::fileHeld(const std::string& name) const {
  auto it = fileHeldUntil_.find(name);
  return it != fileHeldUntil_.end() && now_ < it->second;
}

std::optional<std::string> SimDesktop::fileBytes(const std::string& name) const {
  std::ifstream in(dir_ / name, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void SimDesktop::putFile(const std::string& name, const std::string& bytes) const {
  std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int SimDesktop::linksOf(const std::string& name) const {
  auto it = links_.find(name);
  return it == links_.end() ? 0 : it->second;
}

int SimDesktop::writesOf(const std::string& name) const {
  auto it = writes_.find(name);
  return it == writes_.end() ? 0 : it->second;
}

void SimDesktop::countWrite(const std::string& name) {
  ++writes_[name];
  ++totalWrites_;
}

namespace {
// Writes every byte to an open file, flushes it to the disk when asked, and closes it; false
// when any step failed.
bool writeAllAndClose(int fd, std::string_view bytes, bool sync) {
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(w);
  }
  if (ok && sync && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  return ok;
}

// Where a save writes before it renames over the file.
std::string temporaryName(const std::string& name) {
  return name + ".tmp";
}
}  // namespace

bool SimPlatform::fileExists(std::string_view name) const {
  return fs::exists(desktop_.directory() / std::string(name));
}

bool SimPlatform::waitForFiles(std::initializer_list<std::string_view> names) {
  const std::int64_t deadline = desktop_.now() + platform::kFileBusyWaitMs;
  auto held = [&] {
    return std::any_of(names.begin(), names.end(),
                       [&](std::string_view n) { return desktop_.fileHeld(std::string(n)); });
  };
  while (held()) {
    if (desktop_.now() >= deadline || !waitForHeldFiles_) return false;
    desktop_.sleepFor(platform::kFileBusyRetryMs);
  }
  return true;
}

std::optional<std::string> SimPlatform::readFile(std::string_view name) {
  std::string n(name);
  if (desktop_.readFails(n) || !waitForFiles({n})) return std::nullopt;
  const fs::path path = desktop_.directory() / n;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::string> result;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
      ssize_t r = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0)
        ok = false;
      else
        done += static_cast<std::size_t>(r);
    }
    if (ok) result = std::move(bytes);
  }
  ::close(fd);
  return result;
}

std::string SimPlatform::cannot(const std::string& name) const {
  return encode("ファイル ") + name + encode(" を作成できません");
}

int SimPlatform::createTemporary(const std::string& name) {
  const fs::path temp = desktop_.directory() / temporaryName(name);
  // A temporary left by an interrupted shift may be a second name of another slot's file:
  // writing through it would change that file too, so it is created anew or not at all.
  if (!desktop_.removeFails(temporaryName(name))) ::unlink(temp.c_str());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw FileError(cannot(name));
  return fd;
}

void SimPlatform::writeFile(std::string_view name, std::string_view bytes) {
  std::string n(name);
  const std::string failure = cannot(n);
  if (desktop_.onWriteAttempt) desktop_.onWriteAttempt(n);
  if (!desktop_.folderWritable || desktop_.writeFails(n) || !waitForFiles({n}))
    throw FileError(failure);
  // Write beside the file and rename over it, so a crash leaves the old or the new bytes.
  const fs::path target = desktop_.directory() / n;
  const fs::path temp = desktop_.directory() / temporaryName(n);
  const bool ok = writeAllAndClose(createTemporary(n), bytes, desktop_.syncWrites);
  if (ok) desktop_.fileStep();
  if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw FileError(failure);
  }
  desktop_.countWrite(n);
  desktop_.fileStep();
}

int SimPlatform::fileLinkCount(std::string_view name) const {
  std::error_code ec;
  const std::uintmax_t n = fs::hard_link_count(desktop_.directory() / std::string(name), ec);
  return ec ? 0 : static_cast<int>(n);
}

void SimPlatform::writeFileInPlace(std::string_view name, std::string_view bytes) {
  std::string n(name);
  if (desktop_.onWriteAttempt) desktop_.onWriteAttempt(n);
  if (!desktop_.folderWritable || desktop_.writeFails(n) || !waitForFiles({n}))
    throw FileError(cannot(n));
  const fs::path target = desktop_.directory() / n;
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || !writeAllAndClose(fd, bytes, desktop_.syncWrites)) throw FileError(cannot(n));
  desktop_.countWrite(n);
  desktop_.fileStep();
}

void SimPlatform::replaceFileWithCopyOf(std::string_view targetName, std::string_view sourceName) {
  const std::string n(targetName);
  const std::string failure = cannot(n);
  if (!desktop_.folderWritable || desktop_.writeFails(n) || !waitForFiles({sourceName, n}))
    throw FileError(failure);
  const fs::path source = desktop_.directory() / std::string(sourceName);
  const fs::path target = desktop_.directory() / n;
  const fs::path temp = desktop_.directory() / temporaryName(n);
  bool linked = false;
  if (desktop_.hardLinks) {
    if (!desktop_.removeFails(temporaryName(n))) ::unlink(temp.c_str());
    std::error_code ec;
    fs::create_hard_link(source, temp, ec);
    if (ec) throw FileError(failure);
    linked = true;
  } else {
    // No links here: a copy, on the disk before it replaces the target.
    std::optional<std::string> bytes = readFile(sourceName);
    if (!bytes) throw FileError(failure);
    const bool ok = writeAllAndClose(createTemporary(n), *bytes, desktop_.syncWrites);
    if (!ok) {
      ::unlink(temp.c_str());
      throw FileError(failure);
    }
  }
  desktop_.fileStep();
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw FileError(failure);
  }
  if (linked)
    desktop_.countLink(n);
  else
    desktop_.countWrite(n);
  desktop_.fileStep();
}

void SimPlatform::moveFile(std::string_view targetName, std::string_view sourceName) {
  const std::string n(targetName), from(sourceName);
  if (!desktop_.folderWritable || desktop_.writeFails(n) || desktop_.removeFails(from) ||
      !waitForFiles({sourceName, n}))
    throw FileError(cannot(n));
  const fs::path source = desktop_.directory() / from;
  const fs::path target = desktop_.directory() / n;
  if (::rename(source.c_str(), target.c_str()) != 0) throw FileError(cannot(n));
  desktop_.countMove(n);
  desktop_.fileStep();
}

void SimPlatform::discardUnfinishedWrite(std::string_view name) {
  const fs::path temp = desktop_.directory() / temporaryName(std::string(name));
  std::error_code ignored;
  if (desktop_.removeFails(temporaryName(std::string(name)))) return;
  if (fs::is_regular_file(fs::symlink_status(temp, ignored))) fs::remove(temp, ignored);
}

bool SimPlatform::removeFile(std::string_view name) {
  const std::string n(name);
  const fs::path path = desktop_.directory() / n;
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(path, ec))) return !fs::exists(path, ec);
  // A file another program holds cannot be removed, as on Windows.
  if (!desktop_.folderWritable || desktop_.writeFails(n) || desktop_.removeFails(n)) return false;
  const bool removed = fs::remove(path, ec);
  if (removed) desktop_.fileStep();
  return removed;
}

std::vector<std::string> SimPlatform::listFiles(std::string_view prefix) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(desktop_.directory(), ec)) {
    std::string name = e.path().filename().string();
    if (e.is_regular_file(ec) && name.starts_with(prefix)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace sim
