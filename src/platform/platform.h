// The one contract between the program's logic and the desktop it runs on. Two backends fulfil
// it: the simulated desktop (tests, demo) and the Win32 backend (Kolvex20.exe).
//
// Guarantees the logic relies on:
// - A clipboard write or clear made by the program calls ShellEvents::drawClipboard before the
//   write returns (nested); another program's change arrives later through the message loop,
//   already read (ShellEvents::clipboardRead): the user-interface thread never waits for a
//   source that renders late or for another reader that holds the clipboard.
// - sleep() blocks the caller: no timer or message is handled during it.
// - Errors are thrown as platform::Error; the backend's message loop catches an error that ends
//   a handler, shows the standard error box and goes on (runHandler below).
// - Files are read and written as exact bytes; a write replaces the file atomically.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace ui {
class Control;
class Form;
class PopupMenu;
}  // namespace ui

namespace platform {

// An error whose message is already in the system code page, ready for the error box.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that could not be written, removed or moved; the message names the file and the reason.
class FileError : public Error {
 public:
  using Error::Error;
};

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool contains(Point p) const { return left < p.x && p.x < right && top < p.y && p.y < bottom; }
};

// Opaque window identity; 0 means none.
using WindowHandle = std::uintptr_t;

// Shape of the mouse pointer, as far as the program cares.
enum class CursorShape { None, IBeam, Other };

// A recorded input event of the whole desktop (keyboard and mouse), with the generic key codes
// (Ctrl is 17, Shift 16 whichever side).
struct InputEvent {
  enum class Kind { KeyDown, KeyUp, LButtonDown, LButtonUp, Other };
  Kind kind = Kind::Other;
  int vk = 0;
};

// What reading another program's clipboard change gave.
struct ClipboardRead {
  enum class Outcome {
    Text,    // text holds the clipboard's text (empty: no text, or private content)
    Held,    // another program still held the clipboard open after kClipboardBusyWaitMs
    Failed,  // the copying program did not hand its text over (a delayed rendering that failed
             // or timed out): nothing is known of the content
  };
  Outcome outcome = Outcome::Text;
  text::Text text;
};

// Messages the desktop sends to the main window.
class ShellEvents {
 public:
  virtual ~ShellEvents() = default;
  // The program's own clipboard write or clear (nested in it), or the start of listening.
  virtual void drawClipboard() = 0;
  // Another program changed the clipboard: what the backend read of it, off the user-interface
  // thread, delivered in the order of the changes. Only the newest change is delivered: one that
  // a later change overtook while it was being read is dropped.
  virtual void clipboardRead(const ClipboardRead& read) = 0;
  virtual void hotKey() = 0;
  // mouseMessage: 513 left button down, 516 right button down, others ignored.
  virtual void trayIcon(int mouseMessage) = 0;
  // A left press on the title bar or frame; returns true when the default handling (a drag of
  // the window) should follow.
  virtual bool ncLButtonDown(int hitTest) = 0;
  virtual void ncLButtonDblClk(int hitTest) = 0;
  virtual void powerBroadcast(int event) = 0;
  // The program as a whole lost activation.
  virtual void applicationDeactivate() = 0;
  // The user's session ends (sign-out, restart, shut-down): the process may be ended as soon as
  // this returns. It must not wait for the user (no message box) and must not throw.
  virtual void endSession() = 0;
  // Input hook (only while installed).
  virtual void inputEvent(const InputEvent& e) = 0;
};

// Registered clipboard formats with which password managers and other programs mark what they
// copy as not for any clipboard history or monitor.
inline constexpr const char* kExcludeFromMonitorFormat =
    "ExcludeClipboardContentFromMonitorProcessing";
inline constexpr const char* kHistoryPermissionFormat = "CanIncludeInClipboardHistory";
inline constexpr const char* kViewerIgnoreFormat = "Clipboard Viewer Ignore";
// With kHistoryPermissionFormat, a DWORD 0 in each keeps a text out of Windows' own clipboard
// history and cloud clipboard.
inline constexpr const char* kCloudPermissionFormat = "CanUploadToCloudClipboard";

