// The program's own texts, kept once as UTF-8 and converted to code page 932 at start: captions
// as texts of the widget model, messages as bytes.
#pragma once

#include <string>

#include "platform/platform.h"
#include "text/text.h"

namespace app {

struct Texts {
  explicit Texts(const platform::Platform& p);

  std::string appTitle;         // Kolvex20
  std::string alreadyRunning;   // Kolvex20は起動中です
  text::Text fullColon;         // ：
  text::Text sequenceStart;     // 連番入力
  text::Text sequenceStop;      // 連番中止
  text::Text allClear;          // All Clear
  text::Text clipboardClear;    // C,B Clear
  text::Text menuDelete;        // 削除
  text::Text menuEdit;          // 編集
  text::Text menuClose;         // 閉じる
  std::string confirmDelete;    // 選択のテキストボックスを削除しますか？
  std::string confirmAllClear;  // クリップボード履歴を全て削除しますか？
  std::string panelFont;        // ＭＳ Ｐゴシック
  text::Text credit;            // author-credit label
};

}  // namespace app
