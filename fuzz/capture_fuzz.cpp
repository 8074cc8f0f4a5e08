// Capture of arbitrary clipboard contents on the simulated desktop, from a store that starts
// empty, part filled or full (with a kept run). After every step the slots must agree with a
// plain model of the capture rule, keep their invariants (filled run from A, kept run from A, no
// kept empty slot, a row shown exactly for each filled slot), and every slot file must hold
// exactly its slot's text (with the exact form beside it, for a Unicode text the code page
// cannot say). Texts marked private never enter the model, so they may appear in no slot and no
// file.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program.h"
#include "files/companion.h"
#include "files/slot_files.h"
#include "platform/sim/sim_desktop.h"

namespace {

namespace fs = std::filesystem;
using Format = sim::SimDesktop::ClipFormat;

[[noreturn]] void fail(const char* what, int slot = 0) {
  std::fprintf(stderr, "capture_fuzz: %s (slot %d)\n", what, slot);
  std::abort();
}

const fs::path& workDir() {
  static const fs::path dir = [] {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path d = base / ("kolvex-capture-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(d);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(workDir(), ec);
    });
    return d;
  }();
  return dir;
}

// The capture rule, stated plainly.
struct Model {
  std::array<text::Text, files::kSlotCount + 1> text;
  std::array<bool, files::kSlotCount + 1> kept{};
  // The slot the caption names after the last capture; 0: caption empty; -1: left as it was;
  // kBare: the text alone, in no slot.
  static constexpr int kBare = -2;
  int captionSlot = -1;
  text::Text captionText;

  void capture(const text::Text& t) {
    if (t.empty()) {
      captionSlot = 0;
      return;
    }
    for (int i = 1; i <= files::kSlotCount; ++i)
      if (text[i] == t) return name(i, t);
    for (int k = 1; k <= files::kSlotCount; ++k)
      if (text[k].empty()) {
        text[k] = t;
        return name(k, t);
      }
    for (int i = 1; i < files::kSlotCount; ++i)
      if (!kept[i]) text[i] = text[i + 1];
    if (kept[files::kSlotCount]) {
      // Everything kept: t is not stored; the caption shows it without a slot letter.
      captionSlot = kBare;
      captionText = t;
      return;
    }
    text[files::kSlotCount] = t;
    name(files::kSlotCount, t);
  }
  void name(int i, const text::Text& t) {
    captionSlot = i;
    captionText = t;
  }
};

bool markedPrivate(const std::vector<Format>& formats) {
  bool permissionSeen = false, refused = false;
  for (const Format& f : formats) {
    if (f.name == platform::kExcludeFromMonitorFormat || f.name == platform::kViewerIgnoreFormat)
      return true;
    if (f.name == platform::kHistoryPermissionFormat) {
      permissionSeen = true;
      refused = f.data.size() < 4 ||
                (f.data[0] == 0 && f.data[1] == 0 && f.data[2] == 0 && f.data[3] == 0);
    }
  }
  return permissionSeen && refused;
}

std::vector<Format> marks(FuzzedDataProvider& in) {
  static const char* const names[] = {platform::kExcludeFromMonitorFormat,
                                      platform::kViewerIgnoreFormat,
                                      platform::kHistoryPermissionFormat, "Rich Text Format"};
  std::vector<Format> out;
  const int n = in.ConsumeIntegralInRange(1, 2);
  for (int i = 0; i < n; ++i) {
    const char* name = names[in.ConsumeIntegralInRange(0, 3)];
    // The first format of a kind is the one a reader finds; keep kinds unique.
    bool dup = false;
    for (const Format& f : out)
      dup = dup || f.name == name;
    if (dup) continue;
    out.push_back({name, in.ConsumeBytesAsString(in.ConsumeIntegralInRange(0, 6))});
  }
  return out;
}

// The text a copy of these bytes by a program that writes code page bytes gives.
text::Text bytesCopy(const std::string& t) {
  return text::Text::fromBytes(t.substr(0, t.find('\0')));
}