// The marks found on the clipboard beside its text.
struct ClipboardMarks {
  bool excludeFromMonitor = false;
  bool viewerIgnore = false;
  bool historyPermissionPresent = false;
  // The permission's DWORD, when it could be read (at least four bytes).
  std::optional<std::uint32_t> historyPermission;
};

// Whether marked content must stay out of the program: either of the two flag formats, or a
// history permission of 0. A permission whose value cannot be read counts as a refusal, so a
// password is never kept because its mark was malformed.
inline bool isPrivateContent(const ClipboardMarks& m) {
  if (m.excludeFromMonitor || m.viewerIgnore) return true;
  return m.historyPermissionPresent && m.historyPermission.value_or(0) == 0;
}

inline constexpr int kHtCaption = 2;
// Another program (or the system's clipboard bridge rendering a large text) often holds the
// clipboard for some milliseconds: opening it is retried this long, at this pace, before the
// clipboard counts as held.
inline constexpr int kClipboardOpenWaitMs = 100;
inline constexpr int kClipboardOpenRetryMs = 5;
// Right after a copy, other readers (Windows' own clipboard history, the Office clipboard, a
// remote session's clipboard, other clipboard tools) often hold the clipboard for some hundreds
// of milliseconds: reading another program's change waits this long for it, without blocking
// the panel, before the clipboard counts as held.
inline constexpr int kClipboardBusyWaitMs = 2000;
// Another program's change is read this long after its notification: a copy may still be
// settling (an X11 copy can first read as no text).
inline constexpr int kClipboardSettleMs = 50;
// Virus scanners, the search indexer, backup and sync clients open a freshly written file for a
// moment, mostly for some tens of milliseconds, now and then for a few hundred: a file operation
// that such a hold refuses (sharing, lock or access errors) is tried again for this long, at this
// pace, before it counts as failed. A second covers those holds with room to spare, yet a file
// held for good is reported while the user still connects the message with what they did, and
// the session's end (Windows waits about five seconds before it offers to end a program) is not
// held up by one such file.
inline constexpr int kFileBusyWaitMs = 1000;
inline constexpr int kFileBusyRetryMs = 20;
inline constexpr int kWmLButtonDown = 513;
inline constexpr int kWmRButtonDown = 516;

// The text formats found on the clipboard, as the backend read them.
struct ClipboardFormats {
  std::optional<std::string> ansi;     // CF_TEXT bytes, up to the first zero byte
  std::optional<std::string> unicode;  // CF_UNICODETEXT as UTF-8, up to the first zero
  // The copying program put CF_TEXT there itself (before any CF_UNICODETEXT), rather than the
  // system deriving it from the Unicode text.
  bool ansiFirst = false;
  // The CF_TEXT bytes are code page 932: CF_LOCALE names a locale of that code page, or the
  // system's own code page is 932 (its programs write their bytes in it whatever the keyboard).
  bool ansiIsCp932 = true;
};

// The program's text for what a copying program put on the clipboard. Bytes a program wrote
// in code page 932 are kept exactly (codes that do not survive a trip through Unicode
// included); a Unicode text becomes its bytes plus its exact form; the keyboard layout of the
// moment (which the system's derived formats follow) never matters.
text::Text clipboardText(const ClipboardFormats& f, const text::TextCodec& codec);

// The program's own words are in code page 932 whatever the system's code page is.
class Platform : public text::TextCodec {
 public:
  ~Platform() override = default;

  // --- code page ---
  // The program's texts are made with fromUtf8, the bytes of a constant with encode.
  // First byte of a double-byte character of code page 932.
  virtual bool isLeadByte(unsigned char byte) const = 0;

  // --- single instance and application window ---
  // Creates the named mutex; false when another instance already holds the name.
  virtual bool acquireInstanceMutex(std::string_view name) = 0;
  // The hidden application window: tool-window style (no task-bar button) and its title.
  virtual void setupApplicationWindow(std::string_view title) = 0;
  // Finds the application window by class and title and makes it the foreground window.
  virtual void bringApplicationToFront() = 0;

