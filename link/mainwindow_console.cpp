// MainWindow: the command console on the "About" page.
#include "mainwindow/mainwindow.h"

#include <QCompleter>
#include <QDateTime>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

#include "app/commonlyused.h"
#include "link/protocol/protocol.h"
#include "ui_mainwindow.h"

namespace {
constexpr int ConsoleFontPixels = 20;
constexpr char TimeFormat[] = "HH:mm:ss.zzz";
constexpr char CompleterStyle[] =
    "QAbstractItemView{background-color:rgba(44, 50, 61, 1);color:rgba(219, 226, 241, 1);"
    "border:1px solid rgba(37, 41, 48, 1);}QAbstractItemView::item{height: 22px;}"
    "QAbstractItemView::item:hover{background-color:rgba(77, 155, 213, 1);}";

constexpr int ConsoleKeepTenths = 9;
constexpr char NoteStyle[] = "font-size:16px; background-color:white; color: rgb(237,28,36);";

// A lone line break is no message.
bool blankMessage(const QString &message)
{
    return message.isEmpty() || message == QLatin1String("\r\n") || message == QLatin1String("\r")
           || message == QLatin1String("\n");
}

void useConsoleFont(QPlainTextEdit *log)
{
    QFont font = log->font();
    if (font.pixelSize() != ConsoleFontPixels) {
        font.setPixelSize(ConsoleFontPixels);
        log->setFont(font);
    }
}

// Markup-safe message text whose line breaks still show as breaks.
QString escapedMessage(const QString &message)
{
    QString html = message.toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    html.replace(QLatin1Char('\r'), QStringLiteral("<br>"));
    return html;
}
} // namespace

const QStringList &MainWindow::completionList()
{
    static const QStringList list{
        "(get,sw)", "(sw,1,1)", "(get,i.res,1)", "(get,o.res,1)", "(set,o.res,1,1)",
        "(set,o.format,1,0)", "(get,o.format,1)", "(set,ext.audio,1,0)", "(set,ext.audio,1,1)",
        "(get,ext.audio,1)", "(set,brightness,1,50)", "(get,brightness,1)", "(set,contrast,1,50)",
        "(get,contrast,1)", "(edid,config,1,1)", "(info,dev)", "(get,i.baud)", "(get,o.baud)",
        "(ver)", "(reset)", "(standby)", "(wakeup)", "(lock,1)", "(lock,0)", "(info,link)",
        "(get,i.res,0)", "(get,o.res,0)", "(update,edid,1)", "(update,mcu,1)", "(scene,save,1)",
        "(scene,call,1)", "(scene,del,1)", "(set,edid,1,1)", "(get,i.edid,1)",
        "(rename,product,deviceName)", "(scene,polling,0)", "(scene,pollsta)", "(scene,time,10)",
        "(scene,gettime)", "(scene,list,1,2,3,4)", "(scene,liststa)", "(scene,sta,1)",
        "(set,splicermode,1,2,2)", "(get,splicermode,1)", "(set,splicerbord,1,10,10)",
        "(get,splicerbord,1)", "(set,splicerpos,1,1,2,1)", "(get,splicerpos,1)",
        "(set,splicerclear,1)", "(set,netcfg,192.168.0.178,255.255.255.0,192.168.0.1)",
        "(get,netcfg)"};
    return list;
}

void MainWindow::setupCompleter()
{
    m_completer = new QCompleter(completionList(), this);
    m_completer->setFilterMode(Qt::MatchContains);
    m_completer->setCaseSensitivity(Qt::CaseSensitive);
    QAbstractItemView *popup = m_completer->popup();
    // The completer's own delegate ignores the style sheet's item height;
    // the styled one honours it.
    popup->setItemDelegate(new QStyledItemDelegate(popup));
    if (auto *list = qobject_cast<QListView *>(popup))
        list->setUniformItemSizes(true);
    popup->setStyleSheet(QLatin1String(CompleterStyle));
    ui->lineEdit_SendData->setCompleter(m_completer);
}

