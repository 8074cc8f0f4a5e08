// Desktop events for a test that looks at only some of them: each one ignored (a title-bar press
// keeps its default handling); a test overrides the ones it records.
#pragma once

#include "platform/platform.h"

namespace testing_support {

class IgnoredShellEvents : public platform::ShellEvents {
 public:
  void drawClipboard() override {}
  void clipboardRead(const platform::ClipboardRead& /*read*/) override {}
  void hotKey() override {}
  void trayIcon(int /*mouseMessage*/) override {}
  bool ncLButtonDown(int /*hitTest*/) override { return true; }
  void ncLButtonDblClk(int /*hitTest*/) override {}
  void powerBroadcast(int /*event*/) override {}
  void applicationDeactivate() override {}
  void endSession() override {}
  void inputEvent(const platform::InputEvent& /*e*/) override {}
};

}  // namespace testing_support