  // --- forms ---
  // Creates the backend's window for a form and its controls; afterwards model changes reach it.
  virtual void realize(ui::Form& form) = 0;
  // The window the main-window messages go to.
  virtual void setMainForm(ui::Form& form, ShellEvents& events) = 0;
  // First showing without activation.
  virtual void showNoActivate(ui::Form& form) = 0;
  virtual WindowHandle handleOf(const ui::Form& form) const = 0;
  // Opens a popup menu at a screen point; a chosen item's click runs through the model.
  virtual void popupMenu(ui::PopupMenu& menu, Point at) = 0;
  // Screen position of a control's client origin.
  virtual Point clientToScreen(const ui::Control& control, Point p) const = 0;
  // Width of the primary screen in pixels; its top-left corner is (0, 0), and other screens may
  // lie at negative coordinates, above it or to its left.
  virtual int screenWidth() const = 0;
  // Pixels that `units` of the form's 96-DPI layout cover on the screen the form is on: forms
  // are placed in pixels, their sizes are layout units the backend scales.
  virtual int layoutPixels(const ui::Form& form, int units) const = 0;
  // Application-wide tooltip timing.
  virtual void setHintTiming(int pauseMs, int hideMs) = 0;
  // Runs the message loop until the main form closes.
  virtual void run() = 0;
  // Ends the message loop after the current handler.
  virtual void quit() = 0;

  // --- messages to the user ---
  virtual void messageBox(std::string_view text) = 0;
  // Question icon, Yes and Cancel; true for Yes (Cancel, Esc and the close box give false).
  virtual bool confirm(std::string_view text) = 0;
  // The application's standard error box.
  virtual void showError(std::string_view text) = 0;

  // --- clipboard ---
  // The text (clipboardText above); empty when the clipboard holds no text, and empty when its
  // content is marked private (isPrivateContent): such content is no text to the program.
  // Throws Error when another program holds the clipboard open longer than kClipboardOpenWaitMs
  // (the wait blocks like sleep); writing and clearing likewise. A content once read is not read
  // again (the clipboard's sequence number tells): the same text comes back without opening it.
  // Of a copying program's formats only the one that says its text best is asked for: its
  // Unicode text, or its bytes when it put those first (with its own Unicode text beside them
  // only when it put one there too), so a source that renders late renders once.
  virtual text::Text readClipboardText() = 0;
  // Whether the clipboard holds a text (not marked private), asked without reading it where the
  // system can tell.
  virtual bool clipboardHasText() = 0;
  // Another program's change is being read (clipboardRead follows): a look at the clipboard now
  // would wait for the copying program.
  virtual bool clipboardReadPending() const = 0;
  // CF_TEXT (the bytes), CF_UNICODETEXT (the exact text) and CF_LOCALE (a code page 932
  // locale), so every program pastes the exact text, whatever the keyboard layout; reading it
  // back gives the same text.
  virtual void writeClipboardText(const text::Text& text) = 0;
  // The same for a text that is on the clipboard only to be pasted at once (a value of a
  // sequence run), marked so that Windows' clipboard history and cloud clipboard leave it out.
  // The marks are the program's own: reading it back gives the text all the same.
  virtual void writePasteText(const text::Text& text) = 0;
  virtual void clearClipboard() = 0;
  // Clipboard change notifications to the main form; starting delivers one notification at once.
  virtual void startClipboardListening() = 0;
  // Re-registration (after resume, when summoned); harmless when already registered.
  virtual void renewClipboardListening() = 0;
  virtual void stopClipboardListening() = 0;

  // --- hotkey Ctrl+Shift, tray icon ---
  virtual void registerHotkey() = 0;
  virtual void unregisterHotkey() = 0;
  virtual void addTrayIcon(std::string_view tip) = 0;
  virtual void removeTrayIcon() = 0;

