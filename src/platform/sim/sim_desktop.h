// Simulated desktop: a deterministic stand-in for Windows. Virtual clock and message queue, a
// system clipboard that other programs copy to, empty and hold open, files in a real directory
// with injectable failures, message boxes that answer from a script, and the user's actions
// (clicks, keys, tray icon, hotkey, title bar) delivered the way the real desktop delivers them.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "ui/display_text.h"
#include "ui/widgets.h"

namespace sim {

class SimPlatform;

// Code page 932 and UTF-8, as the simulated system converts them.
std::string simDecode(std::string_view bytes);
std::string simEncode(std::string_view utf8);

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
  // The CF_UNICODETEXT (as UTF-8): what a Unicode program pastes.
  std::string clipboardUnicode() const;
  // A program that writes code page 932 bytes (CF_TEXT); the system derives the Unicode text.
  void otherCopiesText(std::string bytes);
  // A Unicode program (CF_UNICODETEXT, UTF-8 here); the system derives the bytes.
  void otherCopiesUnicode(std::string utf8);
  // A program that writes bytes of another code page, with the Unicode text the system derives
  // from them through that code page.
  void otherCopiesForeignBytes(std::string bytes, std::string utf8);
  // A registered clipboard format that a program puts beside its text.
  struct ClipFormat {
    std::string name;
    std::string data;
    bool operator==(const ClipFormat&) const = default;
  };
  // A format whose data is one DWORD (little-endian), as "CanIncludeInClipboardHistory" holds.
  static ClipFormat dwordFormat(std::string name, std::uint32_t value);
  // Another program copies a text together with further formats (a password manager's marks).
  void otherCopiesMarkedText(std::string bytes, std::vector<ClipFormat> formats);
  const std::vector<ClipFormat>& clipboardFormats() const { return clipFormats_; }
  // The program whose write is on the clipboard; null when another program's is.
  const SimPlatform* clipboardWriter() const { return clipWriter_; }
  void otherCopiesNonText();
  void otherEmptiesClipboard();
  // A program that offers a Unicode text by delayed rendering, rendering each format in
  // renderMs (while the reader that asked waits); one that fails hands nothing over.
  void otherCopiesLate(std::string utf8, int renderMs, bool fails = false);
  // Formats a late source rendered, and formats handed to readers, since the start.
  int renders() const { return renders_; }
  int textReads() const { return textReads_; }
  // A reader asks for the current content's text format (unicode or bytes): a late source
  // renders it the first time (the time passes on the reader's clock, as reader.wait does);
  // false when it hands nothing over.
  bool handOverText(bool unicode, const std::function<void(int)>& wait);
  void otherHoldsClipboard(bool held) { clipHeld_ = held; }
  // Another program holds the clipboard open for ms of virtual time from now.
  void otherHoldsClipboardFor(int ms) { heldUntil_ = now_ + ms; }
  bool clipboardHeld() const { return clipHeld_ || now_ < heldUntil_ || now_ < readerOpenUntil_; }
  // A reader of the program holds the clipboard open until then (waiting for a rendering).
  void readerHoldsClipboardUntil(std::int64_t t) { readerOpenUntil_ = t; }
  std::uint64_t clipboardSequence() const { return clipSequence_; }

