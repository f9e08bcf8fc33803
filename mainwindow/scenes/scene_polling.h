#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVector>

#include "widgets/fbasedialog.h"

class QListWidget;
class QListWidgetItem;

namespace Ui {
class Scene_Polling;
}

// Scene polling settings: the stored scenes on the left, the device's
// polling list on the right, and the interval. The dialog sends nothing
// itself: OK hands the interval and the list to its owner.
class Scene_Polling final : public FBaseDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(Scene_Polling)
public:
    static constexpr int CornerRadius = 12;
    static constexpr int DialogWidth = 640;
    static constexpr int DialogHeight = 480;

    explicit Scene_Polling(QWidget *parent = nullptr);
    ~Scene_Polling() override;

    // The polling list shows the scenes of `pollList` in that order, the
    // source list the other scenes of `scenes` in number order. `scenes`
    // maps scene numbers to the names shown.
    void setPollList(QMap<int, QString> scenes, QList<int> pollList);
    // The interval the device reported, bounded to what the device accepts.
    void setInterval(int seconds);
    int interval() const;
    // Scene numbers of the polling list, top to bottom.
    QVector<int> pollingScenes() const;
    // Scene numbers of the source list, top to bottom.
    QVector<int> availableScenes() const;
    QMap<int, QString> sceneNames() const { return m_scenes; }

signals:
    // OK: the interval in seconds and the polling list in order.
    void pollingSettingsAccepted(int seconds, const QVector<int> &scenes);

public slots:
    void on_pushButton_SenceAdd_clicked();
    void on_pushButton_SenceSelectAll_clicked();
    void on_pushButton_SenceDel_clicked();
    void on_pushButton_SenceSave_clicked();
    void on_pushButton_Scenario_Polling_OK_clicked();
    void on_pushButton_Scenario_Polling_NO_clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    QListWidgetItem *makeItem(int scene) const;
    // Moves the current item of `from` to just after the current item of
    // `to` (its end when none is current) and makes it current there.
    static void moveCurrent(QListWidget *from, QListWidget *to);
    static void moveAll(QListWidget *from, QListWidget *to);
    static QVector<int> scenesOf(const QListWidget *list);
    void retranslate();

    Ui::Scene_Polling *ui = nullptr;
    QMap<int, QString> m_scenes;
};
