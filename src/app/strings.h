// The program's own texts, kept once as UTF-8 and converted to the system code page at start.
#pragma once

#include <string>

#include "platform/platform.h"

namespace app {

struct Texts {
  explicit Texts(const platform::Platform& p);

  std::string appTitle;         // Kolvex20
  std::string alreadyRunning;   // Kolvex20は起動中です
  std::string fullColon;        // ：
  std::string sequenceStart;    // 連番入力
  std::string sequenceStop;     // 連番中止
  std::string allClear;         // All Clear
  std::string clipboardClear;   // C,B Clear
  std::string menuDelete;       // 削除
  std::string menuEdit;         // 編集
  std::string menuClose;        // 閉じる
  std::string confirmDelete;    // 選択のテキストボックスを削除しますか？
  std::string confirmAllClear;  // クリップボード履歴を全て削除しますか？
  std::string panelFont;        // ＭＳ Ｐゴシック
  std::string credit;           // author-credit label
};

}  // namespace app
