#include "mainwindow/subtitle/subtitle_set.h"
#include "ui_subtitle_set.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDebug>
#include <QEvent>
#include <QPropertyAnimation>
#include <QShowEvent>

#include "app/commonlyused.h"
#include "app/platform.h"
#include "widgets/tipsdecor.h"
#include "widgets/titlebar.h"

namespace {
constexpr int WhiteCode = 1; // Subtitle::colourNames() order

// What the application's style sheet does not cover: the colour swatches (a
// check mark shows on the chosen one).
constexpr char LocalStyle[] = R"(
#groupBox_Subtitle_content { margin-top: 0px; }
#pushButton_White, #pushButton_Red, #pushButton_Green, #pushButton_Blue, #pushButton_Black {
    min-width: 30px; max-width: 30px; min-height: 30px; max-height: 30px;
    padding: 0px; border: 2px solid #C5D0DE; border-radius: 6px;
    color: transparent; font-size: 18px; font-weight: bold;
}
#pushButton_White:hover, #pushButton_Red:hover, #pushButton_Green:hover, #pushButton_Blue:hover,
#pushButton_Black:hover { border-color: #7C8DA3; }
#pushButton_White:checked, #pushButton_Red:checked, #pushButton_Green:checked, #pushButton_Blue:checked,
#pushButton_Black:checked { border: 3px solid rgb(43, 146, 251); }
#pushButton_White { background-color: white; }
#pushButton_Red { background-color: red; }
#pushButton_Green { background-color: green; }
#pushButton_Blue { background-color: blue; }
#pushButton_Black { background-color: black; }
#pushButton_White:checked, #pushButton_Green:checked { color: black; }
#pushButton_Red:checked, #pushButton_Blue:checked, #pushButton_Black:checked { color: white; }
)";
constexpr char WhiteTextBacking[] = "QLineEdit{background-color: rgb(60, 70, 84);}";
} // namespace

Subtitle_Set::Subtitle_Set(QWidget *parent)
    : FBaseDialog(parent)
    , ui(new Ui::Subtitle_Set)
{
    // Before the widgets exist: a sheet set later does not reach the widgets
    // inside the scroll area while the main window has a sheet of its own.
    CommonlyUsed::Load_stylesheet(this, QStringLiteral(":/QSS/QSS/Login.qss"));
    setStyleSheet(styleSheet() + QLatin1String(LocalStyle));
    ui->setupUi(this);
    // The device stays operable while the dialog is open.
    setWindowModality(Qt::NonModal);
    setFixedSize(DialogWidth, DialogHeight);
    setCornerRadius(CornerRadius);

    ui->lineEdit_Subtitle_content->setMaxLength(Subtitle::MaxTextCharacters);
    ui->widget_TitleBar->setButtons(TitleBar::CloseButton);
    ui->widget_TitleBar->setTitleIcon(TipsDecor::trayIcon());
    connect(ui->widget_TitleBar, &TitleBar::send_close, this,
        &Subtitle_Set::on_pushButton_Subtitle_Cancel_clicked);

    // Ordered as the codes: position 1..4, colour 1..5.
    m_positionButtons = { ui->pushButton_UpperLeft, ui->pushButton_UpperRight, ui->pushButton_LowerLeft,
        ui->pushButton_LowerRight };
    m_colourButtons = { ui->pushButton_White, ui->pushButton_Red, ui->pushButton_Green, ui->pushButton_Blue,
        ui->pushButton_Black };
    m_positionGroup = new QButtonGroup(this);
    m_colourGroup = new QButtonGroup(this);
    for (int i = 0; i < m_positionButtons.size(); ++i)
        m_positionGroup->addButton(m_positionButtons.at(i), i + 1);
    for (int i = 0; i < m_colourButtons.size(); ++i)
        m_colourGroup->addButton(m_colourButtons.at(i), i + 1);

    connect(ui->lineEdit_Subtitle_content, &QLineEdit::textChanged, this, &Subtitle_Set::updateCount);

    m_fadeIn = new QPropertyAnimation(this, "windowOpacity", this);
    m_fadeIn->setDuration(ShowAnimationMs);
    m_fadeIn->setStartValue(0.0);
    m_fadeIn->setEndValue(1.0);

    retranslateTitle();
    updateCount();
}

Subtitle_Set::~Subtitle_Set()
{
    delete ui;
}

TitleBar *Subtitle_Set::titleBar() const
{
    return ui->widget_TitleBar;
}

void Subtitle_Set::setPort(const QString &name, int port)
{
    m_name = name;
    m_port = port;
    retranslateTitle();
}

void Subtitle_Set::setSettings(const Subtitle::Settings &settings)
{
    m_settings = settings;
    ui->lineEdit_Subtitle_content->setText(settings.text);
    if (const auto status = Subtitle::statusCode(settings.status))
        (*status == 1 ? ui->radioButton_Open : ui->radioButton_Close)->setChecked(true);
    if (const auto position = Subtitle::positionCode(settings.position))
        m_positionButtons.at(*position - 1)->setChecked(true);
    if (const auto colour = Subtitle::colourCode(settings.colour)) {
        m_colourButtons.at(*colour - 1)->setChecked(true);
        showColour(*colour);
    }
}

