// The shell on the simulated desktop: the single-instance mutex, message boxes, the tray icon,
// the hotkey, power and session events.

#include "platform/sim/sim_desktop.h"

namespace sim {

std::vector<SimDesktop::Box> SimDesktop::errors() const {
  std::vector<Box> out;
  for (const Box& b : boxes)
    if (b.kind == Box::Kind::Error) out.push_back(b);
  return out;
}

bool SimPlatform::acquireInstanceMutex(std::string_view name) {
  std::string n(name);
  if (!desktop_.takeMutex(n)) return false;
  mutexes_.push_back(n);
  return true;
}

void SimPlatform::messageBox(std::string_view text) {
  desktop_.boxes.push_back({SimDesktop::Box::Kind::Message, std::string(text)});
}

bool SimPlatform::confirm(std::string_view text) {
  desktop_.boxes.push_back({SimDesktop::Box::Kind::Confirm, std::string(text)});
  if (desktop_.confirmAnswers.empty()) return desktop_.defaultConfirm;
  bool answer = desktop_.confirmAnswers.front();
  desktop_.confirmAnswers.pop_front();
  return answer;
}

void SimPlatform::showError(std::string_view text) {
  desktop_.boxes.push_back({SimDesktop::Box::Kind::Error, std::string(text)});
}

void SimPlatform::addTrayIcon(std::string_view tip) {
  trayIcon_ = true;
  trayTip_ = tip;
}

void SimPlatform::hotkey() {
  if (hotkeyRegistered_ && events_) dispatch([this] { events_->hotKey(); });
}

void SimPlatform::trayIcon(int mouseMessage) {
  if (trayIcon_ && events_) dispatch([this, mouseMessage] { events_->trayIcon(mouseMessage); });
}

void SimPlatform::power(int event) {
  if (events_) dispatch([&] { events_->powerBroadcast(event); });
}

void SimPlatform::endSession() {
  if (events_) dispatch([this] { events_->endSession(); });
}

}  // namespace sim
