#include "mainwindow/scenes/scenemodel.h"

#include "link/protocol/protocol.h"

#include <QRegularExpression>
#include <QtGlobal>

namespace Scenes {

namespace {

constexpr int LanguageEnglish = 1;
constexpr int LanguageTraditional = 2;
// Scroll offset that keeps the button a little below the top edge.
constexpr int ScrollMargin = 30;

constexpr int RefreshDelay4x4Ms = 1000;
constexpr int RefreshDelay8x8Ms = 600;
constexpr int RefreshDelay16x16Ms = 800;
constexpr int RefreshDelayOtherMs = 300;

const QLatin1String ListKeyword("scenepollinglist");
const QLatin1String EmptyListAnswer("scenepollinglistemptyok");
const QLatin1String AnswerEnd("ok");

// A scene number as the device writes it; nullopt outside 1..32 or when the
// digits do not make a number (an overflow).
std::optional<int> sceneNumber(const QString &digits)
{
    bool ok = false;
    const int scene = digits.toInt(&ok, 10);
    if (!ok || scene < 1 || scene > SceneCount)
        return std::nullopt;
    return scene;
}

// The number captured by the first match of `pattern`: the digits must stand
// right between the keywords, so an earlier answer in the same text
// ("scene3isbereadyok") cannot lend its number.
std::optional<int> numberBetween(const QString &text, const QRegularExpression &pattern)
{
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? sceneNumber(match.captured(1)) : std::nullopt;
}

int pick(int language)
{
    return language == LanguageEnglish || language == LanguageTraditional ? language : 0;
}

} // namespace

QVector<SceneStatus> sceneStatuses(const QString &text)
{
    static const QRegularExpression status(QStringLiteral("scene([0-9]+)is(be|not)ready"));
    QVector<SceneStatus> statuses;
    QRegularExpressionMatchIterator it = status.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (const auto scene = sceneNumber(match.captured(1)))
            statuses.append({*scene, match.captured(2) == QLatin1String("be")});
    }
    return statuses;
}

QVector<int> storedScenes(const QString &text)
{
    QVector<bool> stored(SceneCount + 1, false);
    for (const SceneStatus &status : sceneStatuses(text)) {
        if (status.stored)
            stored[status.scene] = true;
    }
    QVector<int> scenes;
    for (int scene = 1; scene <= SceneCount; ++scene) {
        if (stored.at(scene))
            scenes.append(scene);
    }
    return scenes;
}

SceneCheck sceneCheck(const QString &text)
{
    const QVector<SceneStatus> statuses = sceneStatuses(text);
    SceneCheck check;
    if (statuses.size() == 1) {
        check.exists = statuses.first().stored;
        check.missing = !statuses.first().stored;
    }
    return check;
}

SceneCheck sceneCheck(const QString &text, int scene)
{
    SceneCheck check;
    for (const SceneStatus &status : sceneStatuses(text)) {
        if (status.scene == scene) {
            check.exists = status.stored;
            check.missing = !status.stored;
            break;
        }
    }
    return check;
}

std::optional<int> savedScene(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("scene([0-9]+)saved"));
    return numberBetween(text, pattern);
}

std::optional<int> calledScene(const QString &text)
{
    // "scenepolling<n>called" has letters between "scene" and the number and
    // therefore never matches here.
    static const QRegularExpression pattern(QStringLiteral("scene([0-9]+)called"));
    return numberBetween(text, pattern);
}

std::optional<int> deletedScene(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("scene([0-9]+)deleted"));
    return numberBetween(text, pattern);
}

std::optional<int> pollingCalledScene(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("scenepolling([0-9]+)called"));
    return numberBetween(text, pattern);
}

std::optional<PollingListAnswer> pollingList(const QString &text)
{
    const int begin = text.indexOf(ListKeyword);
    if (begin < 0)
        return std::nullopt;
    PollingListAnswer answer;
    answer.begin = begin;
    if (QStringView(text).mid(begin).startsWith(EmptyListAnswer)) {
        answer.empty = true;
        answer.length = EmptyListAnswer.size();
        return answer;
    }
    const int itemsAt = begin + ListKeyword.size();
    const int end = text.indexOf(AnswerEnd, itemsAt);
    // Without its "ok" the list may have been cut short: no list at all is
    // better than a shorter one.
    if (end < 0)
        return std::nullopt;
    answer.length = end + AnswerEnd.size() - begin;
    const QStringList items = text.mid(itemsAt, end - itemsAt).split(QLatin1Char(','));
    for (const QString &item : items) {
        if (const auto scene = sceneNumber(item))
            answer.scenes.append(*scene);
    }
    return answer;
}

std::optional<int> pollingInterval(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("scenepollingtime([0-9]+)sok"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int seconds = match.captured(1).toInt(&ok, 10);
    return ok ? std::optional<int>(seconds) : std::nullopt;
}

int boundedInterval(int seconds)
{
    return qBound(MinIntervalSeconds, seconds, MaxIntervalSeconds);
}

QString buildPollingList(const QVector<int> &scenes)
{
    return Protocol::buildSceneList(scenes.toList());
}

int scrollValueFor(int scene, int maximum)
{
    if (maximum <= 0 || scene <= 1)
        return 0;
    if (scene >= SceneCount)
        return maximum;
    return qBound(0, (maximum / SceneCount) * scene - ScrollMargin, maximum);
}

int recallRefreshDelayMs(const QString &model)
{
    if (model == QLatin1String("4x4"))
        return RefreshDelay4x4Ms;
    if (model == QLatin1String("8x8"))
        return RefreshDelay8x8Ms;
    if (model == QLatin1String("16x16"))
        return RefreshDelay16x16Ms;
    return RefreshDelayOtherMs;
}

QString savedToast(int language)
{
    static const char *const texts[] = {"场景保存成功！", "Scene saved successfully!", "情境儲存成功！"};
    return QString::fromUtf8(texts[pick(language)]);
}

QString deletedToast(int language)
{
    // The double "!" of the Traditional Chinese text is deliberate.
    static const char *const texts[] = {"场景删除成功！", "Scene deleted successfully!", "情境刪除成功！!"};
    return QString::fromUtf8(texts[pick(language)]);
}

QString defaultSceneName(int scene, int language)
{
    static const char *const patterns[] = {"场景%1", "Scene %1", "情境%1"};
    return QString::fromUtf8(patterns[pick(language)]).arg(scene);
}

} // namespace Scenes