QString Subtitle_Set::buildRequest(QString *error) const
{
    if (m_port < 1)
        return QString();
    // A control left unset keeps what the device reported; a value the device
    // wrote that is not understood falls back to the factory setting.
    const Subtitle::Settings factory;
    int status = 0;
    if (ui->radioButton_Open->isChecked())
        status = 1;
    else if (ui->radioButton_Close->isChecked())
        status = 0;
    else
        status = Subtitle::statusCode(m_settings.status).value_or(*Subtitle::statusCode(factory.status));

    int position = m_positionGroup->checkedId();
    if (position < 1)
        position
            = Subtitle::positionCode(m_settings.position).value_or(*Subtitle::positionCode(factory.position));

    int colour = m_colourGroup->checkedId();
    if (colour < 1)
        colour = Subtitle::colourCode(m_settings.colour).value_or(*Subtitle::colourCode(factory.colour));

    QString text = Subtitle::wireText(ui->lineEdit_Subtitle_content->text());
    if (text.isEmpty())
        text = Subtitle::wireText(m_settings.text);
    switch (Subtitle::checkText(text)) {
    case Subtitle::TextCheck::Ok:
        break;
    case Subtitle::TextCheck::TooLong:
        if (error)
            *error = tr("字幕内容不能超过15个字符！");
        return QString();
    case Subtitle::TextCheck::NotEncodable:
        if (error)
            *error = tr("字幕内容包含设备无法显示的字符！");
        return QString();
    }
    return Subtitle::setRequest(m_port, status, position, colour, text);
}

void Subtitle_Set::on_pushButton_Subtitle_OK_clicked()
{
    if (isCloseAnimationRunning())
        return;
    QString error;
    const QString request = buildRequest(&error);
    if (!error.isEmpty()) {
        emit refused(error);
        return;
    }
    if (request.isEmpty()) {
        qWarning() << "subtitle request could not be built for input" << m_port;
        return;
    }
    emit sendRequest(request);
}

void Subtitle_Set::on_pushButton_Subtitle_Cancel_clicked()
{
    closeWithAnimation();
}

void Subtitle_Set::on_pushButton_White_clicked()
{
    showColour(m_colourGroup->id(ui->pushButton_White));
}

void Subtitle_Set::on_pushButton_Red_clicked()
{
    showColour(m_colourGroup->id(ui->pushButton_Red));
}

void Subtitle_Set::on_pushButton_Green_clicked()
{
    showColour(m_colourGroup->id(ui->pushButton_Green));
}

void Subtitle_Set::on_pushButton_Blue_clicked()
{
    showColour(m_colourGroup->id(ui->pushButton_Blue));
}

void Subtitle_Set::on_pushButton_Black_clicked()
{
    showColour(m_colourGroup->id(ui->pushButton_Black));
}

void Subtitle_Set::showColour(int code)
{
    QString style = Subtitle::colourStyle(code);
    // White text on the white field could not be read.
    if (code == WhiteCode)
        style += QLatin1String(WhiteTextBacking);
    ui->lineEdit_Subtitle_content->setStyleSheet(style);
}

void Subtitle_Set::updateCount()
{
    ui->label_Subtitle_count->setText(QStringLiteral("%1/%2")
                                          .arg(ui->lineEdit_Subtitle_content->text().size())
                                          .arg(Subtitle::MaxTextCharacters));
}

void Subtitle_Set::showEvent(QShowEvent *event)
{
    FBaseDialog::showEvent(event);
    // Restored from minimised: already on top, no second fade.
    if (event->spontaneous())
        return;
    m_finished = false;
    Platform::setTopmost(this, true);
    m_fadeIn->stop();
    setWindowOpacity(0.0);
    m_fadeIn->start();
}

void Subtitle_Set::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslateTitle();
        updateCount();
    }
    FBaseDialog::changeEvent(event);
}

void Subtitle_Set::reject()
{
    on_pushButton_Subtitle_Cancel_clicked();
}

void Subtitle_Set::closeAnimationFinished()
{
    finishClosing();
    close();
}

void Subtitle_Set::closeEvent(QCloseEvent *event)
{
    // Not QDialog::closeEvent: it would call reject() and start the fold.
    if (isCloseAnimationRunning())
        abortCloseAnimation();
    finishClosing();
    event->accept();
}

void Subtitle_Set::finishClosing()
{
    if (m_finished)
        return;
    m_finished = true;
    m_fadeIn->stop();
    Platform::setTopmost(this, false);
    emit closed();
}

void Subtitle_Set::retranslateTitle()
{
    const QString title = m_name.isEmpty() ? tr("字幕设置") : tr("%1-字幕设置").arg(m_name);
    setWindowTitle(title);
    ui->widget_TitleBar->setTitleContent(title);
}
