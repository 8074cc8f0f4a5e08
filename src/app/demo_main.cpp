// Scripted demonstration on the simulated desktop: starts the program in a data folder, lets
// another program copy a few texts, and prints what the panel shows after each step.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/program.h"
#include "files/slot_files.h"
#include "platform/sim/sim_desktop.h"

namespace {

// The terminal wants UTF-8: the exact text where a text has one, else its bytes decoded.
std::string utf8(const text::Text& t) {
  return t.hasExact() ? t.exact() : sim::simDecode(t.bytes());
}

void show(const char* step, sim::SimDesktop& desktop, app::Program& program) {
  app::MainForm& m = program.mainForm();
  std::printf("\n== %s\n", step);
  std::printf("caption : %s\n", utf8(m.form.caption()).c_str());
  std::printf("height  : %d\n", m.form.outerHeight());
  for (int i = 1; i <= files::kSlotCount; ++i) {
    const ui::Memo& memo = m.store().memo(i);
    if (!memo.visible()) continue;
    std::printf("  %c%s %s\n", history::SlotStore::letter(i), m.store().checked(i) ? "*" : " ",
                utf8(memo.text()).c_str());
  }
  std::printf("files   : %d written so far\n", desktop.totalWrites());
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path dir = argc > 1 ? argv[1] : "kolvex20-demo-data";
  sim::SimDesktop desktop(dir);
  desktop.syncWrites = false;
  sim::SimPlatform platform(desktop);
  app::Program program(platform);
  if (!program.start()) return 1;
  desktop.runPending();
  show("start", desktop, program);

  for (const char* text : {"first copied text", "second copied text", "first copied text"}) {
    desktop.otherCopiesText(text);
    desktop.advance(200);
    show((std::string("another program copies \"") + text + "\"").c_str(), desktop, program);
  }
  platform.trayIcon(platform::kWmLButtonDown);
  desktop.advance(100);
  show("left click on the tray icon", desktop, program);
  program.mainForm().store().box(1).setChecked(true);
  desktop.advance(600);
  show("slot A kept", desktop, program);

  platform.trayIcon(platform::kWmRButtonDown);
  if (ui::PopupMenu* menu = platform.openMenu()) platform.chooseMenuItem(*menu->items.front());
  show("closed from the tray menu", desktop, program);
  std::printf("\nThe slot files are in %s (text in the system code page, CP932).\n",
              std::filesystem::absolute(dir).c_str());
  return 0;
}
