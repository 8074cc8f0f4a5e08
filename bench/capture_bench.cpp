// Capture and start-up with twenty 1 MiB slot texts, each next to a baseline doing the same
// unavoidable work with plain means in the same run: writing the same bytes to the same number of
// files with stdio and the same flush to disk, comparing the same bytes with memcmp, reading the
// same files. Run: build/native/bench/kolvex_bench  (the ratios are printed at the end).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "files/slot_files.h"
#include "platform/sim/sim_desktop.h"
#include "ratio_reporter.h"

namespace {

namespace fs = std::filesystem;
constexpr std::size_t kMiB = 1 << 20;

// A 1 MiB text of CR LF lines. Texts made with different seeds differ only near the end, so a
// comparison has to look at almost every byte (the worst case, used where recognising a text is
// what is measured); distinct() texts differ from the first byte on, as different copies do.
std::string text(int seed) {
  std::string t;
  t.reserve(kMiB);
  while (t.size() < kMiB)
    t += "clipboard history line with some words in it 0123456789\r\n";
  t.resize(kMiB);
  std::string tag = "#" + std::to_string(seed);
  t.replace(kMiB - tag.size(), tag.size(), tag);
  return t;
}

std::string distinct(int seed) {
  std::string t = text(seed);
  std::string tag = std::to_string(seed) + ":";
  t.replace(0, tag.size(), tag);
  return t;
}

fs::path freshDir(const char* name) {
  fs::path d = fs::temp_directory_path() / (std::string("kolvex-bench-") + name);
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

// The program started in a folder whose slot files hold texts 1..filled.
struct Running {
  Running(const char* name, int filled, std::string (*make)(int))
      : dir(freshDir(name)), desktop(dir) {
    for (int i = 1; i <= 20; ++i)
      desktop.putFile(files::slotFileName(i), i <= filled ? make(i) : "");
    desktop.putFile(files::kDefinitionFile, "");
    platform = std::make_unique<sim::SimPlatform>(desktop);
    program = std::make_unique<app::Program>(*platform);
    program->start();
    desktop.runPending();
  }
  ~Running() {
    program.reset();
    platform.reset();
    fs::remove_all(dir);
  }
  void copy(const std::string& t) {
    desktop.otherCopiesText(t);
    desktop.runPending();
  }
  fs::path dir;
  sim::SimDesktop desktop;
  std::unique_ptr<sim::SimPlatform> platform;
  std::unique_ptr<app::Program> program;
};

void stdioWrite(const fs::path& file, const std::string& bytes) {
  std::FILE* f = std::fopen(file.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fflush(f);
  ::fsync(fileno(f));
  std::fclose(f);
}

// --- a new text into a free slot: one file written ---
void BM_CaptureIntoFreeSlot(benchmark::State& state) {
  Running r("free", 19, distinct);
  const std::string fresh = distinct(100);
  for (auto _ : state) {
    state.PauseTiming();
    r.program->mainForm().store().clearText(20);
    r.desktop.otherEmptiesClipboard();
    r.desktop.runPending();
    state.ResumeTiming();
    r.copy(fresh);
  }
}
void BM_Baseline_WriteOneFile(benchmark::State& state) {
  fs::path d = freshDir("base1");
  const std::string fresh = distinct(100);
  for (auto _ : state)
    stdioWrite(d / "Kolvex20.txt", fresh);
  fs::remove_all(d);
}

// --- a text that slot T already holds: twenty comparisons, nothing written ---
void BM_RecognizeDuplicate(benchmark::State& state) {
  Running r("dup", 20, text);
  const std::string again = text(20);
  for (auto _ : state)
    r.copy(again);
}
void BM_Baseline_Memcmp20(benchmark::State& state) {
  std::vector<std::string> slots;
  for (int i = 1; i <= 20; ++i)
    slots.push_back(text(i));
  const std::string again = text(20);
  for (auto _ : state) {
    int found = 0;
    for (int i = 0; i < 20 && !found; ++i)
      if (std::memcmp(slots[static_cast<std::size_t>(i)].data(), again.data(), kMiB) == 0)
        found = i + 1;
    benchmark::DoNotOptimize(found);
  }
}

// --- a new text into a full store: nineteen texts move, twenty files written ---
void BM_FullStoreShift(benchmark::State& state) {
  Running r("full", 20, distinct);
  int seed = 1000;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string fresh = distinct(++seed);
    state.ResumeTiming();
    r.copy(fresh);
  }
}
void BM_Baseline_WriteTwentyFiles(benchmark::State& state) {
  fs::path d = freshDir("base20");
  std::vector<std::string> slots;
  for (int i = 1; i <= 20; ++i)
    slots.push_back(text(i));
  for (auto _ : state)
    for (int i = 1; i <= 20; ++i)
      stdioWrite(d / files::slotFileName(i), slots[static_cast<std::size_t>(i - 1)]);
  fs::remove_all(d);
}

// --- large texts: the full-store shift moves files, it does not rewrite them ---
std::string large(int seed) {
  std::string t = std::to_string(seed) + ":";
  while (t.size() < 5 * kMiB)
    t += "a line of a large log file 0123456789\r\n";
  return t;
}

// Twenty 5 MiB texts; each copy of a small text shifts nineteen of them (slot T is given a large
// text again, untimed, so that every shift moves twenty large texts).
void BM_FullStoreShift20x5MiB(benchmark::State& state) {
  Running r("shift5", 20, large);
  const std::string refill = large(99);
  int seed = 0;
  for (auto _ : state) {
    r.copy("small " + std::to_string(++seed));
    state.PauseTiming();
    r.program->mainForm().store().setText(20, text::Text::fromBytes(refill + std::to_string(seed)));
    r.program->mainForm().store().syncFiles();
    state.ResumeTiming();
  }
}
void BM_Baseline_RenameTwentyFiles(benchmark::State& state) {
  fs::path d = freshDir("rename20");
  for (int i = 1; i <= 20; ++i)
    stdioWrite(d / ("a" + std::to_string(i)), "x");
  bool there = false;
  for (auto _ : state) {
    for (int i = 1; i <= 20; ++i) {
      const std::string n = std::to_string(i);
      fs::rename(d / ((there ? "b" : "a") + n), d / ((there ? "a" : "b") + n));
    }
    there = !there;
  }
  fs::remove_all(d);
}

// Fifteen small texts and five of 5 MiB: a small copy into the full store.
std::string smallOrLarge(int i) {
  return i <= 15 ? "small " + std::to_string(i) : large(i);
}
void BM_CaptureFullWithFiveLarge(benchmark::State& state) {
  Running r("five5", 20, smallOrLarge);
  int seed = 0;
  for (auto _ : state) {
    r.copy("new " + std::to_string(++seed));
    if (seed % 14 == 0) {
      // The large texts have moved up to slots B..F: back to the starting layout, untimed.
      state.PauseTiming();
      for (int i = 1; i <= 20; ++i)
        r.program->mainForm().store().setText(
            i, text::Text::fromBytes(smallOrLarge(i) + "#" + std::to_string(seed)));
      r.program->mainForm().store().syncFiles();
      state.ResumeTiming();
    }
  }
}
void BM_Baseline_WriteOneSmallFile(benchmark::State& state) {
  fs::path d = freshDir("small1");
  for (auto _ : state)
    stdioWrite(d / "Kolvex20.txt", "new 1");
  fs::remove_all(d);
}

// --- the panel's own changes of a full store of 1 MiB texts, saved at once: a deletion moves
// nineteen files up by links and empties the last; a keep of slot T moves its text to A and
// the others down one slot (one file parked, twenty linked) and writes the keep state ---
void deleteSlot(Running& r, int i) {
  r.platform->rightPress(r.program->mainForm().store().memo(i));
  r.desktop.confirmAnswers.push_back(true);
  r.platform->chooseMenuItem(r.program->mainForm().deleteItem);
}
void BM_DeleteSave(benchmark::State& state) {
  Running r("delete", 20, distinct);
  r.desktop.syncWrites = true;
  int seed = 2000;
  for (auto _ : state) {
    deleteSlot(r, 1);
    state.PauseTiming();
    r.copy(distinct(++seed));  // the store full again
    r.desktop.advance(600);
    state.ResumeTiming();
  }
}
void BM_KeepSave(benchmark::State& state) {
  Running r("keep", 20, distinct);
  r.desktop.syncWrites = true;
  int seed = 3000;
  history::SlotStore& store = r.program->mainForm().store();
  for (auto _ : state) {
    const text::Text t = store.text(20);
    r.platform->click(store.box(20));
    state.PauseTiming();
    if (!store.checked(1) || !(store.text(1) == t)) state.SkipWithError("the keep did not happen");
    r.desktop.advance(600);
    r.platform->click(r.program->mainForm().store().box(1));  // released: its text is gone
    r.desktop.advance(600);
    r.copy(distinct(++seed));
    r.desktop.advance(600);
    state.ResumeTiming();
  }
}

// --- start-up: 21 files of 1 MiB loaded ---
void BM_StartupLoad(benchmark::State& state) {
  fs::path d = freshDir("start");
  {
    sim::SimDesktop desktop(d);
    for (int i = 1; i <= 20; ++i)
      desktop.putFile(files::slotFileName(i), text(i));
    desktop.putFile(files::kDefinitionFile, text(21));
  }
  for (auto _ : state) {
    sim::SimDesktop desktop(d);
    sim::SimPlatform platform(desktop);
    app::Program program(platform);
    program.start();
    benchmark::DoNotOptimize(program.mainForm().store().text(20).size());
  }
  fs::remove_all(d);
}
void BM_Baseline_ReadTwentyOneFiles(benchmark::State& state) {
  fs::path d = freshDir("startbase");
  std::vector<fs::path> files;
  {
    sim::SimDesktop desktop(d);
    for (int i = 1; i <= 20; ++i)
      desktop.putFile(files::slotFileName(i), text(i));
    desktop.putFile(files::kDefinitionFile, text(21));
  }
  for (int i = 1; i <= 20; ++i)
    files.push_back(d / files::slotFileName(i));
  files.push_back(d / files::kDefinitionFile);
  // The texts are kept, as a load keeps them: 21 MiB held at once.
  for (auto _ : state) {
    std::vector<std::string> texts;
    for (const fs::path& f : files) {
      std::FILE* in = std::fopen(f.c_str(), "rb");
      std::string bytes(kMiB, '\0');
      std::size_t n = std::fread(bytes.data(), 1, bytes.size(), in);
      std::fclose(in);
      benchmark::DoNotOptimize(n);
      texts.push_back(std::move(bytes));
    }
    benchmark::DoNotOptimize(texts.data());
  }
  fs::remove_all(d);
}

BENCHMARK(BM_CaptureIntoFreeSlot)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Baseline_WriteOneFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RecognizeDuplicate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_Memcmp20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullStoreShift)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Baseline_WriteTwentyFiles)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FullStoreShift20x5MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_RenameTwentyFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureFullWithFiveLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_WriteOneSmallFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_ReadTwentyOneFiles)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  kolvex_bench::RatioReporter reporter(
      {
          {"BM_CaptureIntoFreeSlot", "BM_Baseline_WriteOneFile"},
          {"BM_RecognizeDuplicate", "BM_Baseline_Memcmp20"},
          {"BM_FullStoreShift", "BM_Baseline_WriteTwentyFiles"},
          {"BM_StartupLoad", "BM_Baseline_ReadTwentyOneFiles"},
          {"BM_FullStoreShift20x5MiB", "BM_Baseline_RenameTwentyFiles"},
          {"BM_CaptureFullWithFiveLarge", "BM_Baseline_WriteOneSmallFile"},
          {"BM_DeleteSave", "BM_Baseline_WriteOneFile"},
          {"BM_KeepSave", "BM_Baseline_WriteOneFile"},
      },
      "  (target <= 1.50)");
  return kolvex_bench::runWithRatios(argc, argv, reporter);
}
