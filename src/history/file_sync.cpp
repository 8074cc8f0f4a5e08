#include "history/file_sync.h"

#include <algorithm>
#include <optional>

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

// Where files cannot be linked, a save that moves texts renames files, and a rename leaves its
// source's name empty until the next one fills it. Such a save writes down its renames first:
// the journal, written whole and flushed before the first rename and removed after the last.
// Its first part parks one file of each rotation under the fresh name of the slot that takes its
// text; once they are done the journal takes its second name. The second part moves the files
// into place chain by chain, each chain from the slot whose old text leaves: no rename replaces
// a file that a later one of its part still takes, and each source is there until its own
// rename, so after a kill the last missing source tells how far a part had come. A new text
// whose slot's file moves on is written beforehand under the slot's fresh name. Both are written
// straight into their files, without a temporary to rename: a journal is followed only when it
// is whole (its last line), and a fresh name only after its journal.
struct Rename {
  std::string from, to;
};
struct Journal {
  std::array<std::vector<Rename>, 2> part;
};
const std::array<std::string, 2> kJournal = {"Kolvex20.moves1", "Kolvex20.moves2"};
constexpr std::string_view kJournalHeader = "Kolvex20 moves";

std::string freshName(int i) {
  return files::slotFileName(i) + ".in";
}

std::string journalText(const Journal& j) {
  std::string text = std::string(kJournalHeader) + "\r\n";
  for (std::size_t part = 0; part < j.part.size(); ++part)
    for (const Rename& r : j.part[part])
      text += std::to_string(part + 1) + ' ' + r.from + ' ' + r.to + "\r\n";
  return text + "end\r\n";
}

// Only names of the program's own files are renamed; a journal not whole is not followed.
std::optional<Journal> readJournal(std::string_view text) {
  auto ours = [](std::string_view n) {
    for (int i = 1; i <= kSlots; ++i)
      if (n == files::slotFileName(i) || n == freshName(i) || n == parkName(i)) return true;
    return false;
  };
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) return std::nullopt;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  if (lines.size() < 2 || lines.front() != kJournalHeader || lines.back() != "end")
    return std::nullopt;
  Journal j;
  std::vector<std::string_view> from, to;
  for (std::size_t l = 1; l + 1 < lines.size(); ++l) {
    const std::string_view line = lines[l];
    const std::size_t space = line.find(' ', 2);
    if (line.size() < 2 || (line[0] != '1' && line[0] != '2') || line[1] != ' ' ||
        space == std::string_view::npos)
      return std::nullopt;
    const std::string_view a = line.substr(2, space - 2), b = line.substr(space + 1);
    if (!ours(a) || !ours(b) || std::find(from.begin(), from.end(), a) != from.end() ||
        std::find(to.begin(), to.end(), b) != to.end())
      return std::nullopt;
    from.push_back(a);
    to.push_back(b);
    j.part[line[0] == '1' ? 0 : 1].push_back({std::string(a), std::string(b)});
  }
  return j;
}

// The renames of one part, all of them or, after a kill, those after the last one done.
void renameAll(platform::Platform& p, const std::vector<Rename>& part, bool resume) {
  std::size_t next = 0;
  for (std::size_t j = part.size(); resume && j-- > 0;)
    if (!p.fileExists(part[j].from)) {
      next = j + 1;
      break;
    }
  for (; next < part.size(); ++next)
    p.moveFile(part[next].to, part[next].from);
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
  const bool links = p_.linksFiles();
  for (int i = 1; i <= kSlots; ++i) {
    at(Source::park(i)) = {};
    // A kill inside a keep's save may leave the temporary of a park, its companion or its mark.
    for (const std::string& name : {parkName(i), parkCompanionName(i), goneMark(i)})
      p_.discardUnfinishedWrite(name);
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
    FileState& f = at(Source::slotFile(i));
    if (f.known && links && p_.fileLinkCount(files::slotFileName(i)) > 1) try {
        p_.writeFile(files::slotFileName(i), f.held.bytes());
      } catch (const platform::Error&) {
        f.known = false;  // written at the next save
      }
    // The companion of a file that could not be read may well be its own.
    if (f.unread) continue;
    for (const std::string& name : p_.listFiles(files::companionPrefix(i))) {
      if (files::companionHash(i, name) && name != f.companion) p_.removeFile(name);
      const std::string_view written = std::string_view(name).substr(0, name.size() - 4);
      if (name.ends_with(".tmp") && files::companionHash(i, written))
        p_.discardUnfinishedWrite(written);
    }
  }
}