QTimer *MainWindow::consoleFlushTimer()
{
    if (!m_consoleFlushTimer) {
        m_consoleFlushTimer = new QTimer(this);
        m_consoleFlushTimer->setSingleShot(true);
        m_consoleFlushTimer->setInterval(ConsoleFlushMs);
        connect(m_consoleFlushTimer, &QTimer::timeout, this, &MainWindow::flushConsole);
        // An undo history would keep every line ever shown.
        ui->textEdit->setUndoRedoEnabled(false);
        ui->textEdit->setMaximumBlockCount(ConsoleMaxLines);
    }
    return m_consoleFlushTimer;
}

void MainWindow::appendConsoleLine(const QString &html)
{
    QTimer *timer = consoleFlushTimer();
    m_consolePending.append(html);
    m_consolePendingChars += html.size();
    while (m_consolePending.size() > 1
           && (m_consolePending.size() > ConsoleMaxPendingLines || m_consolePendingChars > ConsoleMaxPendingChars)) {
        m_consolePendingChars -= m_consolePending.takeFirst().size();
        ++m_consoleDropped;
    }
    if (!timer->isActive())
        timer->start();
}

void MainWindow::flushConsole()
{
    if (m_consoleFlushTimer)
        m_consoleFlushTimer->stop();
    if (m_consolePending.isEmpty() && m_consoleDropped == 0)
        return;
    QPlainTextEdit *log = ui->textEdit;
    QStringList lines;
    lines.swap(m_consolePending);
    m_consolePendingChars = 0;
    if (m_consoleDropped > 0) {
        const QString time = QDateTime::currentDateTime().toString(QLatin1String(TimeFormat));
        lines.prepend(QStringLiteral("Time[%1]→◆<font style='%2'>%3")
                          .arg(time, QLatin1String(NoteStyle),
                               tr("…… %1 行未显示：数据来得比控制台显示得快").arg(m_consoleDropped)));
        m_consoleDropped = 0;
    }
    // While the operator reads (pointer over the log) the view stays on the
    // text it shows, although lines come at the end and go at the top.
    const int topPosition = autoScroll ? -1 : log->cursorForPosition(QPoint(0, 0)).position();
    int removed = trimConsole(lines.size());
    for (const QString &line : qAsConst(lines))
        log->appendHtml(line);
    removed += trimConsole(0);
    if (autoScroll) {
        scrollConsoleToEnd();
    } else {
        const QTextBlock top = log->document()->findBlock(qMax(0, topPosition - removed));
        log->verticalScrollBar()->setValue(top.firstLineNumber());
    }
}

