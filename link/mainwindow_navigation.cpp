// MainWindow: navigation buttons and the page slide animations.
#include "mainwindow/mainwindow.h"

#include <QEasingCurve>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QStackedWidget>

#include "app/commonlyused.h"
#include "link/protocol/protocol.h"
#include "mainwindow/portstatus/portstatuspage.h"
#include "mainwindow/system/equipmentcontrolpage.h"
#include "mainwindow/system/modelsettingpage.h"
#include "mainwindow/system/networksettingspage.h"
#include "ui_mainwindow.h"

namespace {
constexpr int HorizontalSlideMs = 400;
constexpr int VerticalSlideMs = 300;

enum Page {
    SignalSwitchingPage = 0,
    OutputSettingPage,
    CecControlPage,
    SplicingControlPage,
    PartitionModePage,
    EdidSettingsPage,
    SystemSettingsPage,
    SystemInformationPage,
};
constexpr int ModelSettingSubPage = 0;
constexpr int UserManagementSubPage = 1;
constexpr int NetworkSubPage = 2;
constexpr int FirmwareSubPage = 3;
// The link's recovery re-reads the device information on this one.
constexpr int EquipmentControlSubPage = 4;
constexpr int LanguageSubPage = 5;
constexpr int PortStatusSubPage = 0;
constexpr int AboutSubPage = 1;
} // namespace

QStackedWidget *MainWindow::matrixStack() const
{
    return ui->stackedWidget_matrix;
}

bool MainWindow::navigateTo(int page)
{
    m_pendingPage = page;
    pageTurningMode();
    // An ignored slide (another one runs) leaves the old page on show.
    return currentPage == page;
}

void MainWindow::pageTurningMode()
{
    const int index = ui->stackedWidget_matrix->currentIndex();
    if (index < m_pendingPage)
        onslotBtnNext();
    else if (index > m_pendingPage)
        onslotBtnPre();
}

void MainWindow::onslotBtnNext()
{
    slideTo(true);
}

void MainWindow::onslotBtnPre()
{
    slideTo(false);
}