bool SlotFileSync::finishUnfinishedSave() {
  for (const std::string& name : kJournal)
    p_.discardUnfinishedWrite(name);
  movesLeft_ = p_.fileExists(kJournal[0]) || p_.fileExists(kJournal[1]);
  try {
    if (movesLeft_) finishMoves();
  } catch (const platform::Error&) {
    return false;  // the next save tries again
  }
  // New texts a kill left written before their journal was.
  for (int i = 1; i <= kSlots; ++i) {
    p_.discardUnfinishedWrite(freshName(i));
    p_.removeFile(freshName(i));
  }
  return true;
}

void SlotFileSync::finishMoves() {
  const bool first = p_.fileExists(kJournal[0]);
  const std::string& name = kJournal[first ? 0 : 1];
  if (first || p_.fileExists(name)) {
    const std::optional<std::string> text = p_.readFile(name);
    if (!text)
      throw platform::FileError(p_.encode("ファイル ") + name + p_.encode(" を読み込めません"));
    const std::optional<Journal> journal = readJournal(*text);
    if (!journal) {
      // Not whole: its write failed, and not one of its renames was made. A later save's may be
      // there beside it.
      if (!p_.removeFile(name))
        throw platform::FileError(p_.encode("ファイル ") + name + p_.encode(" を削除できません"));
      finishMoves();
      return;
    }
    if (first) {
      renameAll(p_, journal->part[0], true);
      p_.moveFile(kJournal[1], kJournal[0]);
    }
    renameAll(p_, journal->part[1], true);
    endMoves(first ? kJournal[1] : name);
    return;
  }
  endMoves({});
}

