// MainWindow: the feature pages, their placement and the forwards that keep
// the window's slot names working.
#include "mainwindow/mainwindow.h"

#include <QAction>
#include <QBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/commonlyused.h"
#include "mainwindow/cec/cecpage.h"
#include "mainwindow/edid/edidpage.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/naming/renamepage.h"
#include "mainwindow/output/outputpage.h"
#include "mainwindow/partition/partitionpage.h"
#include "mainwindow/portstatus/portstatuspage.h"
#include "mainwindow/scenes/scenepanel.h"
#include "mainwindow/subtitle/subtitle_set.h"
#include "mainwindow/subtitle/subtitleflow.h"
#include "mainwindow/switching/switchingpage.h"
#include "mainwindow/system/equipmentcontrolpage.h"
#include "mainwindow/system/firmwarepage.h"
#include "mainwindow/system/languagepage.h"
#include "mainwindow/system/modelsettingpage.h"
#include "mainwindow/system/networksettingspage.h"
#include "mainwindow/system/versionspanel.h"
#include "mainwindow/transfer/transferrunner.h"
#include "mainwindow/wall/splicingpage.h"
#include "ui_mainwindow.h"
#include "widgets/my_toolbutton.h"
#include "widgets/mybutton.h"
#include "widgets/mylineedit.h"

namespace {
constexpr int ChannelRenameSubPage = 6;

// `page` shows `content` edge to edge.
void fill(QWidget *page, QWidget *content)
{
    auto *layout = page->layout();
    if (!layout) {
        layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    layout->addWidget(content);
}

// Pages that must not be used while the device cycles through scenes.
constexpr const char *PollingLockedPages[] = {"page_2", "page_3", "page_4", "page_111", "page_6", "page_7"};
} // namespace

void MainWindow::setupPages()
{
    // Names first: nothing may store names before the operator's are read.
    m_names = new NameStore(this);
    m_names->setLanguage(CommonlyUsed::getLanguageIndex());
    if (!m_names->load())
        qWarning() << "channel names could not be read; they are not overwritten";
    saveNamesHook = [this] { m_names->saveAll(true); };

    // Before the pages: the firmware and EDID pages follow its transfers.
    m_transferRunner = new TransferRunner(this);
    m_transferRunner->registerBranches();

    m_switchingPage = new SwitchingPage(this, m_names, ui->page_1);
    fill(ui->page_1, m_switchingPage);
    m_scenePanel = new ScenePanel(this, m_names, m_switchingPage->scenePanelHost());
    fill(m_switchingPage->scenePanelHost(), m_scenePanel);
    m_renamePage = new RenamePage(this, m_names, ui->page_77);
    fill(ui->page_77, m_renamePage);
    m_outputPage = new OutputPage(this, m_names, ui->page_2);
    fill(ui->page_2, m_outputPage);
    m_cecPage = new CecPage(this, ui->page_3);
    fill(ui->page_3, m_cecPage);
    // The wall and the splitter: kept current by the device's answers.
    m_splicingPage = new SplicingPage(this, m_names, ui->page_4);
    fill(ui->page_4, m_splicingPage);
    connect(m_switchingPage, &SwitchingPage::routeShown, m_splicingPage, &SplicingPage::showRoute);
    m_partitionPage = new PartitionPage(this, m_names, ui->page_5);
    fill(ui->page_5, m_partitionPage);
    m_edidPage = new EdidPage(this, m_names, ui->page_6);
    fill(ui->page_6, m_edidPage);
    m_portStatusPage = new PortStatusPage(this, m_names, ui->page_111);
    fill(ui->page_111, m_portStatusPage);
    // The port cards show what the other pages read.
    connect(m_switchingPage, &SwitchingPage::inputResolutionShown, m_portStatusPage,
            &PortStatusPage::showInputResolution);
    connect(m_outputPage, &OutputPage::outputResolutionShown, m_portStatusPage,
            &PortStatusPage::showOutputResolution);
    connect(this, &MainWindow::Send_PictureSliders, m_outputPage, &OutputPage::setPictureSliders);

    // System settings sub-pages (user management and channel renaming are
    // placed elsewhere) and the versions over the console.
    m_modelSettingPage = new ModelSettingPage(this, ui->page_11);
    fill(ui->page_11, m_modelSettingPage);
    m_networkPage = new NetworkSettingsPage(this, ui->page_33);
    fill(ui->page_33, m_networkPage);
    m_firmwarePage = new FirmwarePage(this, ui->page_44);
    fill(ui->page_44, m_firmwarePage);
    m_equipmentPage = new EquipmentControlPage(this, ui->page_55);
    fill(ui->page_55, m_equipmentPage);
    m_languagePage = new LanguagePage(this, ui->page_66);
    fill(ui->page_66, m_languagePage);
    m_versionsPanel = new VersionsPanel(ui->page_222);
    if (auto *box = qobject_cast<QBoxLayout *>(ui->page_222->layout()))
        box->insertWidget(0, m_versionsPanel);
    m_firmwarePage->applyModel(CommonlyUsed::deviceType);
    m_versionsPanel->applyModel(CommonlyUsed::deviceType);
    connect(this, &MainWindow::Send_ModelApplied, m_firmwarePage, &FirmwarePage::applyModel);
    connect(this, &MainWindow::Send_ModelApplied, m_versionsPanel, &VersionsPanel::applyModel);

    // The subtitle belongs to an input: its menu pops up on the switching
    // page's input buttons.
    m_subtitleFlow = new SubtitleFlow(this);
    connect(m_subtitleAction, &QAction::triggered, this, &MainWindow::Open_Subtitle_Set);
    for (my_ToolButton *button : m_switchingPage->inputButtons()) {
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QWidget::customContextMenuRequested, this, [this, button](const QPoint &pos) {
            const int input = button->property("inputNumber").toInt();
            if (input < 1)
                return;
            Currunt_ToolButton_HDMI = input;
            m_subtitleMenu->popup(button->mapToGlobal(pos));
        });
    }

