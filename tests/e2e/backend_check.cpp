// kolvex-backend-check: drives parts of the Win32 backend that the program reaches only in
// situations a test cannot set up quickly (a running sequence insertion, a question to the
// user), with a minimal form, and logs what the backend reports.
//
//   hooks LOG STOPFILE   install the input hook and log every event ("KeyDown 17", "LButtonUp",
//                        with the pointer shape at a button release); on the release of F8 send
//                        the key Z (down and up) to whatever has the focus; end when STOPFILE
//                        exists
//   confirm LOG          ask a question and log "yes" or "no"
//   write-faults LOG     file replacement when it cannot happen: logs each case, whether the
//                        write reported an error, and the file's bytes afterwards
//   keys LOG STOPFILE    a window with key preview and a text field that accepts digits only;
//                        logs the form's and the field's key events, then the field's text
//   layout LOG           a frameless window sized to a label's text, given a short and then a
//                        long text, and a framed window centred on the screen; logs the model's
//                        sizes and the real windows' rectangles
//   fields LOG STOPFILE  a window with a one-line field and a drop-down field, both limited to 3
//                        bytes with the input method off, and a field without either; logs
//                        whether each has an input context, the input events with the pointer
//                        shape at each button release (until STOPFILE.unhook exists), then (at
//                        STOPFILE) their texts as hex bytes of the system code page
//   panel-input LOG      start the real program in the current folder and log how many of the
//                        panel's windows (the panel and its controls) have an input context
//   burst LOG            install the input hook, block the UI thread (as the paste does) while
//                        another thread injects rounds of many pointer moves, each round
//                        followed by a key tap and a click, and renew the hook without
//                        pause meanwhile; then log how many moves and which
//                        keys and buttons arrived, in order; then remove the hook and log
//                        whether anything still arrives and whether the hook thread is gone
#include <windows.h>

#include <imm.h>
#include <tlhelp32.h>

#include <atomic>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/program.h"
#include "platform/win32/win32_platform.h"
#include "support/ignored_events.h"

namespace {

class Recorder : public testing_support::IgnoredShellEvents {
 public:
  Recorder(platform::Platform& p, std::wstring log) : p_(p), log_(std::move(log)) {}
  void inputEvent(const platform::InputEvent& e) override {
    using K = platform::InputEvent::Kind;
    switch (e.kind) {
      case K::KeyDown:
        write("KeyDown " + std::to_string(e.vk));
        break;
      case K::KeyUp:
        write("KeyUp " + std::to_string(e.vk));
        if (e.vk == VK_F8) {
          p_.sendKey('Z', false);
          p_.sendKey('Z', true);
        }
        break;
      case K::LButtonDown:
        write("LButtonDown");
        break;
      case K::LButtonUp: {
        const auto shape = p_.cursorShape();
        write(std::string("LButtonUp ") + (shape == platform::CursorShape::IBeam  ? "IBeam"
                                           : shape == platform::CursorShape::None ? "None"
                                                                                  : "Other"));
        break;
      }
      default:
        break;  // pointer moves are many; they are not needed here
    }
  }
  void write(const std::string& line) {
    std::ofstream out(log_.c_str(), std::ios::app | std::ios::binary);
    out << line << "\n";
  }

