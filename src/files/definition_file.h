// Kolvex20.ini, the definition file: line 0 the keep state, lines 1..10 the sequence definitions.
// Its lines live in the main window's hidden buffer (definitionLines) from start to exit; this is
// the one place that reads the file into the buffer and writes the buffer back.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"
#include "ui/widgets.h"

namespace files {

class DefinitionFile {
 public:
  DefinitionFile(platform::Platform& p, ui::Memo& buffer) : p_(p), buffer_(buffer) {}
  DefinitionFile(const DefinitionFile&) = delete;
  DefinitionFile& operator=(const DefinitionFile&) = delete;

  ui::Memo& buffer() const { return buffer_; }

  // Start-up: the file into the buffer. A file that is there but cannot be read (another program
  // holds it) leaves the buffer as it is, and is never written over until it has been read.
  void load();
  // Whether the buffer is the file's: a file that could not be read at start is read again.
  // False while it still cannot be read.
  bool current();
  // Line 0 := the keep letter, and the file written when it does not hold that line yet. A save
  // of everything writes it in any case, and first reads again a file not read at start; other
  // saves leave such a file alone, since a read may wait up to a second for a held file.
  void saveKeepLine(const std::string& letter, bool everything);
  // The whole buffer at once (a definition was stored). Throws platform::Error while the file
  // could not be read, and when it cannot be written.
  void save();
  // The error that says the file could not be read.
  platform::Error unreadable() const;
  // Removes what a save interrupted by a crash or a kill left beside the file.
  void discardUnfinishedSave();

 private:
  void write();

  platform::Platform& p_;
  ui::Memo& buffer_;
  // Line 0 as the file holds it; nullopt when unknown (the file is not there yet).
  std::optional<std::string> keepLineOnDisk_;
  bool unread_ = false;
};

}  // namespace files
