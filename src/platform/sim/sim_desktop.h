// Simulated desktop: a deterministic stand-in for Windows. Virtual clock and message queue, a
// system clipboard that other programs copy to, empty and hold open, files in a real directory
// with injectable failures, message boxes that answer from a script, and the user's actions
// (clicks, keys, tray icon, hotkey, title bar) delivered the way the real desktop delivers them.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/widgets.h"

namespace sim {

class SimPlatform;

class SimDesktop {
 public:
  explicit SimDesktop(std::filesystem::path directory);
  ~SimDesktop();

  // --- clock and message loop ---
  std::int64_t now() const { return now_; }
  // Runs the message loop for ms of virtual time: posted messages and timers fire in order.
  void advance(int ms);
  // Handles everything that is due now.
  void runPending() { advance(0); }

  // --- clipboard, as seen and changed by other programs ---
  enum class ClipKind { Empty, Text, Other };
  ClipKind clipboardKind() const { return clipKind_; }
  // The stored CF_TEXT bytes (possibly with a zero byte inside).
  const std::string& clipboardBytes() const { return clipBytes_; }
  void otherCopiesText(std::string bytes);
  void otherCopiesNonText();
  void otherEmptiesClipboard();
  void otherHoldsClipboard(bool held) { clipHeld_ = held; }
  bool clipboardHeld() const { return clipHeld_; }
  std::uint64_t clipboardSequence() const { return clipSequence_; }

  // --- files ---
  const std::filesystem::path& directory() const { return dir_; }
  void failRead(const std::string& name, bool fail = true);
  void failWrite(const std::string& name, bool fail = true);
  bool writeFails(const std::string& name) const { return failWrite_.count(name) > 0; }
  bool readFails(const std::string& name) const { return failRead_.count(name) > 0; }
  // Whether saves flush to disk before the rename (as the real program does).
  bool syncWrites = true;
  std::optional<std::string> fileBytes(const std::string& name) const;
  void putFile(const std::string& name, const std::string& bytes) const;
  int writesOf(const std::string& name) const;
  int totalWrites() const { return totalWrites_; }

  // --- message boxes ---
  struct Box {
    enum class Kind { Message, Confirm, Error } kind;
    std::string text;
  };
  std::vector<Box> boxes;
  // Answers for confirmation boxes, taken in order; when empty, defaultConfirm answers.
  std::deque<bool> confirmAnswers;
  bool defaultConfirm = true;
  std::vector<Box> errors() const;

  // --- windows of other programs, pointer, foreground ---
  platform::WindowHandle createOtherWindow(platform::Rect rect);
  platform::WindowHandle foreground() const { return foreground_; }
  // Another program's window becomes active.
  void activateOther(platform::WindowHandle w);
  platform::Point cursor{500, 400};
  platform::CursorShape cursorShape = platform::CursorShape::Other;
  int screenWidth = 1280;
  // Refuses foreground changes, as the system does for a program in the background.
  bool refuseForeground = false;
  std::map<platform::WindowHandle, platform::Rect> windowRects;

  // --- keys typed by the program into others ---
  struct SentKey {
    int vk;
    bool up;
    std::int64_t at;
  };
  std::vector<SentKey> sentKeys;

  // Internal, for SimPlatform.
  void post(SimPlatform* target, std::int64_t delayMs, std::function<void()> fn);
  void cancelPosts(SimPlatform* target);
  void attach(SimPlatform* p) { processes_.push_back(p); }
  void detach(SimPlatform* p);
  bool takeMutex(const std::string& name) { return mutexes_.insert(name).second; }
  void releaseMutex(const std::string& name) { mutexes_.erase(name); }
  void setClipboard(ClipKind kind, std::string bytes, SimPlatform* writer);
  platform::WindowHandle newHandle() { return nextHandle_++; }
  void setForeground(platform::WindowHandle w);
  void countWrite(const std::string& name);
  void sleepFor(int ms) { now_ += ms; }

 private:
  struct Posted {
    std::int64_t due;
    std::uint64_t seq;
    SimPlatform* target;
    std::function<void()> fn;
  };
  bool runOne(std::int64_t limit);

  std::filesystem::path dir_;
  std::int64_t now_ = 0;
  std::uint64_t seq_ = 0;
  std::vector<Posted> queue_;
  std::vector<SimPlatform*> processes_;
  std::set<std::string> mutexes_;
  ClipKind clipKind_ = ClipKind::Empty;
  std::string clipBytes_;
  bool clipHeld_ = false;
  std::uint64_t clipSequence_ = 0;
  std::set<std::string> failRead_, failWrite_;
  std::map<std::string, int> writes_;
  int totalWrites_ = 0;
  platform::WindowHandle nextHandle_ = 0x100;
  platform::WindowHandle foreground_ = 0;
};

// One program's view of the simulated desktop.
class SimPlatform : public platform::Platform, private ui::ControlPeer {
 public:
  explicit SimPlatform(SimDesktop& desktop);
  ~SimPlatform() override;

  SimDesktop& desktop() { return desktop_; }

  // Title bar and frame height of the simulated dialog frame.
  static constexpr int kFrameHeight = 29;

