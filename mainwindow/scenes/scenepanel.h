#pragma once

#include <QList>
#include <QPointer>
#include <QVector>
#include <QWidget>

#include "mainwindow/scenes/scene_polling.h"

class MainWindow;
class MyButton;
class NameStore;

namespace Ui {
class ScenePanel;
}

// The scene block of the switching page: 32 scene buttons, store, recall,
// delete, and the device's scene polling (settings dialog, start/stop).
class ScenePanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(ScenePanel)
public:
    // Button looks of a scene the device holds and of an empty one.
    static constexpr char StoredLook[] = "QPushButton{background-color:rgb(0,81,116);}"
                                         "QPushButton:hover{background-color:rgb(0,170,0);}"
                                         "QPushButton:checked{background-color:rgb(0,170,0);}";
    static constexpr char EmptyLook[] = "QPushButton{background-color:rgb(43,146,251);}"
                                        "QPushButton:hover{background-color:rgb(0,170,0);}"
                                        "QPushButton:checked{background-color:rgb(0,170,0);}";
    static constexpr int SceneColumns = 2;
    static constexpr int SceneButtonMinHeight = 48;

    ScenePanel(MainWindow *window, NameStore *names, QWidget *parent = nullptr);
    ~ScenePanel() override;

    const QList<MyButton *> &sceneButtons() const { return m_scenes; }
    int selectedScene() const { return m_selectedScene; }
    QVector<int> pollList() const { return m_pollList; }
    // Seconds as the device last reported them (0 before any answer).
    int pollInterval() const { return m_pollInterval; }
    // The polling settings dialog while it is open.
    Scene_Polling *pollingDialog() const { return m_dialog; }
    // The scene the open deletion question is about (0 when none).
    int sceneToDelete() const { return m_sceneToDelete; }

public slots:
    // Marks the stored scenes named in a scene-status answer.
    void refreshSceneStatus(const QString &text);
    // Every scene button back to the empty look (factory reset).
    void showAllScenesEmpty();
    void pushButton_scene_clicked();
    void on_pushButton_Scene_saving_clicked();
    void on_pushButton_Scene_call_clicked();
    void on_pushButton_Scene_deletion_clicked();
    // The operator confirmed the deletion.
    void Delete_scene();
    void on_pushButton_ScenePollingSet_clicked();
    void on_pushButton_ScenePollingStart_clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildSceneButtons();
    void registerBranches();
    // Scene controls locked while the device polls; the start button says
    // what a press will do.
    void showPollingState(bool running);
    // Asks whether `scene` exists; the status answer then recalls or
    // deletes it (Scene_Call_OR_Delete_Falg 1 or 2).
    void checkScene(int scene, int flag);
    void onSceneStatusAnswer(const QString &text);
    void onSceneCalled(const QString &text);
    void onPollingCalled(const QString &text);
    // After the model is known: is the device polling, which scenes does it hold.
    void queryDeviceScenes();
    // Scrolls the scene area to button `scene` and checks it.
    void showScene(int scene);
    void setStored(int scene, bool stored);
    bool isSceneNumber(int scene) const;
    // Routing (and on request the input resolutions) after a recall.
    void refreshRoutingAfterRecall(bool withResolutions);
    void sendPollingSettings(int seconds, const QVector<int> &scenes);
    void toast(const QString &text, bool success);

    Ui::ScenePanel *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    QList<MyButton *> m_scenes;
    QPointer<Scene_Polling> m_dialog;
    int m_selectedScene = 0;
    QVector<int> m_pollList;
    int m_pollInterval = 0;
    // Set when the polling dialog was first opened; never cleared.
    bool m_dialogOpened = false;
    // Captured when the delete button is pressed, so a selection made while
    // the question is open does not change what is deleted.
    int m_sceneToDelete = 0;
    // The scene whose existence check is under way (recall or deletion).
    int m_checkedScene = 0;
    // Dispatcher depth of the call in which the polling-stopped answer came
    // after a polling recall in the same text.
    static constexpr int NoDepth = -1;
    int m_pollingStoppedAtDepth = NoDepth;
};
