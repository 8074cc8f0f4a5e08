// A program on a fresh simulated desktop in its own temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "files/slot_files.h"
#include "platform/sim/sim_desktop.h"
#include "support/text_support.h"

namespace testing_support {

class SimFixture : public ::testing::Test {
 protected:
  SimFixture();
  ~SimFixture() override;

  // Writes the 21 files as a previous run would have left them (missing texts are empty).
  void writeSlotFiles(const std::vector<std::string>& texts, const std::string& ini = "");
  // Starts the program and lets the start-up messages settle.
  app::Program& start();
  // The program's process ends without closing (a kill) and it is started again.
  void killAndRestart();
  // Another program copies a text; the capture runs when the message arrives.
  void copy(const std::string& bytes);
  // As copy(), but only the notification is handled and no time is given: whatever time passes
  // is the program's own waiting.
  void copyAndHandleAtOnce(const std::string& bytes);
  std::string cp932(const char* utf8) const { return platform->encode(utf8); }
  std::string file(const std::string& name) const;
  std::string slotFile(int i) const { return file(files::slotFileName(i)); }

  app::MainForm& panel() { return program->mainForm(); }
  history::SlotStore& store() { return program->mainForm().store(); }
  const text::Text& slotText(int i) { return store().text(i); }
  std::vector<std::string> texts();  // slot texts A..T
  std::string clipboard() const;
  int errorCount() const { return static_cast<int>(desktop->errors().size()); }

  std::filesystem::path dir;
  std::unique_ptr<sim::SimDesktop> desktop;
  std::unique_ptr<sim::SimPlatform> platform;
  std::unique_ptr<app::Program> program;
};

}  // namespace testing_support
