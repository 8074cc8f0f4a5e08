#include "history/keep_marks.h"

namespace history {

namespace {
std::uint8_t& at(std::array<std::uint8_t, 21>& a, int i) {
  return a[static_cast<std::size_t>(i)];
}
}  // namespace

void KeepMarks::guardFrom(int from, int to) {
  for (int k = from; k <= to; ++k)
    at(marks_.keepGuard, k) = 1;
}

void KeepMarks::finish(bool colourPass) {
  store_.updateSlotRows();
  store_.openGuardWindow();
  if (colourPass) store_.requestColourPass();
}

// Texts of i+1..20 and checks move up one slot; the keep letters after i stay where they are.
void KeepMarks::release(int i) {
  for (int m = i; m < files::kSlotCount; ++m)
    store_.setText(m, store_.text(m + 1));
  store_.clearText(files::kSlotCount);
  store_.box(i).setChecked(store_.checked(i + 1));
  if (!store_.checked(i)) store_.setKeepLetter(i, false);
  for (int m = i + 1; m < files::kSlotCount; ++m)
    store_.box(m).setChecked(store_.checked(m + 1));
  store_.box(files::kSlotCount).setChecked(false);
  if (i == files::kSlotCount - 1) {
    // S released: T has just been emptied.
    store_.hideRow(files::kSlotCount);
  }
}

// Moves the text of i up to the first unkept slot before it, which becomes kept.
void KeepMarks::keep(int i) {
  const text::Text t = store_.text(i);
  store_.setText(i, store_.text(i - 1));
  for (int m = i - 1; m >= 2; --m)
    if (!store_.checked(m)) store_.setText(m, store_.text(m - 1));
  int j = 0;
  for (int k = 1; k < i && !j; ++k)
    if (!store_.checked(k)) j = k;
  if (j) {
    store_.setText(j, t);
    store_.box(j).setChecked(true);
    store_.setKeepLetter(j, true);
    store_.box(i).setChecked(false);
  } else {
    store_.setText(i, t);
    store_.setKeepLetter(i, true);
  }
}

void KeepMarks::checkBoxClick(int i) {
  marks_.clearSelection();
  store_.requestColourPass();
  if (i >= 2 && at(marks_.keepGuard, i - 1)) return;
  if (at(marks_.keepGuard, i)) {
    // Inside the guard window the box shows what its keep letter says.
    store_.box(i).setChecked(store_.hasKeepLetter(i));
    return;
  }

  if (i == 1) {
    guardFrom(1, files::kSlotCount);
    if (!store_.checked(1) && !store_.isEmpty(1) && store_.hasKeepLetter(1)) release(1);
    if (store_.checked(1) && !store_.isEmpty(1)) store_.setKeepLetter(1, true);
    if (store_.checked(1) && store_.isEmpty(1)) store_.box(1).setChecked(false);
    finish(true);
    return;
  }

  if (i == files::kSlotCount) {
    guardFrom(files::kSlotCount, files::kSlotCount);
    if (!store_.checked(i) && !store_.isEmpty(i) && store_.hasKeepLetter(i)) {
      store_.clearText(i);
      store_.setKeepLetter(i, false);
      store_.box(i).setChecked(false);
      store_.hideRow(i);
    }
  } else {
    guardFrom(i, files::kSlotCount);
    // A keep mark on an empty slot is refused.
    if (store_.checked(i) && store_.isEmpty(i)) store_.box(i).setChecked(false);
    if (!store_.checked(i) && !store_.isEmpty(i) && store_.hasKeepLetter(i)) release(i);
  }

  if (store_.checked(i) && !store_.isEmpty(i)) {
    keep(i);
    finish(true);
    return;
  }
  finish(false);
}

void KeepMarks::restore(int highestKept) {
  // A kept slot is never empty: restore no further than the filled slots reach.
  int k = 0;
  while (k < highestKept && !store_.isEmpty(k + 1))
    ++k;
  for (int i = 1; i <= k; ++i)
    store_.box(i).setChecked(true);
  // The first click opens the guard window, so the later boxes are only checked; give each its
  // keep letter so that releasing it later moves the kept run up as for any kept slot.
  for (int i = 1; i <= k; ++i)
    if (store_.checked(i)) store_.setKeepLetter(i, true);
}

}  // namespace history
