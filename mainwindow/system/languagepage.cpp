#include "mainwindow/system/languagepage.h"
#include "ui_languagepage.h"

#include "app/commonlyused.h"
#include "app/platform.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"

#include <QEvent>

LanguagePage::LanguagePage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::LanguagePage)
{
    ui->setupUi(this);
    showLanguageInForce();
}

LanguagePage::~LanguagePage()
{
    delete ui;
}

void LanguagePage::on_pushButton_Language_selection_set_clicked()
{
    const int chosen = ui->comboBox_Language_selection->currentIndex();
    const QString value = Platform::languageValueForIndex(chosen);
    if (value.isEmpty())
        return;
    const QString failure = QString::fromLatin1(Protocol::FailureStyle);
    if (!Platform::setLanguageValue(value)) {
        showLanguageInForce();
        m_window->showToast(tr("语言设置保存失败！"), failure);
        return;
    }
    // Applies what the store now holds; every widget then gets LanguageChange.
    m_window->loadLanguage();
    showLanguageInForce();
    if (CommonlyUsed::getLanguageIndex() != chosen)
        m_window->showToast(tr("语言文件加载失败！"), failure);
}

void LanguagePage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        showLanguageInForce();
    }
    QWidget::changeEvent(event);
}

void LanguagePage::showLanguageInForce()
{
    const int index = CommonlyUsed::getLanguageIndex();
    if (index >= 0 && index < ui->comboBox_Language_selection->count())
        ui->comboBox_Language_selection->setCurrentIndex(index);
}
