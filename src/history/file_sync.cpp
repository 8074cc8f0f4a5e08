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
bool sameContent(const text::Text& a, const text::Text& b) {
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
// Beside a park that a save had finished with but could not remove: the next start does not take
// its text back (the user may have deleted that text since).
std::string goneMark(int i) {
  return parkName(i) + ".gone";
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
  if (text.size() != onDisk) return {Found::Text, text::Text::fromBytes(std::move(text)), false};
  if (text.empty()) return {Found::Text, {}};
  // A file as the program writes it may have its exact form beside it; its bytes are hashed
  // only when the slot has any.
  bool any = false;
  for (const std::string& name : p_.listFiles(files::companionPrefix(i)))
    any = any || files::companionHash(i, name).has_value();
  if (!any) return {Found::Text, text::Text::fromBytes(std::move(text))};
  const std::optional<std::string> companion =
      p_.readFile(files::companionName(i, files::bytesHash(text)));
  if (companion)
    if (std::optional<std::string> exact = files::companionExact(*companion, text))
      return {Found::Text, p_.fromBytesAndUnicode(std::move(text), *exact)};
  return {Found::Text, text::Text::fromBytes(std::move(text))};
}

void SlotFileSync::noteLoaded(int i, const text::Text& t, bool asOnDisk) {
  FileState& f = at(Source::slotFile(i));
  f = {};
  f.held = t;
  f.known = asOnDisk;
  if (asOnDisk && t.hasExact()) {
    f.hash = files::bytesHash(t.bytes());
    f.companion = files::companionName(i, f.hash);
  }
}

void SlotFileSync::noteUnreadable(int i, const text::Text& placeholder) {
  FileState& f = at(Source::slotFile(i));
  f = {};
  f.unread = true;
  f.placeholder = placeholder;
}

std::vector<text::Text> SlotFileSync::parkedTexts() const {
  std::vector<text::Text> texts;
  for (int i = 1; i <= kSlots; ++i) {
    if (p_.fileExists(goneMark(i))) continue;
    std::optional<std::string> bytes = p_.readFile(parkName(i));
    if (bytes && !bytes->empty()) {
      std::optional<std::string> companion = p_.readFile(parkCompanionName(i));
      std::optional<std::string> exact;
      if (companion) exact = files::companionExact(*companion, *bytes);
      texts.push_back(exact ? p_.fromBytesAndUnicode(std::move(*bytes), *exact)
                            : text::Text::fromBytes(std::move(*bytes)));
    }
  }
  return texts;
}

void SlotFileSync::discardLeftovers() {
  for (int i = 1; i <= kSlots; ++i) {
    at(Source::park(i)) = {};
    p_.removeFile(parkCompanionName(i));
    if (p_.removeFile(parkName(i))) {
      p_.removeFile(goneMark(i));
    } else if (!p_.fileExists(goneMark(i))) {
      try {
        p_.writeFile(goneMark(i), {});
      } catch (const platform::Error&) {
        // Nothing more can be done: the next start takes the text back once more.
      }
    }
    const FileState& f = at(Source::slotFile(i));
    // The companion of a file that could not be read may well be its own.
    if (f.unread) continue;
    for (const std::string& name : p_.listFiles(files::companionPrefix(i)))
      if (files::companionHash(i, name) && name != f.companion) p_.removeFile(name);
  }
}

void SlotFileSync::noteRemovedFiles() {
  for (int i = 1; i <= kSlots; ++i) {
    FileState& f = at(Source::slotFile(i));
    if (f.known && (!p_.fileExists(files::slotFileName(i)) ||
                    (!f.companion.empty() && !p_.fileExists(f.companion))))
      f.known = false;
  }
}

SlotFileSync::FileState& SlotFileSync::at(Source place) {
  return files_[place.from == Source::From::Park ? kSlots + 1 + place.slot : place.slot];
}

const SlotFileSync::FileState& SlotFileSync::at(Source place) const {
  return files_[place.from == Source::From::Park ? kSlots + 1 + place.slot : place.slot];
}

std::string SlotFileSync::fileName(Source place) const {
  return place.from == Source::From::Park ? parkName(place.slot) : files::slotFileName(place.slot);
}

bool SlotFileSync::pending(const Texts& texts) const {
  Plan plan;
  return changes(texts, plan);
}

bool SlotFileSync::changes(const Texts& texts, Plan& plan) const {
  bool any = false;
  for (int i = 1; i <= kSlots; ++i) {
    const text::Text& t = texts(i);
    const FileState& f = at(Source::slotFile(i));
    // What a slot whose file could not be read at start shows is no text: it is written to no
    // file, also when a shift has moved it to another slot.
    bool placeholder = false;
    for (int j = 1; j <= kSlots && !placeholder; ++j) {
      const FileState& u = at(Source::slotFile(j));
      placeholder = u.unread && t.sameAs(u.placeholder);
    }
    if (placeholder) continue;
    // Identity alone: comparing the contents of every slot after every change would read
    // megabytes each time.
    if (f.known && f.held.sameAs(t)) continue;
    plan.pending[k(i)] = any = true;
  }
  return any;
}

void SlotFileSync::chooseSources(const Texts& texts, Plan& plan) const {
  // A file gives its bytes to one slot only, and only a file that itself changes in this save (a
  // move) or a park: two slot files that shared one file would both change when a program writes
  // one of them in place. A text that came back by another way is compared.
  auto used = [&](Source file) {
    for (int m = 1; m <= kSlots; ++m)
      if (plan.pending[k(m)] && plan.source[k(m)] == file) return true;
    return false;
  };
  for (int i = 1; i <= kSlots; ++i) {
    const text::Text& t = texts(i);
    if (!plan.pending[k(i)] || t.empty()) continue;
    auto take = [&](Source file, bool sameOnly) {
      const FileState& f = at(file);
      if (plan.source[k(i)].from != Source::From::Memory || !f.known || used(file)) return;
      if (f.held.sameAs(t) || (!sameOnly && sameContent(f.held, t))) plan.source[k(i)] = file;
    };
    // First a park that a failed save left holding it, then a moving slot file.
    for (int j = 1; j <= kSlots; ++j)
      take(Source::park(j), false);
    for (int j = 1; j <= kSlots; ++j)
      if (j != i && plan.pending[k(j)]) take(Source::slotFile(j), true);
    for (int j = 1; j <= kSlots; ++j)
      if (j != i && plan.pending[k(j)]) take(Source::slotFile(j), false);
  }
}

bool SlotFileSync::taken(const Plan& plan, Source file) const {
  for (int m = 1; m <= kSlots; ++m)
    if ((plan.pending[k(m)] || plan.failed[k(m)]) && plan.source[k(m)] == file) return true;
  return false;
}

void SlotFileSync::park(int i) {
  FileState& f = at(Source::slotFile(i));
  FileState& parked = at(Source::park(i));
  if (p_.fileExists(goneMark(i)) && !p_.removeFile(goneMark(i)))
    throw platform::FileError(p_.encode("ファイル ") + goneMark(i) +
                              p_.encode(" を削除できません"));
  const bool links = p_.linksFiles();
  // The companion first, and never moved away: whenever a file holds the bytes, their exact
  // form is beside it (companions are few, and small beside the bytes).
  if (!f.companion.empty()) p_.replaceFileWithCopyOf(parkCompanionName(i), f.companion);
  parked = f;
  parked.companion = f.companion.empty() ? std::string() : parkCompanionName(i);
  if (links) {
    p_.replaceFileWithCopyOf(parkName(i), files::slotFileName(i));
  } else {
    p_.moveFile(parkName(i), files::slotFileName(i));
    // The slot's file is gone until its own new text comes.
    if (!f.companion.empty()) p_.removeFile(f.companion);
    f = {};
  }
  parked.known = true;
}

void SlotFileSync::removeParks(const Plan& plan) {
  for (int i = 1; i <= kSlots; ++i) {
    FileState& parked = at(Source::park(i));
    if (!parked.known || taken(plan, Source::park(i))) continue;
    if (!parked.companion.empty()) p_.removeFile(parked.companion);
    // One that stays (held by another program) must not come back at the next start as a text
    // the user may have deleted since.
    if (!p_.removeFile(parkName(i))) {
      try {
        p_.writeFile(goneMark(i), {});
      } catch (const platform::Error&) {
        continue;  // tried again after the next save
      }
    }
    parked = {};
  }
}

void SlotFileSync::apply(int i, const text::Text& t, Source source) {
  FileState& f = at(Source::slotFile(i));
  FileState* from = source.from == Source::From::Memory ? nullptr : &at(source);
  // A park has one slot to go to, and without links every source is renamed into place.
  const bool rename = from && (source.from == Source::From::Park || !p_.linksFiles());
  // The companion of the new bytes comes first and the old one goes last: whichever bytes the
  // slot file holds when a kill strikes, their own companion is there.
  std::string companion;
  std::uint64_t hash = 0;
  if (t.hasExact()) {
    hash = from ? from->hash : files::bytesHash(t.bytes());
    companion = files::companionName(i, hash);
    if (from && !from->companion.empty())
      p_.replaceFileWithCopyOf(companion, from->companion);
    else
      p_.writeFile(companion, files::companionContent(t.bytes(), t.exact()));
  }
  if (!from) {
    p_.writeFile(files::slotFileName(i), t.bytes());
  } else if (!rename) {
    p_.replaceFileWithCopyOf(files::slotFileName(i), fileName(source));
  } else {
    p_.moveFile(files::slotFileName(i), fileName(source));
    // The source is gone, and with it any use for its companion.
    if (!from->companion.empty()) p_.removeFile(from->companion);
    *from = {};
  }
  // A companion that cannot be removed now faces other bytes and is ignored; the next start
  // removes it.
  if (!f.companion.empty() && f.companion != companion) p_.removeFile(f.companion);
  f = {};
  f.held = t;
  f.known = true;
  f.companion = std::move(companion);
  f.hash = hash;
}

void SlotFileSync::move(const Texts& texts, Plan& plan, bool keepGoing) {
  std::exception_ptr failed;
  for (;;) {
    // A slot whose old file no other slot still takes can be written now.
    int next = 0, rotation = 0, left = 0;
    for (int i = 1; i <= kSlots; ++i) {
      if (!plan.pending[k(i)]) continue;
      left = i;
      if (!taken(plan, Source::slotFile(i))) {
        next = i;
        break;
      }
      // The highest one is parked: a slot A without its file would read as a first start.
      if (!at(Source::park(i)).known) rotation = i;
    }
    if (!left) break;
    if (!next) {
      // Every file still to change holds another one's new text (a rotation, or the source of
      // a slot whose write failed): one of them is parked. Where none can be, a text is written
      // again from memory instead.
      int parked = 0;
      if (rotation) try {
          park(rotation);
          parked = rotation;
        } catch (const platform::Error&) {
          // Written from memory below.
        }
      const Source from = Source::slotFile(parked ? parked : left);
      for (int m = 1; m <= kSlots; ++m)
        if (plan.source[k(m)] == from) plan.source[k(m)] = parked ? Source::park(parked) : Source{};
      continue;
    }
    plan.pending[k(next)] = false;
    try {
      apply(next, texts(next), plan.source[k(next)]);
    } catch (const platform::Error&) {
      // The slot's old file still holds its old text, and its source stays on disk for the next
      // save: a park is not removed, a moving file is parked before it is replaced.
      plan.failed[k(next)] = true;
      if (!failed) failed = std::current_exception();
      if (!keepGoing) break;
    }
  }
  // A slot linked to a file whose own change failed would share it with that slot: it gets
  // its own copy.
  for (int i = 1; i <= kSlots; ++i) {
    const Source from = plan.source[k(i)];
    if (!p_.linksFiles() || plan.pending[k(i)] || plan.failed[k(i)] ||
        from.from != Source::From::Slot)
      continue;
    if (!plan.pending[k(from.slot)] && !plan.failed[k(from.slot)]) continue;
    try {
      p_.writeFile(files::slotFileName(i), texts(i).bytes());
    } catch (const platform::Error&) {
      at(Source::slotFile(i)).known = false;  // written again at the next save
    }
  }
  // Likewise a park that stays for the next save while its slot's file was not replaced.
  for (int r = 1; r <= kSlots && p_.linksFiles(); ++r) {
    FileState& parked = at(Source::park(r));
    if (!parked.known || !(plan.pending[k(r)] || plan.failed[k(r)])) continue;
    try {
      p_.writeFile(parkName(r), parked.held.bytes());
    } catch (const platform::Error&) {
      // It holds the right bytes all the same; only a program writing the slot file in place
      // would change it.
    }
  }
  removeParks(plan);
  if (failed) std::rethrow_exception(failed);
}

void SlotFileSync::sync(const Texts& texts, bool keepGoing) {
  Plan plan;
  if (!changes(texts, plan)) return;
  chooseSources(texts, plan);
  move(texts, plan, keepGoing);
}

}  // namespace history