  // --- files ---
  const std::filesystem::path& directory() const { return dir_; }
  void failRead(const std::string& name, bool fail = true);
  void failWrite(const std::string& name, bool fail = true);
  bool writeFails(const std::string& name) const { return failWrite_.count(name) > 0; }
  // Called as a program starts writing a file (its name), before any failure: lets a test change
  // the desktop in the middle of an operation.
  std::function<void(const std::string&)> onWriteAttempt;
  bool readFails(const std::string& name) const { return failRead_.count(name) > 0; }
  // Another program (a virus scanner, a sync client) holds the file open for ms of virtual time
  // from now and lets nobody read, write or replace it meanwhile.
  void otherHoldsFileFor(const std::string& name, int ms) { fileHeldUntil_[name] = now_ + ms; }
  bool fileHeld(const std::string& name) const;
  // Whether saves flush to disk before the rename (as the real program does).
  bool syncWrites = true;
  std::optional<std::string> fileBytes(const std::string& name) const;
  void putFile(const std::string& name, const std::string& bytes) const;
  int writesOf(const std::string& name) const;
  int totalWrites() const { return totalWrites_; }
  // Files made to hold another file's bytes without writing them (replaceFileWithCopyOf).
  int linksOf(const std::string& name) const;
  // The file system cannot link files (FAT, exFAT): replaceFileWithCopyOf copies instead.
  bool hardLinks = true;
  // The folder cannot be written (read-only, no permission): every change fails at once.
  bool folderWritable = true;
  // The file cannot be removed (another program holds it without sharing its deletion).
  void failRemove(const std::string& name, bool fail = true);
  bool removeFails(const std::string& name) const { return failRemove_.count(name) > 0; }
  // Files renamed into place by moveFile.
  int movesOf(const std::string& name) const;
  void countMove(const std::string& name) { ++moves_[name]; }
  // Called after every step of a file operation that changes the directory (a temporary file
  // complete, a rename done): the state a crash at that moment would leave.
  std::function<void()> afterFileStep;

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
  // The pointer's shape where no cursor region lies under it.
  platform::CursorShape cursorShape = platform::CursorShape::Other;
  // The pointer takes this shape over the rectangle (screen pixels); later regions lie on top.
  void addCursorRegion(platform::Rect rect, platform::CursorShape shape);
  platform::CursorShape shapeAt(platform::Point p) const;

  // A one-line text field of another program's window, taking keys as an edit control does:
  // arrows (with Shift to select, Ctrl by words), Delete, Backspace, Ctrl+A, Ctrl+C, Ctrl+V,
  // digits and letters. The pointer is the I-beam over it.
  struct TextField {
    platform::WindowHandle window = 0;
    platform::Rect rect;
    std::string text;
    int caret = 0;  // byte offsets; the selection lies between anchor and caret
    int anchor = 0;
    std::vector<std::string> pastes;  // each text Ctrl+V put in, in order
    std::string selection() const;
  };
  // The field of window w (one per window), placed at rect on the screen.
  TextField& createTextField(platform::WindowHandle w, platform::Rect rect, std::string text = {});
  TextField* fieldOf(platform::WindowHandle w);

  // --- the user's input on the desktop, as the input hook sees it ---
  // Each action is delivered through the message loop and settles before it returns.
  void userMoveMouse(platform::Point p);
  // Left press and release at p: the window under it becomes active, a field under it takes
  // the caret at the end of its text.
  void userClickAt(platform::Point p);
  void userKey(int vk, bool up);
  void userTap(int vk) {
    userKey(vk, false);
    userKey(vk, true);
  }
  // Modifier held while key is tapped (Ctrl+C is userChord(17, 67)).
  void userChord(int modifier, int key);
  int screenWidth = 1280;
  // Dots per inch of the screen (96 is 100 %).
  int dpi = 96;
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
  // A key a program injects: it joins the input stream at the sender's time and reaches hooks
  // and the focused field through the message loop, after the sending handler has returned.
  void injectKey(int vk, bool up);
  bool keyHeld(int vk) const { return held_.count(vk) > 0; }

  // Internal, for SimPlatform.
  void post(SimPlatform* target, std::int64_t delayMs, std::function<void()> fn);
  void cancelPosts(SimPlatform* target);
  void attach(SimPlatform* p) { processes_.push_back(p); }
  void detach(SimPlatform* p);
  bool takeMutex(const std::string& name) { return mutexes_.insert(name).second; }
  void releaseMutex(const std::string& name) { mutexes_.erase(name); }
  // The text formats as a writer left them.
  struct ClipText {
    std::string bytes;    // CF_TEXT
    std::string unicode;  // CF_UNICODETEXT, UTF-8 (unless derived)
    bool ansiFirst = true;
    bool ansiIsCp932 = true;
    // The system derives CF_UNICODETEXT from the bytes when asked (nothing beyond them).
    bool unicodeDerived = false;
    // Delayed rendering: the writer makes each format only when a reader first asks for it,
    // taking this long; a rendering that fails hands nothing over.
    int renderMs = 0;
    bool renderFails = false;
  };
  void setClipboard(ClipKind kind, ClipText text, SimPlatform* writer,
                    std::vector<ClipFormat> formats = {});
  const ClipText& clipboardText() const { return clip_; }
  platform::WindowHandle newHandle() { return nextHandle_++; }
  void setForeground(platform::WindowHandle w);
  void countWrite(const std::string& name);
  void countLink(const std::string& name) { ++links_[name]; }
  void fileStep() {
    if (afterFileStep) afterFileStep();
  }
  void sleepFor(int ms) { now_ += ms; }

