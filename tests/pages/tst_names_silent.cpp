// The operator's names when the device is off: the window shows them from
// the start, and entering the switching page or leaving the program stores
// them unchanged instead of "HDMI-1..16".
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/scenes/scenepanel.h"
#include "mainwindow/switching/switchingpage.h"
#include "resources/trivaneresources.h"
#include "widgets/my_toolbutton.h"
#include "widgets/mybutton.h"
#include "widgets/signalswitchbut.h"

class TestNamesSilent : public QObject
{
    Q_OBJECT
private slots:
    void namesSurviveADeviceThatNeverAnswers();
};

void TestNamesSilent::namesSurviveADeviceThatNeverAnswers()
{
    Trivane::initResources();
    QTemporaryDir appDir;
    QVERIFY(appDir.isValid());
    CommonlyUsed::setApplicationDirOverride(appDir.path());
    QVERIFY(QDir().mkpath(SettingsCatalogue::loginSystemDir()));
    const QString file = SettingsCatalogue::filePath(SettingsCatalogue::File::SignalSwitching);
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("toolButton_HDMI/toolButton_value0"), QStringLiteral("Podium"));
        settings.setValue(QStringLiteral("toolButton_HDMI/toolButton_value2"), QStringLiteral("讲台&&电脑"));
        settings.setValue(QStringLiteral("pushButton_OutPutHDMI/OutPutHDMI_value1"), QStringLiteral("Left Wall"));
        settings.setValue(QStringLiteral("pushButton_scene/pushButton_scene_value4"), QStringLiteral("Film"));
    }

    // No device at all: the model is never reported.
    MainWindow *w = MainWindow::getInstance();
    SwitchingPage *page = w->switchingPage();
    QCOMPARE(page->inputButtons().at(0)->text(), QStringLiteral("Podium"));
    QCOMPARE(page->inputButtons().at(1)->text(), QStringLiteral("HDMI-2"));
    QCOMPARE(page->inputButtons().at(2)->text(), QStringLiteral("讲台&&电脑"));
    QCOMPARE(page->tiles().at(1)->outputName(), QStringLiteral("Left Wall"));
    QCOMPARE(w->scenePanel()->sceneButtons().at(4)->text(), QStringLiteral("Film"));

    // Entering the page and closing store the names: still the operator's.
    w->on_pushButton_SignalSwitching_clicked();
    page->refresh();
    w->saveNamesHook();
    delete w;

    NameStore again;
    QVERIFY(again.load());
    QCOMPARE(again.name(NameStore::Input, 1), QStringLiteral("Podium"));
    QCOMPARE(again.name(NameStore::Input, 3), QStringLiteral("讲台&电脑"));
    QCOMPARE(again.name(NameStore::Output, 2), QStringLiteral("Left Wall"));
    QCOMPARE(again.name(NameStore::Scene, 5), QStringLiteral("Film"));
    QVERIFY(!again.hasName(NameStore::Input, 2));
}

QTEST_MAIN(TestNamesSilent)
#include "tst_names_silent.moc"
