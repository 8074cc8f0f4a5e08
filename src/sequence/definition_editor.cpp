#include "sequence/definition_editor.h"

#include <string>
#include <utility>

#include "platform/platform.h"
#include "sequence/definition_lines.h"
#include "sequence/values.h"

namespace sequence {

DefinitionEditor::DefinitionEditor(Controls controls) : c_(controls) {}

void DefinitionEditor::buildKinds() {
  ui::ComboBox& kinds = *c_.kinds;
  kinds.clearItems();
  for (const std::string& item : kindItems(buffer().text().bytes()))
    kinds.addItem(item);
  kinds.setItemIndex(kStandardKind);
}

void DefinitionEditor::open() {
  const std::string& lines = buffer().text().bytes();
  // Captions of empty definitions stay as they are: an emptied definition was already given an
  // empty caption when it was stored.
  for (int n = 1; n <= kDefinitionCount; ++n) {
    std::string line = bufferLine(lines, n);
    if (isDefinitionLine(line)) radio(n).setCaption(text::Text::fromBytes(definitionLabel(line)));
  }
  c_.panel->show();
}

void DefinitionEditor::choose(int n) {
  ui::Memo& values = *c_.values;
  values.clear();
  if (!radio(n).caption().empty())
    values.setText(text::Text::fromBytes(editorText(bufferLine(buffer().text().bytes(), n))));
  c_.form->setFocus(&values);
}

void DefinitionEditor::store() {
  // A file not read at start is read first: the stored definition joins the file's others.
  const bool current = c_.file->current();
  ui::Memo& buffer = this->buffer();
  // Padding comes first and happens even with no definition chosen, so lines 1 to 10 exist.
  std::string padded = padDefinitionBuffer(buffer.text().bytes());
  if (padded != buffer.text().bytes()) buffer.setText(text::Text::fromBytes(std::move(padded)));
  const int n = checkedDefinition();
  if (n == 0) return;
  if (!current) throw c_.file->unreadable();
  // The box takes only characters of the code page: its bytes are the whole text.
  const std::string& edited = c_.values->text().bytes();
  radio(n).setCaption(text::Text::fromBytes(storedCaption(edited)));
  buffer.setText(text::Text::fromBytes(storeDefinition(buffer.text().bytes(), n, edited)));
  c_.file->save();
}

void DefinitionEditor::close() {
  // "設定終了" is a flat button and takes no focus, so the editor would not lose it by the
  // click: move it out here, which stores a pending edit before the kinds are rebuilt. A store
  // that fails to write ends the close with the editor still open.
  if (ui::Control* focused = c_.form->focused(); focused && focused->parent() == c_.panel)
    c_.form->setFocus(c_.kinds);
  c_.panel->hide();
  buildKinds();
  clearStartAndEnd();
}

void DefinitionEditor::chooseKind() {
  KindChoice choice = sequence::chooseKind(buffer().text().bytes(), c_.kinds->itemIndex());
  clearStartAndEnd();
  ui::ComboBox& start = *c_.start;
  for (const std::string& value : choice.items)
    start.addItem(value);
  if (choice.selectedIndex >= 0) start.setItemIndex(choice.selectedIndex);
  c_.end->setText(text::Text::fromBytes(choice.endText));
}

void DefinitionEditor::showCaptionHint(int n) {
  ui::RadioButton& r = radio(n);
  r.setHint(r.caption());
  r.setShowHint(true);
}

int DefinitionEditor::checkedDefinition() const {
  for (int n = 1; n <= kDefinitionCount; ++n)
    if (c_.radioButtons[static_cast<std::size_t>(n - 1)]->checked()) return n;
  return 0;
}

void DefinitionEditor::clearStartAndEnd() {
  c_.start->clearItems();
  c_.start->setText("");
  c_.end->clear();
}

}  // namespace sequence
