#include "mainwindow/edid/edidpage.h"

#include <QCheckBox>
#include <QEvent>

#include "ui_edidpage.h"

EdidPage::EdidPage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent), ui(new Ui::EdidPage), m_window(window), m_names(names)
{
    ui->setupUi(this);
}

EdidPage::~EdidPage()
{
    delete ui;
}

void EdidPage::toolButton_EDIDHDMI_clicked()
{
}

void EdidPage::on_pushButton_EDID_Set_clicked()
{
}

void EdidPage::onLineEditPressed(EdidLineEdit *)
{
}

void EdidPage::CheckBox_Single_choice()
{
}

void EdidPage::Route_selection_EDID_currentTextChanged(const QString &)
{
}

QCheckBox *EdidPage::optionBox(int) const
{
    return nullptr;
}

void EdidPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
