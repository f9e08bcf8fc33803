#include "app/commonlyused.h"
#include "tests/support/show_active.h"
#include "widgets/my_toolbutton.h"
#include "widgets/mybutton.h"
#include "widgets/mylineedit.h"
#include "widgets/projectlistwidget.h"

#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// Either kind of renamable button behind one face.
struct Renamable
{
    QAbstractButton *button = nullptr;
    std::function<void()> start;
    std::function<void(int)> finish;
    std::function<MyLineEdit *()> editor;
    std::unique_ptr<QSignalSpy> renamed;
};

Renamable makeRenamable(bool scene, QWidget *parent)
{
    Renamable r;
    if (scene) {
        auto *b = new MyButton(parent);
        r.button = b;
        r.start = [b] { b->startRename(); };
        r.finish = [b](int num) { b->m_ReName(num); };
        r.editor = [b] { return b->editor(); };
        r.renamed = std::make_unique<QSignalSpy>(b, &MyButton::send_Scene_renamed);
    } else {
        auto *b = new my_ToolButton(parent);
        r.button = b;
        r.start = [b] { b->startRename(); };
        r.finish = [b](int num) { b->m_ReName(num); };
        r.editor = [b] { return b->editor(); };
        r.renamed = std::make_unique<QSignalSpy>(b, &my_ToolButton::send_Input_signal);
    }
    r.button->resize(120, 60);
    return r;
}

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Presses in `list` at pressPos and moves past the start distance. The
// offscreen platform ends a drag at once, but the QDrag it made (with its
// data and source) stays a child of the list until events are processed.
QDrag *startDrag(ProjectListWidget *list, const QPoint &pressPos)
{
    QWidget *viewport = list->viewport();
    sendMouse(viewport, QEvent::MouseButtonPress, pressPos, Qt::LeftButton, Qt::LeftButton);
    const QPoint moved = pressPos + QPoint(QApplication::startDragDistance() + 2, 0);
    sendMouse(viewport, QEvent::MouseMove, moved, Qt::NoButton, Qt::LeftButton);
    return list->findChild<QDrag *>();
}

void fill(ProjectListWidget *list, const QList<int> &scenes)
{
    for (int scene : scenes)
        list->addItem(ProjectListWidget::makeItem(scene, QStringLiteral("Scene %1").arg(scene)));
}

QList<int> scenesOf(const ProjectListWidget *list)
{
    QList<int> scenes;
    for (int i = 0; i < list->count(); ++i)
        scenes << ProjectListWidget::sceneOf(list->item(i));
    return scenes;
}

} // namespace

class tst_RenameWidgets final : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { CommonlyUsed::setLanguageIndex(0); }

    void cancelIsNeverCommittedLater_data();
    void cancelIsNeverCommittedLater();
    void sceneRenameSignalledOnlyOnChange();
    void editorLimitNeverCutsTheName_data();
    void editorLimitNeverCutsTheName();

    void dropPolicy_data();
    void dropPolicy();
    void dragCarriesTheSceneNumber_data();
    void dragCarriesTheSceneNumber();
    void pressOnEmptySpotDragsNothing();
    void dropWithoutOurSourceRefused_data();
    void dropWithoutOurSourceRefused();
};

void tst_RenameWidgets::cancelIsNeverCommittedLater_data()
{
    QTest::addColumn<bool>("scene");
    QTest::addColumn<QString>("name");
    QTest::newRow("input button") << false << "HDMI-2";
    QTest::newRow("scene button") << true << "Lobby";
}

// Escape restores the old text; the click elsewhere that follows (the main
// window's m_ReName(1)) must not bring the typed text back.
void tst_RenameWidgets::cancelIsNeverCommittedLater()
{
    QFETCH(bool, scene);
    QFETCH(QString, name);
    QWidget window;
    Renamable r = makeRenamable(scene, &window);
    r.button->setText(name);
    QVERIFY(showActive(window));

    r.start();
    QVERIFY(r.editor()->hasFocus());
    r.editor()->setText(QStringLiteral("Typed"));
    QTest::keyClick(r.editor(), Qt::Key_Escape);
    QCOMPARE(r.button->text(), name);
    QVERIFY(!r.editor()->isVisible());

    r.finish(MyLineEdit::FinishAccept);
    QTest::mouseClick(r.editor(), Qt::RightButton);
    QCOMPARE(r.button->text(), name);
    QCOMPARE(r.renamed->count(), 0);

    // The next rename works as usual.
    r.start();
    r.editor()->setText(QStringLiteral("Next"));
    QTest::keyClick(r.editor(), Qt::Key_Return);
    QCOMPARE(r.button->text(), QStringLiteral("Next"));
    QCOMPARE(r.renamed->count(), 1);
}