 private:
  struct Posted {
    std::int64_t due;
    std::uint64_t seq;
    SimPlatform* target;
    std::function<void()> fn;
  };
  bool runOne(std::int64_t limit);
  // One input event of the desktop: the hooks see it, then the foreground window takes it.
  void postInput(platform::InputEvent e);
  void applyKey(int vk, bool up);
  platform::WindowHandle windowAt(platform::Point p) const;

  std::filesystem::path dir_;
  std::int64_t now_ = 0;
  std::uint64_t seq_ = 0;
  std::vector<Posted> queue_;
  std::vector<SimPlatform*> processes_;
  std::set<std::string> mutexes_;
  ClipKind clipKind_ = ClipKind::Empty;
  ClipText clip_;
  const std::string& clipBytes_ = clip_.bytes;
  std::vector<ClipFormat> clipFormats_;
  const SimPlatform* clipWriter_ = nullptr;
  bool clipHeld_ = false;
  std::int64_t heldUntil_ = 0;
  std::int64_t readerOpenUntil_ = 0;
  std::set<bool> rendered_;  // formats of the current content a late source has made
  int renders_ = 0, textReads_ = 0;
  std::uint64_t clipSequence_ = 0;
  std::set<std::string> failRead_, failWrite_, failRemove_;
  std::map<std::string, int> moves_;
  std::map<std::string, std::int64_t> fileHeldUntil_;
  std::map<std::string, int> writes_;
  std::map<std::string, int> links_;
  int totalWrites_ = 0;
  platform::WindowHandle nextHandle_ = 0x100;
  platform::WindowHandle foreground_ = 0;
  std::vector<platform::WindowHandle> zOrder_;  // bottom first
  std::vector<std::pair<platform::Rect, platform::CursorShape>> cursorRegions_;
  std::map<platform::WindowHandle, TextField> fields_;
  std::set<int> held_;
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
  // What a native control would have received last for a text, caption or hint (bounded as the
  // real backend bounds it), and how many bytes went to native controls in all.
  std::string nativeText(const ui::Control& c, ui::Property what) const {
    return nativeShown(c, what).chars;
  }
  // The same, with whether it is the exact text (UTF-8) or the code page bytes.
  ui::Shown nativeShown(const ui::Control& c, ui::Property what) const;
  std::size_t nativeBytes() const { return nativeBytes_; }
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
  // The user's session ends (sign-out, restart, shut-down).
  void endSession();
  void activate(ui::Form& f);
  void input(platform::InputEvent e);
  // Closes a form by its close box; nothing for a form without one (no frame, no system menu).
  void closeBox(ui::Form& f);
  // The system asks the form to close (Alt+F4, another program), close box or not.
  void systemClose(ui::Form& f);
  // The maximize box (restore: the same box once more); only a shown form that has one.
  void maximizeBox(ui::Form& f, bool maximize = true);

  // --- Platform ---
  std::string decode(std::string_view bytes) const override;
  std::string encode(std::string_view utf8) const override;
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
  int layoutPixels(const ui::Form& form, int units) const override;
  void setHintTiming(int pauseMs, int hideMs) override;
  void run() override;
  void quit() override { quit_ = true; }
  void messageBox(std::string_view text) override;
  bool confirm(std::string_view text) override;
  void showError(std::string_view text) override;
  text::Text readClipboardText() override;
  bool clipboardHasText() override;
  bool clipboardReadPending() const override;
  void writeClipboardText(const text::Text& text) override;
  void writePasteText(const text::Text& text) override;
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
  platform::CursorShape cursorShape() const override { return desktop_.shapeAt(desktop_.cursor); }
  platform::Rect windowRect(platform::WindowHandle w) const override;
  bool ownWindowAt(platform::Point p) const override;
  void installInputHook() override;
  void removeInputHook() override { hookInstalled_ = false; }
  void sendKey(int vk, bool up) override;
  void sleep(int ms) override { desktop_.sleepFor(ms); }
  bool fileExists(std::string_view name) const override;
  std::optional<std::string> readFile(std::string_view name) override;
  void writeFile(std::string_view name, std::string_view bytes) override;
  void writeFileInPlace(std::string_view name, std::string_view bytes) override;
  void replaceFileWithCopyOf(std::string_view target, std::string_view source) override;
  void discardUnfinishedWrite(std::string_view name) override;
  bool removeFile(std::string_view name) override;
  std::vector<std::string> listFiles(std::string_view prefix) const override;
  bool linksFiles() override { return desktop_.hardLinks; }
  int fileLinkCount(std::string_view name) const override;
  void moveFile(std::string_view target, std::string_view source) override;
  void stopWaitingForFiles() override { waitForHeldFiles_ = false; }
  void setUnsavedReason(std::string_view reason) override { unsavedReason_ = reason; }
  // What the system is told while changes are not saved; empty when nothing is.
  const std::string& unsavedReason() const { return unsavedReason_; }

