#include "mainwindow/scenes/scene_polling.h"

#include "ui_scene_polling.h"

#include <QEvent>

#include "app/commonlyused.h"
#include "mainwindow/scenes/scenemodel.h"
#include "widgets/projectlistwidget.h"
#include "widgets/tipsdecor.h"

Scene_Polling::Scene_Polling(QWidget *parent)
    : FBaseDialog(parent)
    , ui(new Ui::Scene_Polling)
{
    ui->setupUi(this);
    // Opened beside the main window, not over it: the device keeps being
    // operated while the list is put together.
    setWindowModality(Qt::NonModal);
    CommonlyUsed::Load_stylesheet(this, QStringLiteral(":/QSS/QSS/Login.qss"));
    setCornerRadius(CornerRadius);
    resize(DialogWidth, DialogHeight);
    ui->spinBox_TimeInterval->setRange(Scenes::MinIntervalSeconds, Scenes::MaxIntervalSeconds);
    ui->widget_TitleBar->setButtons(TitleBar::CloseButton);
    ui->widget_TitleBar->setTitleIcon(TipsDecor::trayIcon());
    connect(ui->widget_TitleBar, &TitleBar::send_close, this, [this] { closeWithAnimation(); });
    retranslate();
}

Scene_Polling::~Scene_Polling()
{
    delete ui;
}

void Scene_Polling::retranslate()
{
    setWindowTitle(tr("场景轮询设置"));
    ui->widget_TitleBar->setTitleContent(tr("场景轮询设置"));
}

QListWidgetItem *Scene_Polling::makeItem(int scene) const
{
    const QString name = m_scenes.contains(scene)
        ? m_scenes.value(scene)
        : Scenes::defaultSceneName(scene, CommonlyUsed::getLanguageIndex());
    QListWidgetItem *item = ProjectListWidget::makeItem(scene, name);
    item->setToolTip(name);
    return item;
}

void Scene_Polling::setPollList(QMap<int, QString> scenes, QList<int> pollList)
{
    m_scenes = scenes;
    ui->listWidget_Existing_scenes->clear();
    ui->listWidget_Polling_scenario->clear();
    for (int scene : qAsConst(pollList))
        ui->listWidget_Polling_scenario->addItem(makeItem(scene));
    for (auto it = m_scenes.cbegin(); it != m_scenes.cend(); ++it) {
        if (!pollList.contains(it.key()))
            ui->listWidget_Existing_scenes->addItem(makeItem(it.key()));
    }
}

void Scene_Polling::setInterval(int seconds)
{
    ui->spinBox_TimeInterval->setValue(Scenes::boundedInterval(seconds));
}

int Scene_Polling::interval() const
{
    return ui->spinBox_TimeInterval->value();
}

QVector<int> Scene_Polling::scenesOf(const QListWidget *list)
{
    QVector<int> scenes;
    for (int row = 0; row < list->count(); ++row)
        scenes.append(ProjectListWidget::sceneOf(list->item(row)));
    return scenes;
}

QVector<int> Scene_Polling::pollingScenes() const
{
    return scenesOf(ui->listWidget_Polling_scenario);
}

QVector<int> Scene_Polling::availableScenes() const
{
    return scenesOf(ui->listWidget_Existing_scenes);
}

void Scene_Polling::moveCurrent(QListWidget *from, QListWidget *to)
{
    QListWidgetItem *item = from->currentItem();
    if (!item)
        return;
    from->takeItem(from->row(item));
    const QListWidgetItem *after = to->currentItem();
    const int row = after ? to->row(after) + 1 : to->count();
    to->insertItem(row, item);
    to->setCurrentItem(item);
}

void Scene_Polling::moveAll(QListWidget *from, QListWidget *to)
{
    while (from->count() > 0)
        to->addItem(from->takeItem(0));
}

void Scene_Polling::on_pushButton_SenceAdd_clicked()
{
    moveCurrent(ui->listWidget_Existing_scenes, ui->listWidget_Polling_scenario);
}

void Scene_Polling::on_pushButton_SenceDel_clicked()
{
    moveCurrent(ui->listWidget_Polling_scenario, ui->listWidget_Existing_scenes);
}

void Scene_Polling::on_pushButton_SenceSelectAll_clicked()
{
    moveAll(ui->listWidget_Existing_scenes, ui->listWidget_Polling_scenario);
}

void Scene_Polling::on_pushButton_SenceSave_clicked()
{
    moveAll(ui->listWidget_Polling_scenario, ui->listWidget_Existing_scenes);
}

void Scene_Polling::on_pushButton_Scenario_Polling_OK_clicked()
{
    if (isCloseAnimationRunning())
        return;
    // A value typed but not yet committed counts.
    ui->spinBox_TimeInterval->interpretText();
    emit pollingSettingsAccepted(interval(), pollingScenes());
    closeWithAnimation();
}

void Scene_Polling::on_pushButton_Scenario_Polling_NO_clicked()
{
    closeWithAnimation();
}

void Scene_Polling::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslate();
    }
    FBaseDialog::changeEvent(event);
}