  // --- foreground, pointer, windows ---
  virtual WindowHandle foregroundWindow() const = 0;
  virtual void setForegroundWindow(WindowHandle w) = 0;
  virtual Point cursorPos() const = 0;
  virtual void setCursorPos(Point p) = 0;
  virtual CursorShape cursorShape() const = 0;
  virtual Rect windowRect(WindowHandle w) const = 0;
  // A window of this program (a form, its menu or tooltip) is what lies at the screen point.
  virtual bool ownWindowAt(Point p) const = 0;

  // --- input hook and synthetic keys ---
  // Starts delivering the desktop's input to ShellEvents::inputEvent, in order, through the
  // message loop. When a hook is installed already it is installed anew (the system may have
  // dropped it): one hook at any time. Removing it drops the events not yet delivered.
  virtual void installInputHook() = 0;
  virtual void removeInputHook() = 0;
  // A synthetic key. It enters the input stream and comes back through the hook like the
  // user's keys, after the sending handler has returned (never nested inside this call).
  virtual void sendKey(int vk, bool up) = 0;

  // --- time ---
  virtual void sleep(int ms) = 0;

  // --- files in the current directory ---
  // Reading, writing and replacing wait up to kFileBusyWaitMs for a file another program holds
  // (the wait blocks like sleep); nothing else is waited for: a folder that cannot be written, an
  // access that stays denied, a full or vanished volume fail at once. Failures throw FileError.
  virtual bool fileExists(std::string_view name) const = 0;
  // The whole file; nullopt when it is missing, locked or unreadable.
  virtual std::optional<std::string> readFile(std::string_view name) = 0;
  // Replaces the file atomically with exactly these bytes; throws Error on failure.
  virtual void writeFile(std::string_view name, std::string_view bytes) = 0;
  // Writes exactly these bytes into the file itself (made or emptied first) and flushes them to
  // disk; not atomic: a kill may leave it part written. Only where the volume has no links, so
  // no other file shares its bytes, and only for a file that nothing trusts before a file
  // written after it says it is whole. Throws Error on failure.
  virtual void writeFileInPlace(std::string_view name, std::string_view bytes) = 0;
  // Replaces target atomically with a file holding exactly source's bytes; source stays as it
  // is. No byte is copied where the file system links files (a link to source is renamed over
  // target); elsewhere a copy is flushed to disk first. At no moment is target missing or
  // partly written. Throws Error on failure; target then holds what it held.
  virtual void replaceFileWithCopyOf(std::string_view target, std::string_view source) = 0;
  // How many names the file has (hard links); 0 when it is missing or cannot be asked.
  virtual int fileLinkCount(std::string_view name) const = 0;
  // Whether the folder's volume links files (learnt once per folder: FAT, exFAT and many shares
  // do not). Where it does not, replaceFileWithCopyOf copies.
  virtual bool linksFiles() = 0;
  // Renames source over target, atomically replacing it; source is gone afterwards. Throws on
  // failure; both then are as they were.
  virtual void moveFile(std::string_view target, std::string_view source) = 0;
  // Removes what an interrupted writeFile of this name may have left beside it (its temporary
  // file), never the file itself nor any other; nothing when there is none. Never throws.
  virtual void discardUnfinishedWrite(std::string_view name) = 0;
  // Removes a plain file; false when it is still there afterwards (held by another program).
  // Never throws.
  virtual bool removeFile(std::string_view name) = 0;
  // Names of the plain files in the current directory that begin with prefix.
  virtual std::vector<std::string> listFiles(std::string_view prefix) const = 0;
  // From now on no file operation waits for a held file (the session is ending).
  virtual void stopWaitingForFiles() = 0;
  // While `reason` is not empty, the system is told why the program should not be ended yet
  // (changes not saved); an empty reason withdraws it.
  virtual void setUnsavedReason(std::string_view reason) = 0;
};

// Runs one handler as the message loop does: an error that ends it is shown in the standard
// error box and the loop goes on.
void runHandler(Platform& p, const std::function<void()>& handler);

}  // namespace platform