void SlotFileSync::endMoves(const std::string& journal) {
  if (!journal.empty() && !p_.removeFile(journal))
    throw platform::FileError(p_.encode("ファイル ") + journal + p_.encode(" を削除できません"));
  movesLeft_ = false;
  if (!afterMoves_) {
    // Left by an earlier run: what the files hold now is read nowhere, so each is written again.
    for (int i = 1; i <= kSlots; ++i)
      at(Source::slotFile(i)).known = false;
    return;
  }
  for (auto& [place, state] : *afterMoves_)
    at(place) = std::move(state);
  afterMoves_.reset();
  for (const std::string& companion : uselessAfterMoves_)
    p_.removeFile(companion);
  uselessAfterMoves_.clear();
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

void SlotFileSync::writeCompanion(int i, const text::Text& t, const FileState* from,
                                  std::string& companion, std::uint64_t& hash) {
  if (!t.hasExact()) return;
  hash = from ? from->hash : files::bytesHash(t.bytes());
  companion = files::companionName(i, hash);
  if (from && !from->companion.empty())
    p_.replaceFileWithCopyOf(companion, from->companion);
  else
    p_.writeFile(companion, files::companionContent(t.bytes(), t.exact()));
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
  writeCompanion(i, t, from, companion, hash);
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

void SlotFileSync::moveByRenames(const Texts& texts, Plan& plan, bool keepGoing) {
  // The slot each moving file's text goes to.
  std::array<int, kSlots + 1> goesTo{};
  for (int i = 1; i <= kSlots; ++i)
    if (plan.pending[k(i)] && plan.source[k(i)].from == Source::From::Slot)
      goesTo[k(plan.source[k(i)].slot)] = i;
  // A new text whose slot's file no other slot takes is written in place at once, as where files
  // are linked.
  std::exception_ptr failed;
  for (int i = 1; i <= kSlots; ++i) {
    if (!plan.pending[k(i)] || plan.source[k(i)].from != Source::From::Memory || goesTo[k(i)])
      continue;
    try {
      apply(i, texts(i), {});
      plan.pending[k(i)] = false;
    } catch (const platform::Error&) {
      if (!keepGoing) throw;
      if (!failed) failed = std::current_exception();
    }
  }
  std::vector<int> moved;
  for (int i = 1; i <= kSlots; ++i)
    if (plan.pending[k(i)] &&
        !(failed && plan.source[k(i)].from == Source::From::Memory && !goesTo[k(i)]))
      moved.push_back(i);
  if (moved.empty()) {
    if (failed) std::rethrow_exception(failed);
    return;
  }
  // Before the journal: the companions of the new bytes, and the new texts that take the place
  // of a moving file under their fresh names. A kill until the journal is whole changes nothing.
  std::vector<std::pair<Source, FileState>> after;
  std::vector<std::string> useless;
  std::array<std::string, kSlots + 1> from{};
  std::array<int, kSlots + 1> fromSlot{};
  for (int i : moved) {
    const Source source = plan.source[k(i)];
    const FileState* was = source.from == Source::From::Memory ? nullptr : &at(source);
    const text::Text& t = texts(i);
    FileState f;
    f.held = t;
    f.known = true;
    writeCompanion(i, t, was, f.companion, f.hash);
    const FileState& old = at(Source::slotFile(i));
    if (!old.companion.empty() && old.companion != f.companion) useless.push_back(old.companion);
    if (source.from == Source::From::Memory) {
      p_.writeFileInPlace(freshName(i), t.bytes());
      from[k(i)] = freshName(i);
    } else if (source.from == Source::From::Park) {
      from[k(i)] = parkName(source.slot);
      if (!was->companion.empty()) useless.push_back(was->companion);
      after.emplace_back(source, FileState{});
    } else {
      from[k(i)] = files::slotFileName(source.slot);
      fromSlot[k(i)] = source.slot;
    }
    after.emplace_back(Source::slotFile(i), std::move(f));
  }
  Journal journal;
  std::array<bool, kSlots + 1> done{};
  auto chain = [&](int head) {
    for (int i = head; i && !done[k(i)]; i = fromSlot[k(i)]) {
      done[k(i)] = true;
      journal.part[1].push_back({from[k(i)], files::slotFileName(i)});
    }
  };
  for (int i : moved)
    if (!goesTo[k(i)]) chain(i);
  // What is left are rotations: the highest file of each is parked under the fresh name of the
  // slot that takes its text (a slot A without its file would read as a first start).
  for (int i : moved) {
    if (done[k(i)]) continue;
    int top = i;
    for (int j = fromSlot[k(i)]; j != i; j = fromSlot[k(j)])
      top = std::max(top, j);
    const int to = goesTo[k(top)];
    journal.part[0].push_back({files::slotFileName(top), freshName(to)});
    from[k(to)] = freshName(to);
    fromSlot[k(to)] = 0;
    chain(top);
  }
  const bool parks = !journal.part[0].empty();
  p_.writeFileInPlace(kJournal[parks ? 0 : 1], journalText(journal));
  // From here on the files hold their new texts once the journal is done, whenever that is.
  movesLeft_ = true;
  for (const auto& [place, state] : after)
    at(place) = {};
  afterMoves_ = std::move(after);
  uselessAfterMoves_ = std::move(useless);
  for (int i : moved)
    plan.pending[k(i)] = false;
  renameAll(p_, journal.part[0], false);
  if (parks) p_.moveFile(kJournal[1], kJournal[0]);
  renameAll(p_, journal.part[1], false);
  endMoves(kJournal[1]);
  if (failed) std::rethrow_exception(failed);
}

void SlotFileSync::sync(const Texts& texts, bool keepGoing) {
  // A journal a failed rename left is finished first: until then no file can be relied on.
  if (movesLeft_) finishMoves();
  Plan plan;
  if (!changes(texts, plan)) return;
  chooseSources(texts, plan);
  if (p_.linksFiles()) {
    move(texts, plan, keepGoing);
    return;
  }
  moveByRenames(texts, plan, keepGoing);
  removeParks(plan);
}

}  // namespace history
