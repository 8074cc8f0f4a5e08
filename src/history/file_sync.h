// The twenty slot files as a copy of the slots: what each file (and its companion, for a text
// the code page cannot say) holds, and bringing them all up to the slots' texts at once after
// every change. A text that moved to another slot is not written again: the file that holds it
// is linked into place, one atomic replace per file, so at every moment each file is whole and
// holds its old or its new text. A rotation (a keep moves a text up and the ones before it
// down) first parks one file under a name of its own.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files/slot_files.h"
#include "platform/platform.h"
#include "ui/text.h"

namespace history {

class SlotFileSync {
 public:
  explicit SlotFileSync(platform::Platform& p) : p_(p) {}

  enum class Found { Missing, Unreadable, Text };
  struct Loaded {
    Found found = Found::Missing;
    ui::Text text;
    // The file holds exactly the text (one whose line breaks were put right does not).
    bool asOnDisk = true;
  };
  // Reads slot i's file and its companion at start.
  Loaded load(int i) const;
  // The slot's text is now `t`, read from its file; asOnDisk when the file holds exactly it.
  void noteLoaded(int i, const ui::Text& t, bool asOnDisk);
  // The file exists but could not be read: it is never written while the slot still holds
  // `placeholder`, the text it kept at start, so the history in it is not destroyed.
  void noteUnreadable(int i, const ui::Text& placeholder);
  // Texts a kill left parked in the middle of a rotation (start-up); each may be the only copy
  // of a text.
  std::vector<ui::Text> parkedTexts() const;
  // Removes parked files, and companions that no slot file has a use for (start-up; all of them
  // at first start).
  void discardLeftovers();

  using Texts = std::function<const ui::Text&(int)>;
  // Every slot file comes to hold its slot's text, in order A..T where nothing moved; throws
  // platform::Error at the first file that cannot be written (the ones done stay done), or with
  // keepGoing after trying every other file.
  void sync(const Texts& texts, bool keepGoing = false);
  // A file removed behind the program's back is written again at the next sync.
  void noteRemovedFiles();
  // Slot i's file is known to hold t.
  bool holds(int i, const ui::Text& t) const {
    const FileState& f = files_[static_cast<std::size_t>(i)];
    return f.known && f.held.sameAs(t);
  }

 private:
  struct FileState {
    ui::Text held;  // what the file and its companion hold
    bool known = false;
    std::string companion;   // its name, while there is one
    std::uint64_t hash = 0;  // of the bytes, while there is a companion
    bool unread = false;
    ui::Text placeholder;
  };
  // Where a text comes from: the file of a slot (> 0), a parked file (< 0), or memory (0).
  void apply(int i, const ui::Text& t, int source);
  void park(int i);
  void removeParked();
  std::string sourceFile(int source) const;
  FileState& state(int i) { return files_[static_cast<std::size_t>(i)]; }

  platform::Platform& p_;
  std::array<FileState, files::kSlotCount + 1> files_{};
  std::array<FileState, files::kSlotCount + 1> parked_{};
  std::array<bool, files::kSlotCount + 1> isParked_{};
};

}  // namespace history