void check(sim::SimPlatform& platform, app::Program& program, const Model& m,
           const text::Text& colon) {
  history::SlotStore& s = program.mainForm().store();
  bool emptySeen = false, unkeptSeen = false;
  for (int i = 1; i <= files::kSlotCount; ++i) {
    if (!(s.text(i) == m.text[i])) fail("slot text differs from the capture rule", i);
    if (s.checked(i) != m.kept[i]) fail("keep mark changed", i);
    const bool empty = s.isEmpty(i);
    if (!empty && emptySeen) fail("filled slot after an empty one", i);
    if (s.checked(i) && unkeptSeen) fail("kept slot after an unkept one", i);
    if (s.checked(i) && empty) fail("kept empty slot", i);
    emptySeen = emptySeen || empty;
    unkeptSeen = unkeptSeen || !s.checked(i);
    if (s.memo(i).visible() == empty || s.box(i).visible() == empty ||
        program.mainForm().letterButtons[static_cast<std::size_t>(i)]->visible() == empty)
      fail("row shown for an empty slot or hidden for a filled one", i);
    // The bytes exactly (a start would put a lone line break right), and the exact form beside
    // them exactly when the text has one.
    const auto bytes = platform.desktop().fileBytes(files::slotFileName(i));
    if (!bytes || *bytes != m.text[i].bytes()) fail("slot file differs from its slot", i);
    const auto companion =
        platform.desktop().fileBytes(files::companionName(i, files::bytesHash(*bytes)));
    const auto exact = companion ? files::companionExact(*companion, *bytes) : std::nullopt;
    if (exact.value_or("") != m.text[i].exact()) fail("exact form beside the file differs", i);
  }
  const text::Text& caption = program.mainForm().form.caption();
  if (m.captionSlot == 0 && !caption.empty()) fail("caption not emptied");
  const text::Text letter =
      text::Text::fromBytes(std::string(1, history::SlotStore::letter(std::max(1, m.captionSlot))));
  if (m.captionSlot > 0 && !(caption == platform.join({&letter, &colon, &m.captionText})))
    fail("caption does not name the slot", m.captionSlot);
  if (m.captionSlot == Model::kBare && !(caption == m.captionText))
    fail("caption does not show the text the history could not take");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const fs::path& dir = workDir();
  sim::SimDesktop desktop(dir);
  desktop.syncWrites = false;

  // Starting store: N filled slots, the first K of them kept.
  Model m;
  const int filled =
      in.ConsumeBool() ? files::kSlotCount : in.ConsumeIntegralInRange(0, files::kSlotCount);
  const int kept = in.ConsumeIntegralInRange(0, filled);
  for (int i = 1; i <= files::kSlotCount; ++i) {
    m.text[i] = text::Text::fromBytes(i <= filled ? "s" + std::to_string(i) : "");
    m.kept[i] = i <= kept;
    desktop.putFile(files::slotFileName(i), m.text[i].bytes());
  }
  desktop.putFile(files::kDefinitionFile,
                  kept ? std::string(1, history::SlotStore::letter(kept)) : std::string());

  sim::SimPlatform platform(desktop);
  app::Program program(platform);
  if (!program.start()) fail("program did not start");
  desktop.advance(600);  // past the keep-mark guard window of the restore
  const text::Text colon = platform.fromUtf8("：");
  check(platform, program, m, colon);

  for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
      case 0: {  // plain text, any bytes (zero bytes and lone lead bytes included)
        std::string t = in.ConsumeRandomLengthString(4096);
        desktop.otherCopiesText(t);
        m.capture(bytesCopy(t));
        break;
      }
      case 1: {  // text with marks: private or not by the marks
        std::vector<Format> f = marks(in);
        std::string t = in.ConsumeRandomLengthString(512);
        const bool priv = markedPrivate(f);
        desktop.otherCopiesMarkedText(t, std::move(f));
        m.capture(priv ? text::Text() : bytesCopy(t));
        break;
      }
      case 2: {  // a long text: a chunk repeated, up to 256 KiB
        std::string chunk = in.ConsumeRandomLengthString(64);
        const int times = in.ConsumeIntegralInRange(1, 16384);
        std::string t;
        if (!chunk.empty())
          for (int i = 0; i < times && t.size() < (1u << 18); ++i)
            t += chunk;
        desktop.otherCopiesText(t);
        m.capture(bytesCopy(t));
        break;
      }
      case 3:  // an image or files: no text
        desktop.otherCopiesNonText();
        m.capture({});
        break;
      case 4:  // emptied by another program
        desktop.otherEmptiesClipboard();
        m.capture({});
        break;
      case 5: {  // recall of a filled slot: its own write is recognised, nothing moves
        const int i = in.ConsumeIntegralInRange(1, files::kSlotCount);
        ui::SpeedButton& letter = *program.mainForm().letterButtons[static_cast<std::size_t>(i)];
        if (m.text[i].empty() || !letter.usable()) continue;
        platform.click(letter);
        m.capture(m.text[i]);
        m.name(i, m.text[i]);
        break;
      }
      case 7: {  // a Unicode program's copy: bytes of the code page, the exact form beside them
        std::string u = in.ConsumeRandomLengthString(256);
        if (in.ConsumeBool()) u += "é😀〜";
        desktop.otherCopiesUnicode(u);
        m.capture(platform.fromUtf8(u.substr(0, u.find('\0'))));
        break;
      }
      case 6: {  // a copy another reader holds for a moment: waited out and stored, no box
        std::string t = in.ConsumeRandomLengthString(64);
        desktop.otherCopiesText(t);
        desktop.otherHoldsClipboard(true);
        desktop.advance(100);
        desktop.otherHoldsClipboard(false);
        m.capture(bytesCopy(t));
        break;
      }
    }
    desktop.advance(100);
    check(platform, program, m, colon);
  }
  if (!desktop.errors().empty()) fail("an error box");
  program.shutdown();
  return 0;
}
