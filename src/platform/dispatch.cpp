#include <exception>
#include <new>

#include "platform/platform.h"

namespace platform {

void runHandler(Platform& p, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const Error& e) {
    p.showError(e.what());
  } catch (const std::bad_alloc&) {
    // A clipboard text too large to hold must not end the program.
    p.showError(p.encode("メモリが不足しています"));
  } catch (const std::exception& e) {
    p.showError(e.what());
  }
}

}  // namespace platform
