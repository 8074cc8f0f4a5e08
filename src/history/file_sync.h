// The twenty slot files as a copy of the slots: what each file (and its companion, for a text
// the code page cannot say) holds, and bringing them all up to the slots' texts at once after
// every change. A text that moved to another slot is not written again: its file is linked
// (where the volume links files) or renamed into place, one atomic replace per file, so at every
// moment each file is whole and holds its old or its new text. A rotation (a keep moves a text
// up and the ones before it down) first parks one file under a name of its own. When a save
// ends, every slot file is its own file: a program that writes one in place changes no other.
//
// Where the volume has no links a rename leaves its source's name empty until the next rename
// fills it: such a save first writes down its renames (a small journal, flushed), and a start
// after a kill finishes them before it reads a slot file, so it shows the save whole.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/slot_files.h"
#include "platform/platform.h"
#include "text/text.h"

namespace history {

// Where a slot's new text comes from: memory (written), the file of another slot, or a park.
struct Source {
  enum class From : std::uint8_t { Memory, Slot, Park };
  From from = From::Memory;
  std::uint8_t slot = 0;
  bool operator==(const Source&) const = default;
  static Source slotFile(int i) { return {From::Slot, static_cast<std::uint8_t>(i)}; }
  static Source park(int i) { return {From::Park, static_cast<std::uint8_t>(i)}; }
};

class SlotFileSync {
 public:
  explicit SlotFileSync(platform::Platform& p) : p_(p) {}

  enum class Found { Missing, Unreadable, Text };
  struct Loaded {
    Found found = Found::Missing;
    text::Text text;
    // The file holds exactly the text (one whose line breaks were put right does not).
    bool asOnDisk = true;
  };
  // Reads slot i's file and its companion at start.
  Loaded load(int i) const;
  // The slot's text is now `t`, read from its file; asOnDisk when the file holds exactly it.
  void noteLoaded(int i, const text::Text& t, bool asOnDisk);
  // The file exists but could not be read: it is never written while the slot still holds
  // `placeholder`, the text it kept at start, so the history in it is not destroyed.
  void noteUnreadable(int i, const text::Text& placeholder);
  // Texts a kill left parked in the middle of a rotation (start-up); each may be the only copy
  // of a text. A park that a save had finished with but could not remove is not among them.
  std::vector<text::Text> parkedTexts() const;
  // Removes parked files, and companions that no slot file has a use for (start-up; all of them
  // at first start). Slot files that an earlier version left as one file under two names each
  // get a file of their own, so a program that writes one in place changes no other slot.
  void discardLeftovers();
  // Start-up, before any slot file is read: finishes the renames of a save that a kill cut
  // short. False when some are left that could not be done yet (the next save tries again).
  bool finishUnfinishedSave();

  using Texts = std::function<const text::Text&(int)>;
  // Every slot file comes to hold its slot's text, in order A..T where nothing moved; throws
  // platform::Error at the first file that cannot be written (the ones done stay done), or with
  // keepGoing after trying every other file. A text that has not reached its slot's file is
  // never only in memory because of the save: its old file stays parked until it does.
  void sync(const Texts& texts, bool keepGoing = false);
  // A file removed behind the program's back is written again at the next sync.
  void noteRemovedFiles();
  // Slot i's file is known to hold t.
  bool holds(int i, const text::Text& t) const {
    const FileState& f = at(Source::slotFile(i));
    return f.known && f.held.sameAs(t);
  }
  // Some slot's file does not hold its text yet (a save failed).
  bool pending(const Texts& texts) const;

 private:
  // What one file (a slot's or a park) and its companion hold.
  struct FileState {
    text::Text held;
    bool known = false;      // the file is there and holds `held`
    std::string companion;   // its name, while there is one
    std::uint64_t hash = 0;  // of the bytes, while there is a companion
    bool unread = false;     // a slot file that could not be read at start
    text::Text placeholder;
  };
  // One save: which slots change and where each one's text comes from.
  struct Plan {
    std::array<bool, files::kSlotCount + 1> pending{};
    std::array<bool, files::kSlotCount + 1> failed{};
    std::array<Source, files::kSlotCount + 1> source{};
  };

  // The three steps of a save.
  bool changes(const Texts& texts, Plan& plan) const;
  void chooseSources(const Texts& texts, Plan& plan) const;
  void move(const Texts& texts, Plan& plan, bool keepGoing);
  // The same where files cannot be linked: every moved file renamed, after a journal.
  void moveByRenames(const Texts& texts, Plan& plan, bool keepGoing);
  // Finishes the journal a kill or a failed rename left; throws while it cannot.
  void finishMoves();
  // The journal's renames are all done: it goes, and the files are known to hold their texts.
  void endMoves(const std::string& journal);

  // A slot still to be written, or one whose write failed, takes its text from this file.
  bool taken(const Plan& plan, Source file) const;
  // Slot i's companion for the text t (copied from the source's, or written), when t needs one.
  void writeCompanion(int i, const text::Text& t, const FileState* from, std::string& companion,
                      std::uint64_t& hash);
  void apply(int i, const text::Text& t, Source source);
  void park(int i);
  // Parks no slot takes its text from any more.
  void removeParks(const Plan& plan);
  std::string fileName(Source place) const;
  FileState& at(Source place);
  const FileState& at(Source place) const;

  platform::Platform& p_;
  // Slot files at 1..20, parks at 21..40.
  std::array<FileState, 2 * (files::kSlotCount + 1)> files_{};
  // A journal is on disk whose renames are not all done; what the files hold once they are, and
  // the companions then of no use.
  bool movesLeft_ = false;
  std::optional<std::vector<std::pair<Source, FileState>>> afterMoves_;
  std::vector<std::string> uselessAfterMoves_;
};

}  // namespace history
