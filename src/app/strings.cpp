#include "app/strings.h"

namespace app {

Texts::Texts(const platform::Platform& p)
    : appTitle(p.fromUtf8("Kolvex20")),
      alreadyRunning(p.fromUtf8("Kolvex20は起動中です")),
      fullColon(p.text("：")),
      sequenceStart(p.text("連番入力")),
      sequenceStop(p.text("連番中止")),
      allClear(p.text("All Clear")),
      clipboardClear(p.text("C,B Clear")),
      menuDelete(p.text("削除")),
      menuEdit(p.text("編集")),
      menuClose(p.text("閉じる")),
      confirmDelete(p.fromUtf8("選択のテキストボックスを削除しますか？")),
      confirmAllClear(p.fromUtf8("クリップボード履歴を全て削除しますか？")),
      panelFont(p.fromUtf8("ＭＳ Ｐゴシック")),
      credit(p.text("Kolvex20")) {}

}  // namespace app
