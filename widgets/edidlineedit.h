#pragma once

#include <QLineEdit>

// Name field of a custom EDID slot: a left press selects all of its text and
// reports the field, so the page can tick the slot's check box.
class EdidLineEdit final : public QLineEdit
{
    Q_OBJECT
public:
    explicit EdidLineEdit(QWidget *parent = nullptr);

signals:
    void lineEditPressed(EdidLineEdit *lineEdit);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
