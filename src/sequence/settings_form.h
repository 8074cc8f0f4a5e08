// The sequence settings window TForm1 ("Kolvex20:連番設定"): prefix, sequence kind, start and
// end, suffix and options of a sequence insertion, the definition editor over its upper
// part, and the controls of the slot editor mode. It owns the controls and routes their
// events to the units that carry the behaviour.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "files/definition_file.h"
#include "platform/platform.h"
#include "sequence/definition_editor.h"
#include "ui/widgets.h"

namespace sequence {

class SettingsForm {
 public:
  // definitions: the definition file and its buffer (the panel's definitionLines), loaded before
  // this window is created and saved whenever a definition is stored.
  SettingsForm(platform::Platform& p, files::DefinitionFile& definitions);
  SettingsForm(const SettingsForm&) = delete;
  SettingsForm& operator=(const SettingsForm&) = delete;

  // Creation at start-up: the sequence kinds from the definitions, "標準" selected.
  void formCreate();
  // The window is closed by its close box: an open definition editor is closed as "設定終了"
  // closes it.
  void formClose();

  // Handlers of the controls' events.
  void defineButtonClick();  // 連番定義
  void radioButtonClick(int n);
  void definitionMemoExit();
  void finishDefiningClick();  // 設定終了
  void kindChange();
  // Key filter and leave check of the start and end fields.
  void startEndKeyPress(char& ch);
  void startExit();
  void endExit();
  // Help tooltip of the labels 始値 and 終値.
  void startEndLabelMouseEnter(ui::Label& label);

  // The sequence mode, as "連番入力" opens it: size, frame, caption, the editor panel hidden.
  void showForSequence();
  void closeButtonClick();  // 閉じる
  void replaceBoxClick();   // TB内置換: the options it cannot work with are switched off
  void formActivate();
  void formKeyUp(int vk);
  // Focus order of the fields on Enter and the arrow keys.
  void fieldKeyDown(ui::Control& field, int vk);

  // The main panel, folded away while this window is in use, and its popup items 削除 and 編集,
  // which stay disabled while this window or a run started from it is open.
  ui::Form* panel = nullptr;
  ui::MenuItem* panelDelete = nullptr;
  ui::MenuItem* panelEdit = nullptr;

  ui::Form form{"TForm1"};
  ui::Label prefixLabel{"Label1"};  // 前置文字列
  ui::Edit prefixEdit{"Edit1"};     // prefix
  ui::Label kindLabel{"Label5"};    // 連番選択
  ui::ComboBox kindCombo{"ComboBox2"};
  ui::Label startLabel{"Label3"};  // 始値
  ui::ComboBox startCombo{"ComboBox1"};
  ui::Label endLabel{"Label4"};                     // 終値
  ui::Edit endEdit{"Edit2"};                        // end value
  ui::Label suffixLabel{"Label2"};                  // 後置文字列
  ui::Edit suffixEdit{"Edit3"};                     // suffix
  ui::SpeedButton defineButton{"SpeedButton1"};     // 連番定義
  ui::Button startButton{"Button1"};                // スタート
  ui::Button closeButton{"Button2"};                // 閉じる
  ui::CheckBox continuousBox{"CheckBox1"};          // 連続挿入
  ui::CheckBox repeatBox{"CheckBox2"};              // 繰り返し
  ui::CheckBox lineBreakBox{"CheckBox3"};           // 改行
  ui::CheckBox anyCursorBox{"CheckBox4"};           // カーソル
  ui::CheckBox replaceBox{"CheckBox5"};             // TB内置換
  ui::CheckBox anyWindowBox{"CheckBox6"};           // ウインドウ
  ui::SpeedButton renewHookButton{"SpeedButton3"};  // hidden: renews the insertion's input hook

  // The definition editor.
  ui::Panel definitionPanel{"Panel1"};
  ui::Memo definitionMemo{"Memo1"};
  std::array<std::unique_ptr<ui::RadioButton>, 10> radioButtons;  // RadioButton1..10
  std::array<std::unique_ptr<ui::Label>, 10> definitionLabels;    // Label6..15
  ui::SpeedButton finishDefiningButton{"SpeedButton2"};           // 設定終了

  // The slot editor mode.
  ui::Panel slotEditorPanel{"Panel2"};
  ui::Memo slotEditorMemo{"memo22"};
  ui::Button editorCloseButton{"Button3"};  // 閉じる
  // The slot editor's part of the close request (false refuses the close) and of the close,
  // which runs before the rest of the close.
  std::function<bool()> editorCloseQuery;
  std::function<void()> editorClose;

  ui::Timer cooldownTimer{"Timer1", 500};      // paste cool-down
  ui::Timer pasteTimer{"Timer2", 100};         // the synthetic Ctrl+V
  ui::Timer hookRenewalTimer{"Timer3", 1000};  // hook renewal

  ui::RadioButton& radioButton(int n) { return *radioButtons[static_cast<std::size_t>(n - 1)]; }

 private:
  void buildControls();
  void buildDefinitionEditor();
  void buildSlotEditor();
  void routeEvents();
  void enablePanelItems();
  void collapsePanel();

  platform::Platform& p_;
  std::unique_ptr<DefinitionEditor> editor_;  // made once the controls exist
};

}  // namespace sequence