void tst_RenameWidgets::sceneRenameSignalledOnlyOnChange()
{
    MyButton button;
    button.setText(QStringLiteral("Lobby"));
    QSignalSpy renamed(&button, &MyButton::send_Scene_renamed);
    const auto rename = [&button](const QString &typed, int num) {
        button.startRename();
        button.editor()->setText(typed);
        button.m_ReName(num);
    };
    rename(QStringLiteral("Hall"), MyLineEdit::FinishCancel);
    rename(QString(), MyLineEdit::FinishAccept);
    rename(QStringLiteral("Lobby "), MyLineEdit::FinishAccept);
    QCOMPARE(renamed.count(), 0);
    QCOMPARE(button.text(), QStringLiteral("Lobby"));
    rename(QStringLiteral("R&D"), MyLineEdit::FinishAccept);
    QCOMPARE(renamed.count(), 1);
    QCOMPARE(button.text(), QStringLiteral("R&&D"));
}

void tst_RenameWidgets::editorLimitNeverCutsTheName_data()
{
    QTest::addColumn<bool>("scene");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("nameLength");
    QTest::addColumn<int>("limit");
    QTest::newRow("input, short name") << false << 0 << 6 << 16;
    QTest::newRow("input, english") << false << 1 << 6 << 20;
    QTest::newRow("input, 25 characters") << false << 0 << 25 << 25;
    QTest::newRow("input, 25 characters, english") << false << 1 << 25 << 25;
    QTest::newRow("scene, short name") << true << 0 << 6 << 18;
    QTest::newRow("scene, 25 characters") << true << 0 << 25 << 25;
}

void tst_RenameWidgets::editorLimitNeverCutsTheName()
{
    QFETCH(bool, scene);
    QFETCH(int, language);
    QFETCH(int, nameLength);
    QFETCH(int, limit);
    CommonlyUsed::setLanguageIndex(language);
    const QString name = QString::fromUtf8("蓝光播放机一号机位二三四五六七八九十甲乙丙丁戊己庚辛").left(nameLength);
    QCOMPARE(name.size(), nameLength);
    QWidget window;
    Renamable r = makeRenamable(scene, &window);
    // As the button shows it: wrapped, with a line break that is no character.
    r.button->setText(name.left(6) + QLatin1Char('\n') + name.mid(6));

    r.start();
    QCOMPARE(r.editor()->maxLength(), limit);
    QCOMPARE(r.editor()->text(), name);

    // A fresh rename of a short name gets the ordinary limit back.
    r.finish(MyLineEdit::FinishCancel);
    r.button->setText(QStringLiteral("A"));
    r.start();
    QCOMPARE(r.editor()->maxLength(), scene ? 18 : language == 1 ? 20 : 16);
}

void tst_RenameWidgets::dropPolicy_data()
{
    QTest::addColumn<QString>("source"); // sibling, self, otherWindow, button
    QTest::addColumn<QString>("data");   // ours, damaged
    QTest::addColumn<bool>("accepted");
    QTest::newRow("sibling list") << "sibling" << "ours" << true;
    QTest::newRow("same list") << "self" << "ours" << true;
    QTest::newRow("list of another window") << "otherWindow" << "ours" << false;
    QTest::newRow("other widget of the window") << "button" << "ours" << false;
    QTest::newRow("damaged data from the sibling") << "sibling" << "damaged" << false;
}

void tst_RenameWidgets::dropPolicy()
{
    QFETCH(QString, source);
    QFETCH(QString, data);
    QFETCH(bool, accepted);
    QWidget dialog;
    auto *list = new ProjectListWidget(&dialog);
    auto *sibling = new ProjectListWidget(&dialog);
    auto *button = new MyButton(&dialog);
    QWidget otherDialog;
    auto *foreign = new ProjectListWidget(&otherDialog);

    std::unique_ptr<QMimeData> mime(ProjectListWidget::mimeDataFor(7, QStringLiteral("Scene 7")));
    if (data == QLatin1String("damaged"))
        mime->setData(ProjectListWidget::mimeType(), QByteArrayLiteral("x"));
    const QObject *from = source == QLatin1String("sibling")       ? static_cast<QObject *>(sibling)
                          : source == QLatin1String("self")        ? list
                          : source == QLatin1String("otherWindow") ? foreign
                                                                   : static_cast<QObject *>(button);
    QCOMPARE(list->acceptsDrop(mime.get(), from), accepted);
}

void tst_RenameWidgets::dragCarriesTheSceneNumber_data()
{
    QTest::addColumn<bool>("intoSibling");
    QTest::addColumn<int>("pressRow");
    QTest::addColumn<int>("dropOnRow"); // -1: below the last item
    QTest::addColumn<QList<int>>("target");
    QTest::newRow("to the end of the polling list") << true << 1 << -1 << QList<int>{4, 5, 7};
    QTest::newRow("onto the second polling item") << true << 0 << 1 << QList<int>{4, 2, 5};
    QTest::newRow("within one list") << false << 2 << 0 << QList<int>{9, 2, 7, 9};
}