    connect(this, &MainWindow::Send_LinkLost, this, [this] { setPollingRunning(false); });
    connect(this, &MainWindow::Send_EndRename, this, &MainWindow::endRename);
    connect(this, &MainWindow::Send_LanguageChanged, this,
            [this] { m_names->setLanguage(CommonlyUsed::getLanguageIndex()); });
    connect(this, &MainWindow::Send_FactoryNames, this, [this] {
        for (NameStore::Kind kind : {NameStore::Input, NameStore::Output, NameStore::Scene})
            m_names->resetAll(kind);
        if (!m_names->saveAll(true))
            qWarning() << "factory names could not be stored";
    });
    // Each page lays itself out for the model known now (the default until
    // the device answers) and follows Send_ModelApplied.
}

void MainWindow::setPollingRunning(bool running)
{
    pollingRunning = running;
    for (const char *name : PollingLockedPages) {
        if (auto *page = findChild<QWidget *>(QLatin1String(name)))
            page->setEnabled(!running);
    }
    emit Send_PollingChanged(running);
}

void MainWindow::on_pushButton_ChannelRename_clicked()
{
    pageUpTurningMode(ui->stackedWidget_SystemSettings, ChannelRenameSubPage);
}

void MainWindow::Open_Subtitle_Set()
{
    m_subtitleFlow->query(Currunt_ToolButton_HDMI);
}

void MainWindow::refreshSwitchStatus(QString reply)
{
    m_switchingPage->refreshSwitchStatus(reply);
}

void MainWindow::refreshSceneStatus(QString reply)
{
    m_scenePanel->refreshSceneStatus(reply);
}

void MainWindow::Route_selection_currentTextChanged(QString model)
{
    m_switchingPage->Route_selection_currentTextChanged(model);
    m_renamePage->applyModel(model);
}

void MainWindow::Route_selection_EDID_currentTextChanged(QString model)
{
    m_edidPage->Route_selection_EDID_currentTextChanged(model);
}

void MainWindow::setPartitionMode(QString mode)
{
    m_partitionPage->setPartitionMode(mode);
}

void MainWindow::OutputSetting_currentTextChanged(QString model)
{
    m_outputPage->OutputSetting_currentTextChanged(model);
}

void MainWindow::Delete_scene()
{
    m_scenePanel->Delete_scene();
}

void MainWindow::Get_InputButton(my_ToolButton *nbutton, QLineEdit *nlineEdit, int number)
{
    Q_UNUSED(number)
    m_renameKind = 1;
    m_renameButton = nbutton;
    m_renameScene.clear();
    if (auto *editor = qobject_cast<MyLineEdit *>(nlineEdit))
        connect(editor, &MyLineEdit::renamefinished, this, &MainWindow::onRenameFinished, Qt::UniqueConnection);
}

void MainWindow::Get_SceneButton(MyButton *nbutton, QLineEdit *nlineEdit, int number)
{
    Q_UNUSED(number)
    m_renameKind = 2;
    m_renameScene = nbutton;
    m_renameButton.clear();
    if (auto *editor = qobject_cast<MyLineEdit *>(nlineEdit))
        connect(editor, &MyLineEdit::renamefinished, this, &MainWindow::onRenameFinished, Qt::UniqueConnection);
}

void MainWindow::onRenameFinished()
{
    // The editor finished on its own (Enter, Escape, focus loss): nothing is
    // left for a later click to commit. An older editor that finishes after
    // the next rename opened leaves that one alone.
    const QObject *owner = sender() ? sender()->parent() : nullptr;
    if (owner && (owner == m_renameButton.data() || owner == m_renameScene.data()))
        m_renameKind = 0;
}

void MainWindow::endRename()
{
    const int kind = m_renameKind;
    m_renameKind = 0;
    if (kind == 1 && m_renameButton) {
        m_renameButton->m_ReName(MyLineEdit::FinishAccept);
    } else if (kind == 2 && m_renameScene) {
        sceneNamesEdited = true;
        m_renameScene->m_ReName(MyLineEdit::FinishAccept);
    }
}
