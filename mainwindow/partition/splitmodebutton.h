#pragma once

#include <QPushButton>

class QLabel;

// A window button (A..D) of the partition page; the small label in its upper
// right quarter shows the input the device puts in that window.
class SplitmodeButton final : public QPushButton
{
    Q_OBJECT
public:
    explicit SplitmodeButton(QWidget *parent = nullptr);

    // Empty hides the number.
    void setInputLabel(const QString &text);
    QString inputLabel() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_label = nullptr;
};