 private:
  platform::Platform& p_;
  std::wstring log_;
};

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

bool hasInputContext(HWND w) {
  HIMC context = ::ImmGetContext(w);
  if (!context) return false;
  ::ImmReleaseContext(w, context);
  return true;
}

int fields(const std::wstring& logPath, const std::wstring& stop) {
  win32::Win32Platform p(GetModuleHandleW(nullptr));
  p.setupApplicationWindow("Kolvex20 check");
  Recorder recorder(p, logPath);
  ui::Form form("TKolvexFields");
  form.setCaption(text::Text::fromBytes("fields"));
  form.setBounds({200, 200, 320, 160});
  ui::Edit limited("Edit2");
  limited.setBounds({10, 10, 80, 24});
  limited.setMaxLength(3);
  limited.imeOff = true;
  form.addControl(limited);
  ui::ComboBox combo("ComboBox1");
  combo.setBounds({10, 50, 80, 24});
  combo.maxLength = 3;
  combo.imeOff = true;
  form.addControl(combo);
  ui::Edit free("Edit1");
  free.setBounds({10, 90, 200, 24});
  form.addControl(free);
  ui::Timer poll("Timer1", 100);
  form.addControl(poll);
  p.realize(form);
  p.setMainForm(form, recorder);
  const std::wstring unhook = stop + L".unhook";
  bool hooked = true;
  poll.onTimer = [&] {
    if (hooked && GetFileAttributesW(unhook.c_str()) != INVALID_FILE_ATTRIBUTES) {
      p.removeInputHook();
      hooked = false;
      recorder.write("unhooked");
    }
    if (GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    recorder.write("edit " + hex(limited.text().bytes()));
    recorder.write("combo " + hex(combo.text()));
    recorder.write("free " + hex(free.text().bytes()));
    p.quit();
  };
  poll.start();
  form.show();
  // The controls' windows exist once the form is shown.
  win32::FormWindow* window = p.windowOf(form);
  HWND comboEdit = nullptr;
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (::GetComboBoxInfo(window->find(combo)->hwnd, &info)) comboEdit = info.hwndItem;
  recorder.write(std::string("input method edit ") +
                 (hasInputContext(window->find(limited)->hwnd) ? "on" : "off") + " combo " +
                 (hasInputContext(comboEdit) ? "on" : "off") + " free " +
                 (hasInputContext(window->find(free)->hwnd) ? "on" : "off"));
  // The pointer shape at each button release: the I-beam over the fields, another elsewhere
  // (until STOPFILE.unhook exists; the typing then goes on without the hook, as in the program,
  // where no run is on while the settings window is open).
  p.installInputHook();
  recorder.write("ready");
  p.run();
  p.removeInputHook();
  return 0;
}

// Events as the logic would see them, kept in memory (a burst brings many).
class BurstRecorder : public testing_support::IgnoredShellEvents {
 public:
  void inputEvent(const platform::InputEvent& e) override {
    using K = platform::InputEvent::Kind;
    switch (e.kind) {
      case K::KeyDown:
        sequence.push_back("d" + std::to_string(e.vk));
        break;
      case K::KeyUp:
        sequence.push_back("u" + std::to_string(e.vk));
        break;
      case K::LButtonDown:
        sequence.emplace_back("press");
        break;
      case K::LButtonUp:
        sequence.emplace_back("release");
        break;
      default:
        ++moves;
        break;
    }
  }
  std::vector<std::string> sequence;
  long moves = 0;
};

int threadsOfThisProcess() {
  win32::UniqueHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snap || snap.get() == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 t{};
  t.dwSize = sizeof(t);
  int n = 0;
  for (BOOL more = ::Thread32First(snap.get(), &t); more; more = ::Thread32Next(snap.get(), &t))
    if (t.th32OwnerProcessID == ::GetCurrentProcessId()) ++n;
  return n;
}

void injectKey(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  ::SendInput(1, &in, sizeof(in));
}

void injectMouse(DWORD flags, LONG dx) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = dx;
  in.mi.dwFlags = flags;
  ::SendInput(1, &in, sizeof(in));
}

int burst(const std::wstring& logPath) {
  constexpr int kRounds = 40, kMovesPerRound = 300;
  win32::Win32Platform p(GetModuleHandleW(nullptr));
  p.setupApplicationWindow("Kolvex20 check");
  BurstRecorder events;
  std::ofstream log(logPath.c_str(), std::ios::binary);
  ui::Form form("TKolvexBurst");
  form.setCaption(text::Text::fromBytes("burst"));
  form.setBounds({300, 300, 240, 160});
  ui::Timer poll("Timer1", 100);
  form.addControl(poll);
  p.realize(form);
  p.setMainForm(form, events);
  p.showNoActivate(form);
  const int threadsBefore = threadsOfThisProcess();
  p.installInputHook();
  const int threadsDuring = threadsOfThisProcess();
  // Clicks land in our own window's client area: harmless wherever the test runs.
  ::SetCursorPos(420, 400);

  std::vector<std::string> expected;
  for (int r = 0; r < kRounds; ++r) {
    const int vk = VK_F13 + r % 12;
    for (const char* e : {"d", "u"})
      expected.push_back(e + std::to_string(vk));
    expected.emplace_back("press");
    expected.emplace_back("release");
  }
  // The UI thread is blocked (no message is handled) for the whole burst.
  const ULONGLONG started = ::GetTickCount64();
  std::atomic<bool> injected{false};
  std::thread injector([&injected] {
    for (int r = 0; r < kRounds; ++r) {
      for (int m = 0; m < kMovesPerRound; ++m)
        injectMouse(MOUSEEVENTF_MOVE, m % 2 ? -1 : 1);
      const auto vk = static_cast<WORD>(VK_F13 + r % 12);
      injectKey(vk, false);
      injectKey(vk, true);
      injectMouse(MOUSEEVENTF_LEFTDOWN, 0);
      injectMouse(MOUSEEVENTF_LEFTUP, 0);
    }
    injected = true;
  });
  // Meanwhile the UI thread renews the hooks again and again, as a run does every second.
  while (!injected) {
    p.installInputHook();
    ::Sleep(1);
  }
  injector.join();
  ::Sleep(1000);  // the hook thread catches up while the UI thread still sleeps
  log << "blocked " << (::GetTickCount64() - started) << " ms\n";

  // Then the UI thread takes its messages again until the last key of the burst has arrived.
  const ULONGLONG deadline = ::GetTickCount64() + 20000;
  int phase = 0;
  std::size_t afterStop = 0;
  ULONGLONG stopAt = 0;
  poll.onTimer = [&] {
    if (phase == 0) {
      if (events.sequence.size() < expected.size() && ::GetTickCount64() < deadline) return;
      log << "moves delivered " << events.moves << " of " << kRounds * kMovesPerRound << "\n";
      log << "order " << (events.sequence == expected ? "kept" : "broken") << " ("
          << events.sequence.size() << " of " << expected.size() << ")\n";
      for (std::size_t i = 0; i < events.sequence.size() && i < expected.size(); ++i)
        if (events.sequence[i] != expected[i]) {
          log << "first difference at " << i << ": " << events.sequence[i] << " instead of "
              << expected[i] << "\n";
          break;
        }
      log << "threads before " << threadsBefore << " during " << threadsDuring << "\n";
      p.removeInputHook();
      log << "threads after stop " << threadsOfThisProcess() << "\n";
      afterStop = events.sequence.size() + static_cast<std::size_t>(events.moves);
      injectKey(VK_F13, false);
      injectKey(VK_F13, true);
      injectMouse(MOUSEEVENTF_MOVE, 1);
      stopAt = ::GetTickCount64();
      phase = 1;
      return;
    }
    if (::GetTickCount64() - stopAt < 500) return;
    const std::size_t now = events.sequence.size() + static_cast<std::size_t>(events.moves);
    log << "after stop " << (now == afterStop ? "silent" : "still reporting") << "\n";
    log.flush();
    p.quit();
  };
  poll.start();
  p.run();
  return 0;
}

int panelInput(const std::wstring& logPath) {
  win32::Win32Platform p(GetModuleHandleW(nullptr));
  app::Program program(p);
  if (!program.start()) return 1;
  HWND panel = reinterpret_cast<HWND>(p.handleOf(program.mainForm().form));
  std::vector<HWND> windows{panel};
  ::EnumChildWindows(
      panel,
      [](HWND w, LPARAM all) {
        reinterpret_cast<std::vector<HWND>*>(all)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  int with = 0;
  for (HWND w : windows)
    with += hasInputContext(w) ? 1 : 0;
  std::ofstream(logPath.c_str(), std::ios::binary)
      << "panel windows " << windows.size() << " with an input context " << with << "\n";
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring mode = argv[1];
  if (mode == L"burst") return burst(argv[2]);
  if (mode == L"fields" && argc >= 4) return fields(argv[2], argv[3]);
  if (mode == L"panel-input") return panelInput(argv[2]);
  win32::Win32Platform p(GetModuleHandleW(nullptr));
  p.setupApplicationWindow("Kolvex20 check");
  Recorder recorder(p, argv[2]);

  if (mode == L"write-faults") {
    // Each line: the case, whether the write reported an error, and what the file holds.
    auto attempt = [&](const char* name, const std::string& file, const std::string& bytes) {
      bool failed = false;
      try {
        p.writeFile(file, bytes);
      } catch (const platform::Error&) {
        failed = true;
      }
      const std::optional<std::string> now = p.readFile(file);
      // A temporary file left beside it (the folder of the blocked case does not count).
      const DWORD temp = ::GetFileAttributesA((file + ".tmp").c_str());
      const bool leftover = temp != INVALID_FILE_ATTRIBUTES && !(temp & FILE_ATTRIBUTE_DIRECTORY);
      recorder.write(std::string(name) + (failed ? " error " : " ok ") +
                     (now ? "[" + *now + "]" : "missing") + (leftover ? " +temporary" : ""));
    };
    attempt("first", "Kolvex7.txt", "old bytes");
    // The temporary file cannot be created: a folder stands in its place.
    ::CreateDirectoryW(L"Kolvex7.txt.tmp", nullptr);
    attempt("blocked-temporary", "Kolvex7.txt", "new bytes");
    ::RemoveDirectoryW(L"Kolvex7.txt.tmp");
    // Another program holds the file open without letting it be replaced.
    HANDLE held = ::CreateFileW(L"Kolvex7.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    attempt("held-open", "Kolvex7.txt", "held bytes");
    ::CloseHandle(held);
    attempt("after", "Kolvex7.txt", "last bytes");
    return 0;
  }
  if (mode == L"confirm") {
    recorder.write(p.confirm(p.encode("よろしいですか？")) ? "yes" : "no");
    return 0;
  }
  if (mode == L"layout") {
    ui::Form dialog("TKolvexCentred");
    dialog.setCaption(text::Text::fromBytes("centred"));
    dialog.setBounds({0, 0, 384, 185});
    dialog.centerOnScreen = true;
    p.realize(dialog);
    dialog.show();
    RECT r{};
    GetWindowRect(reinterpret_cast<HWND>(p.handleOf(dialog)), &r);
    recorder.write("centred " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                   std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top) +
                   " screen " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " " +
                   std::to_string(GetSystemMetrics(SM_CYSCREEN)));
    SetForegroundWindow(reinterpret_cast<HWND>(p.handleOf(dialog)));

    // The hint window, as the sequence insertion shows it over the program being typed into.
    ui::Form hint("TKolvexHint");
    hint.dialogFrame = false;
    hint.autoSize = true;
    hint.toolWindow = true;
    hint.noActivate = true;
    hint.setTransparentColor(ui::kClSkyBlue);
    hint.setTopmost(true);
    hint.setBounds({100, 100, 6, 18});
    ui::Panel panel("Panel1");
    panel.autoSize = true;
    panel.setBounds({0, 0, 6, 18});
    panel.setColor(ui::kClInfoBk);
    ui::Label label("Label1");
    label.fontName = "Tahoma";
    label.fontHeight = 13;
    label.setBounds({1, 1, 4, 16});
    panel.addChild(label);
    hint.addControl(panel);
    p.realize(hint);
    hint.setColor(ui::kClSkyBlue);
    hint.show();
    const HWND hintWnd = reinterpret_cast<HWND>(p.handleOf(hint));
    auto log = [&](const char* what) {
      RECT w{};
      GetWindowRect(hintWnd, &w);
      recorder.write(std::string(what) + " label " + std::to_string(label.width()) + "x" +
                     std::to_string(label.height()) + " panel " + std::to_string(panel.width()) +
                     "x" + std::to_string(panel.height()) + " window " +
                     std::to_string(w.right - w.left) + "x" + std::to_string(w.bottom - w.top));
    };
    label.setCaption(text::Text::fromBytes(" 001 "));
    log("short");
    label.setCaption(p.fromUtf8(" 前置文字列がとても長い場合の値 0001 後置 "));
    log("long");
    const LONG ex = GetWindowLongW(hintWnd, GWL_EXSTYLE);
    const LONG wanted = WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    recorder.write(std::string("hint styles ") + ((ex & wanted) == wanted ? "ok" : "missing"));
    recorder.write(std::string("hint foreground ") +
                   (GetForegroundWindow() == hintWnd ? "taken" : "kept"));
    return 0;
  }
  if (mode == L"keys" && argc >= 4) {
    const std::wstring stop = argv[3];
    ui::Form form("TKolvexKeys");
    form.setCaption(text::Text::fromBytes("keys"));
    form.setBounds({400, 300, 300, 120});
    form.keyPreview = true;
    ui::Edit edit("Edit1");
    edit.setBounds({10, 10, 150, 24});
    form.addControl(edit);
    ui::Timer poll("Timer1", 100);
    form.addControl(poll);
    form.onFormKeyDown = [&](int vk) { recorder.write("form down " + std::to_string(vk)); };
    form.onFormKeyUp = [&](int vk) { recorder.write("form up " + std::to_string(vk)); };
    edit.onKeyDown = [&](int vk) { recorder.write("edit down " + std::to_string(vk)); };
    edit.onKeyPress = [&](char& ch) {
      // Digits only; Enter never becomes a character.
      if (ch < '0' || ch > '9') ch = 0;
    };
    edit.onEnter = [&] { recorder.write("enter edit"); };
    poll.onTimer = [&] {
      if (GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES) return;
      recorder.write("text " + edit.text().bytes());
      p.quit();
    };
    p.realize(form);
    p.setMainForm(form, recorder);
    poll.start();
    form.show();
    form.setFocus(&edit);
    recorder.write("ready");
    p.run();
    return 0;
  }
  if (mode != L"hooks" || argc < 4) return 2;
  const std::wstring stop = argv[3];
  ui::Form form("TKolvexCheck");
  form.setCaption(text::Text::fromBytes("check"));
  form.setBounds({900, 600, 200, 80});
  ui::Timer poll("Timer1", 100);
  form.addControl(poll);
  p.realize(form);
  p.setMainForm(form, recorder);
  poll.onTimer = [&] {
    if (GetFileAttributesW(stop.c_str()) != INVALID_FILE_ATTRIBUTES) p.quit();
  };
  poll.start();
  p.showNoActivate(form);
  p.installInputHook();
  recorder.write("ready");
  p.run();
  p.removeInputHook();
  return 0;
}
