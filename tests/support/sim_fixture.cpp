#include "support/sim_fixture.h"

#include <random>

namespace testing_support {

namespace fs = std::filesystem;

SimFixture::SimFixture() {
  std::random_device rd;
  dir = fs::temp_directory_path() / ("kolvex-test-" + std::to_string(rd()) + std::to_string(rd()));
  desktop = std::make_unique<sim::SimDesktop>(dir);
  // Tests never lose power: skip the flush to keep them quick.
  desktop->syncWrites = false;
  platform = std::make_unique<sim::SimPlatform>(*desktop);
}

SimFixture::~SimFixture() {
  program.reset();
  platform.reset();
  desktop.reset();
  std::error_code ec;
  fs::remove_all(dir, ec);
}

void SimFixture::writeSlotFiles(const std::vector<std::string>& slotTexts, const std::string& ini) {
  for (int i = 1; i <= files::kSlotCount; ++i) {
    const auto k = static_cast<std::size_t>(i - 1);
    desktop->putFile(files::slotFileName(i), k < slotTexts.size() ? slotTexts[k] : "");
  }
  desktop->putFile(files::kDefinitionFile, ini);
}

app::Program& SimFixture::start() {
  program = std::make_unique<app::Program>(*platform);
  EXPECT_TRUE(program->start());
  desktop->advance(100);
  return *program;
}

void SimFixture::killAndRestart() {
  program.reset();
  platform = std::make_unique<sim::SimPlatform>(*desktop);
  start();
  desktop->advance(600);
}

void SimFixture::copy(const std::string& bytes) {
  desktop->otherCopiesText(bytes);
  desktop->advance(100);
}

void SimFixture::copyAndHandleAtOnce(const std::string& bytes) {
  desktop->otherCopiesText(bytes);
  // The reader takes the copy once it has settled.
  desktop->advance(platform::kClipboardSettleMs);
}

std::string SimFixture::file(const std::string& name) const {
  auto bytes = desktop->fileBytes(name);
  EXPECT_TRUE(bytes.has_value()) << name;
  return bytes.value_or("<missing>");
}

std::vector<std::string> SimFixture::texts() {
  std::vector<std::string> out;
  for (int i = 1; i <= files::kSlotCount; ++i)
    out.push_back(slotText(i).bytes());
  return out;
}

std::string SimFixture::clipboard() const {
  if (desktop->clipboardKind() != sim::SimDesktop::ClipKind::Text) return {};
  const std::string& b = desktop->clipboardBytes();
  return b.substr(0, b.find('\0'));
}

}  // namespace testing_support
