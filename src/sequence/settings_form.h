// The sequence settings window TForm1 ("Kolvex20:連番設定"): prefix, sequence kind, start and
// end, suffix and options of a sequence insertion, the definition editor (Panel1) over its upper
// part, and the controls of the slot editor mode (Panel2). It owns the controls and routes their
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
  // definitions: the definition file and its buffer (the main window's Memo21), loaded before
  // this window is created and saved whenever a definition is stored.
  SettingsForm(platform::Platform& p, files::DefinitionFile& definitions);
  SettingsForm(const SettingsForm&) = delete;
  SettingsForm& operator=(const SettingsForm&) = delete;

  // Creation at start-up: the sequence kinds from the definitions, "標準" selected.
  void formCreate();
  // The window is closed by its close box: an open definition editor is closed as "設定終了"
  // closes it.
  void formClose();

  // Handlers, named after their control and event.
  void speedButton1Click();  // 連番定義
  void radioButtonClick(int n);
  void memo1Exit();
  void speedButton2Click();  // 設定終了
  void comboBox2Change();
  // Key filter and leave check of the start (ComboBox1) and end (Edit2) fields.
  void startEndKeyPress(char& ch);
  void comboBox1Exit();
  void edit2Exit();
  // Help tooltip of the labels 始値 (Label3) and 終値 (Label4).
  void startEndLabelMouseEnter(ui::Label& label);

  // The sequence mode, as "連番入力" opens it: size, frame, caption, the editor panel hidden.
  void showForSequence();
  void button2Click();    // 閉じる
  void checkBox5Click();  // TB内置換: the options it cannot work with are switched off
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
  ui::Label label1{"Label1"};  // 前置文字列
  ui::Edit edit1{"Edit1"};     // prefix
  ui::Label label5{"Label5"};  // 連番選択
  ui::ComboBox comboBox2{"ComboBox2"};
  ui::Label label3{"Label3"};  // 始値
  ui::ComboBox comboBox1{"ComboBox1"};
  ui::Label label4{"Label4"};                    // 終値
  ui::Edit edit2{"Edit2"};                       // end value
  ui::Label label2{"Label2"};                    // 後置文字列
  ui::Edit edit3{"Edit3"};                       // suffix
  ui::SpeedButton speedButton1{"SpeedButton1"};  // 連番定義
  ui::Button button1{"Button1"};                 // スタート
  ui::Button button2{"Button2"};                 // 閉じる
  ui::CheckBox checkBox1{"CheckBox1"};           // 連続挿入
  ui::CheckBox checkBox2{"CheckBox2"};           // 繰り返し
  ui::CheckBox checkBox3{"CheckBox3"};           // 改行
  ui::CheckBox checkBox4{"CheckBox4"};           // カーソル
  ui::CheckBox checkBox5{"CheckBox5"};           // TB内置換
  ui::CheckBox checkBox6{"CheckBox6"};           // ウインドウ
  ui::SpeedButton speedButton3{"SpeedButton3"};  // hidden: renews the insertion's input hook

  // The definition editor.
  ui::Panel panel1{"Panel1"};
  ui::Memo memo1{"Memo1"};
  std::array<std::unique_ptr<ui::RadioButton>, 10> radioButtons;  // RadioButton1..10
  std::array<std::unique_ptr<ui::Label>, 10> definitionLabels;    // Label6..15
  ui::SpeedButton speedButton2{"SpeedButton2"};                   // 設定終了

  // The slot editor mode.
  ui::Panel panel2{"Panel2"};
  ui::Memo memo22{"memo22"};
  ui::Button button3{"Button3"};  // 閉じる
  // The slot editor's part of the close request (false refuses the close) and of the close,
  // which runs before the rest of the close.
  std::function<bool()> editorCloseQuery;
  std::function<void()> editorClose;

  ui::Timer timer1{"Timer1", 500};   // paste cool-down
  ui::Timer timer2{"Timer2", 100};   // the synthetic Ctrl+V
  ui::Timer timer3{"Timer3", 1000};  // hook renewal

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