  // --- what the program did ---
  bool hotkeyRegistered() const { return hotkeyRegistered_; }
  bool trayIconShown() const { return trayIcon_; }
  const std::string& trayTip() const { return trayTip_; }
  bool listening() const { return listening_; }
  int listenRenewals() const { return renewals_; }
  bool inputHookInstalled() const { return hookInstalled_; }
  int hookInstalls() const { return hookInstalls_; }
  bool quitRequested() const { return quit_; }
  const std::string& applicationTitle() const { return appTitle_; }
  bool applicationToolWindow() const { return appToolWindow_; }
  platform::WindowHandle applicationWindow() const { return appWindow_; }
  int hintPauseMs() const { return hintPause_; }
  int hintHideMs() const { return hintHide_; }
  ui::PopupMenu* openMenu() const { return openMenu_; }
  platform::Point openMenuAt() const { return menuAt_; }

  // --- the user's actions; each runs as one message of the loop ---
  // A click on a shown, enabled control (check boxes toggle).
  void click(ui::Control& c);
  void mouseDown(ui::Control& c, ui::MouseButton b);
  void mouseUp(ui::Control& c, ui::MouseButton b);
  // Right press on a control: its mouse-down, then its popup menu opens.
  void rightPress(ui::TextBox& c);
  void mouseEnter(ui::Control& c);
  void chooseMenuItem(ui::MenuItem& item);
  void keyDown(ui::Form& f, int vk);
  void keyUp(ui::Form& f, int vk);
  void hotkey();
  void trayIcon(int mouseMessage);
  // Returns whether the default handling (a drag) followed.
  bool titleBarPress(int hitTest = platform::kHtCaption);
  void titleBarDoubleClick(int hitTest = platform::kHtCaption);
  void power(int event);
  void activate(ui::Form& f);
  void input(platform::InputEvent e);
  // Closes a form by its close box.
  void closeBox(ui::Form& f);

  // --- Platform ---
  std::string fromUtf8(std::string_view utf8) const override;
  bool isLeadByte(unsigned char byte) const override;
  bool acquireInstanceMutex(std::string_view name) override;
  void setupApplicationWindow(std::string_view title) override;
  void bringApplicationToFront() override;
  void realize(ui::Form& form) override;
  void setMainForm(ui::Form& form, platform::ShellEvents& events) override;
  void showNoActivate(ui::Form& form) override;
  platform::WindowHandle handleOf(const ui::Form& form) const override;
  void popupMenu(ui::PopupMenu& menu, platform::Point at) override;
  platform::Point clientToScreen(const ui::Control& control, platform::Point p) const override;
  int screenWidth() const override { return desktop_.screenWidth; }
  void setHintTiming(int pauseMs, int hideMs) override;
  void run() override;
  void quit() override { quit_ = true; }
  void messageBox(std::string_view text) override;
  bool confirm(std::string_view text) override;
  void showError(std::string_view text) override;
  std::string readClipboardText() override;
  void writeClipboardText(std::string_view text) override;
  void clearClipboard() override;
  void startClipboardListening() override;
  void renewClipboardListening() override;
  void stopClipboardListening() override { listening_ = false; }
  void registerHotkey() override { hotkeyRegistered_ = true; }
  void unregisterHotkey() override { hotkeyRegistered_ = false; }
  void addTrayIcon(std::string_view tip) override;
  void removeTrayIcon() override { trayIcon_ = false; }
  platform::WindowHandle foregroundWindow() const override { return desktop_.foreground(); }
  void setForegroundWindow(platform::WindowHandle w) override;
  platform::Point cursorPos() const override { return desktop_.cursor; }
  void setCursorPos(platform::Point p) override { desktop_.cursor = p; }
  platform::CursorShape cursorShape() const override { return desktop_.cursorShape; }
  platform::Rect windowRect(platform::WindowHandle w) const override;
  void installInputHook() override;
  void removeInputHook() override { hookInstalled_ = false; }
  void sendKey(int vk, bool up) override;
  void sleep(int ms) override { desktop_.sleepFor(ms); }
  bool fileExists(std::string_view name) const override;
  std::optional<std::string> readFile(std::string_view name) override;
  void writeFile(std::string_view name, std::string_view bytes) override;
  void discardUnfinishedWrite(std::string_view name) override;

  // Called by the desktop.
  void clipboardChanged(SimPlatform* writer);
  void deliverActivation(platform::WindowHandle newForeground);
  void fireTimer(ui::Timer* t);

 private:
  void changed(ui::Control& control, ui::Property what) override;
  void dispatch(const std::function<void()>& fn) { platform::runHandler(*this, fn); }
  void ensureOpenable() const;
  void scheduleTimer(ui::Timer& t);
  ui::Form* formOf(platform::WindowHandle w) const;

  SimDesktop& desktop_;
  std::vector<ui::Form*> forms_;
  std::map<const ui::Form*, platform::WindowHandle> handles_;
  ui::Form* mainForm_ = nullptr;
  platform::ShellEvents* events_ = nullptr;
  std::vector<std::string> mutexes_;
  std::string appTitle_;
  bool appToolWindow_ = false;
  platform::WindowHandle appWindow_ = 0;
  bool hotkeyRegistered_ = false;
  bool trayIcon_ = false;
  std::string trayTip_;
  bool listening_ = false;
  int renewals_ = 0;
  bool hookInstalled_ = false;
  int hookInstalls_ = 0;
  bool quit_ = false;
  int hintPause_ = 500, hintHide_ = 2500;
  ui::PopupMenu* openMenu_ = nullptr;
  platform::Point menuAt_;
  std::map<ui::Timer*, std::uint64_t> timerGeneration_;
  std::uint64_t generation_ = 0;
};

}  // namespace sim
