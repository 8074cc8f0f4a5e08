#include "files/definition_file.h"

#include "files/slot_files.h"

namespace files {

void DefinitionFile::load() {
  const bool read = loadBox(p_, kDefinitionFile, buffer_);
  keepLineOnDisk_ = read ? std::optional(ui::textLine(buffer_.text().bytes(), 0)) : std::nullopt;
  // Written over, a file that is there but could not be read would lose its definitions.
  unread_ = !read && p_.fileExists(kDefinitionFile);
}

bool DefinitionFile::current() {
  if (!unread_) return true;
  if (loadBox(p_, kDefinitionFile, buffer_))
    keepLineOnDisk_ = ui::textLine(buffer_.text().bytes(), 0);
  else if (p_.fileExists(kDefinitionFile))
    return false;
  else
    keepLineOnDisk_.reset();
  unread_ = false;
  return true;
}

void DefinitionFile::saveKeepLine(const std::string& letter, bool everything) {
  if (unread_ && !everything) return;
  if (!current()) return;
  if (!everything && keepLineOnDisk_ == letter) return;
  buffer_.setText(text::Text::fromBytes(ui::replaceTextLine(buffer_.text().bytes(), 0, letter)));
  write();
}

void DefinitionFile::save() {
  if (unread_) throw unreadable();
  write();
}

platform::Error DefinitionFile::unreadable() const {
  return platform::Error(p_.encode("ファイル ") + kDefinitionFile +
                         p_.encode(" を読み込むことができません"));
}

void DefinitionFile::discardUnfinishedSave() {
  p_.discardUnfinishedWrite(kDefinitionFile);
}

void DefinitionFile::write() {
  // A failed write leaves the file as it was (files are replaced whole).
  saveBox(p_, kDefinitionFile, buffer_);
  keepLineOnDisk_ = ui::textLine(buffer_.text().bytes(), 0);
}

}  // namespace files
