#pragma once

#include <QString>
#include <QVector>

#include <optional>

// The device's scene and scene-polling answers and the requests built from
// the polling settings, without widgets.
namespace Scenes {

inline constexpr int SceneCount = 32;
inline constexpr int MinIntervalSeconds = 5;
inline constexpr int MaxIntervalSeconds = 999;
inline constexpr int StepDelayMs = 300;        // scene check -> recall/delete
inline constexpr int PollingRequestGapMs = 50; // interval -> list

// One "scene<n>is" "be"|"not" "ready" of a scene-status answer.
struct SceneStatus
{
    int scene = 0;
    bool stored = false;
};
// Every status the text reports, in text order; parts without a scene number
// 1..32 or without a "be"/"not" state are skipped.
QVector<SceneStatus> sceneStatuses(const QString &text);

// Scene numbers marked stored in a scene-status answer ("scene<n>is" "be"
// "ready" ... "ok"), one or all scenes, ascending, each 1..32. Each part is
// read by its own scene number, so "scene5isbereadyok" marks scene 5.
QVector<int> storedScenes(const QString &text);

// The check before a recall or deletion.
struct SceneCheck
{
    bool exists = false;  // the state reads "beready"
    bool missing = false; // a single-scene answer whose state reads "notready"
};
// Decides on a single-scene answer only: an all-scenes answer says nothing
// about the one scene asked for, so it gives neither.
SceneCheck sceneCheck(const QString &text);
// The state of `scene` wherever the text reports it (single or all scenes).
SceneCheck sceneCheck(const QString &text, int scene);

// "scene<n>saved", "scene<n>called", "scene<n>deleted", "scenepolling<n>called":
// the number when it lies in 1..32.
std::optional<int> savedScene(const QString &text);
std::optional<int> calledScene(const QString &text);
std::optional<int> deletedScene(const QString &text);
std::optional<int> pollingCalledScene(const QString &text);

// "scenepollinglist<n>,<n>,...ok" or "scenepollinglistemptyok". Only the list
// answer's own span is read; items that are not scene numbers 1..32 are
// skipped. nullopt when the text holds no list answer.
struct PollingListAnswer
{
    QVector<int> scenes;
    bool empty = false; // the device reported the empty list
    int begin = 0;      // span of the answer in the text, its "ok" included
    int length = 0;
};
std::optional<PollingListAnswer> pollingList(const QString &text);

// "scenepollingtime<seconds>sok": the seconds as the device reported them.
std::optional<int> pollingInterval(const QString &text);
// An interval shown in the settings dialog: bounded to 5..999.
int boundedInterval(int seconds);

// "(scene,list,4,2,7)"; an empty list is "(scene,list,0)".
QString buildPollingList(const QVector<int> &scenes);

// Vertical scroll position that shows scene button `scene` in an area whose
// scroll bar maximum is `maximum`: 0 for scene 1, the maximum for 32, else
// (maximum / 32) * scene - 30 (integer division), never below 0.
int scrollValueFor(int scene, int maximum);

// Routing refresh after a recall: 1000 ms on "4x4", 600 on "8x8", 800 on
// "16x16", 300 otherwise.
int recallRefreshDelayMs(const QString &model);

// Operator texts that the device's answers choose by language (0 Simplified
// Chinese, 1 English, 2 Traditional Chinese; others as 0).
QString savedToast(int language);
QString deletedToast(int language);
QString defaultSceneName(int scene, int language);

} // namespace Scenes
