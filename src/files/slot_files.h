// The 21 files that hold the history and the definitions: exact bytes of each box's text.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "ui/widgets.h"

namespace files {

inline constexpr int kSlotCount = 20;
inline constexpr const char* kDefinitionFile = "Kolvex20.ini";

// "Kolvex1.txt" .. "Kolvex20.txt".
std::string slotFileName(int slot);

// The text a box takes from a file's bytes: it ends at the first zero byte, and every lone CR,
// lone LF and CR LF becomes CR LF; the two bytes of a double-byte character stay together.
std::string normalizeLoadedText(std::string bytes, const platform::Platform& p);

// Load a file as the box's whole text; false (box untouched) when it cannot be read.
bool loadBox(platform::Platform& p, std::string_view fileName, ui::TextBox& box);
// Save the box's exact text; throws platform::Error when the file cannot be written.
void saveBox(platform::Platform& p, std::string_view fileName, const ui::TextBox& box);

// Removes the temporary files that saves of the slot files interrupted by a crash or a kill left
// behind; the files themselves always hold their old or their new bytes.
void discardUnfinishedSaves(platform::Platform& p);

}  // namespace files
