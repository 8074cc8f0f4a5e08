// The program's own texts, kept once as UTF-8 and converted to code page 932 at start: captions
// as texts of the widget model, messages as bytes.
#pragma once

#include <string>

#include "platform/platform.h"
#include "ui/text.h"

namespace app {

struct Texts {
  explicit Texts(const platform::Platform& p);

  std::string appTitle;         // Kolvex20
  std::string alreadyRunning;   // Kolvex20は起動中です
  ui::Text fullColon;           // ：
  ui::Text sequenceStart;       // 連番入力
  ui::Text sequenceStop;        // 連番中止
  ui::Text allClear;            // All Clear
  ui::Text clipboardClear;      // C,B Clear
  ui::Text menuDelete;          // 削除
  ui::Text menuEdit;            // 編集
  ui::Text menuClose;           // 閉じる
  std::string confirmDelete;    // 選択のテキストボックスを削除しますか？
  std::string confirmAllClear;  // クリップボード履歴を全て削除しますか？
  std::string panelFont;        // ＭＳ Ｐゴシック
  ui::Text credit;              // author-credit label
};

}  // namespace app
