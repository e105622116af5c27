// The plugin's settings page the Qt view's test and the Win32 view's test
// under Wine both build: one item of every kind, with stored values that show
// the rules (a radio pair chosen by a whole name=value, a caption with a
// comma, a number that does not read, a colour). Item n becomes editor n - 1
// of the page (the two radio items make one group) with component counter
// n + 1. The literals are compiled in each test's own execution character set.
#pragma once

namespace drwa::dialogs::expected {

inline constexpr const char* kItemsOfEveryKind =
    "[DIALOG]\r\n"
    "L000=L,,掲示板の設定\r\n"
    "L001=C,A,確認してから送る\r\n"
    "L002=R,B=1,一つ目\r\n"
    "L003=R,B=2,二つ目\r\n"
    "L004=T,NAME,名前,姓\r\n"
    "L005=TD,COUNT,件数\r\n"
    "L006=F,LOG,ログ(*.log;*.txt)\r\n"
    "L007=P,COLOUR,背景色\r\n"
    "L008=C,LONG,三十文字を超える長い説明のついたチェックボックスは全文がヒントに出ます\r\n"
    "L009=T,MEMO,ページの幅に届くほど長い見出しのついた入力欄は全文をヒントとして出しますので、"
    "ここでは見出しをわざと長くして、どの字体でもページの右端を越えるようにしてあります\r\n"
    "[BASIC]\r\n"
    "B=2\r\n"
    "NAME=say \"hi\"\r\n"
    "COUNT=12a\r\n"
    "COLOUR=563412\r\n";

}  // namespace drwa::dialogs::expected
