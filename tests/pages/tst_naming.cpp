// Channel and scene names end to end: the rename page, the in-place editors
// of the switching page, the name store and "SignalSwitching.ini".
#include "tests/pages/pages_harness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSettings>

#include <unistd.h>

#include "mainwindow/naming/buttontext.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/naming/renamepage.h"
#include "mainwindow/switching/switchingpage.h"
#include "widgets/my_toolbutton.h"
#include "widgets/mylineedit.h"

namespace {
QString pageText(const char *source)
{
    return QCoreApplication::translate("RenamePage", source);
}

void fill(const QList<QLineEdit *> &edits, const QStringList &names)
{
    for (int i = 0; i < edits.size(); ++i)
        edits[i]->setText(i < names.size() ? names[i] : QString());
}
} // namespace

class TestNaming : public QObject
{
    Q_OBJECT

    PagesHarness h;

    RenamePage *page() const { return h.window()->renamePage(); }
    NameStore *store() const { return h.window()->nameStore(); }
    QString configDir() const { return h.appDir() + QStringLiteral("/ConfigurationFile/LoginSystem"); }
    QString iniPath() const { return configDir() + QStringLiteral("/SignalSwitching.ini"); }
    QString stored(const QString &key) const
    {
        QSettings settings(iniPath(), QSettings::IniFormat);
        return settings.value(key).toString();
    }
    QByteArray fileBytes() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // A press on the main window outside every page, as on its status bar.
    void clickStatusBar()
    {
        auto *bar = h.window()->findChild<QWidget *>(QStringLiteral("widget_statusBar"));
        QVERIFY(bar);
        QTest::mouseClick(
            h.window(), Qt::LeftButton, Qt::NoModifier, bar->mapTo(h.window(), bar->rect().center()));
    }
    my_ToolButton *inputButton(int number) const
    {
        return h.window()->switchingPage()->inputButtons().value(number - 1);
    }

private slots:
    void initTestCase()
    {
        CommonlyUsed::setLanguageIndex(0);
        QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("8x8") }), qPrintable(h.error()));
        QVERIFY(page());
    }

    void bulkSaveReachesButtonsFileAndNextStart()
    {
        QVERIFY(h.useModel(QStringLiteral("8x8")));
        const QStringList names = { QStringLiteral("Camera&Stage"), QStringLiteral("50% Mix"),
            QStringLiteral("a=b;c"), QStringLiteral("一号,会议室"), QStringLiteral("投影机左"),
            QStringLiteral("L;R \"x\""), QStringLiteral("Desk"), QStringLiteral("#hash [k]") };
        fill(page()->inputEdits(), names);
        page()->on_pushButton_SaveInput_clicked();
        QCOMPARE(h.window()->lastToast(), pageText("输入通道名称修改成功！"));

        // The button shows the name wrapped after 8 characters, "&" doubled.
        QTRY_COMPARE(inputButton(1)->text(), QStringLiteral("Camera&&S\ntage"));
        QCOMPARE(inputButton(2)->text(), QStringLiteral("50% Mix"));
        QCOMPARE(inputButton(4)->text(), QStringLiteral("一号,会议室"));
        QCOMPARE(
            stored(QStringLiteral("toolButton_HDMI/toolButton_value0")), QStringLiteral("Camera&&S\ntage"));
        QCOMPARE(stored(QStringLiteral("toolButton_HDMI/toolButton_value2")), QStringLiteral("a=b;c"));

        // What a restarted program reads.
        NameStore next;
        QVERIFY(next.load());
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(next.name(NameStore::Input, i + 1), names[i]);
    }

    void allEmptyIsRefusedAndWritesNothing()
    {
        QVERIFY(h.useModel(QStringLiteral("8x8")));
        store()->setName(NameStore::Input, 1, QStringLiteral("Keep me"));
        QVERIFY(store()->save(NameStore::Input));
        const QByteArray before = fileBytes();

        // Blanks count as empty; a row past the matrix size does not count.
        fill(page()->inputEdits(), { QString(), QStringLiteral("   ") });
        page()->inputEdits()[12]->setText(QStringLiteral("Hidden"));
        page()->on_pushButton_SaveInput_clicked();
        QCOMPARE(h.window()->lastToast(), pageText("输入名称全部为空！"));
        QCOMPARE(fileBytes(), before);
        QCOMPARE(store()->name(NameStore::Input, 1), QStringLiteral("Keep me"));

        fill(page()->sceneEdits(), {});
        page()->on_pushButton_SaveScene_clicked();
        QCOMPARE(h.window()->lastToast(), pageText("场景名称全部为空！"));
        QCOMPARE(fileBytes(), before);

        // Every scene row counts, the last one too; blank rows keep their names.
        store()->setName(NameStore::Scene, 1, QStringLiteral("Morning"));
        page()->sceneEdits()[0]->clear();
        page()->sceneEdits()[31]->setText(QStringLiteral("Close"));
        page()->on_pushButton_SaveScene_clicked();
        QCOMPARE(h.window()->lastToast(), pageText("场景通道名称修改成功！"));
        QCOMPARE(
            stored(QStringLiteral("pushButton_scene/pushButton_scene_value31")), QStringLiteral("Close"));
        QCOMPARE(
            stored(QStringLiteral("pushButton_scene/pushButton_scene_value0")), QStringLiteral("Mornin\ng"));
        QCOMPARE(page()->sceneEdits()[0]->text(), QStringLiteral("Morning"));
    }

    void smallMatrixSavesItsOutputs()
    {
        QVERIFY(h.useModel(QStringLiteral("4x2")));
        const auto outputs = page()->outputEdits();
        QVERIFY(!outputs[1]->isHidden());
        QVERIFY(outputs[2]->isHidden());
        QVERIFY(!page()->inputEdits()[3]->isHidden());
        QVERIFY(page()->inputEdits()[4]->isHidden());
        QVERIFY(!page()->sceneEdits()[31]->isHidden());

        fill(outputs, { QStringLiteral("Main TV"), QStringLiteral("Booth") });
        page()->on_pushButton_SaveOutput_clicked();
        QCOMPARE(h.window()->lastToast(), pageText("输出通道名称修改成功！"));
        QCOMPARE(stored(QStringLiteral("pushButton_OutPutHDMI/OutPutHDMI_value1")), QStringLiteral("Booth"));
        QCOMPARE(store()->name(NameStore::Output, 1), QStringLiteral("Main TV"));
    }

    void loadAfterClearRestoresStoredNames()
    {
        store()->setName(NameStore::Input, 3, QStringLiteral("Lectern"));
        store()->setName(NameStore::Scene, 2, QStringLiteral("Panel"));
        page()->on_pushButton_ClearInput_clicked();
        page()->on_pushButton_ClearOutput_clicked();
        page()->on_pushButton_ClearScene_clicked();
        QCOMPARE(page()->inputEdits()[2]->text(), QStringLiteral("HDMI-3"));
        QCOMPARE(page()->outputEdits()[15]->text(), QStringLiteral("HDMI-16"));
        QCOMPARE(page()->sceneEdits()[1]->text(), pageText("场景 %1").arg(2));

        page()->on_pushButton_LoadInput_clicked();
        page()->on_pushButton_LoadScene_clicked();
        QLineEdit *input = page()->inputEdits()[2];
        QCOMPARE(input->text(), QStringLiteral("Lectern"));
        QCOMPARE(input->toolTip(), QStringLiteral("Lectern"));
        QCOMPARE(input->cursorPosition(), 0);
        QCOMPARE(page()->sceneEdits()[1]->text(), QStringLiteral("Panel"));
    }

    void fieldsTakeTheEditorLimitsButKeepLongerNames()
    {
        const QString typed(30, QLatin1Char('x'));
        QLineEdit *input = page()->inputEdits()[5];
        input->clear();
        QTest::keyClicks(input, typed);
        QCOMPARE(input->text().size(), ButtonText::InputMaxLength);
        QLineEdit *scene = page()->sceneEdits()[5];
        scene->clear();
        QTest::keyClicks(scene, typed);
        QCOMPARE(scene->text().size(), ButtonText::SceneMaxLength);

        // A longer name from the file is shown whole, not cut by the limit.
        const QString longName = QStringLiteral("Auditorium rear projector left");
        store()->setName(NameStore::Input, 6, longName);
        page()->on_pushButton_LoadInput_clicked();
        QCOMPARE(input->text(), longName);

        CommonlyUsed::setLanguageIndex(1);
        emit h.window()->Send_LanguageChanged();
        auto restore = qScopeGuard([this] {
            CommonlyUsed::setLanguageIndex(0);
            emit h.window()->Send_LanguageChanged();
        });
        QLineEdit *output = page()->outputEdits()[0];
        output->clear();
        QTest::keyClicks(output, typed);
        QCOMPARE(output->text().size(), ButtonText::InputMaxLengthEnglish);
        QCOMPARE(input->text(), longName);
        page()->on_pushButton_ClearScene_clicked();
        QCOMPARE(page()->sceneEdits()[8]->text(), QStringLiteral("Scene 9"));
    }

    void unwritableFileReportsFailure()
    {
        QVERIFY(h.useModel(QStringLiteral("8x8")));
        QVERIFY(store()->save(NameStore::Input));
        const QByteArray before = fileBytes();
        QVERIFY(!before.isEmpty());

        const auto undo = [this] {
            QFile::setPermissions(configDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::WriteOwner);
            if (QFileInfo(iniPath()).isDir()) {
                QDir().rmdir(iniPath());
                QFile::rename(iniPath() + QStringLiteral(".aside"), iniPath());
            }
        };
        auto guard = qScopeGuard(undo);
        if (geteuid() != 0) {
            QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            QVERIFY(QFile::setPermissions(configDir(),
                QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                    | QFile::ExeOther));
        } else {
            // Modes do not stop root: a directory in the file's place does.
            QVERIFY(QFile::rename(iniPath(), iniPath() + QStringLiteral(".aside")));
            QVERIFY(QDir().mkdir(iniPath()));
        }

        fill(page()->inputEdits(), { QStringLiteral("Not stored") });
        page()->on_pushButton_SaveInput_clicked();
        QCOMPARE(h.window()->lastToast(), pageText("名称保存失败！"));

        guard.dismiss();
        undo();
        QCOMPARE(fileBytes(), before);
    }

    void inPlaceRenameWrapsAndStores()
    {
        my_ToolButton *button = inputButton(1);
        QVERIFY(button);
        QTest::mouseDClick(button, Qt::LeftButton);
        QVERIFY(button->editor()->isVisible());
        QTest::keyClicks(button->editor(), QStringLiteral("Projector"));
        QTest::keyClick(button->editor(), Qt::Key_Return);

        QTRY_COMPARE(button->text(), QStringLiteral("Projecto\nr"));
        QTRY_COMPARE(store()->name(NameStore::Input, 1), QStringLiteral("Projector"));
        QTRY_COMPARE(
            stored(QStringLiteral("toolButton_HDMI/toolButton_value0")), QStringLiteral("Projecto\nr"));
        QCOMPARE(page()->inputEdits()[0]->text(), QStringLiteral("Projector"));
    }

    void escapeRestoresAndClickElsewhereCommitsOnlyOpenEdits()
    {
        my_ToolButton *button = inputButton(1);
        const QString before = button->text();
        QTest::mouseDClick(button, Qt::LeftButton);
        QTest::keyClicks(button->editor(), QStringLiteral("Discarded"));
        QTest::keyClick(button->editor(), Qt::Key_Escape);
        QCOMPARE(button->text(), before);
        clickStatusBar();
        QTest::qWait(50);
        QCOMPARE(button->text(), before);
        QCOMPARE(store()->name(NameStore::Input, 1), QStringLiteral("Projector"));

        // An edit still open is taken by the click.
        QTest::mouseDClick(button, Qt::LeftButton);
        QTest::keyClicks(button->editor(), QStringLiteral("Podium"));
        clickStatusBar();
        QTRY_COMPARE(button->text(), QStringLiteral("Podium"));
        QTRY_COMPARE(store()->name(NameStore::Input, 1), QStringLiteral("Podium"));
    }
};

QTEST_MAIN(TestNaming)
#include "tst_naming.moc"