void MainWindow::slideTo(bool next)
{
    if (m_horizontalSliding)
        return;
    m_horizontalSliding = true;
    // The page the queries and the heartbeat address is the one that shows.
    currentPage = m_pendingPage;

    QStackedWidget *stack = ui->stackedWidget_matrix;
    QWidget *oldPage = stack->currentWidget();
    const int w = oldPage->width();
    const int h = oldPage->height();
    stack->setCurrentIndex(currentPage);
    QWidget *newPage = stack->currentWidget();
    oldPage->show();
    oldPage->raise();
    newPage->raise();

    auto *group = new QParallelAnimationGroup(this);
    auto *oldAnim = new QPropertyAnimation(oldPage, "geometry", group);
    oldAnim->setDuration(HorizontalSlideMs);
    oldAnim->setEasingCurve(QEasingCurve::Linear);
    oldAnim->setStartValue(QRect(0, 0, w, h));
    oldAnim->setEndValue(next ? QRect(-w, 0, w, h) : QRect(w, 0, w, h));
    auto *newAnim = new QPropertyAnimation(newPage, "geometry", group);
    newAnim->setDuration(HorizontalSlideMs);
    newAnim->setEasingCurve(QEasingCurve::Linear);
    newAnim->setStartValue(next ? QRect(w, 0, w, h) : QRect(-w, 0, w, h));
    newAnim->setEndValue(QRect(0, 0, w, h));
    group->addAnimation(oldAnim);
    group->addAnimation(newAnim);
    group->setProperty("widget", QVariant::fromValue(oldPage));
    connect(group, &QParallelAnimationGroup::finished, this, &MainWindow::onAnimationFinished);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainWindow::onAnimationFinished()
{
    auto *group = qobject_cast<QAbstractAnimation *>(sender());
    if (group) {
        if (auto *widget = group->property("widget").value<QWidget *>())
            widget->hide();
    }
    m_horizontalSliding = false;
}

void MainWindow::pageUpTurningMode(QStackedWidget *stack, int index)
{
    if (!stack)
        return;
    const int current = stack->currentIndex();
    if (current < index)
        onUpSlotBtnNext(stack, index);
    else if (current > index)
        onUpSlotBtnPre(stack, index);
}

void MainWindow::onUpSlotBtnNext(QStackedWidget *stack, int index)
{
    verticalSlide(stack, index, true);
}

void MainWindow::onUpSlotBtnPre(QStackedWidget *stack, int index)
{
    verticalSlide(stack, index, false);
}

void MainWindow::verticalSlide(QStackedWidget *stack, int index, bool next)
{
    if (m_verticalSliding || index < 0 || index >= stack->count())
        return;
    m_verticalSliding = true;
    QWidget *oldPage = stack->currentWidget();
    const int w = oldPage->width();
    const int h = oldPage->height();
    stack->setCurrentIndex(index);
    QWidget *newPage = stack->currentWidget();
    oldPage->show();

    auto *group = new QParallelAnimationGroup(this);
    auto *oldAnim = new QPropertyAnimation(oldPage, "geometry", group);
    oldAnim->setDuration(VerticalSlideMs);
    oldAnim->setEasingCurve(QEasingCurve::InQuad);
    oldAnim->setStartValue(QRect(0, 0, w, h));
    oldAnim->setEndValue(next ? QRect(0, -h, w, h) : QRect(0, h, w, h));
    auto *newAnim = new QPropertyAnimation(newPage, "geometry", group);
    newAnim->setDuration(VerticalSlideMs);
    newAnim->setEasingCurve(QEasingCurve::InQuad);
    newAnim->setStartValue(next ? QRect(0, h, w, h) : QRect(0, -h, w, h));
    newAnim->setEndValue(QRect(0, 0, w, h));
    group->addAnimation(oldAnim);
    group->addAnimation(newAnim);
    group->setProperty("widget", QVariant::fromValue(oldPage));
    connect(group, &QParallelAnimationGroup::finished, this, &MainWindow::onUpAnimationFinished);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainWindow::onUpAnimationFinished()
{
    auto *group = qobject_cast<QAbstractAnimation *>(sender());
    if (group) {
        if (auto *widget = group->property("widget").value<QWidget *>())
            widget->hide();
    }
    m_verticalSliding = false;
}

// The page queries of each navigation button belong to the feature pages;
// they subscribe to Send_PageShown.
void MainWindow::on_pushButton_SignalSwitching_clicked()
{
    if (navigateTo(SignalSwitchingPage))
        emit Send_PageShown(SignalSwitchingPage);
}

void MainWindow::on_pushButton_OutputSetting_clicked()
{
    if (navigateTo(OutputSettingPage))
        emit Send_PageShown(OutputSettingPage);
}

void MainWindow::on_pushButton_CecControl_clicked()
{
    if (navigateTo(CecControlPage))
        emit Send_PageShown(CecControlPage);
}

void MainWindow::on_pushButton_SplicingControl_clicked()
{
    if (navigateTo(SplicingControlPage))
        emit Send_PageShown(SplicingControlPage);
}

void MainWindow::on_pushButton_PartitionMode_clicked()
{
    if (navigateTo(PartitionModePage))
        emit Send_PageShown(PartitionModePage);
}

void MainWindow::on_pushButton_EDIDSettings_clicked()
{
    if (navigateTo(EdidSettingsPage))
        emit Send_PageShown(EdidSettingsPage);
}

void MainWindow::on_pushButton_SystemSettings_clicked()
{
    if (!navigateTo(SystemSettingsPage))
        return;
    emit Send_PageShown(SystemSettingsPage);
    // The sub-page on show reads the device as its own button would.
    switch (ui->stackedWidget_SystemSettings->currentIndex()) {
    case ModelSettingSubPage:
        m_modelSettingPage->onShown();
        break;
    case NetworkSubPage:
        m_networkPage->onShown();
        break;
    case EquipmentControlSubPage:
        m_equipmentPage->onShown();
        break;
    default:
        break;
    }
}

void MainWindow::on_pushButton_systemInformation_clicked()
{
    if (!navigateTo(SystemInformationPage))
        return;
    emit Send_PageShown(SystemInformationPage);
    // The signal state and resolutions are read on every entry, whichever
    // view shows (not while the device polls scenes).
    m_portStatusPage->refresh();
}

void MainWindow::on_pushButton_portStatus_clicked()
{
    pageUpTurningMode(ui->stackedWidget_systemInformation, PortStatusSubPage);
    m_portStatusPage->refresh();
}

void MainWindow::on_pushButton_About_clicked()
{
    pageUpTurningMode(ui->stackedWidget_systemInformation, AboutSubPage);
    ui->lineEdit_SendData->setFocus();
    if (!pollingRunning)
        sendData(QString::fromLatin1(Protocol::Command::Version));
}

void MainWindow::on_pushButton_Modelsetting_clicked()
{
    pageUpTurningMode(ui->stackedWidget_SystemSettings, ModelSettingSubPage);
    m_modelSettingPage->onShown();
}

void MainWindow::on_pushButton_IPSettings_clicked()
{
    pageUpTurningMode(ui->stackedWidget_SystemSettings, NetworkSubPage);
    m_networkPage->onShown();
}

void MainWindow::on_pushButton_FirmwareUpdate_clicked()
{
    pageUpTurningMode(ui->stackedWidget_SystemSettings, FirmwareSubPage);
}

void MainWindow::on_pushButton_Equipment_control_clicked()
{
    pageUpTurningMode(ui->stackedWidget_SystemSettings, EquipmentControlSubPage);
    m_equipmentPage->onShown();
}

void MainWindow::on_pushButton_UserManagement_clicked()
{
    pageUpTurningMode(ui->stackedWidget_SystemSettings, UserManagementSubPage);
}

void MainWindow::on_pushButton_LanguageSet_clicked()
{
    pageUpTurningMode(ui->stackedWidget_SystemSettings, LanguageSubPage);
}

bool MainWindow::aboutPageShown() const
{
    return ui->stackedWidget_matrix->currentIndex() == SystemInformationPage
           && ui->stackedWidget_systemInformation->currentIndex() == AboutSubPage;
}
