#include "app/strings.h"

namespace app {

Texts::Texts(const platform::Platform& p)
    : appTitle(p.encode("Kolvex20")),
      alreadyRunning(p.encode("Kolvex20は起動中です")),
      fullColon(p.fromUtf8("：")),
      sequenceStart(p.fromUtf8("連番入力")),
      sequenceStop(p.fromUtf8("連番中止")),
      allClear(p.fromUtf8("All Clear")),
      clipboardClear(p.fromUtf8("C,B Clear")),
      menuDelete(p.fromUtf8("削除")),
      menuEdit(p.fromUtf8("編集")),
      menuClose(p.fromUtf8("閉じる")),
      confirmDelete(p.encode("選択のテキストボックスを削除しますか？")),
      confirmAllClear(p.encode("クリップボード履歴を全て削除しますか？")),
      panelFont(p.encode("ＭＳ Ｐゴシック")),
      credit(p.fromUtf8("Kolvex20")) {}

}  // namespace app
