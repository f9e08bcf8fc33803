#pragma once

#include "app/localaddress.h"
#include "widgets/fbasedialog.h"

#include <QList>

class My_Warning;
class NetcfgClient;
class QParallelAnimationGroup;
class QTimer;
class TitleBar;

namespace Ui {
class SearchModule;
}

// Lists the network modules that answer the search and changes the address
// settings of the selected one through the device's own commands.
class SearchModule final : public FBaseDialog
{
    Q_OBJECT
public:
    static constexpr int DuplicateCheckDelayMs = 500;
    static constexpr int AnimationMs = 500;
    static constexpr int RowHeight = 30;
    static constexpr int VersionColumnWidth = 60;
    static constexpr int CellFontPixelSize = 15;
    static constexpr int EnglishFieldWidth = 160;
    static constexpr int CornerRadius = 15;
    static constexpr int EnglishLanguageIndex = 1;

    enum Column { NameColumn = 0, IpColumn = 1, MacColumn = 2, VersionColumn = 3, ColumnCount = 4 };

    explicit SearchModule(QWidget *parent = nullptr);
    ~SearchModule() override;

    // Clears the table and sends the search; false (logged, nothing sent)
    // when the shared channel is not bound or the datagram cannot be sent.
    bool searchIpAddress();

    int selectedRow() const { return m_selectedRow; }
    // The exchange with the module; tests point it at another port.
    NetcfgClient *netcfgClient() const { return m_netcfg; }
    // Replaces the machine's own addresses (with their prefixes) for the
    // same-network check.
    void setLocalAddresses(const QList<LocalAddress> &addresses) { m_localAddresses = addresses; }

public slots:
    void getReceiveData(QString receiveData);
    void tableWidgetCellClicked(int row, int column);
    void closeConnectionInterface();
    void updatTableStatus();

private slots:
    void on_pushButtonSearch_clicked();
    void on_pushButtonModify_clicked();
    void on_pushButtonAdvanced_clicked();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setupTable();
    void setupFields();
    void showToast(const QString &text, bool success);
    QList<LocalAddress> localAddresses() const;
    void setRowIp(int row, const QString &ip);

    Ui::SearchModule *ui;
    TitleBar *m_titleBar = nullptr;
    My_Warning *m_warning = nullptr;
    NetcfgClient *m_netcfg = nullptr;
    QTimer *m_duplicateTimer = nullptr;
    QParallelAnimationGroup *m_closeAnimation = nullptr;
    QList<LocalAddress> m_localAddresses;
    int m_selectedRow = 0;
    bool m_advancedVisible = false;
    bool m_openAnimated = false;
};