  // Called by the desktop.
  void clipboardChanged(SimPlatform* writer);
  void deliverActivation(platform::WindowHandle newForeground);
  void fireTimer(ui::Timer* t);
  // An input event of the desktop, for the hook if installed.
  void hookEvent(platform::InputEvent e);

 private:
  void changed(ui::Control& control, ui::Property what) override;
  void renderText(const ui::Control& control, ui::Property what);
  void dispatch(const std::function<void()>& fn) { platform::runHandler(*this, fn); }
  void ensureOpenable();
  // The text of the content now on the clipboard, asked of its writer; nullopt when the writer
  // hands nothing over. wait lets the time of a late rendering pass.
  std::optional<text::Text> fetchText(const std::function<void(int)>& wait);
  // The reader of other programs' changes, as the real backend runs it beside the UI thread:
  // each step is a message of its own, so the program answers its user meanwhile.
  void startRead(std::uint64_t sequence);
  void tryRead(std::uint64_t sequence, std::int64_t deadline);
  void deliverRead(std::uint64_t sequence, platform::ClipboardRead read);
  void remember(std::uint64_t sequence, std::optional<text::Text> text);
  // Waits, as the real backend does, while another program holds one of the files; false when
  // one is still held after platform::kFileBusyWaitMs.
  bool waitForFiles(std::initializer_list<std::string_view> names);
  // The temporary file a save writes before it renames over name; fails when a leftover of that
  // name cannot be removed (it may be a second name of another file).
  int createTemporary(const std::string& name);
  std::string cannot(const std::string& name) const;
  void scheduleTimer(ui::Timer& t);
  ui::Form* formOf(platform::WindowHandle w) const;

  SimDesktop& desktop_;
  std::vector<ui::Form*> forms_;
  std::map<const ui::Form*, platform::WindowHandle> handles_;
  ui::Form* mainForm_ = nullptr;
  // The form that was active last: activation returns to it when the application comes forward.
  ui::Form* lastActive_ = nullptr;
  int showingNoActivate_ = 0;
  std::map<const ui::Form*, bool> onScreen_;
  platform::ShellEvents* events_ = nullptr;
  std::vector<std::string> mutexes_;
  std::string appTitle_;
  bool appToolWindow_ = false;
  platform::WindowHandle appWindow_ = 0;
  bool hotkeyRegistered_ = false;
  bool trayIcon_ = false;
  std::string trayTip_;
  bool listening_ = false;
  // The last content read (or tried): never asked for twice.
  std::uint64_t knownSequence_ = 0;
  std::optional<text::Text> knownText_;
  int renewals_ = 0;
  bool hookInstalled_ = false;
  int hookInstalls_ = 0;
  bool quit_ = false;
  int hintPause_ = 500, hintHide_ = 2500;
  ui::PopupMenu* openMenu_ = nullptr;
  platform::Point menuAt_;
  std::map<ui::Timer*, std::uint64_t> timerGeneration_;
  ui::LeadBytes leadBytes_{};
  std::string cutMark_;
  std::map<std::pair<const ui::Control*, ui::Property>, ui::Shown> native_;
  std::size_t nativeBytes_ = 0;
  std::uint64_t generation_ = 0;
  bool waitForHeldFiles_ = true;
  std::string unsavedReason_;
};

}  // namespace sim
