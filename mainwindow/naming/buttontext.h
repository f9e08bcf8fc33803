#pragma once

#include <QString>

// Display text of the renamable channel and scene buttons.
namespace ButtonText {
static constexpr int InputBreakAfter = 8;
static constexpr int InputRestLength = 20;
static constexpr int InputMaxLength = 16;
static constexpr int InputMaxLengthEnglish = 20;
static constexpr int SceneLineLength = 6;
static constexpr int SceneMaxLength = 18;

// Button texts double every "&" so that no mnemonic is formed.
QString escape(const QString &plain);
QString unescape(const QString &display);
QString withoutLineBreaks(const QString &text);
// Names longer than breakAfter: the first breakAfter characters, a line
// break, then at most restLength more.
QString wrapChannelName(const QString &plain, int restLength = InputRestLength, int breakAfter = InputBreakAfter);
// The same break for storing a name: nothing after it is cut, so a name
// longer than a button shows survives the file whole.
QString wrapChannelNameWhole(const QString &plain);
// Scene names: a line break after every 6 characters (at most three lines), trimmed.
QString wrapSceneName(const QString &plain);
}
