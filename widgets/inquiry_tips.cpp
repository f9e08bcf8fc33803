#include "inquiry_tips.h"
#include "ui_inquiry_tips.h"

#include "app/commonlyused.h"
#include "widgets/tipsdecor.h"
#include "widgets/titlebar.h"

#include <QCloseEvent>
#include <QDebug>

namespace {
constexpr char KeyLogout[] = "cancellation";
constexpr char KeyCloseWindow[] = "close_window";
constexpr char KeyDeleteScene[] = "Delete scene";
constexpr char AnswerNo[] = "Cancel Close window";
}

Inquiry_Tips::Inquiry_Tips(QWidget *parent) : FBaseDialog(parent), ui(new Ui::Inquiry_Tips)
{
    ui->setupUi(this);
    // Shown before (or without) a styled owner too: it carries the theme itself.
    CommonlyUsed::Load_stylesheet(this, QStringLiteral(":/QSS/QSS/Login.qss"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    ui->widget_TitleBar->setButtons(TitleBar::CloseButton);
    ui->widget_TitleBar->setTitleContent(tr("提示"));
    ui->widget_TitleBar->setTitleIcon(TipsDecor::trayIcon());
    ui->label_inquiry->setPixmap(QPixmap(QStringLiteral("://image/Tips_inquiry.png")));
    setWindowTitle(tr("提示"));
    connect(ui->widget_TitleBar, &TitleBar::send_close, this, &Inquiry_Tips::reject);
}

Inquiry_Tips::~Inquiry_Tips()
{
    delete ui;
}

void Inquiry_Tips::setMessage(const QString &text)
{
    ui->label_inquiry_information->setText(text);
}

QString Inquiry_Tips::message() const
{
    return ui->label_inquiry_information->text();
}

TitleBar *Inquiry_Tips::titleBar() const
{
    return ui->widget_TitleBar;
}

QString Inquiry_Tips::answerText(const QString &key, int okOrCancel)
{
    if (okOrCancel != 1)
        return QString::fromLatin1(AnswerNo);
    if (key == QLatin1String(KeyLogout))
        return QStringLiteral("Logout system");
    if (key == QLatin1String(KeyCloseWindow))
        return QStringLiteral("Close the main window");
    if (key == QLatin1String(KeyDeleteScene))
        return QStringLiteral("Delete scene");
    // A caller with a question of its own gets its key back as the yes answer.
    return key;
}

void Inquiry_Tips::on_pushButton_inquiry_OK_clicked()
{
    answerWith(1);
}

void Inquiry_Tips::on_pushButton_inquiry_NO_clicked()
{
    answerWith(0);
}

void Inquiry_Tips::reject()
{
    answerWith(0);
}

void Inquiry_Tips::answerWith(int okOrCancel)
{
    // A second click while the dialog folds away must not change the answer.
    if (m_answered || isCloseAnimationRunning())
        return;
    m_okOrCancel = okOrCancel;
    qDebug() << "OK_Or_Cancel = " << m_okOrCancel;
    closeWithAnimation();
}

void Inquiry_Tips::closeAnimationFinished()
{
    answerOnce();
    m_closingAfterAnimation = true;
    close();
    m_closingAfterAnimation = false;
}

void Inquiry_Tips::answerOnce()
{
    if (m_answered)
        return;
    m_answered = true;
    emit Send_Mesg(answerText(m_key, m_okOrCancel));
    if (m_okOrCancel == 1 && m_key == QLatin1String(KeyDeleteScene))
        emit Send_Delete_scene();
}

void Inquiry_Tips::showEvent(QShowEvent *event)
{
    setWindowOpacity(1.0);
    TipsDecor::fixSizeForContents(this);
    QWidget *host = parentWidget() ? parentWidget()->window() : nullptr;
    TipsDecor::centreIn(this, host && host->isVisible() ? host->geometry() : TipsDecor::primaryAvailableArea());
    FBaseDialog::showEvent(event);
}

void Inquiry_Tips::closeEvent(QCloseEvent *event)
{
    if (!m_closingAfterAnimation) {
        // Alt+F4 or close() from outside: whatever was pending, the answer is no
        // unless a button already chose; answer now without the animation.
        if (!isCloseAnimationRunning())
            m_okOrCancel = 0;
        abortCloseAnimation();
        answerOnce();
    }
    // Not QDialog::closeEvent: it would call reject() and start the animation.
    event->accept();
}

void Inquiry_Tips::resizeEvent(QResizeEvent *event)
{
    FBaseDialog::resizeEvent(event);
    TipsDecor::applyRoundedMask(this);
}
