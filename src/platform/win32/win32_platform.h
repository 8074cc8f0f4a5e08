// The real desktop: the platform contract fulfilled with the Win32 API.
#pragma once

#include "platform/win32/win32_util.h"

#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/clipboard_reader.h"
#include "platform/win32/form_host.h"
#include "platform/win32/form_window.h"
#include "platform/win32/input_hook.h"
#include "ui/display_text.h"

namespace win32 {

class Win32Platform : public platform::Platform, public FormHost {
 public:
  explicit Win32Platform(HINSTANCE instance);
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;
  ~Win32Platform() override;

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
  int screenWidth() const override;
  int layoutPixels(const ui::Form& form, int units) const override;
  void setHintTiming(int pauseMs, int hideMs) override;
  void run() override;
  // The message loop ends (for the forms as for the program).
  void quit() override;

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
  void stopClipboardListening() override;

  void registerHotkey() override;
  void unregisterHotkey() override;
  void addTrayIcon(std::string_view tip) override;
  void removeTrayIcon() override;

  platform::WindowHandle foregroundWindow() const override;
  void setForegroundWindow(platform::WindowHandle w) override;
  platform::Point cursorPos() const override;
  void setCursorPos(platform::Point p) override;
  platform::CursorShape cursorShape() const override;
  platform::Rect windowRect(platform::WindowHandle w) const override;
  bool ownWindowAt(platform::Point p) const override;

  void installInputHook() override;
  void removeInputHook() override;
  void sendKey(int vk, bool up) override;

  void sleep(int ms) override;

  bool fileExists(std::string_view name) const override;
  std::optional<std::string> readFile(std::string_view name) override;
  void writeFile(std::string_view name, std::string_view bytes) override;
  void writeFileInPlace(std::string_view name, std::string_view bytes) override;
  int fileLinkCount(std::string_view name) const override;
  void replaceFileWithCopyOf(std::string_view target, std::string_view source) override;
  void discardUnfinishedWrite(std::string_view name) override;
  bool removeFile(std::string_view name) override;
  std::vector<std::string> listFiles(std::string_view prefix) const override;
  bool linksFiles() override;
  void moveFile(std::string_view target, std::string_view source) override;
  void stopWaitingForFiles() override { waitForHeldFiles_ = false; }
  void setUnsavedReason(std::string_view reason) override;

  HWND applicationWindow() const { return appWindow_.get(); }
  FormWindow* windowOf(const ui::Form& form) const;

 private:
  // FormHost
  HINSTANCE instance() const override { return instance_; }
  const ui::LeadBytes& leadBytes() const override { return leadBytes_; }
  const std::string& cutMark() const override { return cutMark_; }
  const text::TextCodec& codec() const override { return *this; }
  int hintPauseMs() const override { return hintPauseMs_; }
  int hintHideMs() const override { return hintHideMs_; }
  void runHandler(const std::function<void()>& handler) override;
  void noteActiveForm(FormWindow* f) override { lastActive_ = f; }
  // Only the main window handles them.
  bool handleApplicationMessage(const FormWindow& f, UINT msg, WPARAM wParam, LPARAM lParam,
                                LRESULT& result) override;
  void showMenu(ui::PopupMenu& menu, POINT at, HWND owner) override;

  static LRESULT CALLBACK appWindowProc(HWND, UINT, WPARAM, LPARAM);
  HWND mainHwnd() const;
  bool preTranslateKey(MSG& msg);
  HWND clipboardOwnerWindow() const;
  void notifyOwnClipboardChange();
  text::Text textOf(const ClipboardCopy& c) const;
  // The content with this sequence number is known: its text, or nullopt when it is still to
  // be read.
  void remember(DWORD sequence, std::optional<text::Text> text);
  // Hands the reader's results to the capture, in order.
  void deliverClipboardReads();
  // The text in its three formats, and the two marks that keep it out of Windows' history.
  void writeText(const text::Text& text, bool outOfSystemHistory);
  void trayIconCommand(DWORD message);
  // Adds the icon the program asked for; while the notification area refuses it, tries again.
  void tryAddTrayIcon();
  // The error for a file that could not be written: its name and the system's reason.
  platform::FileError cannotWrite(std::string_view name, DWORD error) const;
  // The volume of the current folder cannot link files (learnt from the volume or a refusal).
  void noteNoLinks();

  HINSTANCE instance_;
  UniqueHandle instanceMutex_;
  UniqueWindow appWindow_;
  std::vector<std::unique_ptr<FormWindow>> forms_;
  FormWindow* main_ = nullptr;
  FormWindow* lastActive_ = nullptr;
  platform::ShellEvents* events_ = nullptr;

  bool listening_ = false;
  ClipboardReader clipboardReader_;
  // The last clipboard content the program read (or failed to): never asked for twice.
  DWORD knownSequence_ = 0;
  DWORD ownSequence_ = 0;  // of the program's own last write
  std::optional<text::Text> knownText_;
  // An error box is showing: a timer that fails meanwhile adds no second one.
  bool errorShowing_ = false;

  UniqueAtom hotkeyAtom_;
  bool hotkeyRegistered_ = false;

  UniqueIcon trayIcon_;
  std::wstring trayTip_;
  // The program asked for its icon (and has not removed it), and whether the icon is there.
  bool trayWanted_ = false;
  bool trayAdded_ = false;
  UINT taskbarCreatedMessage_ = 0;

  InputHook inputHook_;
  bool inputHookWanted_ = false;

  ui::LeadBytes leadBytes_{};
  std::string cutMark_;

  int hintPauseMs_ = 500;
  int hintHideMs_ = 5000;

  bool waitForHeldFiles_ = true;
  // The folder whose volume was asked whether it links files, and the answer.
  std::wstring linksFolder_;
  bool links_ = true;
  bool unsavedReasonShown_ = false;
};

}  // namespace win32
