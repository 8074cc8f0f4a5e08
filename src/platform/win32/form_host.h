// What a form window needs from the platform that owns it.
#pragma once

#include "platform/win32/win32_util.h"

#include <functional>
#include <string>

#include "ui/display_text.h"
#include "ui/widgets.h"

namespace win32 {

class FormWindow;

class FormHost {
 public:
  virtual HINSTANCE instance() const = 0;
  // For bounding what native controls show: the code page's lead bytes and the cut mark.
  virtual const ui::LeadBytes& leadBytes() const = 0;
  virtual const std::string& cutMark() const = 0;
  // Between the model's code page and Unicode.
  virtual const text::TextCodec& codec() const = 0;
  // The tooltip timing every form's hints follow.
  virtual int hintPauseMs() const = 0;
  virtual int hintHideMs() const = 0;

  // Runs a model handler as the message loop does: an error is shown and the loop goes on.
  virtual void runHandler(const std::function<void()>& handler) = 0;
  // A form became active: activation of the application window is passed on to it.
  virtual void noteActiveForm(FormWindow* f) = 0;
  // Messages for the program as a whole that arrive at a form's window (the clipboard, the hot
  // key, the tray icon reach the main one); true when handled, with the result.
  virtual bool handleApplicationMessage(const FormWindow& f, UINT msg, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result) = 0;
  virtual void showMenu(ui::PopupMenu& menu, POINT at, HWND owner) = 0;
  // Ends the message loop.
  virtual void quit() = 0;

 protected:
  ~FormHost() = default;
};

}  // namespace win32
