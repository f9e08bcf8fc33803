#include "information_tips.h"
#include "ui_information_tips.h"

#include "app/commonlyused.h"
#include "widgets/tipsdecor.h"
#include "widgets/titlebar.h"

#include <QCloseEvent>
#include <QDebug>

namespace {
constexpr char CloseAnswer[] = "Close Error window";
}

Information_Tips::Information_Tips(QWidget *parent) : FBaseDialog(parent), ui(new Ui::Information_Tips)
{
    ui->setupUi(this);
    // Shown before (or without) a styled owner too: it carries the theme itself.
    CommonlyUsed::Load_stylesheet(this, QStringLiteral(":/QSS/QSS/Login.qss"));
    ui->widget_TitleBar->setButtons(TitleBar::CloseButton);
    ui->widget_TitleBar->setTitleContent(tr("错误"));
    ui->widget_TitleBar->setTitleIcon(TipsDecor::trayIcon());
    ui->label_error->setPixmap(QPixmap(QStringLiteral("://image/Tips_error.png")));
    setWindowTitle(tr("错误"));
    setWindowModality(Qt::ApplicationModal);
    connect(ui->widget_TitleBar, &TitleBar::send_close, this, &Information_Tips::reject);
}

Information_Tips::~Information_Tips()
{
    delete ui;
}

void Information_Tips::setMessage(const QString &text)
{
    ui->label_information->setText(text);
}

QString Information_Tips::message() const
{
    return ui->label_information->text();
}

TitleBar *Information_Tips::titleBar() const
{
    return ui->widget_TitleBar;
}

void Information_Tips::on_pushButton_information_clicked()
{
    closeWithAnimation();
}

void Information_Tips::reject()
{
    // Escape and the title bar's close end the dialog the same way as its button.
    closeWithAnimation();
}

void Information_Tips::closeAnimationFinished()
{
    answerOnce();
    m_closingAfterAnimation = true;
    close();
    m_closingAfterAnimation = false;
}

void Information_Tips::answerOnce()
{
    if (m_answered)
        return;
    m_answered = true;
    emit Send_Mesg(QString::fromLatin1(CloseAnswer));
}

void Information_Tips::showEvent(QShowEvent *event)
{
    // The dialog is reused: a previous close left it faded out and folded.
    abortCloseAnimation();
    setWindowOpacity(1.0);
    m_answered = false;
    TipsDecor::fixSizeForContents(this);
    TipsDecor::centreIn(this, TipsDecor::primaryAvailableArea());
    FBaseDialog::showEvent(event);
}

void Information_Tips::closeEvent(QCloseEvent *event)
{
    if (!m_closingAfterAnimation) {
        // Closed from outside (Alt+F4, close()): answer now, skip the animation.
        abortCloseAnimation();
        answerOnce();
    }
    // Not QDialog::closeEvent: it would call reject() and start the animation.
    event->accept();
}

void Information_Tips::resizeEvent(QResizeEvent *event)
{
    FBaseDialog::resizeEvent(event);
    TipsDecor::applyRoundedMask(this);
}