// The operator's drag from the list of stored scenes: the item dragged is
// the one pressed, and the dropped item keeps its
// scene number whatever its name.
void tst_RenameWidgets::dragCarriesTheSceneNumber()
{
    QFETCH(bool, intoSibling);
    QFETCH(int, pressRow);
    QFETCH(int, dropOnRow);
    QFETCH(QList<int>, target);
    QWidget dialog;
    auto *layout = new QHBoxLayout(&dialog);
    auto *existing = new ProjectListWidget(&dialog);
    auto *polling = new ProjectListWidget(&dialog);
    layout->addWidget(existing);
    layout->addWidget(polling);
    dialog.resize(400, 300);
    fill(existing, {2, 7, 9});
    fill(polling, {4, 5});
    QVERIFY(showActive(dialog));
    existing->setCurrentRow(pressRow == 0 ? 2 : 0);

    QDrag *drag = startDrag(existing, existing->visualItemRect(existing->item(pressRow)).center());
    QVERIFY(drag);
    QCOMPARE(drag->source(), existing);
    const int pressed = ProjectListWidget::sceneOf(existing->item(pressRow));
    const auto dragged = ProjectListWidget::sceneFromMime(drag->mimeData());
    QVERIFY(dragged);
    QCOMPARE(dragged->scene, pressed);
    QCOMPARE(drag->mimeData()->text(), QStringLiteral("Scene %1").arg(pressed));

    ProjectListWidget *to = intoSibling ? polling : existing;
    const QPoint drop = dropOnRow < 0 ? QPoint(20, to->viewport()->height() - 5)
                                      : to->visualItemRect(to->item(dropOnRow)).center()
                                            - QPoint(0, ProjectListWidget::DropRowOffset);
    QVERIFY(to->dropScene(drag->mimeData(), drag->source(), drop));
    QCOMPARE(scenesOf(to), target);
    QCOMPARE(ProjectListWidget::sceneOf(to->currentItem()), pressed);
    for (int i = 0; i < to->count(); ++i)
        QCOMPARE(to->item(i)->text(), QStringLiteral("Scene %1").arg(ProjectListWidget::sceneOf(to->item(i))));
}

void tst_RenameWidgets::pressOnEmptySpotDragsNothing()
{
    ProjectListWidget list;
    fill(&list, {2, 7});
    list.resize(200, 300);
    QVERIFY(showActive(list));
    list.setCurrentRow(1);
    QVERIFY(!startDrag(&list, QPoint(20, list.viewport()->height() - 5)));
    // A press elsewhere that ends over an item starts nothing either.
    sendMouse(list.viewport(), QEvent::MouseButtonRelease, QPoint(20, 250), Qt::LeftButton, Qt::NoButton);
    const QPoint onItem = list.visualItemRect(list.item(0)).center();
    sendMouse(list.viewport(), QEvent::MouseMove, onItem, Qt::NoButton, Qt::LeftButton);
    QVERIFY(!list.findChild<QDrag *>());
}

void tst_RenameWidgets::dropWithoutOurSourceRefused_data()
{
    QTest::addColumn<bool>("ours");
    QTest::newRow("our data without a drag of ours") << true;
    QTest::newRow("foreign text") << false;
}

// Drops that no list of this dialog started (synthetic events have no source).
void tst_RenameWidgets::dropWithoutOurSourceRefused()
{
    QFETCH(bool, ours);
    ProjectListWidget list;
    fill(&list, {1, 2});
    list.resize(200, 200);
    QVERIFY(showActive(list));
    std::unique_ptr<QMimeData> mime(ours ? ProjectListWidget::mimeDataFor(9, QStringLiteral("Scene 9"))
                                         : new QMimeData);
    if (!ours)
        mime->setText(QStringLiteral("Scene 9"));
    const QPoint pos(20, 150);
    QDragEnterEvent enter(pos, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QVERIFY(!enter.isAccepted());
    QDropEvent drop(pos, Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &drop);
    QVERIFY(!drop.isAccepted());
    QCOMPARE(scenesOf(&list), (QList<int>{1, 2}));

    // What the helpers put in is what comes out.
    const auto dragged = ProjectListWidget::sceneFromMime(mime.get());
    QCOMPARE(dragged.has_value(), ours);
    if (ours) {
        QCOMPARE(dragged->scene, 9);
        QCOMPARE(dragged->name, QStringLiteral("Scene 9"));
    }
}

QTEST_MAIN(tst_RenameWidgets)
#include "tst_renamewidgets.moc"
