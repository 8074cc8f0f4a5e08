#include "history/file_sync.h"

#include <algorithm>

#include "files/companion.h"

namespace history {

namespace {
constexpr int kSlots = files::kSlotCount;

std::size_t k(int i) {
  return static_cast<std::size_t>(i);
}

// Equal texts: the ends are compared first, where texts of the same length most often differ
// (a log's last line, a counter at the end).
bool sameContent(const ui::Text& a, const ui::Text& b) {
  const std::string& x = a.bytes();
  const std::string& y = b.bytes();
  if (x.size() != y.size()) return false;
  const std::size_t tail = std::min<std::size_t>(x.size(), 64);
  return x.compare(x.size() - tail, tail, y, y.size() - tail, tail) == 0 && a == b;
}

// Names a parked copy of slot i's file and companion go by while a rotation goes on; a kill
// leaves them behind, and the next start removes them.
std::string parkName(int i) {
  return files::slotFileName(i) + ".park";
}
std::string parkCompanionName(int i) {
  return parkName(i) + ".utf8";
}
}  // namespace

SlotFileSync::Loaded SlotFileSync::load(int i) const {
  const std::string name = files::slotFileName(i);
  std::optional<std::string> bytes = p_.readFile(name);
  if (!bytes) return {p_.fileExists(name) ? Found::Unreadable : Found::Missing, {}};
  const std::size_t onDisk = bytes->size();
  std::string text = files::normalizeLoadedText(std::move(*bytes), p_);
  // Normalising only ever adds (line breaks) or cuts (at a zero byte): the same length means
  // the same bytes.
  if (text.size() != onDisk) return {Found::Text, ui::Text::fromBytes(std::move(text)), false};
  if (text.empty()) return {Found::Text, {}};
  // A file as the program writes it may have its exact form beside it; its bytes are hashed
  // only when the slot has any.
  bool any = false;
  for (const std::string& name : p_.listFiles(files::companionPrefix(i)))
    any = any || files::companionHash(i, name).has_value();
  if (!any) return {Found::Text, ui::Text::fromBytes(std::move(text))};
  const std::optional<std::string> companion =
      p_.readFile(files::companionName(i, files::bytesHash(text)));
  if (companion)
    if (std::optional<std::string> exact = files::companionExact(*companion, text))
      return {Found::Text, p_.fromBytesAndUnicode(std::move(text), *exact)};
  return {Found::Text, ui::Text::fromBytes(std::move(text))};
}

void SlotFileSync::noteLoaded(int i, const ui::Text& t, bool asOnDisk) {
  FileState& f = state(i);
  f = {};
  f.held = t;
  f.known = asOnDisk;
  if (asOnDisk && t.hasExact()) {
    f.hash = files::bytesHash(t.bytes());
    f.companion = files::companionName(i, f.hash);
  }
}

void SlotFileSync::noteUnreadable(int i, const ui::Text& placeholder) {
  FileState& f = state(i);
  f = {};
  f.unread = true;
  f.placeholder = placeholder;
}

std::vector<ui::Text> SlotFileSync::parkedTexts() const {
  std::vector<ui::Text> texts;
  for (int i = 1; i <= kSlots; ++i) {
    std::optional<std::string> bytes = p_.readFile(parkName(i));
    if (bytes && !bytes->empty()) {
      std::optional<std::string> companion = p_.readFile(parkCompanionName(i));
      std::optional<std::string> exact;
      if (companion) exact = files::companionExact(*companion, *bytes);
      texts.push_back(exact ? p_.fromBytesAndUnicode(std::move(*bytes), *exact)
                            : ui::Text::fromBytes(std::move(*bytes)));
    }
  }
  return texts;
}

void SlotFileSync::discardLeftovers() {
  for (int i = 1; i <= kSlots; ++i) {
    p_.removeFile(parkName(i));
    p_.removeFile(parkCompanionName(i));
    const FileState& f = state(i);
    // The companion of a file that could not be read may well be its own.
    if (f.unread) continue;
    for (const std::string& name : p_.listFiles(files::companionPrefix(i)))
      if (files::companionHash(i, name) && name != f.companion) p_.removeFile(name);
  }
}

void SlotFileSync::noteRemovedFiles() {
  for (int i = 1; i <= kSlots; ++i) {
    FileState& f = state(i);
    if (f.known && (!p_.fileExists(files::slotFileName(i)) ||
                    (!f.companion.empty() && !p_.fileExists(f.companion))))
      f.known = false;
  }
}

std::string SlotFileSync::sourceFile(int source) const {
  return source > 0 ? files::slotFileName(source) : parkName(-source);
}

void SlotFileSync::park(int i) {
  FileState& f = state(i);
  FileState& p = parked_[k(i)];
  p = f;
  p_.replaceFileWithCopyOf(parkName(i), files::slotFileName(i));
  isParked_[k(i)] = true;
  if (!f.companion.empty()) {
    p_.replaceFileWithCopyOf(parkCompanionName(i), f.companion);
    p.companion = parkCompanionName(i);
  }
}

void SlotFileSync::removeParked() {
  for (int i = 1; i <= kSlots; ++i) {
    if (!isParked_[k(i)]) continue;
    p_.removeFile(parkName(i));
    if (!parked_[k(i)].companion.empty()) p_.removeFile(parked_[k(i)].companion);
    isParked_[k(i)] = false;
    parked_[k(i)] = {};
  }
}

void SlotFileSync::apply(int i, const ui::Text& t, int source) {
  FileState& f = state(i);
  const FileState* from = source > 0 ? &state(source) : source < 0 ? &parked_[k(-source)] : nullptr;
  // The companion of the new bytes comes first and the old one goes last: whichever bytes the
  // slot file holds when a kill strikes, their own companion is there.
  std::string companion;
  std::uint64_t hash = 0;
  if (t.hasExact()) {
    hash = from ? from->hash : files::bytesHash(t.bytes());
    companion = files::companionName(i, hash);
    if (from)
      p_.replaceFileWithCopyOf(companion, from->companion);
    else
      p_.writeFile(companion, files::companionContent(t.bytes(), t.exact()));
  }
  if (from)
    p_.replaceFileWithCopyOf(files::slotFileName(i), sourceFile(source));
  else
    p_.writeFile(files::slotFileName(i), t.bytes());
  // A companion that cannot be removed now faces other bytes and is ignored; the next start
  // removes it.
  if (!f.companion.empty() && f.companion != companion) p_.removeFile(f.companion);
  f = {};
  f.held = t;
  f.known = true;
  f.companion = std::move(companion);
  f.hash = hash;
}

void SlotFileSync::sync(const Texts& texts, bool keepGoing) {
  std::array<bool, kSlots + 1> pending{};
  std::array<int, kSlots + 1> source{};
  bool any = false;
  for (int i = 1; i <= kSlots; ++i) {
    const ui::Text& t = texts(i);
    FileState& f = state(i);
    if (f.unread && t.sameAs(f.placeholder)) continue;
    // Identity alone: comparing the contents of every slot after every change would read
    // megabytes each time.
    if (f.known && f.held.sameAs(t)) continue;
    pending[k(i)] = any = true;
  }
  if (!any) return;
  // A file that already holds a slot's new text is linked, not written again: a text moved
  // from another slot is the very same, one that came back by another way is compared.
  for (int i = 1; i <= kSlots; ++i) {
    if (!pending[k(i)] || texts(i).empty()) continue;
    for (int j = 1; j <= kSlots && !source[k(i)]; ++j)
      if (j != i && holds(j, texts(i))) source[k(i)] = j;
    for (int j = 1; j <= kSlots && !source[k(i)]; ++j)
      if (j != i && state(j).known && sameContent(state(j).held, texts(i))) source[k(i)] = j;
  }
  auto needed = [&](int i) {
    for (int m = 1; m <= kSlots; ++m)
      if (pending[k(m)] && m != i && source[k(m)] == i) return true;
    return false;
  };
  std::exception_ptr failed;
  try {
    for (;;) {
      int next = 0, rotation = 0;
      for (int i = 1; i <= kSlots && !next; ++i) {
        if (!pending[k(i)]) continue;
        if (!needed(i))
          next = i;
        else if (!rotation)
          rotation = i;
      }
      if (!next && !rotation) break;
      if (!next) {
        // Every file still to change holds another one's new text: park one of them.
        park(rotation);
        for (int m = 1; m <= kSlots; ++m)
          if (source[k(m)] == rotation) source[k(m)] = -rotation;
        continue;
      }
      pending[k(next)] = false;
      try {
        apply(next, texts(next), source[k(next)]);
      } catch (const platform::Error&) {
        // A file that failed still holds its old text, so it stays a good source for others.
        if (!keepGoing) throw;
        if (!failed) failed = std::current_exception();
      }
    }
  } catch (...) {
    removeParked();
    throw;
  }
  removeParked();
  if (failed) std::rethrow_exception(failed);
}

}  // namespace history