int MainWindow::trimConsole(int roomForBlocks)
{
    QTextDocument *doc = ui->textEdit->document();
    const int blocks = doc->blockCount() + roomForBlocks;
    const int chars = doc->characterCount();
    if (blocks <= ConsoleMaxLines && chars <= ConsoleMaxChars)
        return 0;
    // Down to nine tenths of the bounds: one removal per many lines, not a
    // removal with every line.
    const int excessBlocks = blocks - ConsoleMaxLines / 10 * ConsoleKeepTenths;
    const int excessChars = chars - ConsoleMaxChars / 10 * ConsoleKeepTenths;
    // Whole blocks from the top, the newest one always stays; the walk only
    // touches what goes.
    QTextBlock keep = doc->firstBlock();
    int gone = 0;
    while (keep != doc->lastBlock() && (gone < excessBlocks || keep.position() < excessChars)) {
        keep = keep.next();
        ++gone;
    }
    const int removed = keep.position();
    if (removed <= 0)
        return 0;
    QTextCursor cursor(doc);
    cursor.setPosition(removed, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    return removed;
}

void MainWindow::scrollConsoleToEnd()
{
    QScrollBar *bar = ui->textEdit->verticalScrollBar();
    bar->setValue(bar->maximum());
}

QString MainWindow::consolePlainText()
{
    flushConsole();
    return ui->textEdit->toPlainText();
}

void MainWindow::TextEdit_Message_Display(int ReceiveOrSend, QString Message)
{
    if (blankMessage(Message))
        return;
    useConsoleFont(ui->textEdit);
    const QString time = QDateTime::currentDateTime().toString(QLatin1String(TimeFormat));
    QString message;
    if (Message.size() > ConsoleLinePreviewChars) {
        // A reply of megabytes is shown by its start; its length tells the rest.
        int cut = ConsoleLinePreviewChars;
        if (Message.at(cut - 1).isHighSurrogate())
            --cut;
        message = escapedMessage(Message.left(cut)) + QLatin1Char(' ')
                  + tr("……（共 %1 个字符，只显示前 %2 个）").arg(Message.size()).arg(cut).toHtmlEscaped();
    } else {
        message = escapedMessage(Message);
    }
    QString line;
    switch (ReceiveOrSend) {
    case 0:
        line = QStringLiteral("Time[%1]←◆%2").arg(time, tr("receive:  \n%1").arg(message));
        break;
    case 1:
        line = QStringLiteral("Time[%1]→◆<font style='font-size:20px; background-color:white; "
                              "color: rgb(85, 170, 0);'>%2")
                   .arg(time, tr("send:  \n%1").arg(message));
        break;
    case 2:
        line = QStringLiteral("Time[%1]→◆<font style='font-size:20px; background-color:white; "
                              "color: rgb(237,28,36);'>%2")
                   .arg(time, tr("receive:  \n%1").arg(message));
        break;
    case 3:
        line = QStringLiteral("Time[%1]→◆<font style='font-size:20px; background-color:white; "
                              "color: rgb(85, 170, 0);'>%2")
                   .arg(time, tr("receive:  \n%1").arg(message));
        break;
    default:
        return;
    }
    // The label's "\n" sits in rich text: show it as a break as well.
    line.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    appendConsoleLine(line);
}

void MainWindow::appendConsoleBatch(const QVector<ConsoleMessage> &messages)
{
    if (messages.isEmpty())
        return;
    // Lines queued before the batch come first.
    flushConsole();
    consoleFlushTimer();
    QPlainTextEdit *log = ui->textEdit;
    useConsoleFont(log);
    const int topPosition = autoScroll ? -1 : log->cursorForPosition(QPoint(0, 0)).position();
    QTextCharFormat plain;
    QTextCharFormat green;
    green.setForeground(QColor(85, 170, 0));
    green.setBackground(Qt::white);
    QTextCharFormat red = green;
    red.setForeground(QColor(237, 28, 36));
    QString received = tr("receive:  \n%1");
    QString sent = tr("send:  \n%1");
    received.replace(QLatin1Char('\n'), QChar::LineSeparator);
    sent.replace(QLatin1Char('\n'), QChar::LineSeparator);

    // Room first, in one cut of a tenth: left to the line limit, the document
    // would walk and lay out every block it drops, one by one.
    int removed = trimConsole(messages.size());

    // Plain text in one edit: thousands of lines cost one layout pass, where
    // a line of markup each would cost a parse and a layout each.
    QTextCursor cursor(log->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    bool first = log->document()->isEmpty();
    qint64 shownAtMs = -1;
    QString time;
    for (const ConsoleMessage &m : messages) {
        if (blankMessage(m.text))
            continue;
        // One block per message, its own lines broken inside it, as the
        // markup path shows them: the line bound counts messages either way.
        QString text = m.text.size() > ConsoleLinePreviewChars ? m.text.left(ConsoleLinePreviewChars) : m.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        // Messages of one millisecond share their time stamp.
        if (m.atMs != shownAtMs) {
            shownAtMs = m.atMs;
            time = QDateTime::fromMSecsSinceEpoch(m.atMs).toString(QLatin1String(TimeFormat));
        }
        const QTextCharFormat &format = m.kind == 2 ? red : m.kind == 0 ? plain : green;
        if (!first)
            cursor.insertBlock();
        first = false;
        cursor.insertText(QStringLiteral("Time[%1]%2◆").arg(time, m.kind == 0 ? QStringLiteral("←") : QStringLiteral("→")),
                          plain);
        cursor.insertText((m.kind == 1 ? sent : received).arg(text), format);
    }
    cursor.endEditBlock();
    removed += trimConsole(0); // the character bound
    if (autoScroll) {
        scrollConsoleToEnd();
    } else {
        const QTextBlock top = log->document()->findBlock(qMax(0, topPosition - removed));
        log->verticalScrollBar()->setValue(top.firstLineNumber());
    }
}

void MainWindow::on_pushButton_ClearWindow_clicked()
{
    // Lines still queued belong to the log being cleared.
    m_consolePending.clear();
    m_consolePendingChars = 0;
    m_consoleDropped = 0;
    if (m_consoleFlushTimer)
        m_consoleFlushTimer->stop();
    ui->textEdit->clear();
    const QString time = QDateTime::currentDateTime().toString(QLatin1String(TimeFormat));
    ui->textEdit->appendHtml(QStringLiteral("Time[%1]→◆ <font style='font-size:16px; background-color:white; "
                                            "color: rgb(237,28,36);;'>Clear Window")
                                 .arg(time));
}

void MainWindow::on_pushButton_SendIP_clicked()
{
    // Blanks around a command are no part of it (the grammar has none).
    const QString line = ui->lineEdit_SendData->text().trimmed();
    if (line.isEmpty()) {
        showToast(tr("指令不能为空！"), QString::fromLatin1(Protocol::FailureStyle));
        return;
    }
    // The device reads GB2312; a character without a code there (an emoji)
    // would reach it as "?".
    if (!m_link->codec()->canEncode(line)) {
        showToast(tr("指令含有设备无法识别的字符！"), QString::fromLatin1(Protocol::FailureStyle));
        return;
    }
    // An announcement puts the device into file-receive mode; only the pages
    // that send the file after it may make one.
    if (Protocol::compact(line).startsWith(QLatin1String("(update,"))) {
        showToast(tr("升级文件请在“系统设置-固件升级”或“EDID设置”页面发送！"),
                  QString::fromLatin1(Protocol::FailureStyle));
        return;
    }
    if (line == QLatin1String(Protocol::Command::CloseHeartbeat)) {
        heartbeatTimer->stop();
        showToast(tr("心跳关闭成功!"), QString::fromLatin1(Protocol::SuccessStyle));
        return;
    }
    if (line == QLatin1String(Protocol::Command::OpenHeartbeat)) {
        heartbeatTimer->start(HeartbeatPeriodMs);
        showToast(tr("心跳打开成功!"), QString::fromLatin1(Protocol::SuccessStyle));
        return;
    }
    if (pollingRunning && line != QLatin1String(Protocol::Command::ScenePollingStop))
        return;
    // The marks belong to a line that is really sent.
    if (line.contains(QLatin1String("scene,sta")))
        Scene_Call_OR_Delete_Falg = 3;
    if (line.contains(QLatin1String("set,netcfg")))
        netcfgSetting = true;
    if (line.contains(QLatin1String("get,netcfg")))
        netcfgSetting = false;
    subtitlePendingSet = 2;
    sendData(line);
    ui->lineEdit_SendData->setFocus();
}

void MainWindow::on_pushButton_Export_text_clicked()
{
    fileDialogOpen = true;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString proposed = QStringLiteral("%1%2%3.txt")
                                 .arg(folder + QLatin1Char('/'), QStringLiteral("InstructionData-"),
                                      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh-mm-ss")));
    QString fileName = exportFileNameHook
                           ? exportFileNameHook(proposed)
                           : QFileDialog::getSaveFileName(this, tr("导出TXT文件"), proposed,
                                                          QStringLiteral("Protocol File (*.txt)"));
    fileDialogOpen = false;
    if (fileName.isEmpty()) {
        showToast(tr("TXT文件保存失败！"), QString::fromLatin1(Protocol::FailureStyle));
        return;
    }
    if (!fileName.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        fileName += QLatin1String(".txt");
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Text)) {
        showToast(tr("文件打开失败！"), QString::fromLatin1(Protocol::FailureStyle));
        return;
    }
    QTextStream out(&file);
    out.setCodec("UTF-8");
    out << consolePlainText();
    file.close();
    showToast(tr("TXT文件保存成功！"), QString::fromLatin1(Protocol::SuccessStyle));
    if (!exportFileNameHook)
        QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

void MainWindow::on_pushButton_Look_Log_clicked()
{
    fileDialogOpen = true;
    const QString folder = CommonlyUsed::applicationDir() + QStringLiteral("/Log/")
                           + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (QDir(folder).exists())
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    fileDialogOpen = false;
}
