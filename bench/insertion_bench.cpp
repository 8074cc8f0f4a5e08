// The insertion driver's cost, each measure next to a baseline doing the same unavoidable work in
// the same run without the driver:
// - one input event (a pointer move over the target field) handled by a running insertion,
//   against the same event delivered on the desktop while no run watches;
// - one insertion (the click, the clipboard write, the paste's four keys coming back), against
//   the same click, the same clipboard write and the same four keys with no run.
// The pauses the paste must make are virtual time on the simulated desktop and cost nothing here.
// Run: build/native/bench/kolvex_insertion_bench  (the ratios are printed at the end).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/program.h"
#include "files/slot_files.h"
#include "platform/sim/sim_desktop.h"
#include "ratio_reporter.h"

namespace {

namespace fs = std::filesystem;

constexpr platform::Rect kWindow{100, 100, 700, 500};
constexpr platform::Rect kField{110, 150, 600, 180};
constexpr platform::Point kInField{300, 165};

// The program running beside another program's window with a text field.
struct Desk {
  explicit Desk(const char* name)
      : dir(fs::temp_directory_path() / (std::string("kolvex-bench-") + name)), desktop(dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (int i = 1; i <= 20; ++i)
      desktop.putFile(files::slotFileName(i), i == 1 ? "slot A" : "");
    desktop.putFile(files::kDefinitionFile, "");
    desktop.syncWrites = false;
    other = desktop.createOtherWindow(kWindow);
    field = &desktop.createTextField(other, kField);
    desktop.activateOther(other);
    desktop.cursor = kInField;
    platform = std::make_unique<sim::SimPlatform>(desktop);
    program = std::make_unique<app::Program>(*platform);
    program->start();
    desktop.advance(200);
  }
  ~Desk() {
    program.reset();
    platform.reset();
    fs::remove_all(dir);
  }
  // The user's way to a continuous run 1～999 that repeats, armed over the field.
  void startRun() {
    platform->hotkey();
    desktop.advance(200);
    platform->click(program->mainForm().sequenceButton);
    desktop.advance(200);
    sequence::SettingsForm& s = program->settings();
    s.prefixEdit.userSetText(text::Text::fromBytes("No."));
    s.startCombo.userSetText("1");
    s.endEdit.userSetText(text::Text::fromBytes("999"));
    s.suffixEdit.userSetText(text::Text::fromBytes(")"));
    platform->click(s.continuousBox);
    platform->click(s.repeatBox);
    platform->click(s.startButton);
    desktop.advance(200);
    arm();
  }
  void arm() {
    desktop.userMoveMouse(kInField);
    desktop.userTap(17);
  }
  void emptyField() {
    field->text.clear();
    field->caret = field->anchor = 0;
    field->pastes.clear();
  }

  fs::path dir;
  sim::SimDesktop desktop;
  platform::WindowHandle other = 0;
  sim::SimDesktop::TextField* field = nullptr;
  std::unique_ptr<sim::SimPlatform> platform;
  std::unique_ptr<app::Program> program;
};

// --- one input event ---
void BM_InputEventThroughDriver(benchmark::State& state) {
  Desk d("event");
  d.startRun();
  int x = 0;
  for (auto _ : state)
    d.desktop.userMoveMouse({200 + (++x & 255), 165});
  if (!d.program->insertionDriver().running()) state.SkipWithError("the run was not on");
}
void BM_Baseline_InputEventNoRun(benchmark::State& state) {
  Desk d("eventbase");
  int x = 0;
  for (auto _ : state)
    d.desktop.userMoveMouse({200 + (++x & 255), 165});
}

// --- one insertion ---
void BM_Insertion(benchmark::State& state) {
  Desk d("insert");
  d.startRun();
  std::size_t pasted = 0;
  for (auto _ : state) {
    // The repeat's restart disarms once per 999 values.
    if (!d.program->state().insertion.insertArmed) d.arm();
    d.desktop.userClickAt(kInField);
    d.desktop.advance(600);
    pasted += d.field->pastes.size();
    d.emptyField();
  }
  if (pasted < static_cast<std::size_t>(state.iterations()))
    state.SkipWithError("not every click inserted");
}
void BM_Baseline_ClickWriteAndPasteKeys(benchmark::State& state) {
  Desk d("insertbase");
  // The capture treats the write as the driver's own, as it does during a run.
  d.program->state().insertion.insertArmed = true;
  int n = 0;
  for (auto _ : state) {
    d.desktop.userClickAt(kInField);
    d.platform->writeClipboardText(
        text::Text::fromBytes("No." + std::to_string(++n % 999 + 1) + ")"));
    for (auto [vk, up] : {std::pair{17, false}, {86, false}, {86, true}, {17, true}})
      d.platform->sendKey(vk, up);
    d.desktop.advance(600);
    d.emptyField();
  }
}

BENCHMARK(BM_InputEventThroughDriver)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Baseline_InputEventNoRun)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Insertion)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Baseline_ClickWriteAndPasteKeys)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  kolvex_bench::RatioReporter reporter(
      {
          {"BM_InputEventThroughDriver", "BM_Baseline_InputEventNoRun"},
          {"BM_Insertion", "BM_Baseline_ClickWriteAndPasteKeys"},
      },
      "");
  return kolvex_bench::runWithRatios(argc, argv, reporter);
}
